#include "ioplug.h"

#include "AudioFormat.h"
#include "BassLoader.h"
#include "MessageBox.h"
#include "MessageWindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <bass.h>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <new>
#include <thread>

namespace wavora {
namespace {

using namespace std::chrono_literals;
using Side = TRingLock::Side;

constexpr std::uint32_t libraryError = 0xFFFFFFFFu;
constexpr std::uint32_t prebufferFreeLimit = 8192;

// Module state, one per process. Unless a comment says otherwise, a field is written by one
// side and read by the others without a lock, hence atomic; the ring's bytes and positions
// are guarded by ringLock.
struct IoPlugState {
    TRingBuffer ring;
    TRingLock ringLock;

    // The relay's fetch target: used by the feeder thread only, allocated and freed on the
    // user-interface thread while no relay runs.
    std::unique_ptr<std::uint8_t[]> scratch;
    std::atomic<std::uint32_t> scratchSize{0};

    // Format of what plays; written by Open (plug-in thread) or StartRelay (UI thread) before
    // the stream starts.
    std::atomic<std::uint32_t> rate{0};
    std::atomic<std::uint32_t> bits{0};
    std::atomic<std::uint32_t> channels{0};

    std::atomic<std::uint64_t> writtenCount{0}; // bytes accepted by Write since Open or Flush
    std::atomic<std::uint64_t> fetchedCount{0}; // bytes fetched by the relay since its reset
    std::atomic<std::int32_t> timeOffset{0};    // ms, added to the output module's times
    // Bumped by every reset of the relay under the writer's side, so that a fetch taken before
    // a reset is never stored after it.
    std::atomic<std::uint64_t> relayGeneration{0};
    // Set by a reset, cleared by the relay stream's next read: until the source has been
    // repositioned and the stream plays again, nothing is fetched.
    std::atomic<bool> fillsHeld{false};

    std::atomic<bool> prebuffering{false};
    std::atomic<bool> endOfInput{false};
    std::atomic<bool> resumed{false};
    std::atomic<bool> seekPending{false};
    std::atomic<bool> initialised{false};
    // The plug-in asked IsPlaying since the last Open or Flush: it has written everything.
    std::atomic<bool> drainAsked{false};
    // Counts Write calls that reached the ring, so that a waiting reader sees one happen.
    std::atomic<std::uint64_t> writeSerial{0};

    std::atomic<std::uint32_t> outputStream{0};
    std::atomic<std::uint32_t> relayStream{0};
    std::atomic<std::uint32_t> relaySource{0};

    // The feeder thread: owned by the UI thread (StartRelay/StopRelay); the feeder publishes
    // its message window's handle while it runs and 0 when it leaves.
    std::unique_ptr<QThread> feeder;
    std::atomic<HWND> feederWindow{nullptr};
    std::atomic<bool> feederStarted{false};
    std::atomic<bool> feederQuit{false};
    bool filling = false; // feeder thread only: a fill is in progress

    TChannelInfo channelInfo;
    std::atomic<HWND> notificationWindow{nullptr};
    std::atomic<std::int32_t> streamDuration{0};

    std::atomic<StreamDataObserver> observer{nullptr};
    std::atomic<void*> observerContext{nullptr};

