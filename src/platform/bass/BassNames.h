/* The entry points of each library, in one list per library: X(name) for every name. The loaders
 * resolve exactly these names, and the libraries export each of them. */
#ifndef WAVORA_BASSNAMES_H
#define WAVORA_BASSNAMES_H

#define WAVORA_BASS_NAMES(X)                                                                       \
    X(BASS_SetConfig)                                                                              \
    X(BASS_GetConfig)                                                                              \
    X(BASS_GetVersion)                                                                             \
    X(BASS_GetDeviceDescription)                                                                   \
    X(BASS_ErrorGetCode)                                                                           \
    X(BASS_Init)                                                                                   \
    X(BASS_SetDevice)                                                                              \
    X(BASS_GetDevice)                                                                              \
    X(BASS_Free)                                                                                   \
    X(BASS_GetDSoundObject)                                                                        \
    X(BASS_GetInfo)                                                                                \
    X(BASS_Update)                                                                                 \
    X(BASS_GetCPU)                                                                                 \
    X(BASS_Start)                                                                                  \
    X(BASS_Stop)                                                                                   \
    X(BASS_Pause)                                                                                  \
    X(BASS_SetVolume)                                                                              \
    X(BASS_GetVolume)                                                                              \
    X(BASS_Set3DFactors)                                                                           \
    X(BASS_Get3DFactors)                                                                           \
    X(BASS_Set3DPosition)                                                                          \
    X(BASS_Get3DPosition)                                                                          \
    X(BASS_Apply3D)                                                                                \
    X(BASS_SetEAXParameters)                                                                       \
    X(BASS_GetEAXParameters)                                                                       \
    X(BASS_MusicLoad)                                                                              \
    X(BASS_MusicFree)                                                                              \
    X(BASS_MusicGetName)                                                                           \
    X(BASS_MusicGetLength)                                                                         \
    X(BASS_MusicSetAttribute)                                                                      \
    X(BASS_MusicGetAttribute)                                                                      \
    X(BASS_SampleLoad)                                                                             \
    X(BASS_SampleCreate)                                                                           \
    X(BASS_SampleCreateDone)                                                                       \
    X(BASS_SampleFree)                                                                             \
    X(BASS_SampleGetInfo)                                                                          \
    X(BASS_SampleSetInfo)                                                                          \
    X(BASS_SampleGetChannel)                                                                       \
    X(BASS_SampleStop)                                                                             \
    X(BASS_StreamCreate)                                                                           \
    X(BASS_StreamCreateFile)                                                                       \
    X(BASS_StreamCreateURL)                                                                        \
    X(BASS_StreamCreateFileUser)                                                                   \
    X(BASS_StreamFree)                                                                             \
    X(BASS_StreamGetLength)                                                                        \
    X(BASS_StreamGetTags)                                                                          \
    X(BASS_StreamGetFilePosition)                                                                  \
    X(BASS_RecordGetDeviceDescription)                                                             \
    X(BASS_RecordInit)                                                                             \
    X(BASS_RecordSetDevice)                                                                        \
    X(BASS_RecordGetDevice)                                                                        \
    X(BASS_RecordFree)                                                                             \
    X(BASS_RecordGetInfo)                                                                          \
    X(BASS_RecordGetInputName)                                                                     \
    X(BASS_RecordSetInput)                                                                         \
    X(BASS_RecordGetInput)                                                                         \
    X(BASS_RecordStart)                                                                            \
    X(BASS_ChannelBytes2Seconds)                                                                   \
    X(BASS_ChannelSeconds2Bytes)                                                                   \
    X(BASS_ChannelGetDevice)                                                                       \
    X(BASS_ChannelIsActive)                                                                        \
    X(BASS_ChannelGetInfo)                                                                         \
    X(BASS_ChannelSetFlags)                                                                        \
    X(BASS_ChannelPreBuf)                                                                          \
    X(BASS_ChannelPlay)                                                                            \
    X(BASS_ChannelStop)                                                                            \
    X(BASS_ChannelPause)                                                                           \
    X(BASS_ChannelSetAttributes)                                                                   \
    X(BASS_ChannelGetAttributes)                                                                   \
    X(BASS_ChannelSlideAttributes)                                                                 \
    X(BASS_ChannelIsSliding)                                                                       \
    X(BASS_ChannelSet3DAttributes)                                                                 \
    X(BASS_ChannelGet3DAttributes)                                                                 \
    X(BASS_ChannelSet3DPosition)                                                                   \
    X(BASS_ChannelGet3DPosition)                                                                   \
    X(BASS_ChannelGetPosition)                                                                     \
    X(BASS_ChannelSetPosition)                                                                     \
    X(BASS_ChannelGetLevel)                                                                        \
    X(BASS_ChannelGetData)                                                                         \
    X(BASS_ChannelSetSync)                                                                         \
    X(BASS_ChannelRemoveSync)                                                                      \
    X(BASS_ChannelSetDSP)                                                                          \
    X(BASS_ChannelRemoveDSP)                                                                       \
    X(BASS_ChannelSetEAXMix)                                                                       \
    X(BASS_ChannelGetEAXMix)                                                                       \
    X(BASS_ChannelSetLink)                                                                         \
    X(BASS_ChannelRemoveLink)                                                                      \
    X(BASS_ChannelSetFX)                                                                           \
    X(BASS_ChannelRemoveFX)                                                                        \
    X(BASS_FXSetParameters)                                                                        \
    X(BASS_FXGetParameters)

