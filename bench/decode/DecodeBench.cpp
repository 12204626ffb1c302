// Decoding speed of the audio library (as BASS_ChannelGetData delivers it) against FFmpeg
// decoding the same files, and the CPU share of playing an MP3 on the silent output.
//
//   wavora-bench-decode [seconds]   (length of the generated test signal, default 120)
#include "bass.h"
#include "basswma.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Fixed-point text, independent of any locale.
std::string Fixed(double v, int digits) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
    return std::string(buf, r.ptr);
}
std::string Pad(const std::string& s, std::size_t width, bool left = false) {
    if (s.size() >= width)
        return s;
    return left ? s + std::string(width - s.size(), ' ') : std::string(width - s.size(), ' ') + s;
}

int Run(const std::vector<std::string>& args, const std::string& errorFile = "/dev/null") {
    std::fflush(nullptr); // the child must not repeat what is still buffered
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        std::freopen(errorFile.c_str(), "w", stderr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Put16(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A signal with some spectral content, so that the encoders produce realistic frames.
void WriteSource(const fs::path& path, double seconds) {
    const auto frames = static_cast<std::uint32_t>(seconds * 44100);
    std::string pcm;
    pcm.reserve(frames * 4);
    std::uint32_t noise = 1;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double t = i / 44100.0;
        for (int c = 0; c < 2; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double v =
                0.3 * std::sin(2 * std::numbers::pi * (220 + 110 * c) * t) +
                0.2 * std::sin(2 * std::numbers::pi * 1760 * t * (1 + 0.1 * std::sin(t))) +
                0.05 * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5);
            Put16(pcm,
                  static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767))));
        }
    }
    std::string h = "RIFF";
    Put32(h, static_cast<std::uint32_t>(36 + pcm.size()));
    h += "WAVEfmt ";
    Put32(h, 16);
    Put16(h, 1);
    Put16(h, 2);
    Put32(h, 44100);
    Put32(h, 176400);
    Put16(h, 4);
    Put16(h, 16);
    h += "data";
    Put32(h, static_cast<std::uint32_t>(pcm.size()));
    std::ofstream(path, std::ios::binary) << h << pcm;
}

// Seconds of audio per second of decoding through the library; the best of three runs.
double LibrarySpeed(const fs::path& file, bool wma) {
    double best = 0;
    std::vector<char> buffer(90000);
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        const HSTREAM h =
            wma ? BASS_WMA_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE)
                : BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
        if (h == 0)
            return 0;
        QWORD total = 0;
        for (DWORD n; (n = BASS_ChannelGetData(h, buffer.data(), 90000)) + 1 > 1;)
            total += n;
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const double seconds = BASS_ChannelBytes2Seconds(h, total);
        BASS_StreamFree(h);
        best = std::max(best, seconds / elapsed);
    }
    return best;
}

// The same for ffmpeg, from the rtime it reports (its start-up left out).
std::optional<double> FfmpegSpeed(const fs::path& file, double seconds, const fs::path& log) {
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        if (Run({"ffmpeg", "-nostdin", "-benchmark", "-i", file.string(), "-f", "s16le", "-y",
                 "/dev/null"},
                log.string()) != 0)
            return std::nullopt;
        std::ifstream in(log);
        std::string line;
        std::optional<double> rtime;
        while (std::getline(in, line))
            if (const auto at = line.find("rtime="); at != std::string::npos)
                rtime = std::stod(line.substr(at + 6));
        if (!rtime || *rtime <= 0)
            return std::nullopt;
        best = std::max(best, seconds / *rtime);
    }
    return best;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::stod(argv[1]) : 120.0;
    const fs::path dir =
        fs::temp_directory_path() / ("wavora-bench-decode-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path wav = dir / "source.wav";
    WriteSource(wav, seconds);
    struct Case {
        const char* label;
        fs::path file;
        std::vector<std::string> encode;
        bool wma;
    };
    std::vector<Case> cases = {
        {"MP3",
         dir / "bench.mp3",
         {"lame", "--quiet", "-b", "192", wav.string(), (dir / "bench.mp3").string()},
         false},
        {"Ogg Vorbis",
         dir / "bench.ogg",
         {"oggenc", "-Q", "-q", "5", "-o", (dir / "bench.ogg").string(), wav.string()},
         false},
        {"WMA",
         dir / "bench.wma",
         {"ffmpeg", "-v", "error", "-y", "-i", wav.string(), "-c:a", "wmav2", "-b:a", "128k",
          (dir / "bench.wma").string()},
         true},
    };
    if (!BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr)) {
        std::cerr << "BASS_Init failed\n";
        return 1;
    }
    std::cout << "decoding speed, " << Fixed(seconds, 0)
              << " s of 44100 Hz stereo (x real time, best of 3)\n";
    std::cout << Pad("format", 12, true) << Pad("library", 12) << Pad("ffmpeg", 12)
              << Pad("ratio", 10) << "\n";
    int status = 0;
    for (const Case& c : cases) {
        if (Run(c.encode) != 0) {
            std::cout << Pad(c.label, 12, true) << "encoding the test file failed\n";
            status = 1;
            continue;
        }
        const double ours = LibrarySpeed(c.file, c.wma);
        const auto ffmpeg = FfmpegSpeed(c.file, seconds, dir / "ffmpeg.log");
        if (ours <= 0 || !ffmpeg) {
            std::cout << Pad(c.label, 12, true) << "measurement failed\n";
            status = 1;
            continue;
        }
        std::cout << Pad(c.label, 12, true) << Pad(Fixed(ours, 0) + "x", 12)
                  << Pad(Fixed(*ffmpeg, 0) + "x", 12) << Pad(Fixed(ours / *ffmpeg, 3), 10) << "\n";
    }
    BASS_Free();

    // Playing on the silent output: everything but decoding the file is idle waiting.
    BASS_Test_ForceSilentOutput(TRUE);
    if (BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr, nullptr)) {
        const HSTREAM h = BASS_StreamCreateFile(FALSE, cases[0].file.c_str(), 0, 0, 0);
        const double cpu0 = CpuSeconds();
        const auto t0 = Clock::now();
        if (h != 0 && BASS_ChannelPlay(h, FALSE)) {
            std::this_thread::sleep_for(std::chrono::seconds(10));
            const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
            const double share = (CpuSeconds() - cpu0) / wall * 100;
            std::cout << "playing MP3 on the silent output for " << Fixed(wall, 1)
                      << " s: " << Fixed(share, 2) << " % of one core (position "
                      << Fixed(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h)), 2)
                      << " s)\n";
        }
        BASS_Free();
    }
    fs::remove_all(dir);
    return status;
}
