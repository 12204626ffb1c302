// Played channels on the silent real-time output: positions, pause, end syncs, levels, FFT,
// user streams and mixing.
#include "BassTestUtil.h"
#include "bass.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace bass_test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class BassPlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BASS_Test_ForceSilentOutput(TRUE);
        ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr, nullptr));
    }
    static void TearDownTestSuite() { BASS_Free(); }

    static HSTREAM Open(const std::string& name, const std::string& wav, DWORD flags = 0) {
        const std::string path = WriteFile(name, wav);
        return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, flags);
    }
    static double Seconds(DWORD h) {
        return BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
    }
    static bool WaitStopped(DWORD h, std::chrono::milliseconds limit) {
        const auto until = Clock::now() + limit;
        while (Clock::now() < until) {
            if (BASS_ChannelIsActive(h) == BASS_ACTIVE_STOPPED)
                return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }
};

double Since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

void CountSync(HSYNC, DWORD, DWORD_PTR, void* user) {
    ++*static_cast<std::atomic<int>*>(user);
}

TEST_F(BassPlayback, PositionFollowsRealTimePauseHoldsItRestartRewinds) {
    const HSTREAM h = Open("pos.wav", WavFile(44100, 2, 16, SinePcm16(44100, 2, 4.0, 440)));
    ASSERT_NE(h, 0u);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    const auto start = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    std::this_thread::sleep_for(500ms);
    EXPECT_NEAR(Seconds(h), Since(start), 0.08);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING});

    ASSERT_TRUE(BASS_ChannelPause(h));
    const double held = Seconds(h);
    std::this_thread::sleep_for(300ms);
    EXPECT_DOUBLE_EQ(Seconds(h), held);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PAUSED});
    EXPECT_EQ(BASS_ChannelGetLevel(h), 0u);

    const auto resumed = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    std::this_thread::sleep_for(300ms);
    EXPECT_NEAR(Seconds(h), held + Since(resumed), 0.08);

    // A jump while playing, then a restart from the beginning.
    ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 3.0f)));
    EXPECT_NEAR(Seconds(h), 3.0, 0.03);
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    std::this_thread::sleep_for(100ms);
    EXPECT_NEAR(Seconds(h), 0.1, 0.05);

    EXPECT_TRUE(BASS_ChannelStop(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
    BASS_StreamFree(h);
}

TEST_F(BassPlayback, EndSyncFiresOnceWhenEverythingWasHeard) {
    const HSTREAM h = Open("end.wav", WavFile(22050, 1, 8, std::string(22050 * 4 / 10, '\x90')),
                           BASS_STREAM_AUTOFREE);
    ASSERT_NE(h, 0u);
    std::atomic<int> ends{0};
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, &CountSync, &ends), 0u);
    const auto start = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    ASSERT_TRUE(WaitStopped(h, 2s));
    EXPECT_GE(Since(start), 0.38);
    EXPECT_LT(Since(start), 0.6);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(ends.load(), 1);
    // An auto-free channel is gone once it has ended.
    EXPECT_EQ(BASS_ChannelGetPosition(h), ~QWORD{0});
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

// Left: 1000 Hz at full scale; right: 3000 Hz at half scale.
std::string TwoTonePcm(double seconds) {
    std::string pcm;
    for (std::size_t i = 0; i < static_cast<std::size_t>(seconds * 44100); ++i) {
        const double t = static_cast<double>(i) / 44100;
        Put16(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(
                       std::lround(32767 * std::sin(2 * std::numbers::pi * 1000 * t)))));
        Put16(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(
                       std::lround(16383 * std::sin(2 * std::numbers::pi * 3000 * t)))));
    }
    return pcm;
}

std::size_t PeakBin(const float* v, std::size_t count, std::size_t stride = 1) {
    std::size_t best = 1;
    for (std::size_t k = 1; k < count; ++k)
        if (v[k * stride] > v[best * stride])
            best = k;
    return best;
}

TEST_F(BassPlayback, LevelAndSpectrumOfWhatIsHeard) {
    const HSTREAM h = Open("tones.wav", WavFile(44100, 2, 16, TwoTonePcm(2.0)));
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    std::this_thread::sleep_for(300ms);

    const DWORD level = BASS_ChannelGetLevel(h);
    EXPECT_NEAR(LOWORD(level), 32768, 800);
    EXPECT_NEAR(HIWORD(level), 16384, 800);

    std::vector<float> fft(2048);
    ASSERT_NE(BASS_ChannelGetData(h, fft.data(), BASS_DATA_FFT2048), 0xFFFFFFFFu);
    // Mixed: the louder 1000 Hz tone wins; bin k is k * 44100 / 2048 Hz.
    EXPECT_EQ(PeakBin(fft.data(), 1024), 46u);
    ASSERT_NE(BASS_ChannelGetData(h, fft.data(), BASS_DATA_FFT2048 | BASS_DATA_FFT_INDIVIDUAL),
              0xFFFFFFFFu);
    EXPECT_EQ(PeakBin(fft.data(), 1024, 2), 46u);
    EXPECT_EQ(PeakBin(fft.data() + 1, 1024, 2), 139u);
    EXPECT_NEAR(fft[46 * 2], 0.9, 0.15);
    EXPECT_NEAR(fft[139 * 2 + 1], 0.45, 0.1);
    ASSERT_NE(BASS_ChannelGetData(h, fft.data(), BASS_DATA_FFT512), 0xFFFFFFFFu);
    EXPECT_EQ(PeakBin(fft.data(), 256), 12u);

    // Plain data is a copy of what is heard, and the buffered amount is reported.
    EXPECT_GE(BASS_ChannelGetData(h, nullptr, 0), 2u * 4 * 2048);
    BASS_StreamFree(h);
    EXPECT_EQ(BASS_ChannelGetLevel(h), 0xFFFFFFFFu);
}

