#include "PcmConverter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>

namespace wavora {

void PcmConverter::SwrDeleter::operator()(SwrContext* context) const {
    swr_free(&context);
}

PcmConverter::PcmConverter(const PcmFormat& from, std::uint32_t toRate)
    : from_(from), toRate_(toRate) {
    const bool sampleOk = from.bitsPerSample == 8 || from.bitsPerSample == 16;
    if (!sampleOk || from.channels == 0 || from.sampleRate == 0) {
        return;
    }
    if (from.channels == 2 && from.bitsPerSample == 16 && from.sampleRate == toRate) {
        passThrough_ = true;
        return;
    }
    AVChannelLayout inLayout{};
    av_channel_layout_default(&inLayout, from.channels);
    AVChannelLayout outLayout = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* context = nullptr;
    const int status = swr_alloc_set_opts2(
        &context, &outLayout, AV_SAMPLE_FMT_S16, static_cast<int>(toRate), &inLayout,
        from.bitsPerSample == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16,
        static_cast<int>(from.sampleRate), 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    context_.reset(context);
    // Mono is copied to both sides at full level rather than panned centre at -3 dB.
    static constexpr std::array<double, 2> MonoToStereo{1.0, 1.0};
    const bool matrixOk =
        status >= 0 && (from.channels != 1 || swr_set_matrix(context, MonoToStereo.data(), 1) >= 0);
    if (!matrixOk || swr_init(context_.get()) < 0) {
        context_.reset();
    }
}

PcmConverter::~PcmConverter() = default;

std::span<const std::uint8_t> PcmConverter::Run(const std::uint8_t* input, int frames) {
    const int capacity = swr_get_out_samples(context_.get(), frames);
    if (capacity <= 0) {
        return {};
    }
    output_.resize(static_cast<std::size_t>(capacity) * 4);
    std::uint8_t* out = output_.data();
    const std::uint8_t* in = input;
    const int produced = swr_convert(context_.get(), &out, capacity, input ? &in : nullptr, frames);
    if (produced <= 0) {
        return {};
    }
    return {output_.data(), static_cast<std::size_t>(produced) * 4};
}

std::span<const std::uint8_t> PcmConverter::Convert(std::span<const std::uint8_t> input) {
    if (passThrough_ && pending_.empty() && input.size() % 4 == 0) {
        return input;
    }
    if (!Valid()) {
        return {};
    }
    const std::size_t frameBytes = from_.BlockAlign();
    pending_.insert(pending_.end(), input.begin(), input.end());
    const std::size_t frames = pending_.size() / frameBytes;
    const std::size_t used = frames * frameBytes;
    std::span<const std::uint8_t> result;
    if (passThrough_) {
        output_.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
        result = output_;
    } else if (frames > 0) {
        result = Run(pending_.data(), static_cast<int>(frames));
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
    return result;
}

std::span<const std::uint8_t> PcmConverter::Flush() {
    if (!context_) {
        return {};
    }
    return Run(nullptr, 0);
}

} // namespace wavora
