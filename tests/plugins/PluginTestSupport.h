#pragma once

#include "BassLoader.h"
#include "MessageWindow.h"
#include "ioplug.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdint>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wavora::test {

// The process's application object, made on first use on the calling (main) thread.
inline QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "wavora-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs the main thread's events until done() holds or the time is up; answers done().
inline bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

// The folder the host loads plug-ins from when a test executable runs.
inline std::filesystem::path PluginFolder() {
    return AppDirectory() + "Plugins";
}

// Loads the audio library stand-in from the program folder and opens its silent output once
// per process, so that no test needs or disturbs a sound card.
inline bool StartLibrary() {
    static const bool ready = [] {
        const std::string path = std::string(WAVORA_PROGRAM_DIR) + "libbass.so";
        if (!LoadBass(path)) {
            return false;
        }
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        using ForceSilent = void (*)(BOOL);
        auto* force = reinterpret_cast<ForceSilent>(
            library != nullptr ? dlsym(library, "BASS_Test_ForceSilentOutput") : nullptr);
        if (force == nullptr) {
            return false;
        }
        force(1);
        dlclose(library);
        // As the player sets it up: volumes on a 0..255 scale.
        return bass::BASS_Init(1, 44100, 0, nullptr, nullptr) != 0 &&
               bass::BASS_SetConfig(BASS_CONFIG_MAXVOL, 255) != static_cast<DWORD>(-1);
    }();
    return ready;
}

// One received window message.
struct Message {
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
};

// A notification window that keeps what it receives (on the main thread).
class RecordingWindow {
public:
    [[nodiscard]] HWND Handle() const { return window.Handle(); }
    [[nodiscard]] std::vector<Message> Received(unsigned message) const {
        std::vector<Message> found;
        for (const Message& m : messages) {
            if (m.message == message) {
                found.push_back(m);
            }
        }
        return found;
    }
    void Clear() { messages.clear(); }

private:
    std::vector<Message> messages;
    TMessageWindow window{[this](unsigned message, WPARAM wParam, LPARAM lParam) -> LPARAM {
        messages.push_back({message, wParam, lParam});
        return 0;
    }};
};

// Collects the bytes a stream callback hands out (set as the stream-data observer).
struct ByteSink {
    std::mutex lock;
    std::vector<std::uint8_t> bytes; // guarded by lock

    static void Observe(const void* data, std::uint32_t length, void* context) {
        auto* sink = static_cast<ByteSink*>(context);
        const std::lock_guard guard(sink->lock);
        const auto* p = static_cast<const std::uint8_t*>(data);
        sink->bytes.insert(sink->bytes.end(), p, p + length);
    }
    [[nodiscard]] std::vector<std::uint8_t> Take() {
        const std::lock_guard guard(lock);
        return std::move(bytes);
    }
};

// Writes a canonical 16-bit PCM WAV file.
inline void WriteWav(const std::filesystem::path& path, std::uint32_t rate, std::uint16_t channels,
                     const std::vector<std::uint8_t>& pcm) {
    std::string header;
    const auto le = [&header](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            header += static_cast<char>(v >> (8 * i));
        }
    };
    const auto size = static_cast<std::uint32_t>(pcm.size());
    header += "RIFF";
    le(36 + size, 4);
    header += "WAVEfmt ";
    le(16, 4);
    le(1, 2);
    le(channels, 2);
    le(rate, 4);
    le(rate * channels * 2, 4);
    le(channels * 2u, 2);
    le(16, 2);
    header += "data";
    le(size, 4);
    std::ofstream out(path, std::ios::binary);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size()));
}

} // namespace wavora::test
