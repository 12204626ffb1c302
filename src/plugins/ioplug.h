#pragma once

#include "RingBuffer.h"
#include "RingLock.h"
#include "sdk/Winamp.h"

#include <atomic>
#include <cstdint>
#include <string>

// The output-plug-in emulator and the dual-channel relay. Both turn PCM that arrives in pieces
// into one continuously playing stream of the audio library, through one shared ring; only one
// of them is in use at a time.
namespace wavora {

// Messages posted to the notification window (and, for the fill request, to the feeder).
inline constexpr unsigned WM_PLAYER_PLUGIN_STARTED = WM_USER + 101;  // lParam: PChannelInfo
inline constexpr unsigned WM_PLAYER_SET_PLAYCHANNEL = WM_USER + 105; // wParam: stream handle
inline constexpr unsigned WM_PLAYER_CHANNEL_INFO = WM_USER + 112;    // lParam: PChannelInfo
inline constexpr unsigned WM_RELAY_FILL = WM_USER + 114;

// What the emulated output plays. One record per process; its address travels in the posted
// messages. Written by the plug-in's threads, read by the player's handler: hence atomic.
struct TChannelInfo {
    std::atomic<std::uint16_t> BitsPerSample{0};
    std::atomic<std::int32_t> BitRate{0};
    std::atomic<std::int32_t> SampleRate{0};
    std::atomic<std::uint16_t> Channels{0};
};
using PChannelInfo = TChannelInfo*;

// Buffers and settings, set up by the plug-in manager on the user-interface thread.
[[nodiscard]] bool AllocateRingBuffer(std::uint32_t bytes);
[[nodiscard]] bool AllocateScratchBuffer(std::uint32_t bytes);
void FreeBuffers(); // both sizes become 0
[[nodiscard]] std::uint32_t RingBufferSize();
[[nodiscard]] std::uint32_t ScratchBufferSize();
void SetNotificationWindow(HWND window);
[[nodiscard]] HWND NotificationWindow();
// The duration in ms of the source being played (0: unknown).
void SetStreamDuration(std::int32_t ms);
// The next Flush of the output module is a seek.
void SetSeekPending();

// Fills the Out_Module record and calls its Init.
void SetupOutputModule();
[[nodiscard]] Out_Module* OutputModule();
[[nodiscard]] bool OutputModuleInitialised();
[[nodiscard]] PChannelInfo ChannelInfo();

// Written into every input plug-in's In_Module; called from the plug-in's threads. -1 leaves
// a value unchanged; the fourth argument is ignored.
void SetInfo(int bitrate, int srate, int stereo, int synched);

// The two stream callbacks, run by the library on its update thread.
std::uint32_t OutputStreamProc(std::uint32_t handle, void* buffer, std::uint32_t length,
                               void* user);
std::uint32_t RelayStreamProc(std::uint32_t handle, void* buffer, std::uint32_t length, void* user);

// The input has ended: the read callbacks stop waiting and the stream ends once the ring is
// drained. The player calls it when a plug-in reports the end of its file.
void SetEndOfInput();

// The relay: plays a decoding channel through a user stream fed by a feeder thread. Called on
// the user-interface thread. StartRelay answers the relay stream, or 0.
[[nodiscard]] std::uint32_t StartRelay(std::uint32_t source, std::uint32_t rate,
                                       std::uint32_t channels, std::uint32_t bits);
void StopRelay();
// Back to prebuffering with an empty ring, as before a restart or after a seek of the source.
void ResetRelay();
[[nodiscard]] std::uint32_t RelayBufferedBytes();
[[nodiscard]] std::int32_t RelayPlayedTime();
// One fill step of the feeder thread.
void FillRelayBuffer();

// The folder of the running executable, ending in '/'.
[[nodiscard]] std::string AppDirectory();
// Runs the calling thread's pending events without blocking.
void PumpMessages();

// The shared ring and its reader/writer exclusion.
[[nodiscard]] TRingBuffer& SharedRing();
[[nodiscard]] TRingLock& SharedRingLock();

// Sees every byte a stream callback hands to the library, on the library's thread, before it
// returns; for diagnostics. Set it while no stream plays; it must not block.
using StreamDataObserver = void (*)(const void* data, std::uint32_t length, void* context);
void SetStreamDataObserver(StreamDataObserver observer, void* context);

} // namespace wavora
