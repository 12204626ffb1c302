#include "MessageBox.h"
#include "PluginCtrl.h"
#include "PluginTestSupport.h"
#include "ioplug.h"

#include <atomic>
#include <bass.h>
#include <chrono>
#include <gtest/gtest.h>
#include <numeric>
#include <ostream>
#include <thread>
#include <vector>

namespace wavora {
namespace {

using namespace std::chrono_literals;

// The output module on its ring alone: no stream is open, so nothing reads behind the test's
// back.
class OutputRing : public testing::Test {
protected:
    void SetUp() override {
        test::App();
        ASSERT_TRUE(InitPluginManager(window.Handle()));
        out = OutputModule();
    }
    void TearDown() override {
        SetStreamDuration(0);
        ShutdownPluginManager();
    }

    test::RecordingWindow window;
    Out_Module* out = nullptr;
};

TEST_F(OutputRing, WriteTakesOnlyWhatIsStrictlySmallerThanTheFreeSpace) {
    TRingBuffer& ring = SharedRing();
    ring.SetPositions(0, ring.Size() - 1000); // 1000 bytes free
    EXPECT_EQ(out->CanWrite(), 999);
    std::vector<char> data(1000, 'x');
    EXPECT_EQ(out->Write(data.data(), 1000), 1);
    EXPECT_EQ(ring.Free(), 1000u);
    EXPECT_EQ(out->Write(data.data(), 999), 0);
    EXPECT_EQ(ring.Free(), 1u);
    EXPECT_EQ(out->CanWrite(), 0);
}

TEST_F(OutputRing, CanWriteIsZeroAndWriteWaitsWhileAReadIsInProgress) {
    ASSERT_TRUE(SharedRingLock().TryAcquire(TRingLock::Side::Reader));
    EXPECT_EQ(out->CanWrite(), 0);
    std::atomic<int> answer{-1};
    std::vector<char> data(100, 'y');
    std::thread writer([&] { answer = out->Write(data.data(), 100); });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(answer, -1);
    EXPECT_EQ(SharedRing().Used(), 0u);
    SharedRingLock().Release();
    writer.join();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(SharedRing().Used(), 100u);
    EXPECT_EQ(out->CanWrite(), static_cast<int>(SharedRing().Size() - 101));
}

TEST_F(OutputRing, SetInfoPostsOnlyWhenSomethingIsGiven) {
    ChannelInfo()->SampleRate = 44100;
    ChannelInfo()->Channels = 2;
    SetInfo(-1, -1, -1, 1);
    SetInfo(128, -1, -1, 0);
    ASSERT_TRUE(
        test::RunEventsUntil([&] { return !window.Received(WM_PLAYER_CHANNEL_INFO).empty(); }, 2s));
    test::RunEventsUntil([] { return false; }, 50ms);
    const auto posted = window.Received(WM_PLAYER_CHANNEL_INFO);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].lParam, reinterpret_cast<LPARAM>(ChannelInfo()));
    EXPECT_EQ(ChannelInfo()->BitRate, 128);
    EXPECT_EQ(ChannelInfo()->SampleRate, 44100);
    EXPECT_EQ(ChannelInfo()->Channels, 2);
}

TEST_F(OutputRing, AReadOfAWrappedRingReturnsItsBytesInOrderThenTheEnd) {
    TRingBuffer& ring = SharedRing();
    ring.SetPositions(ring.Size() - 500, ring.Size() - 500);
    std::vector<std::uint8_t> data(1000);
    std::iota(data.begin(), data.end(), 0);
    ring.Put(data.data(), 1000);
    SetEndOfInput();
    std::vector<std::uint8_t> out4096(4096);
    EXPECT_EQ(OutputStreamProc(0, out4096.data(), 4096, nullptr), 1000u);
    EXPECT_EQ(std::vector<std::uint8_t>(out4096.begin(), out4096.begin() + 1000), data);
    EXPECT_EQ(OutputStreamProc(0, out4096.data(), 4096, nullptr), BASS_STREAMPROC_END);
}

