#include "PcmConverter.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace wavora {
namespace {

// Feeds `frames` frames of a constant sample in odd-sized pieces and collects the output.
std::vector<std::int16_t> ConvertConstant(const PcmFormat& format, std::size_t frames,
                                          std::uint8_t byteValue) {
    PcmConverter converter(format);
    EXPECT_TRUE(converter.Valid());
    std::vector<std::uint8_t> input(frames * format.BlockAlign(), byteValue);
    std::vector<std::uint8_t> out;
    for (std::size_t at = 0; at < input.size();) {
        const std::size_t n = std::min<std::size_t>(997, input.size() - at);
        const auto part = converter.Convert({input.data() + at, n});
        out.insert(out.end(), part.begin(), part.end());
        at += n;
    }
    const auto tail = converter.Flush();
    out.insert(out.end(), tail.begin(), tail.end());
    std::vector<std::int16_t> samples(out.size() / 2);
    std::memcpy(samples.data(), out.data(), samples.size() * 2);
    return samples;
}

TEST(PcmConverter, ProducesSixteenBitStereoAt44100) {
    struct Case {
        PcmFormat format;
        std::uint8_t byteValue;
        std::int16_t expected; // steady-state sample value
    };
    const std::vector<Case> cases = {
        {{1, 22050, 8}, 0xC0, 0x4000},
        {{1, 48000, 16}, 0x10, 0x1010},
        {{2, 32000, 16}, 0x08, 0x0808},
        {{2, 96000, 16}, 0x20, 0x2020},
    };
    const std::size_t seconds = 2;
    for (const auto& c : cases) {
        const auto samples = ConvertConstant(c.format, c.format.sampleRate * seconds, c.byteValue);
        ASSERT_EQ(samples.size() % 2, 0u);
        const double frames = static_cast<double>(samples.size()) / 2;
        EXPECT_NEAR(frames, 44100.0 * seconds, 64) << c.format.sampleRate;
        // Both channels carry the source, away from the filter's edges.
        const std::size_t mid = samples.size() / 2 & ~std::size_t{1};
        EXPECT_NEAR(samples[mid], c.expected, 64);
        EXPECT_NEAR(samples[mid + 1], c.expected, 64);
    }
}

TEST(PcmConverter, SurroundIsMixedDownToStereo) {
    const auto samples = ConvertConstant({6, 44100, 16}, 44100, 0x04);
    EXPECT_NEAR(static_cast<double>(samples.size()) / 2, 44100.0, 64);
    EXPECT_GT(samples[samples.size() / 2], 0);
}

TEST(PcmConverter, TargetFormatPassesThroughByteForByte) {
    PcmConverter converter({2, 44100, 16});
    ASSERT_TRUE(converter.PassThrough());
    std::vector<std::uint8_t> input(4000);
    for (std::size_t i = 0; i < input.size(); ++i) {
        input[i] = static_cast<std::uint8_t>(i * 13);
    }
    // Pieces that split a frame are carried over in whole frames.
    std::vector<std::uint8_t> out;
    for (const auto& [at, n] : {std::pair<std::size_t, std::size_t>{0, 1001}, {1001, 2999}}) {
        const auto part = converter.Convert({input.data() + at, n});
        out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_EQ(out, input);
    EXPECT_TRUE(converter.Flush().empty());
}

TEST(PcmConverter, RefusesUnusableFormats) {
    for (const PcmFormat f :
         {PcmFormat{0, 44100, 16}, PcmFormat{2, 0, 16}, PcmFormat{2, 44100, 24}}) {
        EXPECT_FALSE(PcmConverter(f).Valid());
    }
}

} // namespace
} // namespace wavora
