#include "TestSupport.h"

#include <array>
#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace wavora::test {

namespace fs = std::filesystem;

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment) {
    ProcessResult result;
    std::array<int, 2> out{};
    std::array<int, 2> err{};
    if (::pipe2(out.data(), O_CLOEXEC) != 0 || ::pipe2(err.data(), O_CLOEXEC) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e != nullptr; ++e) {
        envText.emplace_back(*e);
    }
    for (const auto& extra : extraEnvironment) {
        const auto name = extra.substr(0, extra.find('=') + 1);
        std::erase_if(envText, [&](const std::string& e) { return e.starts_with(name); });
        envText.push_back(extra);
    }
    std::vector<char*> env;
    for (auto& e : envText) {
        env.push_back(e.data());
    }
    env.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned == 0) {
        std::array<pollfd, 2> fds{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
        int open = 2;
        std::array<char, 65536> buffer{};
        while (open > 0 && ::poll(fds.data(), fds.size(), -1) >= 0) {
            for (std::size_t i = 0; i < fds.size(); ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) {
                    continue;
                }
                const ssize_t n = ::read(fds[i].fd, buffer.data(), buffer.size());
                if (n <= 0) {
                    fds[i].fd = -1;
                    --open;
                } else {
                    (i == 0 ? result.output : result.errors)
                        .append(buffer.data(), static_cast<size_t>(n));
                }
            }
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ::close(out[0]);
    ::close(err[0]);
    return result;
}

TempDir::TempDir(const std::string& tag) {
    std::string pattern = (fs::temp_directory_path() / ("wavora-" + tag + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code error;
    fs::remove_all(path_, error);
}

void MakeTone(const std::string& path, double seconds, int rate, int channels,
              const std::vector<std::string>& codecArgs,
              const std::vector<std::pair<std::string, std::string>>& metadata) {
    std::vector<std::string> argv = {"ffmpeg",
                                     "-v",
                                     "error",
                                     "-y",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "sine=frequency=440:sample_rate=" + std::to_string(rate) +
                                         ":duration=" + std::to_string(seconds)};
    argv.insert(argv.end(), {"-ac", std::to_string(channels)});
    argv.insert(argv.end(), codecArgs.begin(), codecArgs.end());
    for (const auto& [name, value] : metadata) {
        argv.insert(argv.end(), {"-metadata", name + "=" + value});
    }
    argv.push_back(path);
    const auto result = RunProcess(argv);
    if (result.status != 0) {
        throw std::runtime_error("ffmpeg failed for " + path + ": " + result.errors);
    }
}

double ProbeDuration(const std::string& path) {
    const auto result = RunProcess({"ffprobe", "-v", "error", "-show_entries", "format=duration",
                                    "-of", "default=nw=1:nk=1", path});
    if (result.status != 0 || result.output.empty()) {
        return -1;
    }
    std::istringstream in(result.output);
    in.imbue(std::locale::classic());
    double value = -1;
    in >> value;
    return value;
}

std::string ProbeTag(const std::string& path, const std::string& name) {
    const auto result = RunProcess({"ffprobe", "-v", "error", "-show_entries",
                                    "format_tags:stream_tags", "-of", "default=nw=1", path});
    std::istringstream in(result.output);
    std::string line;
    auto lower = [](std::string s) {
        for (auto& c : s) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return s;
    };
    const std::string key = "tag:" + lower(name) + "=";
    while (std::getline(in, line)) {
        if (lower(line.substr(0, key.size())) == key) {
            return line.substr(key.size());
        }
    }
    return {};
}

double DecodedSeconds(const std::string& path) {
    const auto result = RunProcess(
        {"ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-ar", "44100", "-"});
    return result.status == 0 ? static_cast<double>(result.output.size() / 2) / 44100.0 : -1;
}

} // namespace wavora::test
