#include "WavWriter.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace wavora {
namespace {

namespace fs = std::filesystem;

// Produces `total` bytes of a counting pattern in the given format.
class PatternSource : public PcmSource {
public:
    PatternSource(PcmFormat format, std::uint32_t total, std::uint32_t reportedLength)
        : format_(format), total_(total), length_(reportedLength) {}
    PcmFormat Format() const override { return format_; }
    std::uint32_t Length() const override { return length_; }
    bool IsActive() const override { return position_ < total_; }
    std::uint32_t Read(void* buffer, std::uint32_t bytes) override {
        const std::uint32_t n = std::min(bytes, total_ - position_);
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::uint32_t i = 0; i < n; ++i) {
            out[i] = static_cast<std::uint8_t>((position_ + i) * 7);
        }
        position_ += n;
        return n;
    }

private:
    PcmFormat format_;
    std::uint32_t total_;
    std::uint32_t length_;
    std::uint32_t position_ = 0;
};

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

class WavWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("wavora-wav-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(WavBlockBytes);
};

struct HeaderCase {
    PcmFormat format;
    std::uint16_t blockAlign;
    std::uint32_t byteRate;
};

TEST_F(WavWriterTest, HeaderFieldsAndDataForEachFormat) {
    const std::vector<HeaderCase> cases = {
        {{2, 44100, 16}, 4, 176400}, {{1, 22050, 8}, 1, 22050}, {{6, 48000, 16}, 12, 576000}};
    for (const auto& c : cases) {
        const auto path = dir_ / "out.wav";
        const std::uint32_t total = 3 * WavBlockBytes + 1000;
        PatternSource source(c.format, total, total);
        std::vector<std::uint32_t> progress;
        std::uint32_t maximum = 0;
        int pumps = 0;
        ConvertControl control{[&](std::uint32_t m) { maximum = m; },
                               [&](std::uint32_t v) { progress.push_back(v); },
                               [&] { ++pumps; },
                               {}};
        const auto result = WriteWav(path.string(), source, control, buffer_);
        ASSERT_EQ(result.status, WavWriteResult::Status::Written);
        const auto bytes = ReadAll(path);
        ASSERT_EQ(bytes.size(), 44u + total);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
        EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
        EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(Le32(bytes, 16), 16u);
        EXPECT_EQ(Le16(bytes, 20), 1u);
        EXPECT_EQ(Le16(bytes, 22), c.format.channels);
        EXPECT_EQ(Le32(bytes, 24), c.format.sampleRate);
        EXPECT_EQ(Le32(bytes, 28), c.byteRate);
        EXPECT_EQ(Le16(bytes, 32), c.blockAlign);
        EXPECT_EQ(Le16(bytes, 34), c.format.bitsPerSample);
        EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
        EXPECT_EQ(Le32(bytes, 40), total);
        for (std::uint32_t i = 0; i < total; ++i) {
            ASSERT_EQ(bytes[44 + i], static_cast<std::uint8_t>(i * 7)) << i;
        }
        EXPECT_EQ(maximum, total);
        EXPECT_EQ(pumps, 4);
        EXPECT_EQ(progress.back(), total);
    }
}

TEST_F(WavWriterTest, StopAfterFirstBlockLeavesAValidShorterFile) {
    const auto path = dir_ / "stopped.wav";
    PatternSource source({2, 44100, 16}, 50 * WavBlockBytes, 50 * WavBlockBytes);
    bool stop = false;
    ConvertControl control{{}, {}, [&] { stop = true; }, [&] { return stop; }};
    const auto result = WriteWav(path.string(), source, control, buffer_);
    EXPECT_TRUE(result.stopped);
    const auto bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 44u + WavBlockBytes);
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(Le32(bytes, 40), bytes.size() - 44);
}

TEST_F(WavWriterTest, UnknownOrShortLengthStillConvertsEverything) {
    for (const std::uint32_t reported : {0u, 5000u}) {
        const auto path = dir_ / "long.wav";
        const std::uint32_t total = 20 * WavBlockBytes + 3;
        PatternSource source({1, 8000, 8}, total, reported);
        std::uint32_t maximum = 0;
        std::uint32_t last = 0;
        ConvertControl control{
            [&](std::uint32_t m) { maximum = m; }, [&](std::uint32_t v) { last = v; }, {}, {}};
        ASSERT_EQ(WriteWav(path.string(), source, control, buffer_).status,
                  WavWriteResult::Status::Written);
        EXPECT_EQ(fs::file_size(path), 44u + total);
        EXPECT_EQ(maximum, reported == 0 ? UnknownLength : reported);
        EXPECT_LE(last, maximum);
    }
}

TEST_F(WavWriterTest, ReportsAFileThatCannotBeCreated) {
    fs::create_directories(dir_ / "adir");
    PatternSource source({2, 44100, 16}, 100, 100);
    for (const auto& path : {dir_ / "missing" / "x.wav", dir_ / "adir"}) {
        const auto result = WriteWav(path.string(), source, {}, buffer_);
        EXPECT_EQ(result.status, WavWriteResult::Status::CannotCreate) << path;
        EXPECT_NE(result.error, 0);
    }
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(WavWriterTest, ReportsAFailedWrite) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    PatternSource source({2, 44100, 16}, 5 * WavBlockBytes, 0);
    const auto result = WriteWav("/dev/full", source, {}, buffer_);
    EXPECT_EQ(result.status, WavWriteResult::Status::WriteFailed);
    EXPECT_EQ(result.error, ENOSPC);
}

} // namespace
} // namespace wavora
