#include "Spectrum.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}

#include <algorithm>
#include <cmath>
#include <numbers>

namespace wbass {

void TSpectrum::AvFree::operator()(float* p) const noexcept {
    av_free(p);
}

TSpectrum::TSpectrum(std::size_t size)
    : size_(size), window_(size), in_(static_cast<float*>(av_malloc(2 * size * sizeof(float)))),
      out_(static_cast<float*>(av_malloc(2 * size * sizeof(float)))) {
    float scale = 1.0f;
    av_tx_fn fn = nullptr;
    if (!in_ || !out_ ||
        av_tx_init(&tx_, &fn, AV_TX_FLOAT_FFT, 0, static_cast<int>(size), &scale, 0) < 0)
        tx_ = nullptr;
    fn_ = fn;
    for (std::size_t i = 0; i < size; ++i)
        window_[i] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                 static_cast<double>(size)));
}

TSpectrum::~TSpectrum() {
    av_tx_uninit(&tx_);
}

void TSpectrum::Transform(float* out, std::size_t stride) {
    fn_(tx_, out_.get(), in_.get(), static_cast<std::ptrdiff_t>(2 * sizeof(float)));
    // The Hann window halves a sine's amplitude: 4/N brings a full-scale one to 1.0.
    const float norm = 4.0f / static_cast<float>(size_);
    for (std::size_t k = 0; k < size_ / 2; ++k)
        out[k * stride] = std::hypot(out_[2 * k], out_[2 * k + 1]) * norm;
}

void TSpectrum::Compute(const std::uint8_t* frames, const TPcmFormat& format, bool individual,
                        float* out) {
    const std::size_t chans = format.chans;
    const std::size_t bps = format.BytesPerSample();
    const std::size_t block = format.Block();
    if (individual) {
        for (std::size_t c = 0; c < chans; ++c) {
            for (std::size_t i = 0; i < size_; ++i) {
                const int s = SampleAt(frames + i * block + c * bps, format.eightBit);
                in_[2 * i] = static_cast<float>(s) / 32768.0f * window_[i];
                in_[2 * i + 1] = 0.0f;
            }
            Transform(out + c, chans);
        }
        return;
    }
    for (std::size_t i = 0; i < size_; ++i) {
        int sum = 0;
        for (std::size_t c = 0; c < chans; ++c)
            sum += SampleAt(frames + i * block + c * bps, format.eightBit);
        in_[2 * i] = static_cast<float>(sum) / (32768.0f * static_cast<float>(chans)) * window_[i];
        in_[2 * i + 1] = 0.0f;
    }
    Transform(out, 1);
}

std::uint32_t PeakLevel(const std::uint8_t* frames, std::size_t count, const TPcmFormat& format) {
    const std::size_t bps = format.BytesPerSample();
    const std::size_t block = format.Block();
    int left = 0;
    int right = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* f = frames + i * block;
        left = std::max(left, std::abs(SampleAt(f, format.eightBit)));
        if (format.chans > 1)
            right = std::max(right, std::abs(SampleAt(f + bps, format.eightBit)));
    }
    if (format.chans == 1)
        right = left;
    return static_cast<std::uint32_t>(left) | (static_cast<std::uint32_t>(right) << 16);
}

} // namespace wbass
