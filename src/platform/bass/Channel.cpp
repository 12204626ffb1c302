#include "Channel.h"

#include "Error.h"
#include "FileTags.h"
#include "Library.h"
#include "Spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace wbass {
namespace {

std::atomic<HSYNC> gNextSync{0x100};

// Playback buffer: 500 ms ahead of the mixer, and the frames just heard kept behind it.
constexpr std::size_t kHistoryFrames = 8192;
constexpr std::size_t kSlackFrames = 4096;
std::size_t TargetBytes(const TPcmFormat& f) {
    return f.freq / 2 * f.Block();
}
TPlaybackRing MakeRing(DWORD flags, const TPcmFormat& f) {
    if ((flags & BASS_STREAM_DECODE) != 0 || !f.Valid())
        return TPlaybackRing(0, 0);
    const std::size_t block = f.Block();
    return TPlaybackRing(TargetBytes(f) + (kHistoryFrames + kSlackFrames) * block,
                         kHistoryFrames * block);
}

std::size_t FftSize(DWORD length) {
    switch (length & 0x0F) {
    case 0:
        return 512;
    case 1:
        return 1024;
    case 2:
        return 2048;
    default:
        return 0;
    }
}

} // namespace

TChannel::TChannel(DWORD h, TChannelKind k, DWORD f, DWORD c, std::unique_ptr<TDecoder> decoder,
                   std::string p)
    : handle(h), kind(k), flags(f), ctype(c), format(decoder->Format()), path(std::move(p)),
      decoder_(std::move(decoder)), ring_(MakeRing(f, format)), freqAttr_(format.freq) {}

TChannel::TChannel(DWORD h, DWORD f, TPcmFormat fmt, STREAMPROC* proc, void* user)
    : handle(h), kind(TChannelKind::UserStream), flags(f), ctype(BASS_CTYPE_STREAM), format(fmt),
      proc_(proc), procUser_(user), ring_(MakeRing(f, fmt)), freqAttr_(fmt.freq) {}

std::size_t TChannel::ReadSource(std::uint8_t* dst, std::size_t size, bool& ended) {
    std::size_t n = 0;
    ended = false;
    if (decoder_) {
        n = decoder_->Read(dst, size);
        ended = n < size || decoder_->AtEnd();
    } else if (proc_ != nullptr) {
        const DWORD r = proc_(handle, dst, static_cast<DWORD>(size), procUser_);
        ended = (r & BASS_STREAMPROC_END) != 0;
        n = std::min<std::size_t>(r & ~BASS_STREAMPROC_END, size);
    }
    if (tap_ != nullptr && n > 0)
        tap_(handle, dst, static_cast<DWORD>(n), tapUser_);
    return n;
}

void TChannel::FireSyncs(DWORD type, DWORD_PTR data) {
    std::vector<TSync> due;
    {
        std::lock_guard lock(syncMutex_);
        for (const TSync& s : syncs_)
            if (s.type == type)
                due.push_back(s);
    }
    for (const TSync& s : due)
        s.proc(s.handle, handle, data, s.user);
}

HSYNC TChannel::AddSync(DWORD type, SYNCPROC* proc, void* user) {
    const HSYNC sync = gNextSync.fetch_add(1);
    std::lock_guard lock(syncMutex_);
    syncs_.push_back(TSync{sync, type, proc, user});
    return sync;
}

bool TChannel::SetTap(WAVORA_TAPPROC* proc, void* user) {
    std::lock_guard lock(sourceMutex_);
    if (freed_)
        return false;
    tap_ = proc;
    tapUser_ = user;
    return true;
}

std::uint64_t TChannel::HeardBytes() const {
    if (drained_.load())
        return ring_.WritePos();
    const std::uint64_t read = ring_.ReadPos();
    const std::uint64_t latency =
        static_cast<std::uint64_t>(latencyFrames_.load()) * format.Block();
    return read > latency ? read - latency : 0;
}

void TChannel::CopyHeld(std::int64_t from, std::size_t count, std::uint8_t* dst) const {
    const std::size_t block = format.Block();
    const std::int64_t oldest = static_cast<std::int64_t>(ring_.OldestHeld() / block);
    const std::int64_t newest = static_cast<std::int64_t>(ring_.WritePos() / block);
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t frame = from + static_cast<std::int64_t>(i);
        std::uint8_t* out = dst + i * block;
        if (frame >= oldest && frame < newest)
            std::memcpy(out, ring_.At(static_cast<std::uint64_t>(frame) * block), block);
        else
            std::memset(out, format.eightBit ? 0x80 : 0, block);
    }
}

