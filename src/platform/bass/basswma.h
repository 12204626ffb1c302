/* Wavora audio library: the C interface of libbasswma.so (ASF/WMA decoding and WMA encoding
 * through FFmpeg's asf demuxer and muxer and its wmav2 codec). */
#ifndef WAVORA_BASSWMA_H
#define WAVORA_BASSWMA_H

#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef DWORD HWMENCODE; /* WMA encoder */

/* BASS_WMA_EncodeOpen* flags */
#define BASS_WMA_ENCODE_TAGS                                                                       \
    0x10000 /* tags may be set (BASS_WMA_EncodeSetTag) before the audio                            \
             */

typedef void CLIENTCONNECTPROC(HWMENCODE handle, BOOL connect, const char* ip, void* user);

BASSDEF HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                          DWORD flags);
BASSDEF HSTREAM BASS_WMA_StreamCreateFileUser(BOOL buffered, DWORD flags, const void* procs,
                                              void* user);
BASSDEF void* BASS_WMA_GetIWMReader(HSTREAM handle);
/* Bit rates (bit/s) the encoder offers for the format, ending with 0; NULL when none. */
BASSDEF const DWORD* BASS_WMA_EncodeGetRates(DWORD freq, DWORD chans, DWORD flags);
/* Input to BASS_WMA_EncodeWrite is 16-bit interleaved PCM of freq and chans. */
BASSDEF HWMENCODE BASS_WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                          const char* file);
BASSDEF HWMENCODE BASS_WMA_EncodeOpen(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                      void* proc, void* user);
BASSDEF HWMENCODE BASS_WMA_EncodeOpenNetwork(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                             DWORD port, DWORD clients);
BASSDEF HWMENCODE BASS_WMA_EncodeOpenPublish(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                             const char* url, const char* user, const char* pass);
BASSDEF DWORD BASS_WMA_EncodeGetPort(HWMENCODE handle);
BASSDEF BOOL BASS_WMA_EncodeSetNotify(HWMENCODE handle, CLIENTCONNECTPROC* proc, void* user);
BASSDEF DWORD BASS_WMA_EncodeGetClients(HWMENCODE handle);
/* An ASF attribute with exactly this name (UTF-8 text); (handle, NULL, NULL) ends the list. */
BASSDEF BOOL BASS_WMA_EncodeSetTag(HWMENCODE handle, const char* tag, const char* text);
BASSDEF BOOL BASS_WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length);
BASSDEF void BASS_WMA_EncodeClose(HWMENCODE handle);

#ifdef __cplusplus
}
#endif

#endif