    Out_Module outModule{}; // filled on the UI thread before any plug-in sees it
};

IoPlugState& state() {
    static IoPlugState instance;
    return instance;
}

TAudioFormat currentFormat() {
    const IoPlugState& s = state();
    return {s.rate.load(), s.bits.load(), s.channels.load()};
}

std::int32_t roundedMs(std::uint64_t bytes, std::uint32_t bytesPerSecond) {
    if (bytesPerSecond == 0) {
        return 0;
    }
    return static_cast<std::int32_t>(
        std::nearbyint(static_cast<double>(bytes) * 1000.0 / bytesPerSecond));
}

bool libraryReady() {
    return bass::BASS_StreamCreate != nullptr;
}

std::uint32_t streamState(std::uint32_t stream) {
    return stream != 0 && libraryReady() ? bass::BASS_ChannelIsActive(stream) : BASS_ACTIVE_STOPPED;
}

void notify(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (HWND window = state().notificationWindow.load()) {
        PostMessage(window, message, wParam, lParam);
    }
}

LPARAM channelInfoParam() {
    return reinterpret_cast<LPARAM>(&state().channelInfo);
}

void observe(const void* data, std::uint32_t length) {
    IoPlugState& s = state();
    if (StreamDataObserver observer = s.observer.load(); observer != nullptr && length > 0) {
        observer(data, length, s.observerContext.load());
    }
}

// Stores the format and makes the ring 2 to 4 blocks long. Called with the writer's side held
// and no stream reading. False when the ring cannot be reallocated.
bool setupFormat(std::uint32_t rate, std::uint32_t channels, std::uint32_t bits) {
    IoPlugState& s = state();
    s.rate = rate;
    s.bits = bits;
    s.channels = channels;
    const TAudioFormat format{rate, bits, channels};
    const std::uint32_t wanted = format.RingBytesFor(s.ring.Size());
    if (wanted != s.ring.Size() || s.ring.Size() == 0) {
        return s.ring.Allocate(wanted);
    }
    return true;
}

void sleepPumping(std::chrono::milliseconds step) {
    PumpMessages();
    std::this_thread::sleep_for(step);
}

// --- the output module -------------------------------------------------------------------

void outConfig(HWND /*parent*/) {
    ShowMessage(MessageKind::Information, "Confirm", "No configuration is needed.");
}

void outAbout(HWND /*parent*/) {
    ShowMessage(MessageKind::Information, "Confirm",
                "This is a Winamp output plug-in emulator using BASS");
}

void outInit() {
    state().initialised = true;
}

void outQuit() {
    state().initialised = false;
}

void outClose() {
    IoPlugState& s = state();
    const std::uint32_t stream = s.outputStream.exchange(0);
    if (stream == 0) {
        return;
    }
    // No more data will come: a read callback waiting for some must not hold up the stop.
    s.endOfInput = true;
    if (streamState(stream) == BASS_ACTIVE_PLAYING) {
        bass::BASS_ChannelStop(stream);
    }
    bass::BASS_StreamFree(stream);
}

// Empty ring, nothing written, prebuffering from the next Write on.
void resetOutput() {
    IoPlugState& s = state();
    const TRingGuard guard(s.ringLock, Side::Writer);
    s.ring.Reset();
    s.writtenCount = 0;
    s.seekPending = false;
    s.prebuffering = true;
    s.endOfInput = false;
    s.drainAsked = false;
}

int outOpen(int samplerate, int numchannels, int bitspersamp, int /*bufferlenms*/,
            int /*prebufferms*/) {
    IoPlugState& s = state();
    if (!s.initialised || !libraryReady() || samplerate <= 0 || numchannels <= 0 ||
        (bitspersamp != 8 && bitspersamp != 16)) {
        return -1;
    }
    // A plug-in that opens again without closing must not leave the old stream reading a ring
    // that is about to be replaced.
    outClose();
    const DWORD flags = bitspersamp == 8 ? BASS_SAMPLE_8BITS : 0;
    const std::uint32_t stream =
        bass::BASS_StreamCreate(static_cast<DWORD>(samplerate), static_cast<DWORD>(numchannels),
                                flags, &OutputStreamProc, nullptr);
    if (stream == 0) {
        resetOutput();
        return -1;
    }
    bool formatReady = false;
    {
        const TRingGuard guard(s.ringLock, Side::Writer);
        formatReady = setupFormat(static_cast<std::uint32_t>(samplerate),
                                  static_cast<std::uint32_t>(numchannels),
                                  static_cast<std::uint32_t>(bitspersamp));
    }
    if (!formatReady) {
        bass::BASS_StreamFree(stream);
        return -1;
    }
    s.timeOffset = 0;
    s.outputStream = stream;
    notify(WM_PLAYER_SET_PLAYCHANNEL, stream, 0);
    resetOutput();
    return 0;
}

// Starts the output stream once enough is buffered (or at once with force); called by the
// writer after a copy.
void finishPrebuffering(bool force) {
    IoPlugState& s = state();
    if (!s.prebuffering) {
        return;
    }
    const TAudioFormat format = currentFormat();
    if (!force && s.ring.Free() > prebufferFreeLimit && s.ring.Used() < 2 * format.BlockBytes()) {
        return;
    }
    s.prebuffering = false;
    if (const std::uint32_t stream = s.outputStream.load(); stream != 0) {
        s.resumed = false;
        bass::BASS_ChannelPlay(stream, 1);
        s.channelInfo.BitsPerSample = static_cast<std::uint16_t>(format.Bits);
        s.channelInfo.SampleRate = static_cast<std::int32_t>(format.SampleRate);
        s.channelInfo.Channels = static_cast<std::uint16_t>(format.Channels);
        notify(WM_PLAYER_PLUGIN_STARTED, 0, channelInfoParam());
    }
}

int outWrite(char* buf, int len) {
    IoPlugState& s = state();
    if (len < 0 || (len > 0 && buf == nullptr)) {
        return 1;
    }
    const auto length = static_cast<std::uint32_t>(len);
    int answer = 1;
    {
        const TRingGuard guard(s.ringLock, Side::Writer);
        s.writeSerial.fetch_add(1);
        if (length < s.ring.Free()) {
            s.ring.Put(buf, length);
            s.writtenCount.fetch_add(length);
            answer = 0;
        }
    }
    finishPrebuffering(false);
    return answer;
}

int outCanWrite() {
    IoPlugState& s = state();
    if (s.ringLock.ReaderBusy()) {
        return 0;
    }
    const std::uint32_t free = s.ring.Free();
    return free == 0 ? 0 : static_cast<int>(free - 1);
}

int outIsPlaying() {
    IoPlugState& s = state();
    // A plug-in asks this once it has written everything and waits for the output to drain.
    // A file shorter than the prebuffer would otherwise never be heard: start what there is.
    s.drainAsked = true;
    if (s.prebuffering && s.outputStream != 0 && s.ring.Used() > 0) {
        finishPrebuffering(true);
    }
    // Stalled counts: the stream still has to play what the ring holds.
    const std::uint32_t st = streamState(s.outputStream);
    return st == BASS_ACTIVE_PLAYING || st == BASS_ACTIVE_STALLED ? 1 : 0;
}

int outPause(int pause) {
    IoPlugState& s = state();
    const std::uint32_t stream = s.outputStream;
    const bool wasPaused = streamState(stream) == BASS_ACTIVE_PAUSED;
    if (pause == 0) {
        s.resumed = true;
        if (stream != 0) {
            bass::BASS_ChannelPlay(stream, wasPaused ? 0 : 1);
        }
    } else if (!wasPaused && stream != 0) {
        bass::BASS_ChannelPause(stream);
    }
    return wasPaused ? 1 : 0;
}

void outSetVolume(int volume) {
    if (!libraryReady()) {
        return;
    }
    const int clamped = volume < 0 ? 0 : (volume > 255 ? 255 : volume);
    bass::BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, static_cast<DWORD>(clamped));
}

void outSetPan(int pan) {
    const std::uint32_t stream = state().outputStream;
    if (stream == 0) {
        return;
    }
    const int clamped = pan < -128 ? -128 : (pan > 127 ? 127 : pan);
    const auto libraryPan = static_cast<int>(std::nearbyint(clamped * 0.78125));
    bass::BASS_ChannelSetAttributes(stream, -1, -1, libraryPan);
}

void outFlush(int t) {
    IoPlugState& s = state();
    const std::uint32_t stream = s.outputStream;
    const std::uint32_t st = streamState(stream);
    if (st == BASS_ACTIVE_PAUSED && !s.seekPending) {
        return;
    }
    const bool restart = st != BASS_ACTIVE_STOPPED && st != BASS_ACTIVE_PAUSED &&
                         (s.ring.Free() > 0 || st == BASS_ACTIVE_PLAYING);
    // Stopped before the ring is taken, so that a read callback the library may be running
    // can finish rather than wait for us.
    if (stream != 0) {
        bass::BASS_ChannelStop(stream);
    }
    const TRingGuard guard(s.ringLock, Side::Writer);
    if (restart) {
        s.prebuffering = true;
    }
    s.timeOffset = t;
    s.ring.Reset();
    s.writtenCount = 0;
    s.seekPending = false;
    s.drainAsked = false;
}

int outGetOutputTime() {
    IoPlugState& s = state();
    const std::uint32_t stream = s.outputStream;
    std::uint64_t bytes = 0;
    if (stream != 0) {
        bytes = bass::BASS_ChannelGetPosition(stream);
        if (bytes == static_cast<QWORD>(-1)) {
            bytes = 0;
        }
    }
    return roundedMs(bytes, currentFormat().BytesPerSecond()) + s.timeOffset;
}

int outGetWrittenTime() {
    IoPlugState& s = state();
    return roundedMs(s.writtenCount, currentFormat().BytesPerSecond()) + s.timeOffset;
}

// The plug-in still owes data: a read finding too little waits for it instead of ending or
// stalling the stream. That holds while more than 2 s of a known duration are unwritten, and
// also within those last 2 s until the plug-in shows it has written everything by asking
// IsPlaying: the library takes half a second at a time, so the ring can run empty there
// while the plug-in is merely behind, and ending the stream then would lose the file's end.
bool pluginOwesData() {
    const IoPlugState& s = state();
    const std::int32_t written = outGetWrittenTime();
    const std::int32_t duration = s.streamDuration;
    return written < duration && (duration - written > 2000 || !s.drainAsked);
}

// --- the relay feeder ----------------------------------------------------------------------

void postFill() {
    if (HWND feeder = state().feederWindow.load()) {
        PostMessage(feeder, WM_RELAY_FILL, 0, 0);
    }
}

void runFeeder() {
    IoPlugState& s = state();
    QEventLoop loop;
    TMessageWindow window([&s, &loop](unsigned message, WPARAM, LPARAM) -> LPARAM {
        if (message == WM_CLOSE || message == WM_QUIT) {
            s.feederQuit = true;
        } else if (message == WM_RELAY_FILL && s.relayStream != 0 && !s.ringLock.WriterBusy() &&
                   !s.filling) {
            s.filling = true;
            FillRelayBuffer();
            s.filling = false;
        }
        if (s.feederQuit || s.relayStream == 0) {
            loop.quit();
        }
        return 0;
    });
    s.feederQuit = false;
    s.feederWindow = window.Handle();
    s.feederStarted = true;
    if (s.relayStream != 0) {
        loop.exec();
    }
    s.feederWindow = nullptr;
}

} // namespace

