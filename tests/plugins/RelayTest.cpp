#include "PluginCtrl.h"
#include "PluginTestSupport.h"
#include "ioplug.h"

#include <algorithm>
#include <bass.h>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace wavora {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::vector<std::uint8_t> noisePcm(std::size_t bytes) {
    std::vector<std::uint8_t> pcm(bytes);
    std::uint32_t x = 12345;
    for (std::uint8_t& b : pcm) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return pcm;
}

// Where the first difference lies, for a readable failure.
std::size_t firstDifference(const std::vector<std::uint8_t>& a,
                            const std::vector<std::uint8_t>& b) {
    return static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first -
                                    a.begin());
}

class Relay : public testing::Test {
protected:
    void SetUp() override {
        test::App();
        ASSERT_TRUE(test::StartLibrary());
        ASSERT_TRUE(InitPluginManager(window.Handle()));
        folder = fs::temp_directory_path() / ("wavora-relay-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        StopRelay();
        SetStreamDataObserver(nullptr, nullptr);
        if (source != 0) {
            bass::BASS_StreamFree(source);
        }
        ShutdownPluginManager();
        fs::remove_all(folder);
    }

    // A decoding channel of a WAV file holding pcm (44100 Hz stereo).
    DWORD decodeWav(const std::vector<std::uint8_t>& pcm) {
        const fs::path path = folder / "source.wav";
        test::WriteWav(path, 44100, 2, pcm);
        source = bass::BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE);
        return source;
    }

    void waitUntilFeederIdle() {
        std::uint32_t last = ~0u;
        while (RelayBufferedBytes() != last) {
            last = RelayBufferedBytes();
            test::RunEventsUntil([] { return false; }, 100ms);
        }
    }

    test::RecordingWindow window;
    fs::path folder;
    DWORD source = 0;
};

TEST_F(Relay, PlaysEveryDecodedByteInOrder) {
    // 2.3 s: the last fetch is shorter than a chunk.
    const std::vector<std::uint8_t> pcm = noisePcm(101430 * 4);
    ASSERT_NE(decodeWav(pcm), 0u);
    test::ByteSink sink;
    SetStreamDataObserver(&test::ByteSink::Observe, &sink);
    const DWORD relay = StartRelay(source, 44100, 2, 16);
    ASSERT_NE(relay, 0u);
    ASSERT_TRUE(bass::BASS_ChannelPlay(relay, 1));
    EXPECT_TRUE(test::RunEventsUntil(
        [&] { return bass::BASS_ChannelIsActive(relay) == BASS_ACTIVE_STOPPED; }, 15s));
    const std::vector<std::uint8_t> played = sink.Take();
    EXPECT_EQ(played.size(), pcm.size());
    EXPECT_TRUE(played == pcm) << "first difference at byte " << firstDifference(played, pcm);
    EXPECT_EQ(RelayBufferedBytes(), 0u);
    EXPECT_EQ(RelayPlayedTime(), 2300);
}

TEST_F(Relay, ASeekOfTheSourcePlaysOnFromTheNewPlaceWithNothingStale) {
    const std::vector<std::uint8_t> pcm = noisePcm(88200 * 4); // 2 s
    ASSERT_NE(decodeWav(pcm), 0u);
    test::ByteSink sink;
    SetStreamDataObserver(&test::ByteSink::Observe, &sink);
    const DWORD relay = StartRelay(source, 44100, 2, 16);
    ASSERT_NE(relay, 0u);
    ASSERT_TRUE(bass::BASS_ChannelPlay(relay, 1));
    test::RunEventsUntil([] { return false; }, 300ms);
    // The player's seek: stop the stream, reset the relay, move the source, play again.
    bass::BASS_ChannelStop(relay);
    ResetRelay();
    test::RunEventsUntil([] { return false; }, 50ms); // a fill request may still be queued
    constexpr std::size_t seekTo = 66150 * 4;         // 1.5 s
    ASSERT_TRUE(bass::BASS_ChannelSetPosition(source, seekTo));
    ASSERT_TRUE(bass::BASS_ChannelPlay(relay, 1));
    EXPECT_TRUE(test::RunEventsUntil(
        [&] { return bass::BASS_ChannelIsActive(relay) == BASS_ACTIVE_STOPPED; }, 15s));

    const std::vector<std::uint8_t> played = sink.Take();
    const std::size_t tail = pcm.size() - seekTo;
    ASSERT_GT(played.size(), tail);
    const auto head = static_cast<std::ptrdiff_t>(played.size() - tail);
    EXPECT_TRUE(std::equal(played.begin(), played.begin() + head, pcm.begin()));
    EXPECT_TRUE(std::equal(played.begin() + head, played.end(),
                           pcm.begin() + static_cast<std::ptrdiff_t>(seekTo)));
}