struct ToneSource {
    std::size_t framesLeft = 0;
    std::atomic<int> calls{0};
    std::atomic<bool> onCallerThread{false};
    std::thread::id caller;
};

DWORD ToneProc(HSTREAM, void* buffer, DWORD length, void* user) {
    auto* src = static_cast<ToneSource*>(user);
    ++src->calls;
    if (std::this_thread::get_id() == src->caller)
        src->onCallerThread = true;
    const std::size_t frames = std::min<std::size_t>(length / 4, src->framesLeft);
    auto* out = static_cast<std::int16_t*>(buffer);
    for (std::size_t i = 0; i < 2 * frames; ++i)
        out[i] = 8000;
    src->framesLeft -= frames;
    const auto bytes = static_cast<DWORD>(frames * 4);
    return src->framesLeft == 0 ? bytes | BASS_STREAMPROC_END : bytes;
}

TEST_F(BassPlayback, UserStreamEndsOnStreamprocEnd) {
    ToneSource src;
    src.framesLeft = 44100 * 3 / 10;
    src.caller = std::this_thread::get_id();
    const HSTREAM h = BASS_StreamCreate(44100, 2, 0, &ToneProc, &src);
    ASSERT_NE(h, 0u);
    std::atomic<int> ends{0};
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, &CountSync, &ends), 0u);
    const auto start = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    std::this_thread::sleep_for(100ms);
    EXPECT_NEAR(HIWORD(BASS_ChannelGetLevel(h)), 8000, 1);
    ASSERT_TRUE(WaitStopped(h, 2s));
    EXPECT_NEAR(Since(start), 0.3, 0.1);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(ends.load(), 1);
    EXPECT_FALSE(src.onCallerThread.load());
    EXPECT_NEAR(Seconds(h), 0.3, 0.001);
    BASS_StreamFree(h);
}

DWORD SilentProc(HSTREAM, void*, DWORD, void*) {
    return 0;
}

TEST_F(BassPlayback, StarvedUserStreamStalls) {
    const HSTREAM h = BASS_StreamCreate(44100, 1, 0, &SilentProc, nullptr);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STALLED});
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    BASS_StreamFree(h);
}

TEST_F(BassPlayback, ChannelsOfDifferentRatesPlayTogether) {
    const HSTREAM a = Open("mix-a.wav", WavFile(22050, 1, 16, SinePcm16(22050, 1, 2.0, 300)));
    const HSTREAM b = Open("mix-b.wav", WavFile(48000, 2, 16, SinePcm16(48000, 2, 2.0, 500)));
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    const auto start = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(a, FALSE));
    ASSERT_TRUE(BASS_ChannelPlay(b, FALSE));
    std::this_thread::sleep_for(400ms);
    const double t = Since(start);
    EXPECT_NEAR(Seconds(a), t, 0.08);
    EXPECT_NEAR(Seconds(b), t, 0.08);
    // A doubled playback rate runs the position at twice the speed.
    ASSERT_TRUE(BASS_ChannelSetAttributes(a, 44100, -1, -101));
    DWORD freq = 0;
    DWORD volume = 0;
    int pan = 7;
    ASSERT_TRUE(BASS_ChannelGetAttributes(a, &freq, &volume, &pan));
    EXPECT_EQ(freq, 44100u);
    EXPECT_EQ(volume, 100u);
    EXPECT_EQ(pan, 0);
    const double before = Seconds(a);
    std::this_thread::sleep_for(300ms);
    EXPECT_NEAR(Seconds(a) - before, 0.6, 0.08);
    BASS_StreamFree(a);
    BASS_StreamFree(b);
}

TEST_F(BassPlayback, DecodingChannelsCannotBePlayed) {
    const HSTREAM h = Open("decode-only.wav", WavFile(44100, 2, 16, SinePcm16(44100, 2, 0.1, 440)),
                           BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    EXPECT_FALSE(BASS_ChannelPlay(h, FALSE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DECODE);
    BASS_StreamFree(h);
}

} // namespace
