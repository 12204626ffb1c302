/* Between the libraries of the family only (libbassenc.so and libbasswma.so call libbass.so);
 * not part of the application's interface. */
#ifndef WAVORA_BASSINT_H
#define WAVORA_BASSINT_H

#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Receives every block of PCM a channel delivers (its own format), on the thread that reads it;
 * called once more with (channel, NULL, 0, user) when the channel is freed. */
typedef void WAVORA_TAPPROC(DWORD channel, const void* data, DWORD length, void* user);

/* Installs the channel's one tap (proc NULL removes it). Returns once no call of the previous tap
 * is running. */
BASSDEF BOOL WavoraBass_SetTap(DWORD channel, WAVORA_TAPPROC* proc, void* user);

/* BASS_StreamCreateFile restricted to one FFmpeg input format ("asf", ...). */
BASSDEF HSTREAM WavoraBass_StreamCreateFileFormat(const char* file, DWORD flags, const char* format,
                                                  DWORD ctype);

/* Sets the calling thread's error code (for the add-ons' own calls). */
BASSDEF void WavoraBass_SetError(int code);

#ifdef __cplusplus
}
#endif

#endif
