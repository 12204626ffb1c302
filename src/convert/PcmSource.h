#pragma once

#include <cstdint>
#include <functional>

namespace wavora {

// Interleaved PCM as a decoding channel delivers it: 8-bit unsigned or 16-bit signed.
struct PcmFormat {
    std::uint16_t channels = 2;
    std::uint32_t sampleRate = 44100;
    std::uint16_t bitsPerSample = 16;
    [[nodiscard]] std::uint16_t BlockAlign() const {
        return static_cast<std::uint16_t>(channels * bitsPerSample / 8);
    }
};

inline constexpr std::uint32_t ReadError = 0xFFFFFFFFu;
inline constexpr std::uint32_t UnknownLength = 0x7fffffffu;

// What the conversion loops read from: a decoding channel, or any other PCM producer.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    [[nodiscard]] virtual PcmFormat Format() const = 0;
    // The expected decoded length in bytes (low 32 bits), 0 when unknown; it only drives the
    // progress display.
    [[nodiscard]] virtual std::uint32_t Length() const = 0;
    [[nodiscard]] virtual bool IsActive() const = 0;
    // Up to `bytes` bytes into `buffer`; 0 at the end, ReadError on an error.
    [[nodiscard]] virtual std::uint32_t Read(void* buffer, std::uint32_t bytes) = 0;
};

// How a conversion talks to its caller: progress against a maximum, the message pump run
// after every block, and the stop request polled after it. Empty members are skipped.
struct ConvertControl {
    std::function<void(std::uint32_t maximum)> setMaximum;
    std::function<void(std::uint32_t value)> setProgress;
    std::function<void()> pump;
    std::function<bool()> stopRequested;

    void Maximum(std::uint32_t value) const {
        if (setMaximum) {
            setMaximum(value);
        }
    }
    void Progress(std::uint32_t value) const {
        if (setProgress) {
            setProgress(value);
        }
    }
    void Pump() const {
        if (pump) {
            pump();
        }
    }
    [[nodiscard]] bool StopRequested() const { return stopRequested && stopRequested(); }
};

} // namespace wavora
