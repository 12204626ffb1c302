// Fixtures for the audio library tests: WAV files built byte by byte, files made by the real
// encoders, and a scratch folder per test program.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bass_test {

inline std::filesystem::path ScratchPath() {
    return std::filesystem::temp_directory_path() /
           ("wavora-bass-test-" + std::to_string(getpid()));
}

inline std::filesystem::path ScratchDir() {
    static const std::filesystem::path dir = [] {
        std::filesystem::create_directories(ScratchPath());
        return ScratchPath();
    }();
    return dir;
}

// The scratch folder goes when the test program ends.
struct TScratchCleaner {
    ~TScratchCleaner() {
        std::error_code ignored;
        std::filesystem::remove_all(ScratchPath(), ignored);
    }
};
inline TScratchCleaner gScratchCleaner;

inline void Put16(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

inline std::string WavFile(std::uint32_t freq, std::uint16_t chans, std::uint16_t bits,
                           const std::string& pcm) {
    const std::uint32_t block = chans * bits / 8u;
    std::string h = "RIFF";
    Put32(h, static_cast<std::uint32_t>(36 + pcm.size()));
    h += "WAVEfmt ";
    Put32(h, 16);
    Put16(h, 1);
    Put16(h, chans);
    Put32(h, freq);
    Put32(h, freq * block);
    Put16(h, static_cast<std::uint16_t>(block));
    Put16(h, bits);
    h += "data";
    Put32(h, static_cast<std::uint32_t>(pcm.size()));
    return h + pcm;
}

// 16-bit PCM of a sine (amplitude 1.0 = full scale) on every channel.
inline std::string SinePcm16(std::uint32_t freq, std::uint16_t chans, double seconds, double hz,
                             double amplitude = 0.5) {
    std::string pcm;
    const auto frames = static_cast<std::size_t>(seconds * freq);
    for (std::size_t i = 0; i < frames; ++i) {
        const double v =
            amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / freq);
        const auto s = static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
        for (std::uint16_t c = 0; c < chans; ++c)
            Put16(pcm, static_cast<std::uint16_t>(s));
    }
    return pcm;
}

// Bytes that make every sample value distinct enough to catch shifted or dropped data.
inline std::string PatternPcm(std::size_t bytes) {
    std::string pcm(bytes, '\0');
    std::uint32_t x = 12345;
    for (auto& b : pcm) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 16);
    }
    return pcm;
}

inline std::string WriteFile(const std::string& name, const std::string& bytes) {
    const auto path = (ScratchDir() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a program with arguments (no shell); its exit status, -1 when it could not run.
inline int RunProgram(const std::vector<std::string>& args) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The byte count of 16-bit PCM FFmpeg decodes from a file (its own channel count and rate).
inline std::uintmax_t FfmpegPcmBytes(const std::string& path) {
    const std::string out = path + ".ffmpeg.raw";
    RunProgram({"ffmpeg", "-v", "error", "-y", "-i", path, "-f", "s16le", out});
    const auto size = std::filesystem::file_size(out);
    std::filesystem::remove(out);
    return size;
}

} // namespace bass_test
