#include "BassChannel.h"

#include "BassEnc.h"
#include "BassLoader.h"
#include "BassWmaLoader.h"

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
