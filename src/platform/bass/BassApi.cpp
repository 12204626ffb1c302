// The exported C functions of libbass.so.
#include "Error.h"
#include "FFmpegDecoder.h"
#include "Library.h"
#include "bass.h"
#include "bassint.h"

#include <cmath>
#include <cstring>
#include <sys/stat.h>

using namespace wbass;

namespace {

constexpr DWORD kVersion = 0x00010002; // 2.1
constexpr DWORD kError32 = 0xFFFFFFFFu;
constexpr QWORD kError64 = ~QWORD{0};

bool NeedInit() {
    if (TLibrary::Get().Initialised())
        return true;
    SetError(BASS_ERROR_INIT);
    return false;
}

HSTREAM CreateFromFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags,
                       TDecoderRequest request, TChannelKind kind, DWORD ctype) {
    if (!NeedInit())
        return 0;
    // Memory sources and file sections are not offered by this implementation.
    if (mem || offset != 0 || length != 0)
        return Fail(BASS_ERROR_NOTAVAIL, HSTREAM{0});
    if (file == nullptr)
        return Fail(BASS_ERROR_FILEOPEN, HSTREAM{0});
    request.path = static_cast<const char*>(file);
    auto decoder = TFFmpegDecoder::Open(request);
    if (!decoder)
        return 0;
    TLibrary& lib = TLibrary::Get();
    const DWORD handle = lib.table.NewHandle();
    lib.table.Insert(
        std::make_shared<TChannel>(handle, kind, flags, ctype, std::move(decoder), request.path));
    SetError(BASS_OK);
    return handle;
}

template <typename T>
T NotAvailable(T result) {
    return Fail(BASS_ERROR_NOTAVAIL, result);
}

} // namespace

extern "C" {

DWORD BASS_SetConfig(DWORD option, DWORD value) {
    TLibrary& lib = TLibrary::Get();
    std::atomic<std::uint32_t>* target = nullptr;
    switch (option) {
    case BASS_CONFIG_MAXVOL:
        if (value == 0 || value > 10000)
            return Fail(BASS_ERROR_ILLPARAM, kError32);
        {
            // The global volumes keep their share of the scale.
            const DWORD old = lib.maxVol.exchange(value);
            for (auto* vol : {&lib.gvolStream, &lib.gvolMusic})
                vol->store(static_cast<std::uint32_t>(static_cast<std::uint64_t>(vol->load()) *
                                                      value / old));
            SetError(BASS_OK);
            return old;
        }
    case BASS_CONFIG_GVOL_STREAM:
        target = &lib.gvolStream;
        break;
    case BASS_CONFIG_GVOL_MUSIC:
        target = &lib.gvolMusic;
        break;
    default:
        return Fail(BASS_ERROR_ILLPARAM, kError32);
    }
    if (value > lib.maxVol.load())
        return Fail(BASS_ERROR_ILLPARAM, kError32);
    SetError(BASS_OK);
    return target->exchange(value);
}

DWORD BASS_GetConfig(DWORD) {
    return NotAvailable(kError32);
}

DWORD BASS_GetVersion(void) {
    return kVersion;
}

const char* BASS_GetDeviceDescription(DWORD) {
    return NotAvailable<const char*>(nullptr);
}

int BASS_ErrorGetCode(void) {
    return LastError();
}

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void*, const void*) {
    return TLibrary::Get().Init(device, freq, flags) ? TRUE : FALSE;
}

BOOL BASS_SetDevice(DWORD) {
    return NotAvailable(FALSE);
}
DWORD BASS_GetDevice(void) {
    return NotAvailable(kError32);
}

BOOL BASS_Free(void) {
    return TLibrary::Get().Free() ? TRUE : FALSE;
}

void* BASS_GetDSoundObject(DWORD) {
    return NotAvailable<void*>(nullptr);
}

