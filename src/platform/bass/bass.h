/* Wavora audio library: the C interface of libbass.so (calling contract 2.1).
 *
 * Decoding goes through FFmpeg, playback through SDL2 (or a silent output that consumes audio in
 * real time where no output device exists). Handles are 32-bit and never 0 or 1. A decoding
 * channel delivers interleaved PCM at the source's own rate and channel count: 16-bit signed,
 * or 8-bit unsigned (BASS_SAMPLE_8BITS) when the source is 8-bit PCM.
 *
 * Callback user values are pointer-sized so that a window or object pointer fits. Errors are
 * kept per calling thread and read with BASS_ErrorGetCode. */
#ifndef WAVORA_BASS_H
#define WAVORA_BASS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(WAVORA_BASS_BUILD)
#define BASSDEF __attribute__((visibility("default")))
#else
#define BASSDEF
#endif

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int BOOL;
typedef uintptr_t DWORD_PTR;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#ifndef MAKELONG
#define MAKELONG(lo, hi) ((DWORD)(((WORD)(lo)) | (((DWORD)((WORD)(hi))) << 16)))
#endif
#ifndef LOWORD
#define LOWORD(v) ((WORD)((DWORD)(v)&0xffff))
#endif
#ifndef HIWORD
#define HIWORD(v) ((WORD)(((DWORD)(v) >> 16) & 0xffff))
#endif

typedef DWORD HMUSIC;   /* music module */
typedef DWORD HSAMPLE;  /* sample */
typedef DWORD HCHANNEL; /* sample playback channel */
typedef DWORD HSTREAM;  /* stream */
typedef DWORD HRECORD;  /* recording */
typedef DWORD HSYNC;    /* synchroniser */
typedef DWORD HDSP;     /* DSP */
typedef DWORD HFX;      /* effect */

/* Error codes (BASS_ErrorGetCode) */
#define BASS_OK 0
#define BASS_ERROR_MEM 1       /* memory error */
#define BASS_ERROR_FILEOPEN 2  /* the file or program could not be opened */
#define BASS_ERROR_DRIVER 3    /* no usable output driver */
#define BASS_ERROR_BUFLOST 4   /* the sample buffer was lost */
#define BASS_ERROR_HANDLE 5    /* invalid handle */
#define BASS_ERROR_FORMAT 6    /* unsupported sample format */
#define BASS_ERROR_POSITION 7  /* invalid position */
#define BASS_ERROR_INIT 8      /* BASS_Init has not been successfully called */
#define BASS_ERROR_START 9     /* the output is not started */
#define BASS_ERROR_ALREADY 14  /* already initialised / paused / whatever */
#define BASS_ERROR_NOPAUSE 16  /* not paused */
#define BASS_ERROR_NOTAUDIO 17 /* not an audio track */
#define BASS_ERROR_NOCHAN 18   /* no free channel handle */
#define BASS_ERROR_ILLTYPE 19  /* an illegal type was specified */
#define BASS_ERROR_ILLPARAM 20 /* an illegal parameter was specified */
#define BASS_ERROR_NO3D 21     /* no 3D support */
#define BASS_ERROR_NOEAX 22    /* no EAX support */
#define BASS_ERROR_DEVICE 23   /* illegal device number */
#define BASS_ERROR_NOPLAY 24   /* not playing */
#define BASS_ERROR_FREQ 25     /* illegal sample rate */
#define BASS_ERROR_NOTFILE 27  /* the stream is not a file stream */
#define BASS_ERROR_NOHW 29     /* no hardware voices available */
#define BASS_ERROR_EMPTY 31    /* the file has no sample data */
#define BASS_ERROR_NONET 32    /* no internet connection could be opened */
#define BASS_ERROR_CREATE 33   /* could not create the file */
#define BASS_ERROR_NOFX 34     /* effects are not available */
#define BASS_ERROR_PLAYING 35  /* the channel is playing */
#define BASS_ERROR_NOTAVAIL 37 /* requested data or operation is not available */
#define BASS_ERROR_DECODE 38   /* the channel is a decoding channel */
#define BASS_ERROR_DX 39       /* a sufficient DirectX version is not installed */
#define BASS_ERROR_TIMEOUT 40  /* connection timed out */
#define BASS_ERROR_FILEFORM 41 /* unsupported file format */
#define BASS_ERROR_SPEAKER 42  /* unavailable speaker */
#define BASS_ERROR_UNKNOWN -1  /* some other mystery error */

/* BASS_Init devices */
#define BASS_DEVICE_NOSOUND 0 /* no output: decoding channels only */
#define BASS_DEVICE_DEFAULT 1 /* the first (default) output device */