// --- buffers and settings -------------------------------------------------------------------

bool AllocateRingBuffer(std::uint32_t bytes) {
    IoPlugState& s = state();
    const TRingGuard guard(s.ringLock, Side::Writer);
    return s.ring.Allocate(bytes);
}

bool AllocateScratchBuffer(std::uint32_t bytes) {
    IoPlugState& s = state();
    s.scratch.reset(new (std::nothrow) std::uint8_t[bytes]);
    s.scratchSize = s.scratch ? bytes : 0;
    return s.scratch != nullptr;
}

void FreeBuffers() {
    IoPlugState& s = state();
    {
        const TRingGuard guard(s.ringLock, Side::Writer);
        s.ring.Release();
        s.writtenCount = 0;
        s.fetchedCount = 0;
        s.timeOffset = 0;
        s.prebuffering = false;
        s.endOfInput = false;
        s.resumed = false;
        s.seekPending = false;
    }
    s.scratch.reset();
    s.scratchSize = 0;
}

std::uint32_t RingBufferSize() {
    return state().ring.Size();
}
std::uint32_t ScratchBufferSize() {
    return state().scratchSize;
}
void SetNotificationWindow(HWND window) {
    state().notificationWindow = window;
}
HWND NotificationWindow() {
    return state().notificationWindow;
}
void SetStreamDuration(std::int32_t ms) {
    state().streamDuration = ms;
}
void SetSeekPending() {
    state().seekPending = true;
}