BOOL BASS_GetInfo(BASS_INFO* info) {
    if (!NeedInit())
        return FALSE;
    if (info == nullptr || info->size < sizeof(BASS_INFO))
        return Fail(BASS_ERROR_ILLPARAM, FALSE);
    TLibrary::Get().FillInfo(*info);
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_Update(void) {
    return NotAvailable(FALSE);
}
float BASS_GetCPU(void) {
    return NotAvailable(-1.0f);
}
BOOL BASS_Start(void) {
    return NotAvailable(FALSE);
}
BOOL BASS_Stop(void) {
    return NotAvailable(FALSE);
}
BOOL BASS_Pause(void) {
    return NotAvailable(FALSE);
}
BOOL BASS_SetVolume(DWORD) {
    return NotAvailable(FALSE);
}
DWORD BASS_GetVolume(void) {
    return NotAvailable(kError32);
}
BOOL BASS_Set3DFactors(float, float, float) {
    return NotAvailable(FALSE);
}
BOOL BASS_Get3DFactors(float*, float*, float*) {
    return NotAvailable(FALSE);
}
BOOL BASS_Set3DPosition(const BASS_3DVECTOR*, const BASS_3DVECTOR*, const BASS_3DVECTOR*,
                        const BASS_3DVECTOR*) {
    return NotAvailable(FALSE);
}
BOOL BASS_Get3DPosition(BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*) {
    return NotAvailable(FALSE);
}
void BASS_Apply3D(void) {
    SetError(BASS_ERROR_NOTAVAIL);
}
BOOL BASS_SetEAXParameters(int, float, float, float) {
    return NotAvailable(FALSE);
}
BOOL BASS_GetEAXParameters(DWORD*, float*, float*, float*) {
    return NotAvailable(FALSE);
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags,
                      DWORD freq) {
    TDecoderRequest request;
    request.kind = TSourceKind::Music;
    request.musicFreq = freq;
    return CreateFromFile(mem, file, offset, length, flags, request, TChannelKind::Music,
                          BASS_CTYPE_MUSIC);
}

void BASS_MusicFree(HMUSIC handle) {
    TLibrary& lib = TLibrary::Get();
    const auto channel = lib.Channel(handle);
    if (!channel)
        return;
    if (channel->kind != TChannelKind::Music) {
        SetError(BASS_ERROR_HANDLE);
        return;
    }
    lib.FreeChannel(handle);
    SetError(BASS_OK);
}

const char* BASS_MusicGetName(HMUSIC) {
    return NotAvailable<const char*>(nullptr);
}

QWORD BASS_MusicGetLength(HMUSIC handle, BOOL) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return kError64;
    if (channel->kind != TChannelKind::Music)
        return Fail(BASS_ERROR_HANDLE, kError64);
    const auto length = channel->LengthBytes();
    if (!length)
        return Fail(BASS_ERROR_NOTAVAIL, kError64);
    SetError(BASS_OK);
    return *length;
}

BOOL BASS_MusicSetAttribute(HMUSIC, DWORD, DWORD) {
    return NotAvailable(FALSE);
}
DWORD BASS_MusicGetAttribute(HMUSIC, DWORD) {
    return NotAvailable(kError32);
}
HSAMPLE BASS_SampleLoad(BOOL, const void*, QWORD, DWORD, DWORD, DWORD) {
    return NotAvailable(HSAMPLE{0});
}
void* BASS_SampleCreate(DWORD, DWORD, DWORD, DWORD) {
    return NotAvailable<void*>(nullptr);
}
HSAMPLE BASS_SampleCreateDone(void) {
    return NotAvailable(HSAMPLE{0});
}
void BASS_SampleFree(HSAMPLE) {
    SetError(BASS_ERROR_NOTAVAIL);
}
BOOL BASS_SampleGetInfo(HSAMPLE, BASS_SAMPLE*) {
    return NotAvailable(FALSE);
}
BOOL BASS_SampleSetInfo(HSAMPLE, const BASS_SAMPLE*) {
    return NotAvailable(FALSE);
}
HCHANNEL BASS_SampleGetChannel(HSAMPLE, BOOL) {
    return NotAvailable(HCHANNEL{0});
}
BOOL BASS_SampleStop(HSAMPLE) {
    return NotAvailable(FALSE);
}

HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc, void* user) {
    if (!NeedInit())
        return 0;
    if (proc == nullptr)
        return Fail(BASS_ERROR_ILLPARAM, HSTREAM{0});
    if (freq < 100 || freq > 200000)
        return Fail(BASS_ERROR_FREQ, HSTREAM{0});
    if (chans == 0 || chans > 32)
        return Fail(BASS_ERROR_ILLPARAM, HSTREAM{0});
    TPcmFormat format;
    format.freq = freq;
    format.chans = chans;
    format.eightBit = (flags & BASS_SAMPLE_8BITS) != 0;
    TLibrary& lib = TLibrary::Get();
    const DWORD handle = lib.table.NewHandle();
    lib.table.Insert(std::make_shared<TChannel>(handle, flags, format, proc, user));
    SetError(BASS_OK);
    return handle;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    return CreateFromFile(mem, file, offset, length, flags, TDecoderRequest{},
                          TChannelKind::FileStream, BASS_CTYPE_STREAM);
}

HSTREAM BASS_StreamCreateURL(const char*, DWORD, DWORD, DOWNLOADPROC*, void*) {
    if (!NeedInit())
        return 0;
    // Internet streams are not offered yet.
    return Fail(BASS_ERROR_NONET, HSTREAM{0});
}

