// The exported C functions of libbasswma.so.
#include "Error.h"
#include "WmaEncoder.h"
#include "bass.h"
#include "bassint.h"
#include "basswma.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>

using namespace wbass;

namespace {

// Encoders by handle. The calls of one encoder come from one thread at a time; the table's
// mutex guards only the map.
class TWmaTable {
public:
    HWMENCODE Add(std::unique_ptr<TWmaEncoder> encoder) {
        std::lock_guard lock(mutex_);
        const HWMENCODE handle = next_++;
        encoders_[handle] = std::move(encoder);
        return handle;
    }
    std::shared_ptr<TWmaEncoder> Find(HWMENCODE handle) {
        std::lock_guard lock(mutex_);
        const auto it = encoders_.find(handle);
        return it == encoders_.end() ? nullptr : it->second;
    }
    std::shared_ptr<TWmaEncoder> Take(HWMENCODE handle) {
        std::lock_guard lock(mutex_);
        const auto it = encoders_.find(handle);
        if (it == encoders_.end())
            return nullptr;
        auto encoder = std::move(it->second);
        encoders_.erase(it);
        return encoder;
    }

private:
    std::mutex mutex_;
    std::map<HWMENCODE, std::shared_ptr<TWmaEncoder>> encoders_;
    HWMENCODE next_ = 0x50000001;
};

TWmaTable& Table() {
    static TWmaTable table;
    return table;
}

// The bit rates wmav2 takes well for CD-quality input, ending with 0.
constexpr std::array<DWORD, 15> kStereoRates = {32000,  40000,  48000,  56000,  64000,
                                                80000,  96000,  112000, 128000, 160000,
                                                192000, 224000, 256000, 320000, 0};
constexpr std::array<DWORD, 8> kMonoRates = {16000, 20000, 24000, 32000, 48000, 64000, 96000, 0};

template <typename T>
T NotAvailable(T result) {
    return Fail(BASS_ERROR_NOTAVAIL, result);
}

} // namespace

extern "C" {

HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                  DWORD flags) {
    if (mem || offset != 0 || length != 0)
        return NotAvailable(HSTREAM{0});
    return WavoraBass_StreamCreateFileFormat(static_cast<const char*>(file), flags, "asf",
                                             BASS_CTYPE_STREAM_WMA);
}

HSTREAM BASS_WMA_StreamCreateFileUser(BOOL, DWORD, const void*, void*) {
    return NotAvailable(HSTREAM{0});
}

void* BASS_WMA_GetIWMReader(HSTREAM) {
    return NotAvailable<void*>(nullptr);
}

const DWORD* BASS_WMA_EncodeGetRates(DWORD freq, DWORD chans, DWORD) {
    if (freq < 8000 || freq > 48000 || chans == 0 || chans > 2)
        return Fail(BASS_ERROR_FORMAT, static_cast<const DWORD*>(nullptr));
    SetError(BASS_OK);
    return chans == 2 ? kStereoRates.data() : kMonoRates.data();
}

HWMENCODE BASS_WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                  const char* file) {
    if (file == nullptr || *file == '\0')
        return Fail(BASS_ERROR_CREATE, HWMENCODE{0});
    auto encoder =
        TWmaEncoder::Open(freq, chans, bitrate, file, (flags & BASS_WMA_ENCODE_TAGS) != 0);
    if (!encoder)
        return 0;
    SetError(BASS_OK);
    return Table().Add(std::move(encoder));
}

HWMENCODE BASS_WMA_EncodeOpen(DWORD, DWORD, DWORD, DWORD, void*, void*) {
    return NotAvailable(HWMENCODE{0});
}
HWMENCODE BASS_WMA_EncodeOpenNetwork(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {
    return NotAvailable(HWMENCODE{0});
}
HWMENCODE BASS_WMA_EncodeOpenPublish(DWORD, DWORD, DWORD, DWORD, const char*, const char*,
                                     const char*) {
    return NotAvailable(HWMENCODE{0});
}
DWORD BASS_WMA_EncodeGetPort(HWMENCODE) {
    return NotAvailable(DWORD{0});
}
BOOL BASS_WMA_EncodeSetNotify(HWMENCODE, CLIENTCONNECTPROC*, void*) {
    return NotAvailable(FALSE);
}
DWORD BASS_WMA_EncodeGetClients(HWMENCODE) {
    return NotAvailable(0xFFFFFFFFu);
}

BOOL BASS_WMA_EncodeSetTag(HWMENCODE handle, const char* tag, const char* text) {
    const auto encoder = Table().Find(handle);
    if (!encoder)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    return encoder->SetTag(tag, text) ? TRUE : FALSE;
}

BOOL BASS_WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length) {
    const auto encoder = Table().Find(handle);
    if (!encoder)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (buffer == nullptr && length > 0)
        return Fail(BASS_ERROR_ILLPARAM, FALSE);
    return encoder->Write(buffer, length) ? TRUE : FALSE;
}

void BASS_WMA_EncodeClose(HWMENCODE handle) {
    const auto encoder = Table().Take(handle);
    if (!encoder) {
        SetError(BASS_ERROR_HANDLE);
        return;
    }
    SetError(encoder->Close() ? BASS_OK : BASS_ERROR_CREATE);
}

} // extern "C"
