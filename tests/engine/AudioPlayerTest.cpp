// The player on the audio library's silent output: every kind of source, both output
// arrangements, the mode machine and its events, positions against real time, and the
// failures that must leave the player as it was.
#include "AudioPlayer.h"
#include "MessageBox.h"
#include "PlayerFixtures.h"
#include "PluginCtrl.h"
#include "bass.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

namespace wavora {
namespace {

using namespace std::chrono_literals;
using test::RunEventsFor;
using test::RunEventsUntil;
using Clock = std::chrono::steady_clock;

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "player_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
        BASS_Test_ForceSilentOutput(TRUE);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QCoreApplication> app_;
};
[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class PlayerTest : public ::testing::Test {
protected:
    PlayerTest() : dir_("player") {
        previous_ = SetMessageHandler([this](MessageKind, std::string_view, std::string_view text) {
            messages_.emplace_back(text);
            return MessageResult::Ok;
        });
    }
    ~PlayerTest() override {
        player_.reset();
        SetMessageHandler(previous_);
    }

    TAudioPlayer& Start(bool single = false) {
        player_ = std::make_unique<TAudioPlayer>(WAVORA_PROGRAM_DIR);
        (void)LoadPlugin("in_tone.so");
        player_->SetSingleChannel(single);
        player_->OnPlayEnd = [this](TAudioPlayer&) { ++ends_; };
        player_->OnModeChange = [this](TAudioPlayer&, TPlayerMode, TPlayerMode mode) {
            modes_.push_back(mode);
        };
        return *player_;
    }
    bool WaitForEnd(int count, std::chrono::milliseconds limit = 5s) {
        return RunEventsUntil([&] { return ends_ >= count; }, limit);
    }
    bool WaitForSound() {
        return RunEventsUntil([&] { return player_->GetPosition() > 0; }, 3s);
    }

    test::TempDir dir_;
    std::vector<std::string> messages_;
    MessageHandler previous_;
    std::unique_ptr<TAudioPlayer> player_;
    int ends_ = 0;
    std::vector<TPlayerMode> modes_;
};

using M = TPlayerMode;

TEST_F(PlayerTest, SetUpOffersTheLibrarysTypesAndStartsInDualChannelStandby) {
    TAudioPlayer& p = *(player_ = std::make_unique<TAudioPlayer>(WAVORA_PROGRAM_DIR));
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(p.DeviceReady());
    EXPECT_EQ(p.Version(), "1.80");
    EXPECT_EQ(p.BASSDLLVer(), "2.1");
    EXPECT_EQ(p.BASSVersionText(), "2.1");
    // No CD library in the program folder: CD tracks are not offered.
    EXPECT_EQ(p.PlayableExtensions(),
              "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;*.MO3;*.IT;*.XM;*.S3M;*.MTM;*.MOD;*.UMX;*.wma;");
    EXPECT_EQ(p.Mode(), M::plmStandby);
    EXPECT_FALSE(p.SingleChannel()); // nothing open yet
    EXPECT_EQ(p.Volume(), 255u);
    p.SetVolume(300);
    EXPECT_EQ(p.Volume(), 255u);
    p.SetVolume(0);
    EXPECT_EQ(p.Volume(), 0u);
}

TEST_F(PlayerTest, FailedSetUpLeavesEveryCallSafe) {
    const test::TempDir empty("no-library");
    TAudioPlayer p(empty.Path().string() + "/");
    EXPECT_TRUE(messages_.empty()); // a missing library is silent
    EXPECT_FALSE(p.DeviceReady());
    EXPECT_EQ(p.PlayableExtensions(), "");
    EXPECT_EQ(p.BASSDLLVer(), "");
    EXPECT_EQ(p.BASSVersionText(), "");
    const std::string wav = test::MakeWav(dir_ / "a.wav", 44100, 2, 100);
    EXPECT_FALSE(p.Open(wav));
    EXPECT_EQ(messages_, std::vector<std::string>{"Player is not ready !"});
    p.Play();
    p.SetPaused(true);
    p.SetPosition(10);
    p.SetVolume(10);
    p.Stop();
    p.Close();
    EXPECT_EQ(p.GetPosition(), 0u);
    EXPECT_EQ(p.GetPlayLength(), 0u);
    EXPECT_EQ(p.ChannelLevel(), NoLevel);
    EXPECT_EQ(p.Mode(), M::plmStandby);
}

struct KindCase {
    test::SourceCase source;
    bool single;
};

std::string KindName(const ::testing::TestParamInfo<KindCase>& info) {
    return std::string(info.param.source.name) + (info.param.single ? "Single" : "Dual");
}

std::vector<KindCase> KindCases() {
    std::vector<KindCase> cases;
    for (const auto& source : test::AllSources()) {
        cases.push_back({source, false});
        if (source.kind != test::SourceKind::Plugin) {
            cases.push_back({source, true});
        }
    }
    return cases;
}

class EverySource : public PlayerTest, public ::testing::WithParamInterface<KindCase> {};

// Each kind opens with its description, plays to its end with one OnPlayEnd, and plays again.
TEST_P(EverySource, OpensPlaysToTheEndOnceAndPlaysAgain) {
    const auto& [source, single] = GetParam();
    const std::string path = test::MakeSource(dir_, source, 500, 22050, 1);
    TAudioPlayer& p = Start(single);
    ASSERT_TRUE(p.Open(path)) << (messages_.empty() ? "" : messages_.front());
    EXPECT_EQ(p.SingleChannel(), single);
    EXPECT_EQ(p.StreamName(), path);
    const TStreamInfo& info = p.StreamInfo();
    const bool module = source.kind == test::SourceKind::Module;
    EXPECT_EQ(info.FileName, path);
    const bool plugin = source.kind == test::SourceKind::Plugin;
    // A plug-in tells its format once its output starts.
    if (!plugin) {
        EXPECT_EQ(info.SampleRate, module ? 44100 : 22050);
        EXPECT_EQ(info.Channels, module ? 2 : 1);
    }
    const int length = module ? 1280 : 500;
    // Lossy encoders pad the end.
    const bool lossy = source.kind == test::SourceKind::Mp3 ||
                       source.kind == test::SourceKind::Ogg || source.kind == test::SourceKind::Wma;
    EXPECT_NEAR(info.Duration, length, lossy ? 150 : 10);
    EXPECT_NEAR(static_cast<int>(p.GetPlayLength()), length, lossy ? 150 : 10);
    if (module) {
        EXPECT_EQ(info.Title, "player test");
    } else if (source.kind == test::SourceKind::Mp3 || source.kind == test::SourceKind::Ogg) {
        EXPECT_EQ(info.Title, std::string(source.name) + " tone");
    }
    EXPECT_EQ(p.Mode(), M::plmReady);
    EXPECT_EQ(p.ChannelType(), source.kind == test::SourceKind::Plugin ? TChannelType::ctPlugin
                               : module                                ? TChannelType::ctMusic
                               : source.kind == test::SourceKind::Wma  ? TChannelType::ctWMA
                                                                       : TChannelType::ctStream);

    p.Play();
    EXPECT_EQ(p.Mode(), M::plmPlaying);
    ASSERT_TRUE(WaitForEnd(1, 6s));
    EXPECT_EQ(info.SampleRate, module ? 44100 : 22050);
    EXPECT_EQ(info.Channels, module ? 2 : 1);
    EXPECT_EQ(p.Mode(), M::plmStopped);
    RunEventsFor(300ms); // a second notice of the same end would come now
    EXPECT_EQ(ends_, 1);
    EXPECT_EQ(modes_, (std::vector<M>{M::plmReady, M::plmPlaying, M::plmStopped}));

    // Play after the end plays it again from the start: the whole length again.
    const auto again = Clock::now();
    p.Play();
    EXPECT_EQ(p.Mode(), M::plmPlaying);
    ASSERT_TRUE(WaitForEnd(2, 6s));
    EXPECT_GT(Clock::now() - again, std::chrono::milliseconds(length * 8 / 10));
    EXPECT_TRUE(messages_.empty()) << messages_.front();
}

INSTANTIATE_TEST_SUITE_P(Kinds, EverySource, ::testing::ValuesIn(KindCases()), KindName);

struct ClockCase {
    const char* name;
    test::SourceCase source;
    bool single;
};

class Clocks : public PlayerTest, public ::testing::WithParamInterface<ClockCase> {};

// The position is what is heard: it follows real time, holds while paused, and a seek lands
// where it was asked to.
TEST_P(Clocks, PositionFollowsRealTimeHoldsInPauseAndSeeks) {
    const auto& c = GetParam();
    const std::string path = test::MakeSource(dir_, c.source, 4000);
    TAudioPlayer& p = Start(c.single);
    ASSERT_TRUE(p.Open(path));
    p.Play();
    ASSERT_TRUE(WaitForSound());
    RunEventsFor(100ms);
    const auto t0 = Clock::now();
    const std::uint32_t p0 = p.GetPosition();
    RunEventsFor(800ms);
    const std::uint32_t p1 = p.GetPosition();
    const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    EXPECT_NEAR(static_cast<double>(p1 - p0), elapsed, elapsed * 0.05);

    p.SetPaused(true);
    EXPECT_EQ(p.Mode(), M::plmPaused);
    const std::uint32_t held = p.GetPosition();
    RunEventsFor(300ms);
    EXPECT_NEAR(static_cast<double>(p.GetPosition()), held, 5);
    p.Stop(); // a paused source is not stopped
    EXPECT_EQ(p.Mode(), M::plmPaused);
    p.SetPaused(false);
    EXPECT_EQ(p.Mode(), M::plmPlaying);

    p.SetPosition(2000);
    EXPECT_NEAR(static_cast<double>(p.GetPosition()), 2000, 50);
    RunEventsFor(100ms);
    p.SetPosition(500);
    EXPECT_NEAR(static_cast<double>(p.GetPosition()), 500, 50);
    // Beyond the length nothing happens.
    p.SetPosition(p.GetPlayLength() + 1);
    EXPECT_LT(p.GetPosition(), 1000u);
    EXPECT_EQ(ends_, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, Clocks,
    ::testing::Values(ClockCase{"WavDual", {"Wav", test::SourceKind::Wav, ".wav"}, false},
                      ClockCase{"WavSingle", {"Wav", test::SourceKind::Wav, ".wav"}, true},
                      ClockCase{"Mp3Dual", {"Mp3", test::SourceKind::Mp3, ".mp3"}, false},
                      ClockCase{"PluginRelay", {"Plugin", test::SourceKind::Plugin, ".ton"},
                                false}),
    [](const auto& param) { return std::string(param.param.name); });

// A seek while paused keeps the pause; the resume plays the source from the seek point, not the
// audio the relay held from before.
TEST_F(PlayerTest, RelayedAudioAfterAPausedSeekStartsAtTheSeekPoint) {
    constexpr int rate = 44100;
    const std::string path = test::MakeWav(dir_ / "pattern.wav", rate, 2, 2000);
    const std::string pcm = test::TonePcm(rate, 2, 2000);
    TAudioPlayer& p = Start(false);
    ASSERT_TRUE(p.Open(path));
    struct Sink {
        std::mutex lock;
        std::string bytes;
    } sink;
    SetStreamDataObserver(
        [](const void* data, std::uint32_t length, void* context) {
            auto* s = static_cast<Sink*>(context);
            const std::lock_guard guard(s->lock);
            s->bytes.append(static_cast<const char*>(data), length);
        },
        &sink);
    p.Play();
    ASSERT_TRUE(WaitForSound());
    p.SetPaused(true);
    p.SetPosition(1250);
    EXPECT_EQ(p.Mode(), M::plmPaused);
    RunEventsFor(100ms);
    {
        const std::lock_guard guard(sink.lock);
        sink.bytes.clear();
    }
    p.SetPaused(false);
    ASSERT_TRUE(RunEventsUntil(
        [&] {
            const std::lock_guard guard(sink.lock);
            return sink.bytes.size() >= 4096;
        },
        2s));
    SetStreamDataObserver(nullptr, nullptr);
    const std::size_t at = static_cast<std::size_t>(rate) * 1250 / 1000 * 4;
    const std::lock_guard guard(sink.lock);
    EXPECT_EQ(sink.bytes.substr(0, 4096), pcm.substr(at, 4096));
}

// Opening another source replaces the old one: its end, still on its way, is not this one's.
TEST_F(PlayerTest, EndOfAReplacedSourceIsIgnored) {
    const std::string shortWav = test::MakeWav(dir_ / "short.wav", 44100, 2, 150);
    const std::string longWav = test::MakeWav(dir_ / "long.wav", 44100, 2, 2000);
    TAudioPlayer& p = Start(false);
    ASSERT_TRUE(p.Open(shortWav));
    p.Play();
    // The short source's decoder ends at once; its notice is queued, not yet handled.
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(p.Open(longWav));
    EXPECT_EQ(p.Mode(), M::plmReady);
    p.Play();
    RunEventsFor(500ms);
    EXPECT_EQ(ends_, 0);
    EXPECT_EQ(p.Mode(), M::plmPlaying);
    EXPECT_EQ(p.StreamName(), longWav);
}

struct FailureCase {
    const char* name;
    std::function<std::string(const test::TempDir&)> make;
    std::string message; // "%s" stands for the path
};

class FailedOpen : public PlayerTest, public ::testing::WithParamInterface<FailureCase> {};

std::string withPath(std::string text, const std::string& path) {
    if (const auto at = text.find("%s"); at != std::string::npos) {
        text.replace(at, 2, path);
    }
    return text;
}

// A source that cannot be opened shows its message, and the one that played plays on.
TEST_P(FailedOpen, ShowsItsMessageAndTheOldSourcePlaysOn) {
    const std::string playing = test::MakeWav(dir_ / "playing.wav", 44100, 2, 3000);
    TAudioPlayer& p = Start(false);
    ASSERT_TRUE(p.Open(playing));
    p.Play();
    ASSERT_TRUE(WaitForSound());
    const std::uint32_t channel = p.DecodeChannel();
    const std::string bad = GetParam().make(dir_);
    EXPECT_FALSE(p.Open(bad));
    EXPECT_EQ(messages_, std::vector<std::string>{withPath(GetParam().message, bad)});
    EXPECT_EQ(p.Mode(), M::plmPlaying);
    EXPECT_EQ(p.StreamName(), playing);
    EXPECT_EQ(p.DecodeChannel(), channel);
    const std::uint32_t before = p.GetPosition();
    RunEventsFor(200ms);
    EXPECT_GT(p.GetPosition(), before + 100);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedOpen,
    ::testing::Values(
        FailureCase{"Missing", [](const test::TempDir& d) { return d / "missing.mp3"; },
                    "Invalid stream file (%s) !"},
        FailureCase{"FiveCharacterExtension",
                    [](const test::TempDir& d) { return test::MakeWav(d / "x.flac", 44100, 2, 100); },
                    "Invalid stream file (%s) !"},
        FailureCase{"CapitalHttpIsALocalName",
                    [](const test::TempDir&) { return std::string("HTTP://host/a.mp3"); },
                    "Invalid stream file (%s) !"},
        FailureCase{"EightBit",
                    [](const test::TempDir& d) {
                        const std::string path = d / "eight.wav";
                        test::WriteBytes(path, test::WavBytes(8000, 1, 8, std::string(800, '\x80')));
                        return path;
                    },
                    "Sound card does not support 16-bit sources."},
        FailureCase{"DamagedModule",
                    [](const test::TempDir& d) {
                        const std::string path = d / "junk.xm";
                        test::WriteBytes(path, std::string(3000, '\x55'));
                        return path;
                    },
                    "Can't play the specified stream file : %s"},
        FailureCase{"TruncatedModuleHeader",
                    [](const test::TempDir& d) {
                        const std::string path = d / "tiny.it";
                        test::WriteBytes(path, "IM");
                        return path;
                    },
                    "Can't play the specified stream file : %s"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(StreamMetadata, TitlesFromRadioMetaTextAndLists) {
    struct Case {
        std::string_view meta;
        std::string title;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"StreamTitle='Artist - Song';StreamUrl='x';"sv, "Artist - Song"},
        {"StreamTitle='Artist; feat. B - Song';"sv, "Artist; feat. B - Song"},
        {"StreamTitle='It''s';"sv, "It''s"},
        {"StreamTitle='No end'"sv, "No end"},
        {"StreamUrl='a;b';StreamTitle='After';"sv, "After"},
        {"StreamTitle='';"sv, ""},
        {"StreamUrl='x';"sv, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StreamTitleOf(c.meta), c.title) << c.meta;
    }
    const char list[] = "ARTIST=A\0title=Lower Case\0TITLE=Second\0";
    EXPECT_EQ(MetaListTitle(list), "Lower Case");
    EXPECT_EQ(MetaListTitle("\0TITLE=after the end\0"), "");
    // A list without its closing empty entry is read no further than its bound.
    const std::string unterminated(100, 'x');
    EXPECT_EQ(MetaListTitle(unterminated.data(), unterminated.size()), "");
    EXPECT_EQ(TagListValue("icy-name:R\0icy-br:128\0", "ICY-BR:"), "128");
}

TEST(StreamMetadata, NamesGiveTitlesAndExtensions) {
    EXPECT_EQ(TAudioPlayer::TitleFromURL("http://host/dir/song.mp3"), "song");
    EXPECT_EQ(TAudioPlayer::TitleFromURL("http://host/dir/a.mp3"), "dir/a");
    EXPECT_EQ(TAudioPlayer::TitleFromURL("http://x"), "");
    EXPECT_EQ(UpperExtension("/music/a.b/track.Mp3"), ".MP3");
    EXPECT_EQ(UpperExtension("/music/a.b/track"), "");
    EXPECT_EQ(UpperExtension("D:/Track05.cda"), ".CDA");
}

} // namespace
} // namespace wavora