TEST_F(OutputRing, AReadWaitsForALaggingPluginWhileMuchOfTheFileRemains) {
    SetStreamDuration(10000);
    std::vector<char> data(5000, 'z');
    std::thread plugin([&] {
        std::this_thread::sleep_for(150ms);
        EXPECT_EQ(out->Write(data.data(), 5000), 0);
    });
    std::vector<std::uint8_t> buffer(4096);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(OutputStreamProc(0, buffer.data(), 4096, nullptr), 4096u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    plugin.join();

    // Within the last 2 s it still waits while the plug-in is behind...
    SetStreamDuration(1000);
    std::thread late([&] {
        std::this_thread::sleep_for(150ms);
        EXPECT_EQ(out->Write(data.data(), 5000), 0);
    });
    EXPECT_EQ(OutputStreamProc(0, buffer.data(), 4096, nullptr), 4096u);
    late.join();
    // ...but not once it has asked IsPlaying, having written everything.
    EXPECT_EQ(out->IsPlaying(), 0);
    EXPECT_EQ(OutputStreamProc(0, buffer.data(), 4096, nullptr), 1808u);
    EXPECT_EQ(OutputStreamProc(0, buffer.data(), 4096, nullptr), BASS_STREAMPROC_END);
}

TEST_F(OutputRing, AWriterAndAReaderOnTwoThreadsMoveEveryByteInOrder) {
    std::vector<std::uint8_t> source(3'000'000);
    std::uint32_t x = 1;
    for (std::uint8_t& b : source) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(x >> 24);
    }
    std::thread writer([&] {
        std::size_t done = 0;
        int step = 0;
        while (done < source.size()) {
            const int n = static_cast<int>(std::min<std::size_t>(
                static_cast<std::size_t>(1 + (step++ * 977) % 9000), source.size() - done));
            if (out->CanWrite() >= n &&
                out->Write(reinterpret_cast<char*>(source.data() + done), n) == 0) {
                done += static_cast<std::size_t>(n);
            } else {
                std::this_thread::yield();
            }
        }
    });
    std::vector<std::uint8_t> received;
    std::vector<std::uint8_t> buffer(8192);
    for (std::uint32_t step = 0; received.size() < source.size(); ++step) {
        const std::uint32_t n = 1 + (step * 131) % 8192;
        const std::uint32_t got = OutputStreamProc(0, buffer.data(), n, nullptr);
        if (got == BASS_STREAMPROC_END) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_LE(got, n);
        received.insert(received.end(), buffer.begin(), buffer.begin() + got);
    }
    writer.join();
    EXPECT_TRUE(received == source);
}

TEST_F(OutputRing, ConfigAndAboutShowTheirBoxes) {
    std::vector<std::string> shown;
    const MessageHandler previous =
        SetMessageHandler([&](MessageKind, std::string_view caption, std::string_view text) {
            shown.push_back(std::string(caption) + "|" + std::string(text));
            return MessageResult::Ok;
        });
    out->Config(nullptr);
    out->About(nullptr);
    SetMessageHandler(previous);
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "Confirm|No configuration is needed.",
                         "Confirm|This is a Winamp output plug-in emulator using BASS"}));
}

// The output module playing a real stream of the library on its output.
class OutputStream : public OutputRing {
protected:
    void SetUp() override {
        OutputRing::SetUp();
        ASSERT_TRUE(test::StartLibrary());
    }
    void TearDown() override {
        out->Close();
        OutputRing::TearDown();
    }

    // Opens and answers the stream handle the module announced.
    DWORD open(int rate, int channels, int bits) {
        window.Clear();
        EXPECT_EQ(out->Open(rate, channels, bits, -1, -1), 0);
        test::RunEventsUntil([&] { return !window.Received(WM_PLAYER_SET_PLAYCHANNEL).empty(); },
                             2s);
        const auto posted = window.Received(WM_PLAYER_SET_PLAYCHANNEL);
        return posted.empty() ? 0 : static_cast<DWORD>(posted[0].wParam);
    }

    // Writes bytes as a plug-in does, waiting for room.
    void writeAll(std::size_t bytes) {
        std::vector<char> block(4096, 1);
        while (bytes > 0) {
            const int n = static_cast<int>(std::min<std::size_t>(block.size(), bytes));
            if (out->CanWrite() >= n && out->Write(block.data(), n) == 0) {
                bytes -= static_cast<std::size_t>(n);
            } else {
                std::this_thread::sleep_for(5ms);
            }
        }
    }
};

struct OpenCase {
    int rate;
    int channels;
    int bits;
    std::uint32_t ring;
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.rate << "/" << c.channels << "/" << c.bits;
}

class OpenFormats : public OutputStream, public testing::WithParamInterface<OpenCase> {};

TEST_P(OpenFormats, OpenSizesTheRingAndCreatesTheStreamInTheFormat) {
    const OpenCase& c = GetParam();
    const DWORD stream = open(c.rate, c.channels, c.bits);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(RingBufferSize(), c.ring);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(bass::BASS_ChannelGetInfo(stream, &info));
    EXPECT_EQ(info.freq, static_cast<DWORD>(c.rate));
    EXPECT_EQ(info.chans, static_cast<DWORD>(c.channels));
    EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, c.bits == 8 ? 1u : 0u);
    EXPECT_EQ(out->GetWrittenTime(), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, OpenFormats,
                         testing::Values(OpenCase{44100, 2, 16, 88200},
                                         OpenCase{22050, 1, 16, 26460},
                                         OpenCase{96000, 2, 16, 230400},
                                         OpenCase{22050, 1, 8, 13230}));

