#include "RingBuffer.h"

#include "AudioFormat.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <numeric>
#include <ostream>
#include <vector>

namespace wavora {
namespace {

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t start = 1) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), start);
    return bytes;
}

struct FormatCase {
    TAudioFormat format;
    std::uint32_t block;
    std::uint32_t chunk;
    std::uint32_t ringFrom88200;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.format.SampleRate << "/" << c.format.Channels << "/" << c.format.Bits;
}

class FormatSizes : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatSizes, BlockChunkAndRingFollowTheFormat) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(c.format.BlockBytes(), c.block);
    EXPECT_EQ(c.format.ChunkBytes(), c.chunk);
    EXPECT_EQ(c.format.RingBytesFor(88200), c.ringFrom88200);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatSizes,
                         testing::Values(
                             // 2.5 blocks: kept.
                             FormatCase{{44100, 16, 2}, 35280, 4608, 88200},
                             // 10 blocks: too large, 3 blocks.
                             FormatCase{{22050, 16, 1}, 8820, 1152, 26460},
                             // 1.15 blocks: too small, 3 blocks.
                             FormatCase{{96000, 16, 2}, 76800, 4608, 230400},
                             // 8-bit mono at 22050 Hz: the smallest chunk, 576 frames of one byte.
                             FormatCase{{22050, 8, 1}, 4410, 576, 13230},
                             // Exactly 4 blocks and exactly 2 blocks are both kept.
                             FormatCase{{11025, 16, 5}, 22050, 5760, 88200},
                             FormatCase{{22050, 16, 5}, 44100, 5760, 88200}));

TEST(RingBuffer, PutSplitsAtTheEndAndTakeReadsInOrder) {
    TRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(100));
    ring.SetPositions(90, 90);
    const auto data = pattern(30);
    ring.Put(data.data(), 30);
    EXPECT_EQ(ring.WritePosition(), 20u); // length - (size - write)
    EXPECT_EQ(ring.Used(), 30u);
    EXPECT_EQ(ring.Free(), 70u);

    std::vector<std::uint8_t> out(64, 0);
    EXPECT_EQ(ring.Take(out.data(), 64), 30u);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 30), data);
    EXPECT_EQ(ring.ReadPosition(), 20u);
    EXPECT_EQ(ring.Used(), 0u);
}

TEST(RingBuffer, PutEndingExactlyAtTheEndWrapsTheWritePosition) {
    TRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(100));
    ring.SetPositions(40, 60);
    const auto data = pattern(40);
    ring.Put(data.data(), 40);
    EXPECT_EQ(ring.WritePosition(), 0u);
    EXPECT_EQ(ring.Used(), 60u);
}

TEST(RingBuffer, PutBehindTheReaderIsOneMove) {
    TRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(100));
    ring.SetPositions(80, 10);
    const auto data = pattern(60);
    ring.Put(data.data(), 60);
    EXPECT_EQ(ring.WritePosition(), 70u);
    EXPECT_EQ(ring.Used(), 90u);
}

TEST(RingBuffer, TakeIsBoundedByTheRequestAndKeepsTheRest) {
    TRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(64));
    const auto data = pattern(50);
    ring.Put(data.data(), 50);
    std::vector<std::uint8_t> out(20);
    ASSERT_EQ(ring.Take(out.data(), 20), 20u);
    EXPECT_EQ(out, std::vector<std::uint8_t>(data.begin(), data.begin() + 20));
    EXPECT_EQ(ring.Used(), 30u);
    std::vector<std::uint8_t> empty(8, 0xEE);
    ring.Reset();
    EXPECT_EQ(ring.Take(empty.data(), 8), 0u);
    EXPECT_EQ(empty, std::vector<std::uint8_t>(8, 0xEE));
}

TEST(RingBuffer, ManyWrappedRoundsKeepEveryByteInOrder) {
    TRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(97)); // prime, so every split position occurs
    const auto source = pattern(5000, 0);
    std::vector<std::uint8_t> sink;
    std::size_t in = 0;
    std::uint32_t step = 1;
    while (sink.size() < source.size()) {
        const auto length = static_cast<std::uint32_t>(
            std::min<std::size_t>({step % 61 + 1, source.size() - in, ring.Free() - 1}));
        ring.Put(source.data() + in, length);
        in += length;
        std::vector<std::uint8_t> out(step % 53 + 1);
        const std::uint32_t got = ring.Take(out.data(), static_cast<std::uint32_t>(out.size()));
        sink.insert(sink.end(), out.begin(), out.begin() + got);
        step += 7;
    }
    EXPECT_EQ(sink, source);
}

} // namespace
} // namespace wavora