/* BASS_SetConfig options */
#define BASS_CONFIG_BUFFER 0
#define BASS_CONFIG_UPDATEPERIOD 1
#define BASS_CONFIG_MAXVOL 3 /* scale of every volume value (default 100) */
#define BASS_CONFIG_GVOL_SAMPLE 4
#define BASS_CONFIG_GVOL_STREAM 5 /* global stream volume, 0..MAXVOL */
#define BASS_CONFIG_GVOL_MUSIC 6  /* global music volume, 0..MAXVOL */

/* Sample and stream flags */
#define BASS_SAMPLE_8BITS 1 /* 8-bit unsigned samples */
#define BASS_SAMPLE_MONO 2
#define BASS_SAMPLE_LOOP 4
#define BASS_STREAM_AUTOFREE 0x40000 /* free the channel when it stops */
#define BASS_STREAM_RESTRATE 0x80000
#define BASS_STREAM_BLOCK 0x100000
#define BASS_STREAM_DECODE 0x200000 /* only read with BASS_ChannelGetData, never played */
#define BASS_STREAM_META 0x400000   /* raise BASS_SYNC_META for internet stream titles */

/* Music flags */
#define BASS_MUSIC_RAMP 0x200
#define BASS_MUSIC_RAMPS 0x400
#define BASS_MUSIC_CALCLEN 0x8000
#define BASS_MUSIC_POSRESET 0x20000
#define BASS_MUSIC_AUTOFREE BASS_STREAM_AUTOFREE
#define BASS_MUSIC_DECODE BASS_STREAM_DECODE

/* Stream callback result flag: the stream ends after these bytes */
#define BASS_STREAMPROC_END 0x80000000u

/* BASS_ChannelIsActive results */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

/* BASS_StreamGetTags types */
#define BASS_TAG_ID3 0   /* the 128-byte ID3v1 block at the end of the file */
#define BASS_TAG_ID3V2 1 /* the ID3v2 block at the start of the file, header included */
#define BASS_TAG_OGG 2   /* Vorbis comments: "NAME=value" strings, each NUL-terminated, then "" */
#define BASS_TAG_HTTP 3
#define BASS_TAG_ICY 4
#define BASS_TAG_META 5

/* BASS_StreamGetFilePosition modes */
#define BASS_FILEPOS_DECODE 0
#define BASS_FILEPOS_DOWNLOAD 1
#define BASS_FILEPOS_END 2 /* total length of the file in bytes */

/* BASS_ChannelGetData length flags: float magnitudes of a Hann-windowed FFT */
#define BASS_DATA_FFT512 0x80000000u   /* 256 floats */
#define BASS_DATA_FFT1024 0x80000001u  /* 512 floats */
#define BASS_DATA_FFT2048 0x80000002u  /* 1024 floats */
#define BASS_DATA_FFT_INDIVIDUAL 0x10u /* one set per channel, interleaved */

/* BASS_ChannelSetSync types */
#define BASS_SYNC_POS 0
#define BASS_SYNC_END 2      /* the channel reached its end */
#define BASS_SYNC_META 4     /* new stream title; data points to the meta text */
#define BASS_SYNC_DOWNLOAD 7 /* the download of an internet file stream is complete */
#define BASS_SYNC_MIXTIME 0x40000000u

/* BASS_ChannelSetAttributes: -1 keeps a value unchanged */

typedef struct BASS_INFO {
    DWORD size;      /* size of this structure: set before calling BASS_GetInfo */
    DWORD flags;     /* device capabilities */
    DWORD hwsize;    /* hardware memory */
    DWORD hwfree;    /* free hardware memory */
    DWORD freesam;   /* free sample slots */
    DWORD free3d;    /* free 3D sample slots */
    DWORD minrate;   /* lowest sample rate supported */
    DWORD maxrate;   /* highest sample rate supported */
    BOOL eax;        /* EAX support */
    DWORD minbuf;    /* recommended minimum buffer length in ms */
    DWORD dsver;     /* DirectSound version: 0, there is no DirectSound here */
    DWORD latency;   /* delay in ms from play call to sound */
    DWORD initflags; /* flags given to BASS_Init */
    DWORD speakers;  /* number of speakers */
    DWORD freq;      /* output rate */
} BASS_INFO;

typedef struct BASS_CHANNELINFO {
    DWORD freq;  /* sample rate */
    DWORD chans; /* channel count */
    DWORD flags; /* BASS_SAMPLE_8BITS, BASS_STREAM_DECODE, BASS_STREAM_AUTOFREE, ... */
    DWORD ctype; /* BASS_CTYPE_* */
} BASS_CHANNELINFO;

#define BASS_CTYPE_SAMPLE 1
#define BASS_CTYPE_STREAM 0x10000
#define BASS_CTYPE_STREAM_WMA 0x10300
#define BASS_CTYPE_STREAM_CD 0x10200
#define BASS_CTYPE_MUSIC 0x20000

