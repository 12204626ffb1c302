// Short sources of every kind the player opens, made by the tests: WAV with known samples, MP3,
// Ogg and WMA through FFmpeg, a tracker module built byte by byte, and tone files for the test
// input plug-in.
#pragma once

#include "TestSupport.h"
#include "ToneSignal.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace wavora::test {

// Runs the main thread's events until done() holds or the time is up; answers done().
inline bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

inline void RunEventsFor(std::chrono::milliseconds time) {
    RunEventsUntil([] { return false; }, time);
}

inline void PutLe(std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

// The tone plug-in's signal as 16-bit PCM: every frame differs, so a shifted byte shows.
inline std::string TonePcm(int rate, int channels, int ms) {
    std::string pcm;
    const std::int64_t frames = static_cast<std::int64_t>(rate) * ms / 1000;
    for (std::int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            PutLe(pcm, static_cast<std::uint16_t>(tone::Sample(f, c)), 2);
        }
    }
    return pcm;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string WavBytes(int rate, int channels, int bits, const std::string& pcm) {
    const auto block = static_cast<std::uint32_t>(channels * bits / 8);
    std::string h = "RIFF";
    PutLe(h, static_cast<std::uint32_t>(36 + pcm.size()), 4);
    h += "WAVEfmt ";
    PutLe(h, 16, 4);
    PutLe(h, 1, 2);
    PutLe(h, static_cast<std::uint32_t>(channels), 2);
    PutLe(h, static_cast<std::uint32_t>(rate), 4);
    PutLe(h, static_cast<std::uint32_t>(rate) * block, 4);
    PutLe(h, block, 2);
    PutLe(h, static_cast<std::uint32_t>(bits), 2);
    h += "data";
    PutLe(h, static_cast<std::uint32_t>(pcm.size()), 4);
    return h + pcm;
}

// A 16-bit WAV of the tone signal.
inline std::string MakeWav(const std::string& path, int rate, int channels, int ms) {
    WriteBytes(path, WavBytes(rate, channels, 16, TonePcm(rate, channels, ms)));
    return path;
}

// A four-channel module of one 64-row pattern at speed 1 (64 ticks of 20 ms: 1.28 s) playing a
// looped square wave; its title is "player test".
inline std::string ModBytes() {
    std::string mod(20, '\0');
    mod.replace(0, 11, "player test");
    constexpr std::uint32_t sampleBytes = 1000;
    const auto be16 = [&mod](std::uint32_t v) {
        mod += static_cast<char>((v >> 8) & 0xFF);
        mod += static_cast<char>(v & 0xFF);
    };
    for (int i = 0; i < 31; ++i) {
        mod.append(22, '\0');
        if (i == 0) {
            be16(sampleBytes / 2);
            mod += '\0';
            mod += '\x40';
            be16(0);
            be16(sampleBytes / 2);
        } else {
            mod.append(6, '\0');
            be16(1);
        }
    }
    mod += '\x01';
    mod += '\x7F';
    mod.append(128, '\0');
    mod += "M.K.";
    for (int row = 0; row < 64; ++row) {
        for (int ch = 0; ch < 4; ++ch) {
            if (row == 0 && ch == 0) {
                be16(428);
                mod += '\x10';
                mod += '\0';
            } else if (row == 0 && ch == 1) {
                mod += '\0';
                mod += '\0';
                mod += '\x0F'; // set speed 1
                mod += '\x01';
            } else {
                mod.append(4, '\0');
            }
        }
    }
    for (std::uint32_t i = 0; i < sampleBytes; ++i) {
        mod += static_cast<char>((i / 25) % 2 ? 0x60 : 0xA0);
    }
    return mod;
}

// The kinds of source, each made at about `ms` long (the module is always 1.28 s).
enum class SourceKind { Wav, Mp3, Ogg, Wma, Module, Plugin };

struct SourceCase {
    const char* name;
    SourceKind kind;
    const char* extension;
};

inline std::string MakeSource(const TempDir& dir, const SourceCase& source, int ms,
                              int rate = 44100, int channels = 2) {
    const std::string path = dir / (std::string("source") + source.extension);
    const double seconds = ms / 1000.0;
    switch (source.kind) {
    case SourceKind::Wav:
        return MakeWav(path, rate, channels, ms);
    case SourceKind::Mp3:
        MakeTone(path, seconds, rate, channels, {"-c:a", "libmp3lame", "-b:a", "128k"},
                 {{"title", "Mp3 tone"}});
        return path;
    case SourceKind::Ogg:
        MakeTone(path, seconds, rate, channels, {"-c:a", "libvorbis"}, {{"title", "Ogg tone"}});
        return path;
    case SourceKind::Wma:
        MakeTone(path, seconds, rate, channels, {"-c:a", "wmav2", "-b:a", "128k"});
        return path;
    case SourceKind::Module:
        WriteBytes(path, ModBytes());
        return path;
    case SourceKind::Plugin:
        WriteBytes(path, std::to_string(rate) + " " + std::to_string(channels) + " " +
                             std::to_string(ms) + "\n");
        return path;
    }
    return path;
}

inline const std::vector<SourceCase>& AllSources() {
    static const std::vector<SourceCase> sources{
        {"Wav", SourceKind::Wav, ".wav"},         {"Mp3", SourceKind::Mp3, ".mp3"},
        {"Ogg", SourceKind::Ogg, ".ogg"},         {"Wma", SourceKind::Wma, ".wma"},
        {"Module", SourceKind::Module, ".mod"},   {"Plugin", SourceKind::Plugin, ".ton"},
    };
    return sources;
}

} // namespace wavora::test
