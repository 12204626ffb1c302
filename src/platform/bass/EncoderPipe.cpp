#include "EncoderPipe.h"

#include "Error.h"
#include "bass.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace wbass {
namespace {

constexpr int kPipeBytes = 1 << 20;

void Put16(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

struct SpawnActions {
    posix_spawn_file_actions_t actions{};
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};
struct SpawnAttributes {
    posix_spawnattr_t attr{};
    SpawnAttributes() { posix_spawnattr_init(&attr); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attr); }
};

// A write that neither raises SIGPIPE in the process nor loses a SIGPIPE meant for it.
ssize_t WriteNoSigpipe(int fd, const void* data, std::size_t size) {
    sigset_t pipeSet;
    sigset_t old;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    ssize_t n = 0;
    do {
        n = write(fd, data, size);
    } while (n < 0 && errno == EINTR);
    const int saved = errno;
    // A write cut short by the reader's exit returns the bytes it wrote and still raises
    // SIGPIPE, so the signal is looked for whatever the result.
    sigpending(&pending);
    if (!alreadyPending && sigismember(&pending, SIGPIPE) == 1) {
        const timespec none{0, 0};
        sigtimedwait(&pipeSet, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = saved;
    return n;
}

} // namespace

std::string StreamingWavHeader(const TPcmFormat& format) {
    const std::uint32_t bits = format.eightBit ? 8 : 16;
    const std::uint32_t block = static_cast<std::uint32_t>(format.Block());
    std::string h = "RIFF";
    Put32(h, 0xFFFFFFFFu);
    h += "WAVEfmt ";
    Put32(h, 16);
    Put16(h, 1);
    Put16(h, format.chans);
    Put32(h, format.freq);
    Put32(h, format.freq * block);
    Put16(h, block);
    Put16(h, bits);
    h += "data";
    Put32(h, 0xFFFFFFFFu);
    return h;
}

std::string ProgramInOwnFolder(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n <= 0)
        return {};
    std::string folder(exe, static_cast<std::size_t>(n));
    folder.resize(folder.rfind('/') + 1);
    const std::string candidate = folder + name;
    return access(candidate.c_str(), X_OK) == 0 ? candidate : std::string();
}

std::unique_ptr<TEncoderPipe> TEncoderPipe::Start(const std::vector<std::string>& args,
                                                  const TPcmFormat& format) {
    if (args.empty() || args.front().empty())
        return Fail(BASS_ERROR_FILEOPEN, nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return Fail(BASS_ERROR_MEM, nullptr);

    // A pipe of about six seconds of CD audio lets the decoder run ahead on its own core
    // while the encoder works, instead of taking turns with it every 64 KiB.
    fcntl(fds[1], F_SETPIPE_SZ, kPipeBytes);

    SpawnActions actions;
    posix_spawn_file_actions_adddup2(&actions.actions, fds[0], 0);
    posix_spawn_file_actions_addopen(&actions.actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions.actions, 2, "/dev/null", O_WRONLY, 0);
    SpawnAttributes attributes;
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes.attr, &none);
    posix_spawnattr_setsigdefault(&attributes.attr, &defaults);
    posix_spawnattr_setflags(&attributes.attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const std::string own = ProgramInOwnFolder(args.front());
    const int rc = own.empty() ? posix_spawnp(&pid, args.front().c_str(), &actions.actions,
                                              &attributes.attr, argv.data(), environ)
                               : posix_spawn(&pid, own.c_str(), &actions.actions, &attributes.attr,
                                             argv.data(), environ);
    close(fds[0]);
    if (rc != 0) {
        close(fds[1]);
        return Fail(BASS_ERROR_FILEOPEN, nullptr);
    }
    std::unique_ptr<TEncoderPipe> pipe(new TEncoderPipe(pid, fds[1]));
    const std::string header = StreamingWavHeader(format);
    pipe->Write(header.data(), header.size());
    SetError(BASS_OK);
    return pipe;
}

TEncoderPipe::~TEncoderPipe() {
    Finish();
}

bool TEncoderPipe::Write(const void* data, std::size_t size) {
    if (input_ < 0 || broken_.load())
        return false;
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = WriteNoSigpipe(input_, p, size);
        if (n <= 0) {
            broken_.store(true);
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void TEncoderPipe::Reap(bool wait) {
    if (exited_.load())
        return;
    // One thread reaps; a concurrent query simply reports the program as running.
    bool expected = false;
    if (!reaping_.compare_exchange_strong(expected, true))
        return;
    int status = 0;
    pid_t r = 0;
    do {
        r = waitpid(pid_, &status, wait ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == pid_ || (r < 0 && errno == ECHILD))
        exited_.store(true);
    reaping_.store(false);
}

bool TEncoderPipe::Active() {
    Reap(false);
    return !exited_.load() && !broken_.load();
}

void TEncoderPipe::Finish() {
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
    while (!exited_.load())
        Reap(true);
}

} // namespace wbass