TEST_F(OutputStream, OpenBeforeInitAndUnplayableFormatsFail) {
    EXPECT_EQ(out->Open(44100, 2, 24, -1, -1), -1);
    EXPECT_EQ(out->Open(0, 2, 16, -1, -1), -1);
    out->Quit();
    EXPECT_EQ(out->Open(44100, 2, 16, -1, -1), -1);
    out->Init();
}

TEST_F(OutputStream, VolumeIsClampedToTheLibraryScale) {
    for (const auto& [given, expected] :
         std::vector<std::pair<int, DWORD>>{{300, 255}, {-5, 0}, {128, 128}}) {
        out->SetVolume(given);
        // Setting answers the previous value: what SetVolume set.
        EXPECT_EQ(bass::BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 255), expected) << given;
    }
}

TEST_F(OutputStream, PanIsScaledToTheLibraryRange) {
    const DWORD stream = open(44100, 2, 16);
    ASSERT_NE(stream, 0u);
    for (const auto& [given, expected] : std::vector<std::pair<int, int>>{
             {-128, -100}, {127, 99}, {64, 50}, {0, 0}, {-1000, -100}}) {
        out->SetPan(given);
        DWORD freq = 0;
        DWORD volume = 0;
        int pan = 12345;
        ASSERT_TRUE(bass::BASS_ChannelGetAttributes(stream, &freq, &volume, &pan));
        EXPECT_EQ(pan, expected) << given;
    }
}

TEST_F(OutputStream, PrebufferingStartsTheStreamAndReportsTheFormat) {
    const DWORD stream = open(44100, 2, 16);
    ASSERT_NE(stream, 0u);
    writeAll(35280); // one block: still prebuffering
    EXPECT_EQ(bass::BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    writeAll(35280); // two blocks
    EXPECT_EQ(out->IsPlaying(), 1);
    ASSERT_TRUE(test::RunEventsUntil(
        [&] { return !window.Received(WM_PLAYER_PLUGIN_STARTED).empty(); }, 2s));
    EXPECT_EQ(window.Received(WM_PLAYER_PLUGIN_STARTED)[0].lParam,
              reinterpret_cast<LPARAM>(ChannelInfo()));
    EXPECT_EQ(ChannelInfo()->SampleRate, 44100);
    EXPECT_EQ(ChannelInfo()->Channels, 2);
    EXPECT_EQ(ChannelInfo()->BitsPerSample, 16);
    EXPECT_EQ(out->GetWrittenTime(), 400);
}

TEST_F(OutputStream, AskingIsPlayingStartsWhatAShortFileWrote) {
    const DWORD stream = open(44100, 2, 16);
    ASSERT_NE(stream, 0u);
    writeAll(8820); // 50 ms, far below the prebuffer
    EXPECT_EQ(bass::BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(out->IsPlaying(), 1);
    ASSERT_TRUE(test::RunEventsUntil(
        [&] { return !window.Received(WM_PLAYER_PLUGIN_STARTED).empty(); }, 2s));
}

TEST_F(OutputStream, FlushWhilePausedWaitsForASeek) {
    const DWORD stream = open(44100, 2, 16);
    ASSERT_NE(stream, 0u);
    writeAll(70560);
    ASSERT_EQ(out->IsPlaying(), 1);
    EXPECT_EQ(out->Pause(1), 0);
    EXPECT_EQ(out->Pause(1), 1);
    out->Flush(3000);
    EXPECT_EQ(out->GetWrittenTime(), 400);
    EXPECT_EQ(bass::BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PAUSED));

    SetSeekPending();
    out->Flush(3000);
    EXPECT_EQ(out->GetWrittenTime(), 3000);
    EXPECT_EQ(SharedRing().Used(), 0u);
    EXPECT_EQ(bass::BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    // The plug-in refills from the new place while paused; resuming plays it.
    writeAll(70560);
    EXPECT_EQ(bass::BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(out->Pause(0), 0);
    EXPECT_EQ(out->IsPlaying(), 1);
    // The seek mark was used up: a paused Flush is ignored again.
    EXPECT_EQ(out->Pause(1), 0);
    out->Flush(0);
    EXPECT_EQ(out->GetWrittenTime(), 3400);
}

TEST_F(OutputStream, WrittenTimeCountsFromTheFlushTime) {
    const DWORD stream = open(44100, 2, 16);
    ASSERT_NE(stream, 0u);
    out->Flush(5000);
    writeAll(176400); // one second: plays while it is written
    EXPECT_EQ(out->GetWrittenTime(), 6000);
    EXPECT_GE(out->GetOutputTime(), 5000);
    EXPECT_LE(out->GetOutputTime(), 6000);
}

} // namespace
} // namespace wavora