TEST_F(Relay, AShortFetchEndsTheInputAfterStoringIt) {
    const std::vector<std::uint8_t> pcm = noisePcm(4000); // less than one 4608-byte chunk
    ASSERT_NE(decodeWav(pcm), 0u);
    ASSERT_NE(StartRelay(source, 44100, 2, 16), 0u);
    std::vector<std::uint8_t> out(4096);
    // The first read has the feeder prebuffer: one short fetch, stored, and the input ends.
    EXPECT_EQ(RelayStreamProc(0, out.data(), 4096, nullptr), 4000u | BASS_STREAMPROC_END);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), out.begin()));
    EXPECT_EQ(RelayPlayedTime(), 23);
}

TEST_F(Relay, FetchesOnlyWhenMoreThanOneChunkIsFree) {
    ASSERT_NE(decodeWav(noisePcm(441000 * 4)), 0u);
    ASSERT_NE(StartRelay(source, 44100, 2, 16), 0u);
    std::vector<std::uint8_t> out(16);
    ASSERT_EQ(RelayStreamProc(0, out.data(), 16, nullptr), 16u);
    waitUntilFeederIdle();
    ASSERT_GE(RelayBufferedBytes(), 70560u - 16u); // prebuffered: two blocks
    const std::uint32_t size = RingBufferSize();
    constexpr std::uint32_t chunk = 4608;
    {
        const TRingGuard guard(SharedRingLock(), TRingLock::Side::Writer);
        SharedRing().SetPositions(0, size - chunk);
    }
    FillRelayBuffer();
    EXPECT_EQ(RelayBufferedBytes(), size - chunk);
    {
        const TRingGuard guard(SharedRingLock(), TRingLock::Side::Writer);
        SharedRing().SetPositions(0, size - chunk - 1);
    }
    FillRelayBuffer();
    EXPECT_EQ(RelayBufferedBytes(), size - 1);
}

TEST_F(Relay, AnEmptyRingAnswersNothingUntilTheInputHasEnded) {
    ResetRelay();
    std::vector<std::uint8_t> out(4096);
    EXPECT_EQ(RelayStreamProc(0, out.data(), 4096, nullptr), 0u);
    SetEndOfInput();
    EXPECT_EQ(RelayStreamProc(0, out.data(), 4096, nullptr), BASS_STREAMPROC_END);
}

TEST_F(Relay, ASourceAnsweringTheErrorValueEndsTheInput) {
    const DWORD relay = StartRelay(0x7FFFFFF0u, 44100, 2, 16); // no such channel
    ASSERT_NE(relay, 0u);
    std::vector<std::uint8_t> out(4096);
    EXPECT_EQ(RelayStreamProc(0, out.data(), 4096, nullptr), BASS_STREAMPROC_END);
    EXPECT_EQ(RelayBufferedBytes(), 0u);
}

TEST_F(Relay, ResetReturnsToPrebufferingAndStopEndsTheFeeder) {
    ASSERT_NE(decodeWav(noisePcm(441000 * 4)), 0u);
    const DWORD relay = StartRelay(source, 44100, 2, 16);
    ASSERT_NE(relay, 0u);
    waitUntilFeederIdle();
    ResetRelay();
    EXPECT_EQ(RelayPlayedTime(), 0);
    // The next read finds prebuffering on and has the feeder fill again first.
    std::vector<std::uint8_t> out(4096);
    EXPECT_EQ(RelayStreamProc(0, out.data(), 4096, nullptr), 4096u);
    EXPECT_GE(RelayBufferedBytes(), 70560u - 4096u);
    StopRelay();
    EXPECT_EQ(bass::BASS_ChannelIsActive(relay), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
}

} // namespace
} // namespace wavora