DWORD TChannel::GetData(void* buffer, DWORD length) {
    const std::size_t block = format.Block();
    const bool fft = (length & 0x80000000u) != 0;
    if (fft) {
        const std::size_t n = FftSize(length);
        if (n == 0 || buffer == nullptr)
            return Fail(BASS_ERROR_ILLPARAM, 0xFFFFFFFFu);
        const bool individual = (length & BASS_DATA_FFT_INDIVIDUAL) != 0;
        std::vector<std::uint8_t> frames(n * block);
        DWORD used = static_cast<DWORD>(n * block);
        if (IsDecoding()) {
            bool ended = false;
            std::size_t got = 0;
            bool fire = false;
            {
                std::lock_guard lock(sourceMutex_);
                got = ReadSource(frames.data(), frames.size(), ended);
                decodedPos_ += got;
                fire = ended && !endFired_;
                endFired_ = endFired_ || ended;
                decodeEnded_ = decodeEnded_ || ended;
            }
            std::memset(frames.data() + got, format.eightBit ? 0x80 : 0, frames.size() - got);
            used = static_cast<DWORD>(got);
            if (fire)
                FireSyncs(BASS_SYNC_END, 0);
        } else {
            const std::int64_t heard = static_cast<std::int64_t>(HeardBytes() / block);
            CopyHeld(heard - static_cast<std::int64_t>(n / 2), n, frames.data());
        }
        TSpectrum spectrum(n);
        if (!spectrum.Valid())
            return Fail(BASS_ERROR_MEM, 0xFFFFFFFFu);
        spectrum.Compute(frames.data(), format, individual, static_cast<float*>(buffer));
        SetError(BASS_OK);
        return used;
    }

    if (IsDecoding()) {
        if (length == 0) {
            SetError(BASS_OK);
            return 0;
        }
        if (buffer == nullptr)
            return Fail(BASS_ERROR_ILLPARAM, 0xFFFFFFFFu);
        bool ended = false;
        bool fire = false;
        std::size_t got = 0;
        {
            std::lock_guard lock(sourceMutex_);
            if (freed_)
                return Fail(BASS_ERROR_HANDLE, 0xFFFFFFFFu);
            got = ReadSource(static_cast<std::uint8_t*>(buffer), length - length % block, ended);
            decodedPos_ += got;
            fire = ended && !endFired_;
            endFired_ = endFired_ || ended;
            decodeEnded_ = decodeEnded_ || ended;
        }
        if (fire)
            FireSyncs(BASS_SYNC_END, 0);
        SetError(BASS_OK);
        return static_cast<DWORD>(got);
    }

    // A played channel: what is heard now, without consuming it.
    const std::uint64_t heard = HeardBytes();
    const std::uint64_t write = ring_.WritePos();
    const std::uint64_t available = write > heard ? write - heard : 0;
    SetError(BASS_OK);
    if (length == 0)
        return static_cast<DWORD>(std::min<std::uint64_t>(available, 0x7FFFFFFF));
    if (buffer == nullptr)
        return Fail(BASS_ERROR_ILLPARAM, 0xFFFFFFFFu);
    const std::size_t frames = static_cast<std::size_t>(
        std::min<std::uint64_t>(available, length - length % block) / block);
    CopyHeld(static_cast<std::int64_t>(heard / block), frames, static_cast<std::uint8_t*>(buffer));
    return static_cast<DWORD>(frames * block);
}

DWORD TChannel::GetLevel() {
    const std::size_t block = format.Block();
    const std::size_t window = std::max<std::size_t>(format.freq / 50, 1); // 20 ms
    std::vector<std::uint8_t> frames(window * block);
    if (IsDecoding()) {
        const DWORD got = GetData(frames.data(), static_cast<DWORD>(frames.size()));
        if (got == 0xFFFFFFFFu)
            return got;
        SetError(BASS_OK);
        return PeakLevel(frames.data(), got / block, format);
    }
    SetError(BASS_OK);
    if (state_.load() != TPlayState::Playing)
        return 0;
    const std::int64_t heard = static_cast<std::int64_t>(HeardBytes() / block);
    CopyHeld(heard - static_cast<std::int64_t>(window), window, frames.data());
    return PeakLevel(frames.data(), window, format);
}

DWORD TChannel::IsActive() const {
    if (IsDecoding()) {
        std::lock_guard lock(sourceMutex_);
        const bool ended = decodeEnded_ || (decoder_ && decoder_->AtEnd());
        return ended || freed_ ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
    }
    switch (state_.load()) {
    case TPlayState::Stopped:
        return BASS_ACTIVE_STOPPED;
    case TPlayState::Paused:
        return BASS_ACTIVE_PAUSED;
    case TPlayState::Playing:
        break;
    }
    if (drained_.load())
        return BASS_ACTIVE_STOPPED;
    if (starved_.load() && !sourceEnded_.load())
        return BASS_ACTIVE_STALLED;
    return BASS_ACTIVE_PLAYING;
}

