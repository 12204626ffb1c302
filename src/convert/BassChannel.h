#pragma once

#include "PcmSource.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace wavora {

// A decoding channel of the audio library, opened for conversion (decode + auto-free) and
// released by stopping it. The library's entry points must be loaded.
class TBassChannel final : public PcmSource {
public:
    // Tries the WMA decoder (only when `tryWma`), the stream decoder and the module loader, in
    // this order; empty when none accepts the file.
    [[nodiscard]] static std::unique_ptr<TBassChannel> Open(const std::string& path, bool tryWma);
    ~TBassChannel() override;
    TBassChannel(const TBassChannel&) = delete;
    TBassChannel& operator=(const TBassChannel&) = delete;

    [[nodiscard]] std::uint32_t Handle() const { return handle_; }
    [[nodiscard]] PcmFormat Format() const override;
    [[nodiscard]] std::uint32_t Length() const override;
    [[nodiscard]] bool IsActive() const override;
    [[nodiscard]] std::uint32_t Read(void* buffer, std::uint32_t bytes) override;

private:
    explicit TBassChannel(std::uint32_t handle) : handle_(handle) {}
    std::uint32_t handle_;
};

// The encoder pipe on a channel: the program of the command line reads the channel's audio
// as a WAV stream on its standard input, fed by every read from the channel.
class TEncoderPipe {
public:
    // False when the program cannot be started.
    [[nodiscard]] bool Start(const TBassChannel& channel, const std::string& commandLine);
    [[nodiscard]] bool IsActive() const;
    // Closes the program's input and waits for it to finish its output file.
    void Stop();
    ~TEncoderPipe() { Stop(); }

private:
    std::uint32_t channel_ = 0;
};

// The WMA encoder writing a file: 16-bit interleaved PCM in, tags set before the audio.
class TWmaEncoder {
public:
    [[nodiscard]] bool Open(std::uint32_t rate, std::uint32_t channels, std::uint32_t bitsPerSecond,
                            const std::string& path);
    void SetTag(const char* name, const std::string& value);
    void EndTags();
    [[nodiscard]] bool Write(std::span<const std::uint8_t> pcm);
    void Close();
    ~TWmaEncoder() { Close(); }

private:
    std::uint32_t handle_ = 0;
};

} // namespace wavora
