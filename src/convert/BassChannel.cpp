#include "BassChannel.h"

#include "BassEnc.h"
#include "BassLoader.h"
#include "BassWmaLoader.h"

#include <algorithm>

namespace wavora {
namespace {

// Decoding only, freed when stopped.
constexpr DWORD ConvertFlags = BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE;

} // namespace

std::unique_ptr<TBassChannel> TBassChannel::Open(const std::string& path, bool tryWma) {
    DWORD handle = 0;
    if (tryWma && bass::BASS_WMA_StreamCreateFile) {
        handle = bass::BASS_WMA_StreamCreateFile(FALSE, path.c_str(), 0, 0, ConvertFlags);
    }
    if (handle == 0 && bass::BASS_StreamCreateFile) {
        handle = bass::BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, ConvertFlags);
    }
    if (handle == 0 && bass::BASS_MusicLoad) {
        handle = bass::BASS_MusicLoad(FALSE, path.c_str(), 0, 0, ConvertFlags, 0);
    }
    if (handle == 0) {
        return nullptr;
    }
    return std::unique_ptr<TBassChannel>(new TBassChannel(handle));
}

std::unique_ptr<TBassChannel>
TBassChannel::Create(std::uint32_t rate, std::uint32_t channels,
                     std::uint32_t (*fill)(std::uint32_t, void*, std::uint32_t, void*), void* user) {
    const DWORD handle = bass::BASS_StreamCreate(rate, channels, ConvertFlags, fill, user);
    if (handle == 0) {
        return nullptr;
    }
    return std::unique_ptr<TBassChannel>(new TBassChannel(handle));
}

std::unique_ptr<TConvertedChannel> TConvertedChannel::Open(TBassChannel& source,
                                                           std::uint32_t rate) {
    std::unique_ptr<TConvertedChannel> converted(new TConvertedChannel(source, rate));
    if (!converted->converter_.Valid()) {
        return nullptr;
    }
    converted->stream_ = TBassChannel::Create(rate, 2, &Fill, converted.get());
    if (!converted->stream_) {
        return nullptr;
    }
    return converted;
}

// Runs inside a read of the stream, on the reading thread.
std::uint32_t TConvertedChannel::Fill(std::uint32_t, void* buffer, std::uint32_t length,
                                      void* user) {
    auto& self = *static_cast<TConvertedChannel*>(user);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t given = 0;
    while (given < length) {
        if (self.readyAt_ == self.ready_.size()) {
            if (self.ended_) {
                return given | BASS_STREAMPROC_END;
            }
            self.ready_.clear();
            self.readyAt_ = 0;
            self.block_.resize(length);
            const std::uint32_t got = self.source_.Read(self.block_.data(), length);
            const bool end = got == 0 || got == ReadError;
            const auto converted = end ? self.converter_.Flush()
                                       : self.converter_.Convert({self.block_.data(), got});
            self.ready_.assign(converted.begin(), converted.end());
            self.ended_ = end;
            continue;
        }
        const std::size_t n = std::min<std::size_t>(length - given, self.ready_.size() - self.readyAt_);
        std::copy_n(self.ready_.data() + self.readyAt_, n, out + given);
        self.readyAt_ += n;
        given += static_cast<std::uint32_t>(n);
    }
    return given;
}

TBassChannel::~TBassChannel() {
    bass::BASS_ChannelStop(handle_);
}

PcmFormat TBassChannel::Format() const {
    BASS_CHANNELINFO info{};
    PcmFormat format;
    if (bass::BASS_ChannelGetInfo(handle_, &info)) {
        format.channels = static_cast<std::uint16_t>(info.chans);
        format.bitsPerSample = (info.flags & BASS_SAMPLE_8BITS) != 0 ? 8 : 16;
    }
    DWORD rate = 0;
    DWORD volume = 0;
    int pan = 0;
    if (bass::BASS_ChannelGetAttributes(handle_, &rate, &volume, &pan)) {
        format.sampleRate = rate;
    }
    return format;
}

std::uint32_t TBassChannel::Length() const {
    const QWORD length = bass::BASS_StreamGetLength(handle_);
    return length == static_cast<QWORD>(-1) ? 0 : static_cast<std::uint32_t>(length);
}

bool TBassChannel::IsActive() const {
    return bass::BASS_ChannelIsActive(handle_) != 0;
}

std::uint32_t TBassChannel::Read(void* buffer, std::uint32_t bytes) {
    return bass::BASS_ChannelGetData(handle_, buffer, bytes);
}

bool TEncoderPipe::Start(const TBassChannel& channel, const std::string& commandLine) {
    if (BASS_Encode_Start(channel.Handle(), commandLine.c_str(), 0, nullptr, nullptr) == 0) {
        return false;
    }
    channel_ = channel.Handle();
    return true;
}

bool TEncoderPipe::IsActive() const {
    return channel_ != 0 && BASS_Encode_IsActive(channel_) != 0;
}

void TEncoderPipe::Stop() {
    if (channel_ != 0) {
        BASS_Encode_Stop(channel_);
        channel_ = 0;
    }
}

bool TWmaEncoder::Open(std::uint32_t rate, std::uint32_t channels, std::uint32_t bitsPerSecond,
                       const std::string& path) {
    if (!bass::BASS_WMA_EncodeOpenFile) {
        return false;
    }
    handle_ = bass::BASS_WMA_EncodeOpenFile(rate, channels, BASS_WMA_ENCODE_TAGS, bitsPerSecond,
                                            path.c_str());
    return handle_ != 0;
}

void TWmaEncoder::SetTag(const char* name, const std::string& value) {
    bass::BASS_WMA_EncodeSetTag(handle_, name, value.c_str());
}

void TWmaEncoder::EndTags() {
    bass::BASS_WMA_EncodeSetTag(handle_, nullptr, nullptr);
}

bool TWmaEncoder::Write(std::span<const std::uint8_t> pcm) {
    return bass::BASS_WMA_EncodeWrite(handle_, pcm.data(), static_cast<DWORD>(pcm.size())) != 0;
}

void TWmaEncoder::Close() {
    if (handle_ != 0) {
        bass::BASS_WMA_EncodeClose(handle_);
        handle_ = 0;
    }
}

} // namespace wavora