QWORD TChannel::GetPosition() const {
    if (IsDecoding()) {
        std::lock_guard lock(sourceMutex_);
        return decodedPos_;
    }
    return basePos_.load() + HeardBytes();
}

std::optional<std::uint64_t> TChannel::LengthBytes() const {
    std::lock_guard lock(sourceMutex_);
    if (!decoder_)
        return std::nullopt;
    const auto frames = decoder_->LengthFrames();
    if (!frames)
        return std::nullopt;
    return *frames * format.Block();
}

void TChannel::ResetPlayback(std::uint64_t base) {
    std::lock_guard mixLock(TLibrary::Get().mixer.Mutex());
    ring_.Reset();
    basePos_.store(base);
    sourceEnded_.store(false);
    drained_.store(false);
    starved_.store(false);
    mixFrac_ = 1.0;
    std::fill(std::begin(prev_), std::end(prev_), 0.0f);
    std::fill(std::begin(cur_), std::end(cur_), 0.0f);
}

bool TChannel::RewindSource() {
    if (decoder_ && !decoder_->Seek(0))
        return false;
    endFired_ = false;
    return true;
}

bool TChannel::SetPosition(QWORD pos) {
    const std::size_t block = format.Block();
    std::uint64_t frame = pos / block;
    if (kind == TChannelKind::Music && (pos & 0xFFFF0000u) == 0xFFFF0000u)
        frame = static_cast<std::uint64_t>(LOWORD(pos)) * format.freq;
    std::lock_guard lock(sourceMutex_);
    if (freed_)
        return Fail(BASS_ERROR_HANDLE, false);
    if (!decoder_)
        return Fail(BASS_ERROR_NOTFILE, false);
    const auto length = decoder_->LengthFrames();
    if (length && frame > *length)
        return Fail(BASS_ERROR_POSITION, false);
    if (!decoder_->Seek(frame))
        return Fail(BASS_ERROR_POSITION, false);
    endFired_ = false;
    decodeEnded_ = false;
    if (IsDecoding()) {
        decodedPos_ = frame * block;
    } else {
        ResetPlayback(frame * block);
        if (state_.load() == TPlayState::Playing)
            Fill(TargetBytes(format));
    }
    SetError(BASS_OK);
    return true;
}

void TChannel::Fill(std::size_t target) {
    const std::size_t block = format.Block();
    while (!sourceEnded_.load() && ring_.Buffered() < target) {
        std::size_t span = 0;
        std::uint8_t* at = ring_.WriteSpan(span);
        span = std::min<std::size_t>(span, target - static_cast<std::size_t>(ring_.Buffered()));
        span -= span % block;
        if (span == 0)
            break;
        bool ended = false;
        const std::size_t got = ReadSource(at, span, ended);
        ring_.Commit(got);
        if (ended) {
            sourceEnded_.store(true);
            break;
        }
        if (got < span)
            break; // a user stream with nothing more for now
    }
}

bool TChannel::Play(bool restart) {
    if (IsDecoding())
        return Fail(BASS_ERROR_DECODE, false);
    TLibrary& lib = TLibrary::Get();
    if (!lib.HasOutput())
        return Fail(BASS_ERROR_START, false);
    {
        std::lock_guard lock(sourceMutex_);
        if (freed_)
            return Fail(BASS_ERROR_HANDLE, false);
        if (restart || drained_.load()) {
            if (!RewindSource())
                return Fail(BASS_ERROR_POSITION, false);
            ResetPlayback(0);
        }
        latencyFrames_.store(
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(lib.LatencyFrames()) *
                                       format.freq / std::max<std::uint32_t>(lib.OutputFreq(), 1)));
        // File sources start with a full buffer; stream callbacks run on the update thread only.
        if (kind != TChannelKind::UserStream)
            Fill(TargetBytes(format));
    }
    state_.store(TPlayState::Playing);
    lib.mixer.Add(shared_from_this());
    lib.WakeUpdate();
    SetError(BASS_OK);
    return true;
}

bool TChannel::Pause() {
    if (IsDecoding())
        return Fail(BASS_ERROR_DECODE, false);
    TPlayState expected = TPlayState::Playing;
    if (!state_.compare_exchange_strong(expected, TPlayState::Paused))
        return Fail(expected == TPlayState::Paused ? BASS_ERROR_ALREADY : BASS_ERROR_NOPLAY, false);
    TLibrary::Get().mixer.Remove(this);
    SetError(BASS_OK);
    return true;
}

void TChannel::Stop() {
    state_.store(TPlayState::Stopped);
    TLibrary::Get().mixer.Remove(this);
}

void TChannel::Free() {
    Stop();
    WAVORA_TAPPROC* tap = nullptr;
    void* tapUser = nullptr;
    {
        std::lock_guard lock(sourceMutex_);
        if (freed_)
            return;
        freed_ = true;
        tap = tap_;
        tapUser = tapUser_;
        tap_ = nullptr;
        decoder_.reset();
        proc_ = nullptr;
    }
    if (tap != nullptr)
        tap(handle, nullptr, 0, tapUser);
}

