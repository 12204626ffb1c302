#include "Library.h"

#include "Error.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <chrono>

namespace wbass {

DWORD TChannelTable::NewHandle() {
    std::lock_guard lock(mutex_);
    // 0 is "no channel" and 1 is the player's "a plug-in plays": neither is ever handed out.
    do {
        ++next_;
    } while (next_ < 2 || channels_.contains(next_));
    return next_;
}

void TChannelTable::Insert(std::shared_ptr<TChannel> channel) {
    std::lock_guard lock(mutex_);
    const DWORD handle = channel->handle;
    channels_.emplace(handle, std::move(channel));
}

std::shared_ptr<TChannel> TChannelTable::Find(DWORD handle) const {
    std::lock_guard lock(mutex_);
    const auto it = channels_.find(handle);
    return it == channels_.end() ? nullptr : it->second;
}

std::shared_ptr<TChannel> TChannelTable::Take(DWORD handle) {
    std::lock_guard lock(mutex_);
    const auto it = channels_.find(handle);
    if (it == channels_.end())
        return nullptr;
    auto channel = std::move(it->second);
    channels_.erase(it);
    return channel;
}

std::vector<std::shared_ptr<TChannel>> TChannelTable::TakeAll() {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<TChannel>> all;
    for (auto& [handle, channel] : channels_)
        all.push_back(std::move(channel));
    channels_.clear();
    return all;
}

void TMixer::Mix(std::int16_t* out, std::size_t frames) {
    std::lock_guard lock(mutex_);
    if (acc_.size() < 2 * frames)
        acc_.resize(2 * frames);
    std::fill_n(acc_.begin(), 2 * frames, 0.0f);
    TLibrary& lib = TLibrary::Get();
    const float maxVol = static_cast<float>(std::max<std::uint32_t>(lib.maxVol.load(), 1));
    const float streamGain = static_cast<float>(lib.gvolStream.load()) / maxVol;
    const float musicGain = static_cast<float>(lib.gvolMusic.load()) / maxVol;
    for (const auto& channel : list_) {
        TMixTarget target{acc_.data(), frames, freq_.load(),
                          channel->kind == TChannelKind::Music ? musicGain : streamGain};
        channel->MixInto(target);
    }
    for (std::size_t i = 0; i < 2 * frames; ++i)
        out[i] = static_cast<std::int16_t>(std::clamp(acc_[i], -32768.0f, 32767.0f));
}

void TMixer::Add(const std::shared_ptr<TChannel>& channel) {
    std::lock_guard lock(mutex_);
    if (std::find(list_.begin(), list_.end(), channel) == list_.end())
        list_.push_back(channel);
}

void TMixer::Remove(const TChannel* channel) {
    std::lock_guard lock(mutex_);
    std::erase_if(list_, [channel](const auto& c) { return c.get() == channel; });
}

std::vector<std::shared_ptr<TChannel>> TMixer::Snapshot() {
    std::lock_guard lock(mutex_);
    return list_;
}

TLibrary& TLibrary::Get() {
    static TLibrary library;
    return library;
}

TLibrary::~TLibrary() {
    Shutdown();
}

bool TLibrary::Init(int device, DWORD freq, DWORD flags) {
    std::lock_guard lock(lifeMutex_);
    if (initialised_.load())
        return Fail(BASS_ERROR_ALREADY, false);
    if (device < -1 || device > 1)
        return Fail(BASS_ERROR_DEVICE, false);
    // Damaged input is reported through results, not on the program's standard error.
    av_log_set_level(AV_LOG_FATAL);
    if (freq == 0)
        freq = 44100;
    if (freq < 8000 || freq > 192000)
        return Fail(BASS_ERROR_FREQ, false);
    outputFreq_.store(freq);
    mixer.SetFreq(freq);
    if (device != BASS_DEVICE_NOSOUND) {
        auto mix = [this](std::int16_t* out, std::size_t frames) { mixer.Mix(out, frames); };
        if (!forceSilent.load())
            device_ = OpenSdlOutput(freq, mix);
        if (!device_)
            device_ = OpenSilentOutput(freq, mix);
        latency_.store(device_->LatencyFrames());
        hasOutput_.store(true);
        {
            std::lock_guard updateLock(updateMutex_);
            stopUpdate_ = false;
        }
        update_ = std::thread([this] { RunUpdate(); });
    }
    initFlags_ = flags;
    initialised_.store(true);
    SetError(BASS_OK);
    return true;
}

void TLibrary::Shutdown() {
    if (update_.joinable()) {
        {
            std::lock_guard updateLock(updateMutex_);
            stopUpdate_ = true;
        }
        updateCv_.notify_all();
        update_.join();
    }
    device_.reset();
    hasOutput_.store(false);
    for (auto& channel : table.TakeAll())
        channel->Free();
    initialised_.store(false);
}

bool TLibrary::Free() {
    std::lock_guard lock(lifeMutex_);
    if (!initialised_.load())
        return Fail(BASS_ERROR_INIT, false);
    Shutdown();
    SetError(BASS_OK);
    return true;
}

void TLibrary::FillInfo(BASS_INFO& info) const {
    info.flags = 0;
    info.hwsize = 0;
    info.hwfree = 0;
    info.freesam = 0;
    info.free3d = 0;
    info.minrate = 8000;
    info.maxrate = 192000;
    info.eax = FALSE;
    info.minbuf = 20;
    info.dsver = 0;
    const std::uint32_t freq = std::max<std::uint32_t>(outputFreq_.load(), 1);
    info.latency = latency_.load() * 1000 / freq;
    info.initflags = initFlags_;
    info.speakers = 2;
    info.freq = outputFreq_.load();
}

std::shared_ptr<TChannel> TLibrary::Channel(DWORD handle) const {
    auto channel = table.Find(handle);
    if (!channel)
        SetError(BASS_ERROR_HANDLE);
    return channel;
}

bool TLibrary::FreeChannel(DWORD handle) {
    auto channel = table.Take(handle);
    if (!channel)
        return false;
    channel->Free();
    return true;
}

void TLibrary::WakeUpdate() {
    {
        std::lock_guard updateLock(updateMutex_);
        wake_ = true;
    }
    updateCv_.notify_all();
}

void TLibrary::RunUpdate() {
    constexpr auto kPeriod = std::chrono::milliseconds(20);
    std::unique_lock lock(updateMutex_);
    while (!stopUpdate_) {
        updateCv_.wait_for(lock, kPeriod, [this] { return stopUpdate_ || wake_; });
        if (stopUpdate_)
            break;
        wake_ = false;
        lock.unlock();
        for (const auto& channel : mixer.Snapshot())
            channel->Update();
        lock.lock();
    }
}

} // namespace wbass