HSTREAM BASS_StreamCreateFileUser(BOOL, DWORD, const void*, void*) {
    return NotAvailable(HSTREAM{0});
}

void BASS_StreamFree(HSTREAM handle) {
    TLibrary& lib = TLibrary::Get();
    const auto channel = lib.Channel(handle);
    if (!channel)
        return;
    if (channel->kind == TChannelKind::Music) {
        SetError(BASS_ERROR_HANDLE);
        return;
    }
    lib.FreeChannel(handle);
    SetError(BASS_OK);
}

QWORD BASS_StreamGetLength(HSTREAM handle) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return kError64;
    const auto length = channel->LengthBytes();
    if (!length)
        return Fail(BASS_ERROR_NOTAVAIL, kError64);
    SetError(BASS_OK);
    return *length;
}

const char* BASS_StreamGetTags(HSTREAM handle, DWORD tags) {
    const auto channel = TLibrary::Get().Channel(handle);
    return channel ? channel->Tags(tags) : nullptr;
}

DWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return kError32;
    if (channel->path.empty())
        return Fail(BASS_ERROR_NOTFILE, kError32);
    if (mode != BASS_FILEPOS_END && mode != BASS_FILEPOS_DOWNLOAD)
        return Fail(BASS_ERROR_NOTAVAIL, kError32);
    struct stat st {};
    if (stat(channel->path.c_str(), &st) != 0 || st.st_size >= 0xFFFFFFFF)
        return Fail(BASS_ERROR_NOTAVAIL, kError32);
    SetError(BASS_OK);
    return static_cast<DWORD>(st.st_size);
}

const char* BASS_RecordGetDeviceDescription(DWORD) {
    return NotAvailable<const char*>(nullptr);
}
BOOL BASS_RecordInit(int) {
    return NotAvailable(FALSE);
}
BOOL BASS_RecordSetDevice(DWORD) {
    return NotAvailable(FALSE);
}
DWORD BASS_RecordGetDevice(void) {
    return NotAvailable(kError32);
}
BOOL BASS_RecordFree(void) {
    return NotAvailable(FALSE);
}
BOOL BASS_RecordGetInfo(BASS_RECORDINFO*) {
    return NotAvailable(FALSE);
}
const char* BASS_RecordGetInputName(int) {
    return NotAvailable<const char*>(nullptr);
}
BOOL BASS_RecordSetInput(int, DWORD) {
    return NotAvailable(FALSE);
}
DWORD BASS_RecordGetInput(int) {
    return NotAvailable(kError32);
}
HRECORD BASS_RecordStart(DWORD, DWORD, DWORD, RECORDPROC*, void*) {
    return NotAvailable(HRECORD{0});
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return -1.0f;
    SetError(BASS_OK);
    return static_cast<float>(
        static_cast<double>(pos) /
        (static_cast<double>(channel->format.Block()) * channel->format.freq));
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return kError64;
    if (!(pos >= 0.0f))
        return Fail(BASS_ERROR_ILLPARAM, kError64);
    SetError(BASS_OK);
    const auto frames =
        static_cast<QWORD>(std::floor(static_cast<double>(pos) * channel->format.freq));
    return frames * channel->format.Block();
}

