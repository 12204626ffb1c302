#include "PluginCtrl.h"
#include "PluginTestSupport.h"
#include "ToneSignal.h"
#include "ioplug.h"

#include <algorithm>
#include <bass.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace wavora {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::vector<std::uint8_t> toneBytes(const tone::ToneFile& file, std::int64_t fromFrame) {
    std::vector<std::uint8_t> bytes;
    for (std::int64_t f = fromFrame; f < file.Frames(); ++f) {
        for (int c = 0; c < file.channels; ++c) {
            const auto s = static_cast<std::uint16_t>(tone::Sample(f, c));
            bytes.push_back(static_cast<std::uint8_t>(s));
            bytes.push_back(static_cast<std::uint8_t>(s >> 8));
        }
    }
    return bytes;
}

// A tone plug-in playing through the emulated output module on the library's output.
class PluginPlayback : public testing::Test {
protected:
    void SetUp() override {
        test::App();
        ASSERT_TRUE(test::StartLibrary());
        ASSERT_TRUE(InitPluginManager(window.Handle()));
        ASSERT_EQ(LoadPlugin("in_tone.so"), LoadResult::Loaded);
        module = GetPlugin(0);
        ASSERT_EQ(SelectPlugin(0), 0);
        SetStreamDataObserver(&test::ByteSink::Observe, &sink);
        folder = fs::temp_directory_path() / ("wavora-tone-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        if (module != nullptr) {
            module->Stop();
        }
        SetStreamDataObserver(nullptr, nullptr);
        (void)SelectPlugin(-1);
        ShutdownPluginManager();
        fs::remove_all(folder);
    }

    // Claims and plays a tone file the way the player does.
    tone::ToneFile play(int rate, int channels, int ms) {
        const fs::path path = folder / "a.tone";
        std::ofstream(path) << rate << ' ' << channels << ' ' << ms << '\n';
        const TPluginClaim claim = ClaimFile(path.string());
        EXPECT_EQ(claim.Index, 0);
        EXPECT_EQ(claim.Length, ms);
        TStreamInfo info;
        info.FileName = path.string();
        info.Duration = claim.Length;
        SetStreamInfo(info);
        EXPECT_EQ(module->Play(path.c_str()), 0);
        return {rate, channels, ms};
    }

    bool waitForEnd() {
        return test::RunEventsUntil([&] { return !window.Received(WM_WA_MPEG_EOF).empty(); }, 20s);
    }

    test::RecordingWindow window;
    test::ByteSink sink;
    In_Module* module = nullptr;
    fs::path folder;
};

TEST_F(PluginPlayback, PlaysToTheEndAndTheEndOfFileReachesTheWindow) {
    const tone::ToneFile file = play(44100, 2, 1500);
    ASSERT_TRUE(waitForEnd());
    SetEndOfInput(); // as the player does on the end-of-file message
    const std::vector<std::uint8_t> played = sink.Take();
    const std::vector<std::uint8_t> expected = toneBytes(file, 0);
    EXPECT_EQ(played.size(), expected.size());
    EXPECT_TRUE(played == expected);

    const auto channel = window.Received(WM_PLAYER_SET_PLAYCHANNEL);
    ASSERT_EQ(channel.size(), 1u);
    EXPECT_NE(channel[0].wParam, 0u);
    ASSERT_EQ(window.Received(WM_PLAYER_PLUGIN_STARTED).size(), 1u);
    ASSERT_EQ(window.Received(WM_PLAYER_CHANNEL_INFO).size(), 1u);
    EXPECT_EQ(ChannelInfo()->SampleRate, 44100);
    EXPECT_EQ(ChannelInfo()->Channels, 2);
    EXPECT_EQ(ChannelInfo()->BitsPerSample, 16);
    EXPECT_EQ(ChannelInfo()->BitRate, 1411);
    EXPECT_EQ(PluginOutputTime(false), PluginOutputTime(true));
    EXPECT_GE(PluginOutputTime(true), 1400);
}

TEST_F(PluginPlayback, AFileShorterThanThePrebufferIsHeardWhole) {
    const tone::ToneFile file = play(44100, 2, 150);
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(sink.Take() == toneBytes(file, 0));
}

TEST_F(PluginPlayback, ASeekFlushesAndPlaysOnFromTheNewTime) {
    const tone::ToneFile file = play(22050, 1, 3000);
    ASSERT_TRUE(test::RunEventsUntil(
        [&] { return !window.Received(WM_PLAYER_PLUGIN_STARTED).empty(); }, 5s));
    SetSeekPending();
    module->SetOutputTime(2000);
    ASSERT_TRUE(waitForEnd());
    EXPECT_GE(PluginOutputTime(false), 2000);

    // What was heard is the start of the tone, then the tone from 2 s on, to its end.
    const std::vector<std::uint8_t> played = sink.Take();
    const std::vector<std::uint8_t> tail = toneBytes(file, 44100);
    const std::vector<std::uint8_t> whole = toneBytes(file, 0);
    ASSERT_GE(played.size(), tail.size());
    const std::size_t head = played.size() - tail.size();
    ASSERT_LT(head, whole.size() - tail.size());
    EXPECT_TRUE(std::equal(played.begin(), played.begin() + static_cast<std::ptrdiff_t>(head),
                           whole.begin()));
    EXPECT_TRUE(
        std::equal(played.begin() + static_cast<std::ptrdiff_t>(head), played.end(), tail.begin()));
}

TEST_F(PluginPlayback, PauseHoldsTheOutputAndResumeContinues) {
    play(44100, 2, 1200);
    ASSERT_TRUE(test::RunEventsUntil([&] { return OutputModule()->IsPlaying() == 1; }, 5s));
    module->Pause();
    const int held = PluginOutputTime(false);
    test::RunEventsUntil([] { return false; }, 300ms);
    EXPECT_EQ(PluginOutputTime(false), held);
    module->UnPause();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(sink.Take().size(), 44100u * 4u * 12u / 10u);
}

} // namespace
} // namespace wavora