void SetupOutputModule() {
    static char description[] = "BASS Winamp output plug-in emulator";
    Out_Module& m = state().outModule;
    m.version = 0x10;
    m.description = description;
    m.id = 0x10001;
    m.hMainWindow = state().notificationWindow;
    m.hDllInstance = nullptr;
    m.Config = &outConfig;
    m.About = &outAbout;
    m.Init = &outInit;
    m.Quit = &outQuit;
    m.Open = &outOpen;
    m.Close = &outClose;
    m.Write = &outWrite;
    m.CanWrite = &outCanWrite;
    m.IsPlaying = &outIsPlaying;
    m.Pause = &outPause;
    m.SetVolume = &outSetVolume;
    m.SetPan = &outSetPan;
    m.Flush = &outFlush;
    m.GetOutputTime = &outGetOutputTime;
    m.GetWrittenTime = &outGetWrittenTime;
    m.Init();
}

Out_Module* OutputModule() {
    return &state().outModule;
}
bool OutputModuleInitialised() {
    return state().initialised;
}
PChannelInfo ChannelInfo() {
    return &state().channelInfo;
}

void SetInfo(int bitrate, int srate, int stereo, int /*synched*/) {
    if (bitrate == -1 && srate == -1 && stereo == -1) {
        return;
    }
    TChannelInfo& info = state().channelInfo;
    if (bitrate != -1) {
        info.BitRate = bitrate;
    }
    if (srate != -1) {
        info.SampleRate = srate;
    }
    if (stereo != -1) {
        info.Channels = static_cast<std::uint16_t>(stereo);
    }
    notify(WM_PLAYER_CHANNEL_INFO, 0, channelInfoParam());
}