typedef struct BASS_SAMPLE BASS_SAMPLE; /* unused: opaque */
typedef struct BASS_RECORDINFO BASS_RECORDINFO;
typedef struct BASS_3DVECTOR {
    float x, y, z;
} BASS_3DVECTOR;

/* Fills buffer with up to length bytes; returns the count written, with BASS_STREAMPROC_END added
 * when the stream ends. Runs on the library's update thread. */
typedef DWORD STREAMPROC(HSTREAM handle, void* buffer, DWORD length, void* user);
/* Called on a library thread: the update thread for playing channels, the reading thread for
 * decoding channels. */
typedef void SYNCPROC(HSYNC handle, DWORD channel, DWORD_PTR data, void* user);
typedef void DSPPROC(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);
typedef void DOWNLOADPROC(const void* buffer, DWORD length, void* user);
typedef BOOL RECORDPROC(HRECORD handle, const void* buffer, DWORD length, void* user);

/* Configuration, version, errors */
BASSDEF DWORD BASS_SetConfig(DWORD option, DWORD value); /* previous value, -1 on error */
BASSDEF DWORD BASS_GetConfig(DWORD option);
BASSDEF DWORD BASS_GetVersion(void);
BASSDEF const char* BASS_GetDeviceDescription(DWORD device);
BASSDEF int BASS_ErrorGetCode(void);

/* Output device */
BASSDEF BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* clsid);
BASSDEF BOOL BASS_SetDevice(DWORD device);
BASSDEF DWORD BASS_GetDevice(void);
BASSDEF BOOL BASS_Free(void);
BASSDEF void* BASS_GetDSoundObject(DWORD object);
BASSDEF BOOL BASS_GetInfo(BASS_INFO* info);
BASSDEF BOOL BASS_Update(void);
BASSDEF float BASS_GetCPU(void);
BASSDEF BOOL BASS_Start(void);
BASSDEF BOOL BASS_Stop(void);
BASSDEF BOOL BASS_Pause(void);
BASSDEF BOOL BASS_SetVolume(DWORD volume);
BASSDEF DWORD BASS_GetVolume(void);

/* 3D and EAX */
BASSDEF BOOL BASS_Set3DFactors(float distf, float rollf, float doppf);
BASSDEF BOOL BASS_Get3DFactors(float* distf, float* rollf, float* doppf);
BASSDEF BOOL BASS_Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel,
                                const BASS_3DVECTOR* front, const BASS_3DVECTOR* top);
BASSDEF BOOL BASS_Get3DPosition(BASS_3DVECTOR* pos, BASS_3DVECTOR* vel, BASS_3DVECTOR* front,
                                BASS_3DVECTOR* top);
BASSDEF void BASS_Apply3D(void);
BASSDEF BOOL BASS_SetEAXParameters(int env, float vol, float decay, float damp);
BASSDEF BOOL BASS_GetEAXParameters(DWORD* env, float* vol, float* decay, float* damp);

/* Music modules (position form for BASS_ChannelSetPosition: MAKELONG(seconds, 0xFFFF)) */
BASSDEF HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags,
                              DWORD freq);
BASSDEF void BASS_MusicFree(HMUSIC handle);
BASSDEF const char* BASS_MusicGetName(HMUSIC handle);
BASSDEF QWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen);
BASSDEF BOOL BASS_MusicSetAttribute(HMUSIC handle, DWORD attrib, DWORD value);
BASSDEF DWORD BASS_MusicGetAttribute(HMUSIC handle, DWORD attrib);

/* Samples */
BASSDEF HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD max,
                                DWORD flags);
BASSDEF void* BASS_SampleCreate(DWORD length, DWORD freq, DWORD max, DWORD flags);
BASSDEF HSAMPLE BASS_SampleCreateDone(void);
BASSDEF void BASS_SampleFree(HSAMPLE handle);
BASSDEF BOOL BASS_SampleGetInfo(HSAMPLE handle, BASS_SAMPLE* info);
BASSDEF BOOL BASS_SampleSetInfo(HSAMPLE handle, const BASS_SAMPLE* info);
BASSDEF HCHANNEL BASS_SampleGetChannel(HSAMPLE handle, BOOL onlynew);
BASSDEF BOOL BASS_SampleStop(HSAMPLE handle);

/* Streams */
BASSDEF HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc,
                                  void* user);
BASSDEF HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                      DWORD flags);
BASSDEF HSTREAM BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                                     void* user);
BASSDEF HSTREAM BASS_StreamCreateFileUser(BOOL buffered, DWORD flags, const void* procs,
                                          void* user);