void TChannel::SetAttributes(int freq, int volume, int pan, std::uint32_t maxVol) {
    if (freq == 0)
        freqAttr_.store(format.freq);
    else if (freq > 0)
        freqAttr_.store(static_cast<std::uint32_t>(std::clamp(freq, 100, 200000)));
    if (volume >= 0) {
        const int top = static_cast<int>(std::max<std::uint32_t>(maxVol, 1));
        volume_.store(static_cast<float>(std::min(volume, top)) / static_cast<float>(top));
    }
    if (pan >= -100)
        pan_.store(std::min(pan, 100));
}

void TChannel::GetAttributes(DWORD* freq, DWORD* volume, int* pan, std::uint32_t maxVol) const {
    if (freq != nullptr)
        *freq = freqAttr_.load();
    if (volume != nullptr)
        *volume = static_cast<DWORD>(std::lround(volume_.load() * static_cast<float>(maxVol)));
    if (pan != nullptr)
        *pan = pan_.load();
}

const char* TChannel::Tags(DWORD type) {
    if (type > BASS_TAG_OGG || path.empty())
        return Fail(BASS_ERROR_NOTAVAIL, nullptr);
    std::lock_guard lock(tagMutex_);
    if (!tagsRead_[type]) {
        tagsRead_[type] = true;
        switch (type) {
        case BASS_TAG_ID3:
            tags_[type] = ReadId3v1Block(path);
            break;
        case BASS_TAG_ID3V2:
            tags_[type] = ReadId3v2Block(path);
            break;
        default:
            tags_[type] = ReadOggComments(path);
            break;
        }
    }
    if (!tags_[type])
        return Fail(BASS_ERROR_NOTAVAIL, nullptr);
    SetError(BASS_OK);
    return tags_[type]->data();
}

void TChannel::Update() {
    if (state_.load() != TPlayState::Playing)
        return;
    if (drained_.load()) {
        TLibrary& lib = TLibrary::Get();
        state_.store(TPlayState::Stopped);
        lib.mixer.Remove(this);
        FireSyncs(BASS_SYNC_END, 0);
        if (AutoFree())
            lib.FreeChannel(handle);
        return;
    }
    std::lock_guard lock(sourceMutex_);
    if (!freed_)
        Fill(TargetBytes(format));
}

void TChannel::MixInto(const TMixTarget& target) {
    if (state_.load(std::memory_order_relaxed) != TPlayState::Playing || drained_.load())
        return;
    const std::size_t block = format.Block();
    const std::size_t bps = format.BytesPerSample();
    const std::size_t chans = format.chans;
    const double step = static_cast<double>(freqAttr_.load()) / target.freq;
    const float volume = volume_.load() * target.gain;
    const int pan = pan_.load();
    const float left = volume * (pan > 0 ? static_cast<float>(100 - pan) / 100.0f : 1.0f);
    const float right = volume * (pan < 0 ? static_cast<float>(100 + pan) / 100.0f : 1.0f);
    const std::uint64_t start = ring_.ReadPos();
    const std::uint64_t end = ring_.WritePos();
    std::uint64_t read = start;
    bool underrun = false;
    for (std::size_t i = 0; i < target.frames && !underrun; ++i) {
        while (mixFrac_ >= 1.0) {
            if (read + block > end) {
                underrun = true;
                break;
            }
            const std::uint8_t* f = ring_.At(read);
            read += block;
            mixFrac_ -= 1.0;
            prev_[0] = cur_[0];
            prev_[1] = cur_[1];
            if (chans == 1) {
                cur_[0] = cur_[1] = static_cast<float>(SampleAt(f, format.eightBit));
            } else {
                float l = 0;
                float r = 0;
                for (std::size_t c = 0; c < chans; ++c) {
                    const float s = static_cast<float>(SampleAt(f + c * bps, format.eightBit));
                    (c % 2 == 0 ? l : r) += s;
                }
                const float pairs = static_cast<float>(chans / 2);
                cur_[0] = l / static_cast<float>((chans + 1) / 2);
                cur_[1] = r / pairs;
            }
        }
        if (underrun)
            break;
        const float frac = static_cast<float>(mixFrac_);
        target.acc[2 * i] += (prev_[0] + (cur_[0] - prev_[0]) * frac) * left;
        target.acc[2 * i + 1] += (prev_[1] + (cur_[1] - prev_[1]) * frac) * right;
        mixFrac_ += step;
    }
    ring_.Advance(static_cast<std::size_t>(read - start));
    if (underrun) {
        if (sourceEnded_.load())
            drained_.store(true);
        else
            starved_.store(true);
    } else {
        starved_.store(false);
    }
}

} // namespace wbass