// --- stream callbacks -------------------------------------------------------------------------

std::uint32_t OutputStreamProc(std::uint32_t /*handle*/, void* buffer, std::uint32_t n,
                               void* /*user*/) {
    IoPlugState& s = state();
    // While the plug-in merely lags, wait for data instead of ending the stream. The library
    // may ask for as much as the whole ring holds, which no writer can reach: half the ring
    // is enough to go on with.
    const std::uint32_t enough = std::min(n, s.ring.Size() / 2);
    if (!s.endOfInput && s.ring.Used() < enough) {
        if (pluginOwesData()) {
            for (int round = 0; round < 60; ++round) {
                sleepPumping(50ms);
                if (s.ring.Used() >= enough || s.endOfInput || !pluginOwesData()) {
                    break;
                }
            }
            s.resumed = false;
        }
    }
    std::uint32_t answer = 0;
    {
        const TRingGuard guard(s.ringLock, Side::Reader);
        if (s.ring.Used() == 0) {
            answer = BASS_STREAMPROC_END;
        } else {
            answer = s.ring.Take(buffer, n);
            observe(buffer, answer);
        }
    }
    // Just after a resume, give the plug-in time to start writing again. The reader's side is
    // free by now, so the Write being waited for can take the ring. Near the end of the file
    // no more writes may come, and waiting would only stall the last of the audio.
    if (s.resumed && n > s.ring.Used() && pluginOwesData()) {
        const std::uint64_t serial = s.writeSerial;
        for (int round = 0;
             round < 50 && s.writeSerial == serial && !s.endOfInput && pluginOwesData(); ++round) {
            sleepPumping(200ms);
        }
        s.resumed = false;
    }
    return answer;
}

std::uint32_t RelayStreamProc(std::uint32_t /*handle*/, void* buffer, std::uint32_t n,
                              void* /*user*/) {
    IoPlugState& s = state();
    s.fillsHeld = false;
    // Wait for the feeder to prebuffer, asking again now and then: a request can be dropped
    // while the ring is being reset. Without a feeder nothing would ever end the wait.
    auto nextRequest = std::chrono::steady_clock::now();
    while (s.prebuffering && !s.endOfInput && s.feederWindow.load() != nullptr) {
        if (const auto now = std::chrono::steady_clock::now(); now >= nextRequest) {
            postFill();
            nextRequest = now + 5ms;
        }
        PumpMessages();
        std::this_thread::yield();
    }
    std::uint32_t answer = 0;
    {
        const TRingGuard guard(s.ringLock, Side::Reader);
        answer = s.ring.Take(buffer, n);
        observe(buffer, answer);
        if (answer < n && s.endOfInput) {
            answer |= BASS_STREAMPROC_END;
        }
    }
    if ((answer & BASS_STREAMPROC_END) == 0) {
        postFill();
    }
    return answer;
}

void SetEndOfInput() {
    state().endOfInput = true;
}

// --- the relay --------------------------------------------------------------------------------