BASSDEF void BASS_StreamFree(HSTREAM handle);
BASSDEF QWORD BASS_StreamGetLength(HSTREAM handle); /* bytes, -1 on error */
BASSDEF const char* BASS_StreamGetTags(HSTREAM handle, DWORD tags);
BASSDEF DWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode); /* -1 when unknown */

/* Recording */
BASSDEF const char* BASS_RecordGetDeviceDescription(DWORD device);
BASSDEF BOOL BASS_RecordInit(int device);
BASSDEF BOOL BASS_RecordSetDevice(DWORD device);
BASSDEF DWORD BASS_RecordGetDevice(void);
BASSDEF BOOL BASS_RecordFree(void);
BASSDEF BOOL BASS_RecordGetInfo(BASS_RECORDINFO* info);
BASSDEF const char* BASS_RecordGetInputName(int input);
BASSDEF BOOL BASS_RecordSetInput(int input, DWORD setting);
BASSDEF DWORD BASS_RecordGetInput(int input);
BASSDEF HRECORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC* proc,
                                 void* user);

/* Channels */
BASSDEF float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
BASSDEF QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos);
BASSDEF DWORD BASS_ChannelGetDevice(DWORD handle);
BASSDEF DWORD BASS_ChannelIsActive(DWORD handle);
BASSDEF BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
BASSDEF BOOL BASS_ChannelSetFlags(DWORD handle, DWORD flags);
BASSDEF BOOL BASS_ChannelPreBuf(DWORD handle);
BASSDEF BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BASSDEF BOOL BASS_ChannelStop(DWORD handle);
BASSDEF BOOL BASS_ChannelPause(DWORD handle);
/* freq in Hz (0 = the original rate) and volume 0..MAXVOL, -1 = unchanged; pan -100..100,
 * any lower value (-101) = unchanged */
BASSDEF BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
BASSDEF BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan);
BASSDEF BOOL BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan, DWORD time);
BASSDEF DWORD BASS_ChannelIsSliding(DWORD handle);
BASSDEF BOOL BASS_ChannelSet3DAttributes(DWORD handle, int mode, float min, float max, int iangle,
                                         int oangle, int outvol);
BASSDEF BOOL BASS_ChannelGet3DAttributes(DWORD handle, DWORD* mode, float* min, float* max,
                                         DWORD* iangle, DWORD* oangle, DWORD* outvol);
BASSDEF BOOL BASS_ChannelSet3DPosition(DWORD handle, const BASS_3DVECTOR* pos,
                                       const BASS_3DVECTOR* orient, const BASS_3DVECTOR* vel);
BASSDEF BOOL BASS_ChannelGet3DPosition(DWORD handle, BASS_3DVECTOR* pos, BASS_3DVECTOR* orient,
                                       BASS_3DVECTOR* vel);
/* Bytes of what is heard for a playing channel, of what was read for a decoding channel. */
BASSDEF QWORD BASS_ChannelGetPosition(DWORD handle);
BASSDEF BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
/* LOWORD left, HIWORD right (0..32768); -1 on error */
BASSDEF DWORD BASS_ChannelGetLevel(DWORD handle);
/* A byte count or BASS_DATA_FFT*. A playing channel gives what is heard now without consuming it
 * (length 0: the bytes buffered); a decoding channel consumes what it delivers (0 at the end).
 * -1 on error. */
BASSDEF DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
BASSDEF HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc,
                                  void* user);
BASSDEF BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync);
BASSDEF HDSP BASS_ChannelSetDSP(DWORD handle, DSPPROC* proc, void* user, int priority);
BASSDEF BOOL BASS_ChannelRemoveDSP(DWORD handle, HDSP dsp);
BASSDEF BOOL BASS_ChannelSetEAXMix(DWORD handle, float mix);
BASSDEF BOOL BASS_ChannelGetEAXMix(DWORD handle, float* mix);
BASSDEF BOOL BASS_ChannelSetLink(DWORD handle, DWORD chan);
BASSDEF BOOL BASS_ChannelRemoveLink(DWORD handle, DWORD chan);
BASSDEF HFX BASS_ChannelSetFX(DWORD handle, DWORD type, int priority);
BASSDEF BOOL BASS_ChannelRemoveFX(DWORD handle, HFX fx);
BASSDEF BOOL BASS_FXSetParameters(HFX handle, const void* par);
BASSDEF BOOL BASS_FXGetParameters(HFX handle, void* par);

/* Test-only: when set before BASS_Init, device 1 is the silent real-time output even where an
 * output device exists, so that tests never need (or disturb) a sound card. */
BASSDEF void BASS_Test_ForceSilentOutput(BOOL force);

#ifdef __cplusplus
}
#endif

#endif
