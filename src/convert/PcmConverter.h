#pragma once

#include "PcmSource.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct SwrContext;

namespace wavora {

// Converts interleaved PCM of any rate and channel count, 8-bit unsigned or 16-bit signed, to
// 16-bit stereo at a fixed rate. A source already in the target format passes through
// byte for byte.
class PcmConverter {
public:
    explicit PcmConverter(const PcmFormat& from, std::uint32_t toRate = 44100);
    ~PcmConverter();
    PcmConverter(const PcmConverter&) = delete;
    PcmConverter& operator=(const PcmConverter&) = delete;

    // False when the conversion could not be set up (an unusable source format).
    [[nodiscard]] bool Valid() const { return passThrough_ || context_ != nullptr; }
    [[nodiscard]] bool PassThrough() const { return passThrough_; }

    // Converts whole input frames (a trailing partial frame is kept for the next call) and
    // returns the converted bytes, valid until the next call.
    [[nodiscard]] std::span<const std::uint8_t> Convert(std::span<const std::uint8_t> input);
    // The samples still held by the resampler, at the end of the stream.
    [[nodiscard]] std::span<const std::uint8_t> Flush();

private:
    std::span<const std::uint8_t> Run(const std::uint8_t* input, int frames);

    struct SwrDeleter {
        void operator()(SwrContext* context) const;
    };
    PcmFormat from_;
    std::uint32_t toRate_;
    bool passThrough_ = false;
    std::unique_ptr<SwrContext, SwrDeleter> context_;
    std::vector<std::uint8_t> pending_; // partial input frame carried to the next call
    std::vector<std::uint8_t> output_;
};

} // namespace wavora
