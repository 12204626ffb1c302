// The exported C functions of libbassenc.so.
#include "CommandLine.h"
#include "EncoderPipe.h"
#include "Error.h"
#include "bass.h"
#include "bassenc.h"
#include "bassint.h"

#include <map>
#include <memory>
#include <mutex>

using namespace wbass;

namespace {

struct TEncoder {
    HENCODE handle = 0;
    DWORD channel = 0;
    std::unique_ptr<TEncoderPipe> pipe;
};

// Encoders by handle; any thread.
class TEncoderTable {
public:
    std::shared_ptr<TEncoder> Add(DWORD channel, std::unique_ptr<TEncoderPipe> pipe) {
        std::lock_guard lock(mutex_);
        auto encoder = std::make_shared<TEncoder>();
        // Encoder handles come from their own range, apart from channel handles.
        encoder->handle = next_++;
        encoder->channel = channel;
        encoder->pipe = std::move(pipe);
        encoders_[encoder->handle] = encoder;
        return encoder;
    }
    // By encoder handle or by the channel it encodes.
    std::shared_ptr<TEncoder> Find(DWORD handle) {
        std::lock_guard lock(mutex_);
        if (const auto it = encoders_.find(handle); it != encoders_.end())
            return it->second;
        for (const auto& [h, e] : encoders_)
            if (e->channel == handle)
                return e;
        return nullptr;
    }
    void Remove(HENCODE handle) {
        std::lock_guard lock(mutex_);
        encoders_.erase(handle);
    }

private:
    std::mutex mutex_;
    std::map<HENCODE, std::shared_ptr<TEncoder>> encoders_;
    HENCODE next_ = 0x40000001;
};

TEncoderTable& Encoders() {
    static TEncoderTable table;
    return table;
}

// Runs on the channel's reading thread; the pipe is only written here until the tap is removed.
void Tap(DWORD, const void* data, DWORD length, void* user) {
    auto* encoder = static_cast<TEncoder*>(user);
    if (data != nullptr) {
        encoder->pipe->Write(data, length);
        return;
    }
    // The channel was freed: its encoder ends with it.
    const HENCODE handle = encoder->handle;
    const auto keep = Encoders().Find(handle);
    encoder->pipe->Finish();
    Encoders().Remove(handle);
}

} // namespace

extern "C" {

HENCODE BASS_Encode_Start(DWORD handle, const char* cmdline, DWORD flags, ENCODEPROC* proc, void*) {
    BASS_CHANNELINFO info{};
    if (!BASS_ChannelGetInfo(handle, &info))
        return 0;
    // Output through a callback and the header options are not offered.
    if (flags != 0 || proc != nullptr)
        return Fail(BASS_ERROR_NOTAVAIL, HENCODE{0});
    if (cmdline == nullptr)
        return Fail(BASS_ERROR_ILLPARAM, HENCODE{0});
    if (const auto existing = Encoders().Find(handle); existing && existing->channel == handle)
        return Fail(BASS_ERROR_ALREADY, HENCODE{0});
    TPcmFormat format;
    format.freq = info.freq;
    format.chans = info.chans;
    format.eightBit = (info.flags & BASS_SAMPLE_8BITS) != 0;
    auto pipe = TEncoderPipe::Start(SplitCommandLine(cmdline), format);
    if (!pipe)
        return 0;
    const auto encoder = Encoders().Add(handle, std::move(pipe));
    if (!WavoraBass_SetTap(handle, &Tap, encoder.get())) {
        const int error = BASS_ErrorGetCode();
        encoder->pipe->Finish();
        Encoders().Remove(encoder->handle);
        return Fail(error, HENCODE{0});
    }
    SetError(BASS_OK);
    return encoder->handle;
}

DWORD BASS_Encode_IsActive(DWORD handle) {
    const auto encoder = Encoders().Find(handle);
    if (!encoder)
        return Fail(BASS_ERROR_HANDLE, DWORD{BASS_ACTIVE_STOPPED});
    SetError(BASS_OK);
    return encoder->pipe->Active() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

BOOL BASS_Encode_Stop(DWORD handle) {
    const auto encoder = Encoders().Find(handle);
    if (!encoder)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    // Once the tap is gone no block reaches the pipe any more.
    WavoraBass_SetTap(encoder->channel, nullptr, nullptr);
    encoder->pipe->Finish();
    Encoders().Remove(encoder->handle);
    SetError(BASS_OK);
    return TRUE;
}

} // extern "C"
