#pragma once

#include "PcmConverter.h"
#include "PcmSource.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace wavora {

// A decoding channel of the audio library, opened for conversion (decode + auto-free) and
// released by stopping it. The library's entry points must be loaded.
class TBassChannel final : public PcmSource {
public:
    // Tries the WMA decoder (only when `tryWma`), the stream decoder and the module loader, in
    // this order; empty when none accepts the file.
    [[nodiscard]] static std::unique_ptr<TBassChannel> Open(const std::string& path, bool tryWma);
    // A decoding stream of 16-bit audio filled by `fill` (the library's stream callback).
    [[nodiscard]] static std::unique_ptr<TBassChannel>
    Create(std::uint32_t rate, std::uint32_t channels,
           std::uint32_t (*fill)(std::uint32_t, void*, std::uint32_t, void*), void* user);
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

// A channel of 16-bit stereo at another rate, decoded from a source channel and converted as
// it is read; what an encoder that refuses the source's own format is fed with.
class TConvertedChannel {
public:
    // Empty when the conversion or the stream cannot be set up.
    [[nodiscard]] static std::unique_ptr<TConvertedChannel> Open(TBassChannel& source,
                                                                 std::uint32_t rate);
    [[nodiscard]] TBassChannel& Channel() { return *stream_; }

private:
    TConvertedChannel(TBassChannel& source, std::uint32_t rate)
        : source_(source), converter_(source.Format(), rate) {}
    static std::uint32_t Fill(std::uint32_t, void* buffer, std::uint32_t length, void* user);

    TBassChannel& source_;
    PcmConverter converter_;
    std::vector<std::uint8_t> block_;
    std::vector<std::uint8_t> ready_; // converted bytes not yet handed out
    std::size_t readyAt_ = 0;
    bool ended_ = false;
    std::unique_ptr<TBassChannel> stream_;
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
