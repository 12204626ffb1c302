/* Wavora audio library: the C interface of libbasscd.so (CD audio). The library is optional:
 * where it is absent there are no CD sources. */
#ifndef WAVORA_BASSCD_H
#define WAVORA_BASSCD_H

#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

#define BASS_CD_FREEOLD 0x10000 /* free the previous stream of the drive */

typedef struct BASS_CD_INFO BASS_CD_INFO; /* unused: opaque */

/* Description of drive 0..7, NULL after the last drive. */
BASSDEF const char* BASS_CD_GetDriveDescription(DWORD drive);
/* Drive letter, 0 = A. */
BASSDEF DWORD BASS_CD_GetDriveLetter(DWORD drive);
BASSDEF BOOL BASS_CD_GetInfo(DWORD drive, BASS_CD_INFO* info);
BASSDEF BOOL BASS_CD_Door(DWORD drive, DWORD action);
BASSDEF BOOL BASS_CD_DoorIsOpen(DWORD drive);
BASSDEF BOOL BASS_CD_DoorIsLocked(DWORD drive);
BASSDEF BOOL BASS_CD_IsReady(DWORD drive);
BASSDEF DWORD BASS_CD_GetTracks(DWORD drive);
/* Length of a zero-based track in bytes (44100 Hz 16-bit stereo). */
BASSDEF DWORD BASS_CD_GetTrackLength(DWORD drive, DWORD track);
BASSDEF const char* BASS_CD_GetID(DWORD drive, DWORD id);
BASSDEF BOOL BASS_CD_Release(DWORD drive);
BASSDEF HSTREAM BASS_CD_StreamCreate(DWORD drive, DWORD track, DWORD flags);
/* file: "<letter>:/TrackNN.cda" */
BASSDEF HSTREAM BASS_CD_StreamCreateFile(const char* file, DWORD flags);
BASSDEF DWORD BASS_CD_StreamGetTrack(HSTREAM handle);
BASSDEF BOOL BASS_CD_Analog_Play(DWORD drive, DWORD track, DWORD pos);
BASSDEF DWORD BASS_CD_Analog_PlayFile(const char* file, DWORD pos);
BASSDEF BOOL BASS_CD_Analog_Stop(DWORD drive);
BASSDEF DWORD BASS_CD_Analog_IsActive(DWORD drive);
BASSDEF DWORD BASS_CD_Analog_GetPosition(DWORD drive);

#ifdef __cplusplus
}
#endif

#endif
