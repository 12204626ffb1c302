// Hann-windowed FFT magnitudes of interleaved PCM, on FFmpeg's av_tx.
#pragma once

#include "PcmFormat.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct AVTXContext;

namespace wbass {

class TSpectrum {
public:
    // size: 512, 1024 or 2048 points.
    explicit TSpectrum(std::size_t size);
    ~TSpectrum();
    TSpectrum(const TSpectrum&) = delete;
    TSpectrum& operator=(const TSpectrum&) = delete;

    [[nodiscard]] bool Valid() const { return tx_ != nullptr; }
    [[nodiscard]] std::size_t Size() const { return size_; }
    // frames holds Size() frames of format. Writes Size()/2 magnitudes of the channels mixed, or
    // with individual Size()/2 x chans values interleaved per channel. A full-scale sine gives
    // about 1.0 in its bin (bin k is k x freq / Size() Hz).
    void Compute(const std::uint8_t* frames, const TPcmFormat& format, bool individual, float* out);

private:
    void Transform(float* out, std::size_t stride);

    std::size_t size_;
    AVTXContext* tx_ = nullptr;
    void (*fn_)(AVTXContext*, void*, void*, std::ptrdiff_t) = nullptr;
    struct AvFree {
        void operator()(float* p) const noexcept;
    };
    std::vector<float> window_;
    // Complex input and output, interleaved re/im; av_malloc'ed for the SIMD transforms.
    std::unique_ptr<float[], AvFree> in_;
    std::unique_ptr<float[], AvFree> out_;
};

// Largest magnitude per channel (left, right; mono counts for both) over frames, 0..32768.
[[nodiscard]] std::uint32_t PeakLevel(const std::uint8_t* frames, std::size_t count,
                                      const TPcmFormat& format);

} // namespace wbass