void FillRelayBuffer() {
    IoPlugState& s = state();
    const std::uint32_t relay = s.relayStream;
    if (relay == 0 || s.endOfInput || s.fillsHeld) {
        return;
    }
    const std::uint32_t chunk = currentFormat().ChunkBytes();
    // Only the reader runs besides us, and it only makes room, so the space seen here can only
    // grow before the copy. The fetch runs without the ring held: the library must never wait
    // for a read callback that waits for us.
    if (s.ring.Free() <= chunk) {
        s.prebuffering = false;
        return;
    }
    const std::uint64_t generation = s.relayGeneration;
    const std::uint32_t got = bass::BASS_ChannelGetData(s.relaySource, s.scratch.get(), chunk);
    bool again = false;
    {
        const TRingGuard guard(s.ringLock, Side::Writer);
        if (generation != s.relayGeneration) {
            again = true; // reset meanwhile: this data is from before a seek, fetch anew
        } else if (got == 0 || got == libraryError || got > chunk) {
            // Nothing more, or the library's error value: the input has ended.
            s.endOfInput = true;
        } else {
            s.fetchedCount.fetch_add(got);
            s.ring.Put(s.scratch.get(), got);
            if (got < chunk) {
                s.endOfInput = true;
            } else {
                again = s.ring.Free() > chunk;
            }
            if (s.prebuffering &&
                (s.ring.Free() <= chunk || s.ring.Used() >= 2 * currentFormat().BlockBytes())) {
                s.prebuffering = false;
            }
        }
    }
    if (again) {
        const std::uint32_t st = streamState(relay);
        if (s.prebuffering || st == BASS_ACTIVE_PLAYING || st == BASS_ACTIVE_STALLED) {
            postFill();
        }
    }
}

std::uint32_t StartRelay(std::uint32_t source, std::uint32_t rate, std::uint32_t channels,
                         std::uint32_t bits) {
    IoPlugState& s = state();
    if (!libraryReady() || rate == 0 || channels == 0 || (bits != 8 && bits != 16)) {
        return 0;
    }
    if (s.relayStream != 0 || s.feeder) {
        StopRelay();
    }
    if (TAudioFormat{rate, bits, channels}.ChunkBytes() > s.scratchSize) {
        return 0;
    }
    const std::uint32_t stream = bass::BASS_StreamCreate(
        rate, channels, bits == 8 ? BASS_SAMPLE_8BITS : 0, &RelayStreamProc, nullptr);
    if (stream == 0) {
        return 0;
    }
    {
        const TRingGuard guard(s.ringLock, Side::Writer);
        if (!setupFormat(rate, channels, bits)) {
            bass::BASS_StreamFree(stream);
            return 0;
        }
    }
    ResetRelay();
    s.relaySource = source;
    s.relayStream = stream;
    s.feederStarted = false;
    s.feeder.reset(QThread::create(&runFeeder));
    s.feeder->start(QThread::HighPriority);
    if (!s.feeder->isRunning() && !s.feeder->isFinished()) {
        // A relay nothing can fill would only ever play silence: refuse it.
        s.feeder.reset();
        s.relayStream = 0;
        bass::BASS_StreamFree(stream);
        ShowMessage(MessageKind::Warning, "Error!", "Unable to create thread !");
        return 0;
    }
    while (!s.feederStarted) {
        sleepPumping(20ms);
    }
    return stream;
}

void StopRelay() {
    IoPlugState& s = state();
    if (const std::uint32_t stream = s.relayStream.exchange(0); stream != 0) {
        bass::BASS_StreamFree(stream);
    }
    if (s.feeder) {
        if (HWND window = s.feederWindow.load()) {
            PostMessage(window, WM_CLOSE, 0, 0);
        }
        while (s.feederWindow.load() != nullptr && !s.feeder->isFinished()) {
            sleepPumping(20ms);
        }
        s.feeder->wait();
        s.feeder.reset();
    }
}

void ResetRelay() {
    IoPlugState& s = state();
    const TRingGuard guard(s.ringLock, Side::Writer);
    s.relayGeneration.fetch_add(1);
    s.fillsHeld = true;
    s.ring.Reset();
    s.fetchedCount = 0;
    s.prebuffering = true;
    s.endOfInput = false;
}

std::uint32_t RelayBufferedBytes() {
    return state().ring.Used();
}

std::int32_t RelayPlayedTime() {
    IoPlugState& s = state();
    const std::uint64_t fetched = s.fetchedCount;
    const std::uint32_t used = s.ring.Used();
    return roundedMs(fetched > used ? fetched - used : 0, currentFormat().BytesPerSecond());
}

// --- utilities --------------------------------------------------------------------------------

std::string AppDirectory() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "./";
    }
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

void PumpMessages() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents();
    }
}

TRingBuffer& SharedRing() {
    return state().ring;
}
TRingLock& SharedRingLock() {
    return state().ringLock;
}

void SetStreamDataObserver(StreamDataObserver observer, void* context) {
    IoPlugState& s = state();
    s.observerContext = context;
    s.observer = observer;
}

} // namespace wavora
