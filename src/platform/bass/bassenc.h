/* Wavora audio library: the C interface of libbassenc.so (piping a channel into an encoder
 * program). Linked normally; it works on the channels of libbass.so. */
#ifndef WAVORA_BASSENC_H
#define WAVORA_BASSENC_H

#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef DWORD HENCODE; /* encoder */

typedef void ENCODEPROC(HENCODE handle, DWORD channel, const void* buffer, DWORD length,
                        void* user);

/* Starts the program of cmdline (split by the Windows C runtime's rules, no shell; a bare
 * program name is looked up in the executable's folder, then on PATH) in the current folder and
 * writes to its standard input a WAV header of the channel's format followed by every block read
 * from the channel. 0 when the program cannot be started. */
BASSDEF HENCODE BASS_Encode_Start(DWORD handle, const char* cmdline, DWORD flags, ENCODEPROC* proc,
                                  void* user);
/* Of a channel or an encoder: BASS_ACTIVE_PLAYING while the program runs, else STOPPED. */
BASSDEF DWORD BASS_Encode_IsActive(DWORD handle);
/* Closes the program's input and waits for it to exit: its output is complete on return. */
BASSDEF BOOL BASS_Encode_Stop(DWORD handle);

#ifdef __cplusplus
}
#endif

#endif
