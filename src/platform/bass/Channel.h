// One channel: a file stream, a music module or a user stream, decoding or played.
#pragma once

#include "Decoder.h"
#include "PcmFormat.h"
#include "PlaybackRing.h"
#include "bass.h"
#include "bassint.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace wbass {

enum class TChannelKind { FileStream, UserStream, Music };
enum class TPlayState { Stopped, Playing, Paused };

struct TSync {
    HSYNC handle = 0;
    DWORD type = 0;
    SYNCPROC* proc = nullptr;
    void* user = nullptr;
};

// Where a played channel's sound is mixed to.
struct TMixTarget {
    float* acc = nullptr; // interleaved stereo
    std::size_t frames = 0;
    std::uint32_t freq = 0;
    float gain = 1.0f;
};

class TChannel : public std::enable_shared_from_this<TChannel> {
public:
    TChannel(DWORD handle, TChannelKind kind, DWORD flags, DWORD ctype,
             std::unique_ptr<TDecoder> decoder, std::string path);
    TChannel(DWORD handle, DWORD flags, TPcmFormat format, STREAMPROC* proc, void* user);

    const DWORD handle;
    const TChannelKind kind;
    const DWORD flags;
    const DWORD ctype;
    const TPcmFormat format;
    const std::string path; // empty for user streams

    [[nodiscard]] bool IsDecoding() const { return (flags & BASS_STREAM_DECODE) != 0; }
    [[nodiscard]] bool AutoFree() const { return (flags & BASS_STREAM_AUTOFREE) != 0; }

    // Any thread. Each returns the library's result and sets the error code.
    [[nodiscard]] DWORD GetData(void* buffer, DWORD length);
    [[nodiscard]] DWORD GetLevel();
    [[nodiscard]] DWORD IsActive() const;
    [[nodiscard]] QWORD GetPosition() const;
    [[nodiscard]] bool SetPosition(QWORD pos);
    [[nodiscard]] std::optional<std::uint64_t> LengthBytes() const;
    [[nodiscard]] bool Play(bool restart);
    [[nodiscard]] bool Pause();
    void Stop();
    // The channel leaves the mixer and its source is closed; the table has already dropped it.
    void Free();

    void SetAttributes(int freq, int volume, int pan, std::uint32_t maxVol);
    void GetAttributes(DWORD* freq, DWORD* volume, int* pan, std::uint32_t maxVol) const;

    [[nodiscard]] HSYNC AddSync(DWORD type, SYNCPROC* proc, void* user);
    [[nodiscard]] bool SetTap(WAVORA_TAPPROC* proc, void* user);
    [[nodiscard]] const char* Tags(DWORD type);

    // Update thread: fills the playback buffer; finishes a channel the mixer has drained.
    void Update();
    // Mixer, under the mixer's lock.
    void MixInto(const TMixTarget& target);

private:
    void FireSyncs(DWORD type, DWORD_PTR data);
    // Under sourceMutex_.
    [[nodiscard]] std::size_t ReadSource(std::uint8_t* dst, std::size_t size, bool& ended);
    void Fill(std::size_t target);
    void ResetPlayback(std::uint64_t base);
    [[nodiscard]] bool RewindSource();
    [[nodiscard]] std::uint64_t HeardBytes() const;
    // Copies frames [from, from + count) of what was buffered, zeros where nothing is held.
    void CopyHeld(std::int64_t from, std::size_t count, std::uint8_t* dst) const;

    // Source side: guarded by sourceMutex_ (API threads and the update thread).
    mutable std::mutex sourceMutex_;
    std::unique_ptr<TDecoder> decoder_;
    STREAMPROC* proc_ = nullptr;
    void* procUser_ = nullptr;
    WAVORA_TAPPROC* tap_ = nullptr;
    void* tapUser_ = nullptr;
    std::uint64_t decodedPos_ = 0; // bytes delivered by a decoding channel
    bool endFired_ = false;
    bool freed_ = false;
    std::vector<std::uint8_t> scratch_;
    bool decodeEnded_ = false; // a decoding user stream returned BASS_STREAMPROC_END

    // Playback: ring written under sourceMutex_, read by the mixer under its lock; Reset under
    // both. basePos_ is the source position (bytes) of ring position 0.
    TPlaybackRing ring_;
    std::atomic<std::uint64_t> basePos_{0};
    std::atomic<bool> sourceEnded_{false}; // nothing more will be written
    std::atomic<bool> drained_{false};     // set by the mixer: all written bytes were mixed
    std::atomic<bool> starved_{false};     // set by the mixer: ran out before the end
    std::atomic<TPlayState> state_{TPlayState::Stopped};
    std::atomic<std::uint32_t> latencyFrames_{0}; // device delay, at the channel's own rate

    // Mixer state: the mixer's lock.
    double mixFrac_ = 1.0;
    float prev_[2] = {0, 0};
    float cur_[2] = {0, 0};

    // Attributes: any thread.
    std::atomic<std::uint32_t> freqAttr_;
    std::atomic<float> volume_{1.0f};
    std::atomic<int> pan_{0};

    // Guarded by syncMutex_.
    std::mutex syncMutex_;
    std::vector<TSync> syncs_;

    // Tag blocks, read once: guarded by tagMutex_.
    std::mutex tagMutex_;
    bool tagsRead_[3] = {false, false, false};
    std::optional<std::string> tags_[3];
};

} // namespace wbass
