#include "MPEGaudio.h"

#include "TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>

namespace wavora {
namespace {

using test::Bytes;

// One frame of the given header with room for a VBR header at `vbrOffset`.
Bytes Frame(std::array<std::uint8_t, 4> header, std::size_t length) {
    Bytes frame(length, 0x11);
    std::copy(header.begin(), header.end(), frame.begin());
    return frame;
}

Bytes Frames(std::array<std::uint8_t, 4> header, std::size_t length, std::size_t count) {
    Bytes out;
    for (std::size_t i = 0; i < count; ++i) {
        test::Append(out, Frame(header, length));
    }
    return out;
}

void PutXing(Bytes& frame, std::size_t at, std::uint32_t frames, std::uint32_t bytes) {
    std::copy_n("Xing", 4, frame.begin() + static_cast<std::ptrdiff_t>(at));
    for (int i = 0; i < 4; ++i) {
        frame[at + 7 - i] = 0x0F >> (8 * i);
        frame[at + 11 - i] = static_cast<std::uint8_t>(frames >> (8 * i));
        frame[at + 15 - i] = static_cast<std::uint8_t>(bytes >> (8 * i));
    }
    frame[at + 119] = 78;
    std::copy_n("LAME3.99", 8, frame.begin() + static_cast<std::ptrdiff_t>(at + 120));
}

TMPEGaudio Analyse(const test::TempDir& dir, const Bytes& file) {
    test::WriteFileBytes(dir.Path("a.mp3"), file);
    TMPEGaudio mpeg;
    EXPECT_TRUE(mpeg.ReadFile(dir.Path("a.mp3")));
    return mpeg;
}

constexpr std::array<std::uint8_t, 4> kMpeg1L3_128 = {0xFF, 0xFB, 0x90, 0x44};

TEST(MPEGaudio, ConstantBitRateAfterATagWithAnID3v1) {
    test::TempDir dir;
    Bytes file = test::ID3v2Tag(3, {{"TIT2", test::Latin1Frame("T2")}}, 4096);
    test::Append(file, test::MpegFrames(100));
    test::Append(file, test::ID3v1Block("T1", 0, 0, 1));
    const TMPEGaudio mpeg = Analyse(dir, file);
    EXPECT_TRUE(mpeg.Frame().Found);
    EXPECT_EQ(mpeg.Frame().Position, 0);
    EXPECT_EQ(mpeg.Frame().Size, 417);
    EXPECT_EQ(mpeg.BitRate(), 128);
    EXPECT_EQ(mpeg.SampleRate(), 44100);
    EXPECT_EQ(mpeg.ChannelMode(), "Joint Stereo");
    EXPECT_EQ(mpeg.Frames(), 100);
    EXPECT_DOUBLE_EQ(mpeg.Duration(), 41700.0 / 128 / 1000 * 8);
    EXPECT_TRUE(mpeg.Valid());
    EXPECT_EQ(mpeg.ID3v2().Title(), "T2");
    EXPECT_EQ(mpeg.ID3v1().Title(), "T1");
    EXPECT_EQ(MpegVersionNames[mpeg.Frame().VersionIndex], "MPEG 1");
    EXPECT_EQ(MpegLayerNames[mpeg.Frame().LayerIndex], "Layer III");
}

TEST(MPEGaudio, JunkAndFalseSyncBeforeTheFirstFrameAreSkipped) {
    test::TempDir dir;
    Bytes file = test::Repeat(0, 1000);
    file[500] = 0xFF;
    file[501] = 0xFB;
    file[502] = 0x90;
    file[503] = 0x44; // a header whose next frame does not check out
    test::Append(file, test::MpegFrames(20));
    const TMPEGaudio mpeg = Analyse(dir, file);
    EXPECT_EQ(mpeg.Frame().Position, 1000);
}

TEST(MPEGaudio, FrameBeyondTheFirstWindowIsFoundInTheMiddle) {
    test::TempDir dir;
    Bytes file = test::Repeat(0, 20000);
    test::Append(file, test::MpegFrames(40)); // middle = (20000 + 16680) / 2 lies inside
    const TMPEGaudio mpeg = Analyse(dir, file);
    ASSERT_TRUE(mpeg.Frame().Found);
    EXPECT_EQ((file.size() / 2 + mpeg.Frame().Position - 20000) % 417, 0U);
}

struct XingCase {
    const char* name;
    std::array<std::uint8_t, 4> header;
    std::size_t frameLength;
    std::size_t offset;
    double samplesPerFrame;
    double sampleRate;
};

class MPEGXing : public testing::TestWithParam<XingCase> {};

TEST_P(MPEGXing, HeaderAtItsOffsetGivesFramesDurationAndAverage) {
    const XingCase& c = GetParam();
    test::TempDir dir;
    Bytes first = Frame(c.header, c.frameLength);
    PutXing(first, c.offset, 1000, 1000 * 300);
    Bytes file = first;
    test::Append(file, Frames(c.header, c.frameLength, 10));
    const TMPEGaudio mpeg = Analyse(dir, file);
    ASSERT_TRUE(mpeg.Vbr().Found);
    EXPECT_EQ(mpeg.Vbr().Id, "Xing");
    EXPECT_EQ(mpeg.Vbr().Frames, 1000);
    EXPECT_EQ(mpeg.Vbr().Scale, 78);
    EXPECT_EQ(mpeg.Vbr().VendorId, "LAME3.99");
    EXPECT_EQ(mpeg.Frames(), 1000);
    EXPECT_DOUBLE_EQ(mpeg.Duration(), 1000 * c.samplesPerFrame / c.sampleRate);
    const double coefficient = c.samplesPerFrame / 8;
    EXPECT_EQ(mpeg.BitRate(), std::nearbyint(300 * c.sampleRate / coefficient / 1000));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MPEGXing,
    testing::Values(XingCase{"Mpeg1Stereo", {0xFF, 0xFB, 0x90, 0x04}, 417, 36, 1152, 44100},
                    XingCase{"Mpeg1Mono", {0xFF, 0xFB, 0x90, 0xC4}, 417, 21, 1152, 44100},
                    // MPEG 2 Layer III 64 kbit/s 22050 Hz: 72 * 64000 / 22050 = 208
                    XingCase{"Mpeg2Mono", {0xFF, 0xF3, 0x80, 0xC4}, 208, 13, 576, 22050},
                    XingCase{"Mpeg2Stereo", {0xFF, 0xF3, 0x80, 0x04}, 208, 21, 576, 22050}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(MPEGaudio, VbriHeader) {
    test::TempDir dir;
    Bytes first = Frame(kMpeg1L3_128, 417);
    const std::size_t at = 36;
    std::copy_n("VBRI", 4, first.begin() + at);
    first[at + 9] = 50;
    const Bytes bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0xF4}; // 65536 bytes, 500 frames
    std::copy(bytes.begin(), bytes.end(), first.begin() + at + 10);
    Bytes file = first;
    test::Append(file, test::MpegFrames(3));
    const TMPEGaudio mpeg = Analyse(dir, file);
    ASSERT_TRUE(mpeg.Vbr().Found);
    EXPECT_EQ(mpeg.Vbr().Id, "VBRI");
    EXPECT_EQ(mpeg.Vbr().Frames, 500);
    EXPECT_EQ(mpeg.Vbr().Bytes, 65536);
    EXPECT_EQ(mpeg.Vbr().Scale, 50);
    EXPECT_TRUE(mpeg.Vbr().VendorId.empty());
}

TEST(MPEGaudio, PaddedFrameLength) {
    test::TempDir dir;
    const Bytes file = Frames({0xFF, 0xFB, 0x92, 0x44}, 418, 5);
    const TMPEGaudio mpeg = Analyse(dir, file);
    EXPECT_EQ(mpeg.Frame().Size, 418);
    EXPECT_TRUE(mpeg.Frame().Padded);
}

TEST(MPEGaudio, NothingRecognisableClearsEverything) {
    test::TempDir dir;
    for (const Bytes& body : {test::Repeat(0, 10000), Frames({0xFF, 0xFB, 0x04, 0x44}, 417, 10)}) {
        Bytes file = test::ID3v2Tag(3, {{"TIT2", test::Latin1Frame("T")}}, 100);
        test::Append(file, body);
        test::Append(file, test::ID3v1Block("T1", 0, 0, 1));
        const TMPEGaudio mpeg = Analyse(dir, file);
        EXPECT_FALSE(mpeg.Valid());
        EXPECT_FALSE(mpeg.Frame().Found);
        EXPECT_EQ(mpeg.Frames(), 0);
        EXPECT_EQ(mpeg.Duration(), 0.0);
        EXPECT_EQ(mpeg.SampleRate(), 0);
        EXPECT_EQ(mpeg.ChannelMode(), "Unknown");
        EXPECT_TRUE(mpeg.ID3v2().Title().empty());
        EXPECT_FALSE(mpeg.ID3v1().Present());
    }
}

TEST(MPEGaudio, ValidityBounds) {
    test::TempDir dir;
    // A Xing average below 8 kbit/s.
    Bytes low = Frame(kMpeg1L3_128, 417);
    PutXing(low, 36, 10000, 10000 * 20);
    test::Append(low, test::MpegFrames(3));
    EXPECT_FALSE(Analyse(dir, low).Valid());
    // Two frames last about 0.05 s.
    EXPECT_FALSE(Analyse(dir, test::MpegFrames(2)).Valid());
    EXPECT_TRUE(Analyse(dir, test::MpegFrames(10)).Valid());
}

TEST(MPEGaudio, ShortFileAndTagBufferKinds) {
    test::TempDir dir;
    test::WriteFileBytes(dir.Path("s.mp3"), test::Repeat(0xFF, 100));
    TMPEGaudio mpeg;
    EXPECT_FALSE(mpeg.ReadFile(dir.Path("s.mp3")));

    const Bytes v1 = test::ID3v1Block("Mem", 0, 4, 2);
    TMP3TagInfo info;
    ASSERT_TRUE(mpeg.ReadTagBuffer(v1.data(), 128, info, 1));
    EXPECT_EQ(info.Title, "Mem");
    EXPECT_EQ(info.Track, 4);
    EXPECT_EQ(info.Genre, "Country");
    const Bytes v2 = test::ID3v2Tag(3, {{"TIT2", test::Latin1Frame("Two")}});
    ASSERT_TRUE(mpeg.ReadTagBuffer(v2.data(), static_cast<std::int32_t>(v2.size()), info, 2));
    EXPECT_EQ(info.Title, "Two");
    EXPECT_FALSE(mpeg.ReadTagBuffer(v2.data(), static_cast<std::int32_t>(v2.size()), info, 3));
}

} // namespace
} // namespace wavora
