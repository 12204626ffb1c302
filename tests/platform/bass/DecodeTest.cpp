// Decoding channels: exact PCM, lengths, seeking, tags and damaged input.
#include "BassTestUtil.h"
#include "bass.h"

#include <atomic>
#include <cstring>
#include <gtest/gtest.h>

using namespace bass_test;

namespace {

class BassDecode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr));
    }
    static void TearDownTestSuite() { BASS_Free(); }
};

// Reads a decoding channel to its end in blocks of the given size.
std::string DecodeAll(HSTREAM h, DWORD block = 10240) {
    std::string out;
    std::vector<char> buf(block);
    while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED) {
        const DWORD n = BASS_ChannelGetData(h, buf.data(), block);
        if (n == 0xFFFFFFFFu || n == 0)
            break;
        out.append(buf.data(), n);
    }
    return out;
}

void CountSync(HSYNC, DWORD, DWORD_PTR, void* user) {
    ++*static_cast<std::atomic<int>*>(user);
}

struct PcmCase {
    const char* name;
    std::uint32_t freq;
    std::uint16_t chans;
    std::uint16_t bits;
};

class BassDecodeWav : public BassDecode, public ::testing::WithParamInterface<PcmCase> {};

TEST_P(BassDecodeWav, DeliversExactlyTheFileBytesAndEndsOnce) {
    const PcmCase c = GetParam();
    // An odd size that is not a multiple of the read block.
    const std::string pcm = PatternPcm(c.chans * c.bits / 8u * 33333u);
    const std::string path =
        WriteFile(std::string(c.name) + ".wav", WavFile(c.freq, c.chans, c.bits, pcm));
    const HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    EXPECT_GT(h, 1u);

    BASS_CHANNELINFO info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, c.freq);
    EXPECT_EQ(info.chans, c.chans);
    EXPECT_EQ((info.flags & BASS_SAMPLE_8BITS) != 0, c.bits == 8);
    DWORD freq = 0;
    ASSERT_TRUE(BASS_ChannelGetAttributes(h, &freq, nullptr, nullptr));
    EXPECT_EQ(freq, c.freq);
    EXPECT_EQ(BASS_StreamGetLength(h), pcm.size());
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_END), pcm.size() + 44);

    std::atomic<int> ends{0};
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, &CountSync, &ends), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING});
    const std::string out = DecodeAll(h, 10240);
    EXPECT_TRUE(out == pcm) << "decoded " << out.size() << " of " << pcm.size() << " bytes";
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
    char buf[64];
    EXPECT_EQ(BASS_ChannelGetData(h, buf, sizeof buf), 0u);
    EXPECT_EQ(ends.load(), 1);
    EXPECT_EQ(BASS_ChannelGetPosition(h), pcm.size());

    // Seeking lands on the exact byte.
    const QWORD at = BASS_ChannelSeconds2Bytes(h, 0.25f);
    EXPECT_EQ(at % (c.chans * c.bits / 8u), 0u);
    ASSERT_TRUE(BASS_ChannelSetPosition(h, at));
    EXPECT_EQ(BASS_ChannelGetPosition(h), at);
    const std::string tail = DecodeAll(h, 4096);
    EXPECT_TRUE(tail == pcm.substr(at)) << tail.size();
    EXPECT_FALSE(BASS_ChannelSetPosition(h, pcm.size() + 4096));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);

    BASS_StreamFree(h);
    EXPECT_EQ(BASS_ChannelGetData(h, buf, sizeof buf), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

INSTANTIATE_TEST_SUITE_P(Bass, BassDecodeWav,
                         ::testing::Values(PcmCase{"s16_stereo_44100", 44100, 2, 16},
                                           PcmCase{"u8_mono_22050", 22050, 1, 8},
                                           PcmCase{"s16_mono_8000", 8000, 1, 16},
                                           PcmCase{"u8_stereo_11025", 11025, 2, 8}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(BassDecode, AutoFreeChannelIsFreedByStop) {
    const std::string path =
        WriteFile("autofree.wav", WavFile(44100, 2, 16, SinePcm16(44100, 2, 0.1, 440)));
    const HSTREAM h =
        BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(BASS_ChannelStop(h));
    EXPECT_EQ(BASS_StreamGetLength(h), ~QWORD{0});
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

// Compressed sources decode to the length FFmpeg itself decodes, and the announced length
// agrees, both within one codec frame.
struct CodecCase {
    const char* name;
    const char* ext;
    std::vector<std::string> encode; // "%in" and "%out" stand for the files
    bool wmaLibrary;
};

class BassDecodeCodec : public BassDecode, public ::testing::WithParamInterface<CodecCase> {};

TEST_P(BassDecodeCodec, LengthMatchesFfmpegWithinAFrame) {
    const CodecCase& c = GetParam();
    const std::string in = WriteFile(std::string(c.name) + "-src.wav",
                                     WavFile(44100, 2, 16, SinePcm16(44100, 2, 3.3, 440)));
    const std::string out = (ScratchDir() / (std::string(c.name) + "." + c.ext)).string();
    std::vector<std::string> args;
    for (std::string a : c.encode)
        args.push_back(a == "%in" ? in : a == "%out" ? out : a);
    ASSERT_EQ(RunProgram(args), 0);
    const std::uintmax_t reference = FfmpegPcmBytes(out);

    const HSTREAM h = BASS_StreamCreateFile(FALSE, out.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    const QWORD announced = BASS_StreamGetLength(h);
    const std::string pcm = DecodeAll(h, 90000);
    const double frame = 2048.0 * 4; // the largest frame of these codecs, in bytes
    EXPECT_NEAR(static_cast<double>(pcm.size()), static_cast<double>(reference), frame);
    EXPECT_NEAR(static_cast<double>(announced), static_cast<double>(pcm.size()), frame);
    // Once decoded to the end, the length is exact.
    EXPECT_EQ(BASS_StreamGetLength(h), pcm.size());
    BASS_StreamFree(h);
}

INSTANTIATE_TEST_SUITE_P(
    Bass, BassDecodeCodec,
    ::testing::Values(
        CodecCase{"mp3_cbr", "mp3", {"lame", "--quiet", "-b", "128", "%in", "%out"}, false},
        // VBR without a Xing header: the length comes from the packets, not the bit rate.
        CodecCase{
            "mp3_vbr_noxing", "mp3", {"lame", "--quiet", "-V", "2", "-t", "%in", "%out"}, false},
        CodecCase{"ogg", "ogg", {"oggenc", "-Q", "-o", "%out", "%in"}, false},
        CodecCase{"wma",
                  "wma",
                  {"ffmpeg", "-v", "error", "-y", "-i", "%in", "-c:a", "wmav2", "%out"},
                  false},
        CodecCase{"flac", "flac", {"ffmpeg", "-v", "error", "-y", "-i", "%in", "%out"}, false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(BassDecode, TagsOfLocalFiles) {
    const std::string wav =
        WriteFile("tags-src.wav", WavFile(44100, 2, 16, SinePcm16(44100, 2, 0.5, 440)));
    const std::string mp3 = (ScratchDir() / "tags.mp3").string();
    ASSERT_EQ(RunProgram({"lame", "--quiet", "--add-id3v2", "--tt", "Title \"Q\"", "--ta", "Ärtist",
                          wav, mp3}),
              0);
    const HSTREAM h = BASS_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    const char* v1 = BASS_StreamGetTags(h, BASS_TAG_ID3);
    ASSERT_NE(v1, nullptr);
    const std::string file = ReadFile(mp3);
    EXPECT_EQ(std::string(v1, 128), file.substr(file.size() - 128));
    const char* v2 = BASS_StreamGetTags(h, BASS_TAG_ID3V2);
    ASSERT_NE(v2, nullptr);
    EXPECT_EQ(std::string(v2, 3), "ID3");
    EXPECT_EQ(BASS_StreamGetTags(h, BASS_TAG_OGG), nullptr);
    EXPECT_EQ(BASS_StreamGetTags(h, BASS_TAG_ICY), nullptr);
    BASS_StreamFree(h);

    const std::string ogg = (ScratchDir() / "tags.ogg").string();
    ASSERT_EQ(RunProgram({"oggenc", "-Q", "-c", "TITLE=Tïtle=x", "-c", "ARTIST=A", "-c", "ARTIST=B",
                          "-o", ogg, wav}),
              0);
    const HSTREAM o = BASS_StreamCreateFile(FALSE, ogg.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(o, 0u);
    const char* list = BASS_StreamGetTags(o, BASS_TAG_OGG);
    ASSERT_NE(list, nullptr);
    std::vector<std::string> comments;
    for (const char* p = list; *p; p += std::strlen(p) + 1)
        comments.emplace_back(p);
    EXPECT_EQ(comments, (std::vector<std::string>{"TITLE=Tïtle=x", "ARTIST=A", "ARTIST=B"}));
    EXPECT_EQ(BASS_StreamGetTags(o, BASS_TAG_ID3), nullptr);
    BASS_StreamFree(o);
}

// Files that are not audio, or audio damaged on disk, give a 0 handle or a shorter decode,
// never a crash or an endless loop.
TEST_F(BassDecode, DamagedInput) {
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, (ScratchDir() / "missing.mp3").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    const std::string text = WriteFile("text.mp3", std::string(5000, 'x'));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, text.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    const std::string empty = WriteFile("empty.wav", "");
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, empty.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);

    // A WAV whose data size claims far more than the file holds.
    std::string wav = WavFile(44100, 2, 16, PatternPcm(40000));
    wav[40] = wav[41] = wav[42] = '\xFF';
    const std::string big = WriteFile("bigsize.wav", wav);
    HSTREAM h = BASS_StreamCreateFile(FALSE, big.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(DecodeAll(h), wav.substr(44));
    BASS_StreamFree(h);

    // An MP3 with garbage in the middle and cut off at the end.
    const std::string src =
        WriteFile("damaged-src.wav", WavFile(44100, 2, 16, SinePcm16(44100, 2, 2.0, 440)));
    const std::string mp3 = (ScratchDir() / "damaged.mp3").string();
    ASSERT_EQ(RunProgram({"lame", "--quiet", src, mp3}), 0);
    std::string bytes = ReadFile(mp3);
    for (std::size_t i = bytes.size() / 3; i < bytes.size() / 3 + 3000; ++i)
        bytes[i] = static_cast<char>(i * 7);
    bytes.resize(bytes.size() * 4 / 5);
    const std::string bad = WriteFile("damaged.mp3", bytes);
    h = BASS_StreamCreateFile(FALSE, bad.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    const std::string pcm = DecodeAll(h);
    EXPECT_GT(pcm.size(), 44100u * 4 / 2);
    EXPECT_LT(pcm.size(), 44100u * 4 * 2);
    BASS_StreamFree(h);
}

TEST_F(BassDecode, BytesAndSecondsUseTheChannelFormat) {
    const std::string path =
        WriteFile("conv.wav", WavFile(22050, 1, 8, std::string(22050, '\x80')));
    const HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, 11025), 0.5f);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(h, 0.5f), 11025u);
    BASS_StreamFree(h);
}

} // namespace