DWORD BASS_ChannelGetDevice(DWORD) {
    return NotAvailable(kError32);
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return BASS_ACTIVE_STOPPED;
    SetError(BASS_OK);
    return channel->IsActive();
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return FALSE;
    if (info == nullptr)
        return Fail(BASS_ERROR_ILLPARAM, FALSE);
    info->freq = channel->format.freq;
    info->chans = channel->format.chans;
    info->flags = (channel->flags & ~DWORD{BASS_SAMPLE_8BITS}) |
                  (channel->format.eightBit ? BASS_SAMPLE_8BITS : 0);
    info->ctype = channel->ctype;
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_ChannelSetFlags(DWORD, DWORD) {
    return NotAvailable(FALSE);
}
BOOL BASS_ChannelPreBuf(DWORD) {
    return NotAvailable(FALSE);
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    const auto channel = TLibrary::Get().Channel(handle);
    return channel && channel->Play(restart != FALSE) ? TRUE : FALSE;
}

BOOL BASS_ChannelStop(DWORD handle) {
    TLibrary& lib = TLibrary::Get();
    const auto channel = lib.Channel(handle);
    if (!channel)
        return FALSE;
    channel->Stop();
    if (channel->AutoFree())
        lib.FreeChannel(handle);
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_ChannelPause(DWORD handle) {
    const auto channel = TLibrary::Get().Channel(handle);
    return channel && channel->Pause() ? TRUE : FALSE;
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    TLibrary& lib = TLibrary::Get();
    const auto channel = lib.Channel(handle);
    if (!channel)
        return FALSE;
    channel->SetAttributes(freq, volume, pan, lib.maxVol.load());
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
    TLibrary& lib = TLibrary::Get();
    const auto channel = lib.Channel(handle);
    if (!channel)
        return FALSE;
    channel->GetAttributes(freq, volume, pan, lib.maxVol.load());
    SetError(BASS_OK);
    return TRUE;
}

BOOL BASS_ChannelSlideAttributes(DWORD, int, int, int, DWORD) {
    return NotAvailable(FALSE);
}
DWORD BASS_ChannelIsSliding(DWORD) {
    return NotAvailable(DWORD{0});
}
BOOL BASS_ChannelSet3DAttributes(DWORD, int, float, float, int, int, int) {
    return NotAvailable(FALSE);
}
BOOL BASS_ChannelGet3DAttributes(DWORD, DWORD*, float*, float*, DWORD*, DWORD*, DWORD*) {
    return NotAvailable(FALSE);
}
BOOL BASS_ChannelSet3DPosition(DWORD, const BASS_3DVECTOR*, const BASS_3DVECTOR*,
                               const BASS_3DVECTOR*) {
    return NotAvailable(FALSE);
}
BOOL BASS_ChannelGet3DPosition(DWORD, BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*) {
    return NotAvailable(FALSE);
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return kError64;
    SetError(BASS_OK);
    return channel->GetPosition();
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    const auto channel = TLibrary::Get().Channel(handle);
    return channel && channel->SetPosition(pos) ? TRUE : FALSE;
}

DWORD BASS_ChannelGetLevel(DWORD handle) {
    const auto channel = TLibrary::Get().Channel(handle);
    return channel ? channel->GetLevel() : kError32;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    const auto channel = TLibrary::Get().Channel(handle);
    return channel ? channel->GetData(buffer, length) : kError32;
}

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD, SYNCPROC* proc, void* user) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return 0;
    const DWORD kind = type & ~DWORD{BASS_SYNC_MIXTIME};
    if (proc == nullptr ||
        (kind != BASS_SYNC_END && kind != BASS_SYNC_META && kind != BASS_SYNC_DOWNLOAD))
        return Fail(BASS_ERROR_ILLTYPE, HSYNC{0});
    SetError(BASS_OK);
    return channel->AddSync(kind, proc, user);
}

BOOL BASS_ChannelRemoveSync(DWORD, HSYNC) {
    return NotAvailable(FALSE);
}
HDSP BASS_ChannelSetDSP(DWORD, DSPPROC*, void*, int) {
    return NotAvailable(HDSP{0});
}
BOOL BASS_ChannelRemoveDSP(DWORD, HDSP) {
    return NotAvailable(FALSE);
}
BOOL BASS_ChannelSetEAXMix(DWORD, float) {
    return NotAvailable(FALSE);
}
BOOL BASS_ChannelGetEAXMix(DWORD, float*) {
    return NotAvailable(FALSE);
}
BOOL BASS_ChannelSetLink(DWORD, DWORD) {
    return NotAvailable(FALSE);
}
BOOL BASS_ChannelRemoveLink(DWORD, DWORD) {
    return NotAvailable(FALSE);
}
HFX BASS_ChannelSetFX(DWORD, DWORD, int) {
    return NotAvailable(HFX{0});
}
BOOL BASS_ChannelRemoveFX(DWORD, HFX) {
    return NotAvailable(FALSE);
}
BOOL BASS_FXSetParameters(HFX, const void*) {
    return NotAvailable(FALSE);
}
BOOL BASS_FXGetParameters(HFX, void*) {
    return NotAvailable(FALSE);
}

void BASS_Test_ForceSilentOutput(BOOL force) {
    TLibrary::Get().forceSilent.store(force != FALSE);
}

BOOL WavoraBass_SetTap(DWORD handle, WAVORA_TAPPROC* proc, void* user) {
    const auto channel = TLibrary::Get().Channel(handle);
    if (!channel)
        return FALSE;
    if (!channel->SetTap(proc, user))
        return Fail(BASS_ERROR_HANDLE, FALSE);
    SetError(BASS_OK);
    return TRUE;
}

HSTREAM WavoraBass_StreamCreateFileFormat(const char* file, DWORD flags, const char* format,
                                          DWORD ctype) {
    TDecoderRequest request;
    request.kind = TSourceKind::Format;
    request.format = format != nullptr ? format : "";
    return CreateFromFile(FALSE, file, 0, 0, flags, request, TChannelKind::FileStream, ctype);
}

void WavoraBass_SetError(int code) {
    SetError(code);
}

} // extern "C"
