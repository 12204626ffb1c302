/*
 * The Winamp 2 plug-in interface as this host implements it: the input-module and
 * output-module records, the export an input plug-in provides, the messages a plug-in posts
 * and the host function it posts them with.
 *
 * Fields keep the published order; integers are 32 bits, pointers and handles native width,
 * functions the platform's C calling convention. Plain C, so plug-ins in C can use it.
 */
#ifndef WAVORA_PLUGINS_SDK_WINAMP_H
#define WAVORA_PLUGINS_SDK_WINAMP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A window handle: an opaque pointer-sized value made by the host. */
typedef struct WavoraWindow* HWND;
/* A plug-in library's handle, as the host's library loader returned it. */
typedef void* HINSTANCE;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;

#define WM_USER 0x400
/* Posted by an input plug-in to its hMainWindow when the file has been decoded to its end. */
#define WM_WA_MPEG_EOF (WM_USER + 2)

/* The host's output module, given to every input plug-in in In_Module.outMod. */
typedef struct Out_Module {
    int version;
    char* description;
    int id;
    HWND hMainWindow;
    HINSTANCE hDllInstance;
    void (*Config)(HWND hwndParent);
    void (*About)(HWND hwndParent);
    void (*Init)(void);
    void (*Quit)(void);
    /* Answers the latency in ms (>= 0) or -1 on failure. */
    int (*Open)(int samplerate, int numchannels, int bitspersamp, int bufferlenms, int prebufferms);
    void (*Close)(void);
    /* 0: accepted; 1: refused, nothing kept (the data must be strictly smaller than CanWrite
       plus one). */
    int (*Write)(char* buf, int len);
    int (*CanWrite)(void);
    int (*IsPlaying)(void);
    /* Answers the previous paused state. */
    int (*Pause)(int pause);
    void (*SetVolume)(int volume); /* 0..255 */
    void (*SetPan)(int pan);       /* -128..127 */
    void (*Flush)(int t);          /* t: the new output time in ms */
    int (*GetOutputTime)(void);
    int (*GetWrittenTime)(void);
} Out_Module;

/* An input plug-in's record. The plug-in fills the first block; the host writes hMainWindow,
   hDllInstance and outMod before Init, and the visualisation, DSP and SetInfo functions after
   it. */
typedef struct In_Module {
    int version;
    char* description;
    HWND hMainWindow;
    HINSTANCE hDllInstance;
    /* NUL-separated pairs (extension group such as "MP3;MP2", then its description), ended by an
       empty string. */
    char* FileExtensions;
    int is_seekable;
    int UsesOutputPlug;
    void (*Config)(HWND hwndParent);
    void (*About)(HWND hwndParent);
    void (*Init)(void);
    void (*Quit)(void);
    /* file NULL: the file being played. title holds 256 bytes. */
    void (*GetFileInfo)(const char* file, char* title, int* length_in_ms);
    int (*InfoBox)(const char* file, HWND hwndParent);
    int (*IsOurFile)(const char* fn);
    /* 0: decoding has started. */
    int (*Play)(const char* fn);
    void (*Pause)(void);
    void (*UnPause)(void);
    int (*IsPaused)(void);
    void (*Stop)(void);
    int (*GetLength)(void);
    int (*GetOutputTime)(void);
    void (*SetOutputTime)(int time_in_ms);
    void (*SetVolume)(int volume);
    void (*SetPan)(int pan);
    void (*SAVSAInit)(int maxlatency_in_ms, int srate);
    void (*SAVSADeInit)(void);
    void (*SAAddPCMData)(void* PCMData, int nch, int bps, int timestamp);
    int (*SAGetMode)(void);
    int (*SAAdd)(void* data, int timestamp, int csa);
    void (*VSAAddPCMData)(void* PCMData, int nch, int bps, int timestamp);
    int (*VSAGetMode)(int* spectrumChannels, int* waveChannels);
    int (*VSAAdd)(void* data, int timestamp);
    void (*VSASetInfo)(int srate, int nch);
    int (*dsp_isactive)(void);
    int (*dsp_dosamples)(short int* samples, int numsamples, int bps, int nch, int srate);
    void (*EQSet)(int on, char data[10], int preamp);
    /* -1 leaves a value unchanged. */
    void (*SetInfo)(int bitrate, int srate, int stereo, int synched);
    Out_Module* outMod;
} In_Module;

/* The function every input plug-in library exports under this name. */
typedef In_Module* (*winampGetInModule2Func)(void);
#define WINAMP_GET_IN_MODULE2 "winampGetInModule2"

/* Exported by the host executable: queues a message for a host window from any thread.
   Answers non-zero when the window exists and the message was queued. */
int PostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);

#ifdef __cplusplus
}
#endif

#endif
