// The process-wide state of libbass.so: configuration, channel table, mixer, output device and
// update thread.
#pragma once

#include "Channel.h"
#include "OutputDevice.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace wbass {

// Handles of live channels. Any thread; guarded by its own mutex.
class TChannelTable {
public:
    [[nodiscard]] DWORD NewHandle();
    void Insert(std::shared_ptr<TChannel> channel);
    [[nodiscard]] std::shared_ptr<TChannel> Find(DWORD handle) const;
    // Removes and returns the channel; nullptr when unknown.
    [[nodiscard]] std::shared_ptr<TChannel> Take(DWORD handle);
    [[nodiscard]] std::vector<std::shared_ptr<TChannel>> TakeAll();

private:
    mutable std::mutex mutex_;
    std::unordered_map<DWORD, std::shared_ptr<TChannel>> channels_;
    DWORD next_ = 0x00010000;
};

// Mixes the playing channels for the device. Mix runs on the device thread and only mixes.
class TMixer {
public:
    void Mix(std::int16_t* out, std::size_t frames);
    void Add(const std::shared_ptr<TChannel>& channel);
    void Remove(const TChannel* channel);
    [[nodiscard]] std::vector<std::shared_ptr<TChannel>> Snapshot();
    // Held by Mix for one period; taken by whoever resets a playing channel's buffer.
    [[nodiscard]] std::mutex& Mutex() { return mutex_; }
    void SetFreq(std::uint32_t freq) { freq_.store(freq); }

private:
    std::mutex mutex_; // guards list_, acc_ and every listed channel's mix state
    std::vector<std::shared_ptr<TChannel>> list_;
    std::vector<float> acc_;
    std::atomic<std::uint32_t> freq_{44100};
};

class TLibrary {
public:
    static TLibrary& Get();
    ~TLibrary();

    [[nodiscard]] bool Init(int device, DWORD freq, DWORD flags);
    [[nodiscard]] bool Free();
    [[nodiscard]] bool Initialised() const { return initialised_.load(); }
    [[nodiscard]] bool HasOutput() const { return hasOutput_.load(); }
    [[nodiscard]] std::uint32_t OutputFreq() const { return outputFreq_.load(); }
    [[nodiscard]] std::uint32_t LatencyFrames() const { return latency_.load(); }
    void FillInfo(BASS_INFO& info) const;

    // The channel of a handle, or nullptr with BASS_ERROR_HANDLE set.
    [[nodiscard]] std::shared_ptr<TChannel> Channel(DWORD handle) const;
    // Drops the handle and frees the channel; false for an unknown handle.
    bool FreeChannel(DWORD handle);
    void WakeUpdate();

    TChannelTable table;
    TMixer mixer;
    std::atomic<std::uint32_t> maxVol{100};
    std::atomic<std::uint32_t> gvolStream{100};
    std::atomic<std::uint32_t> gvolMusic{100};
    std::atomic<bool> forceSilent{false};

private:
    TLibrary() = default;
    void RunUpdate();
    void Shutdown();

    std::mutex lifeMutex_; // Init and Free
    std::unique_ptr<TOutputDevice> device_;
    std::thread update_;
    std::mutex updateMutex_; // guards stopUpdate_ and wake_
    std::condition_variable updateCv_;
    bool stopUpdate_ = false;
    bool wake_ = false;
    std::atomic<bool> initialised_{false};
    std::atomic<bool> hasOutput_{false};
    std::atomic<std::uint32_t> outputFreq_{44100};
    std::atomic<std::uint32_t> latency_{0};
    DWORD initFlags_ = 0;
};

} // namespace wbass
