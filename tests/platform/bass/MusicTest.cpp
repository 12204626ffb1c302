// Tracker modules through BASS_MusicLoad: format, length, the seconds position form.
#include "BassTestUtil.h"
#include "bass.h"

#include <gtest/gtest.h>

using namespace bass_test;

namespace {

void Put16Be(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
    s.push_back(static_cast<char>(v & 0xFF));
}

// A four-channel module of one pattern (64 rows at speed 6 and 125 BPM: 7.68 s) that plays one
// looped square-wave sample.
std::string ModFile() {
    std::string mod(20, '\0');
    mod.replace(0, 9, "test song");
    constexpr std::uint32_t kSampleBytes = 1000;
    for (int i = 0; i < 31; ++i) {
        std::string header(22, '\0');
        if (i == 0) {
            Put16Be(header, kSampleBytes / 2);
            header += '\0';     // finetune
            header += '\x40';   // volume 64
            Put16Be(header, 0); // loop start
            Put16Be(header, kSampleBytes / 2);
        } else {
            header.append(8, '\0');
            header[28] = 0;
            header[29] = 1; // loop length of an unused sample is 1 word
        }
        mod += header;
    }
    mod += '\x01'; // song length
    mod += '\x7F';
    mod.append(128, '\0');
    mod += "M.K.";
    for (int row = 0; row < 64; ++row) {
        for (int ch = 0; ch < 4; ++ch) {
            if (row == 0 && ch == 0) {
                constexpr std::uint32_t period = 428;
                mod += static_cast<char>(period >> 8);
                mod += static_cast<char>(period & 0xFF);
                mod += '\x10'; // sample 1, no effect
                mod += '\0';
            } else {
                mod.append(4, '\0');
            }
        }
    }
    for (std::uint32_t i = 0; i < kSampleBytes; ++i)
        mod += static_cast<char>((i / 25) % 2 ? 0x60 : 0xA0);
    return mod;
}

class BassMusic : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr));
    }
    static void TearDownTestSuite() { BASS_Free(); }
};

QWORD DecodeRest(DWORD h) {
    std::vector<char> buf(90000);
    QWORD total = 0;
    while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED) {
        const DWORD n = BASS_ChannelGetData(h, buf.data(), 90000);
        if (n == 0 || n == 0xFFFFFFFFu)
            break;
        total += n;
    }
    return total;
}

TEST_F(BassMusic, LoadsLengthAndSeeksBySeconds) {
    const std::string path = WriteFile("song.mod", ModFile());
    // Modules are music, not streams.
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);

    const HMUSIC h = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, 0x228400, 0);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, 0u);
    EXPECT_EQ(info.ctype, DWORD{BASS_CTYPE_MUSIC});

    const QWORD length = BASS_MusicGetLength(h, TRUE);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, length), 7.68, 0.1);
    const QWORD all = DecodeRest(h);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, all), 7.68, 0.1);

    // The player passes MAKELONG(seconds, 0xFFFF) sign-extended to 64 bits.
    const QWORD pos = static_cast<QWORD>(
        static_cast<std::int64_t>(static_cast<std::int32_t>(MAKELONG(3, 0xFFFF))));
    ASSERT_TRUE(BASS_ChannelSetPosition(h, pos)) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_ChannelGetPosition(h), 3u * 44100 * 4);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, DecodeRest(h)), 7.68 - 3, 0.1);

    EXPECT_EQ(
        BASS_MusicGetLength(
            BASS_StreamCreate(
                44100, 2, BASS_STREAM_DECODE,
                [](HSTREAM, void*, DWORD, void*) -> DWORD { return BASS_STREAMPROC_END; }, nullptr),
            TRUE),
        ~QWORD{0});
    BASS_MusicFree(h);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(BassMusic, DamagedModuleIsRefused) {
    std::string mod = ModFile();
    mod.resize(600);
    const std::string path = WriteFile("cut.mod", mod);
    const HMUSIC h = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, 0x228400, 0);
    if (h != 0) {
        // Accepted as far as it goes: it must still end.
        EXPECT_LT(DecodeRest(h), 44100u * 4 * 60);
        BASS_MusicFree(h);
    }
    const std::string junk = WriteFile("junk.xm", std::string(3000, '\x55'));
    EXPECT_EQ(BASS_MusicLoad(FALSE, junk.c_str(), 0, 0, 0x228400, 0), 0u);
}

} // namespace
