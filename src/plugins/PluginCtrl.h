#pragma once

#include "StreamInfo.h"
#include "ioplug.h"
#include "sdk/Winamp.h"

#include <cstdint>
#include <string>

// The input plug-in manager: up to MaxPlugins Winamp 2 input plug-ins loaded from Plugins/
// beside the executable, each in a numbered slot, one of them possibly active. One per process;
// every operation runs on the user-interface thread.
namespace wavora {

inline constexpr int MaxPlugins = 8;
inline constexpr std::uint32_t PluginRingBytes = 88200;    // 0.5 s of 44100 Hz 16-bit stereo
inline constexpr std::uint32_t PluginScratchBytes = 36864; // 1152 samples x 8 ch x 2 B x 2

struct TPluginInfo {
    std::string PluginName; // the library's file name as given to LoadPlugin
    std::int32_t PluginVersion = 0;
    std::string Description;
    std::string FileExtensions; // up to the first NUL: the first extension group only
    std::int32_t Seekable = 0;
    HINSTANCE LibraryHandle = nullptr;
};

enum class LoadResult : int {
    Loaded = 0,
    NotInitialised = 1,
    AlreadyLoaded = 2,
    NoFreeSlot = 3,
    CannotLoad = 4,
    NoExport = 5,
};

enum class UnloadResult : int {
    Unloaded = 0,
    CannotFree = 6,
    NotLoaded = 7,
    InUse = 8,
};

// A plug-in's claim on a file: the slot (-1: none), its name, and what GetFileInfo said.
struct TPluginClaim {
    int Index = -1;
    std::string PluginName;
    std::string Title;
    int Length = 0; // ms
};

// True when the output module is ready. The first successful call's window stays in use.
[[nodiscard]] bool InitPluginManager(HWND window);
void ShutdownPluginManager();

[[nodiscard]] LoadResult LoadPlugin(const std::string& name);
[[nodiscard]] UnloadResult UnloadPlugin(const std::string& name);
// Names compare ignoring ASCII letter case; the lowest slot wins.
[[nodiscard]] bool IsPluginLoaded(const std::string& name);
[[nodiscard]] int PluginIndexOf(const std::string& name);
[[nodiscard]] In_Module* GetPlugin(int index);
[[nodiscard]] TPluginInfo GetPluginInfo(int index);
// The lowest slot whose FileExtensions contains text, both upper-cased; else -1.
[[nodiscard]] int FindPluginByExt(const std::string& text);
// 0 when index is -1 or an occupied slot (it becomes the active one), else -1.
[[nodiscard]] int SelectPlugin(int index);
[[nodiscard]] int ActivePluginIndex();
[[nodiscard]] std::string ActivePluginName();
// fromOutput: the output module's time; otherwise the active plug-in's own.
[[nodiscard]] int PluginOutputTime(bool fromOutput);
// SetSeekPending (ioplug.h) marks the next Flush of the output module as a seek.
void SetStreamInfo(const TStreamInfo& info);
[[nodiscard]] const TStreamInfo& PluginStreamInfo();

// The extension a plug-in is asked about: the text after the name's last '.' (when that comes
// after the last '/', '\' or ':'), upper-cased, at most 3 characters.
[[nodiscard]] std::string ClaimExtension(const std::string& fileName);
// Asks the loaded plug-ins in slot order whose first extension group holds the file's claim
// extension; the first that answers a length above 0 claims the file.
[[nodiscard]] TPluginClaim ClaimFile(const std::string& fileName);

} // namespace wavora