#define WAVORA_BASSWMA_NAMES(X)                                                                    \
    X(BASS_WMA_StreamCreateFile)                                                                   \
    X(BASS_WMA_StreamCreateFileUser)                                                               \
    X(BASS_WMA_GetIWMReader)                                                                       \
    X(BASS_WMA_EncodeGetRates)                                                                     \
    X(BASS_WMA_EncodeOpenFile)                                                                     \
    X(BASS_WMA_EncodeOpen)                                                                         \
    X(BASS_WMA_EncodeOpenNetwork)                                                                  \
    X(BASS_WMA_EncodeOpenPublish)                                                                  \
    X(BASS_WMA_EncodeGetPort)                                                                      \
    X(BASS_WMA_EncodeSetNotify)                                                                    \
    X(BASS_WMA_EncodeGetClients)                                                                   \
    X(BASS_WMA_EncodeSetTag)                                                                       \
    X(BASS_WMA_EncodeWrite)                                                                        \
    X(BASS_WMA_EncodeClose)

#define WAVORA_BASSCD_NAMES(X)                                                                     \
    X(BASS_CD_GetDriveDescription)                                                                 \
    X(BASS_CD_GetDriveLetter)                                                                      \
    X(BASS_CD_GetInfo)                                                                             \
    X(BASS_CD_Door)                                                                                \
    X(BASS_CD_DoorIsOpen)                                                                          \
    X(BASS_CD_DoorIsLocked)                                                                        \
    X(BASS_CD_IsReady)                                                                             \
    X(BASS_CD_GetTracks)                                                                           \
    X(BASS_CD_GetTrackLength)                                                                      \
    X(BASS_CD_GetID)                                                                               \
    X(BASS_CD_Release)                                                                             \
    X(BASS_CD_StreamCreate)                                                                        \
    X(BASS_CD_StreamCreateFile)                                                                    \
    X(BASS_CD_StreamGetTrack)                                                                      \
    X(BASS_CD_Analog_Play)                                                                         \
    X(BASS_CD_Analog_PlayFile)                                                                     \
    X(BASS_CD_Analog_Stop)                                                                         \
    X(BASS_CD_Analog_IsActive)                                                                     \
    X(BASS_CD_Analog_GetPosition)

#define WAVORA_BASSENC_NAMES(X)                                                                    \
    X(BASS_Encode_Start)                                                                           \
    X(BASS_Encode_IsActive)                                                                        \
    X(BASS_Encode_Stop)

#endif
