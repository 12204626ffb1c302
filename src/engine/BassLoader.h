// Run-time binding to libbass.so: one module handle and one entry-point variable per name.
// The variables live in namespace bass (bass::BASS_Init, ...) and never at global scope, where
// an exported data symbol of the executable would interpose on the library's own functions.
// Loaders and unloaders run on the user-interface thread.
#pragma once

#include "BassNames.h"
#include "bass.h"

#include <string>
#include <string_view>

namespace bass {

#define WAVORA_DECLARE_ENTRY(name) extern decltype(&::name) name;
WAVORA_BASS_NAMES(WAVORA_DECLARE_ENTRY)
#undef WAVORA_DECLARE_ENTRY

} // namespace bass

inline constexpr std::string_view kBassLibraryName = "libbass.so";
inline constexpr DWORD kBassRequiredVersion = MAKELONG(2, 1);
inline constexpr std::string_view kBassVersionError = "BASS version is not 2.1 !";

// Loads libbass.so from path (a full path; empty: the standard library search for
// "libbass.so"). Every name is resolved or the library is freed and false returned. While
// loaded, a further call returns true at once.
[[nodiscard]] bool LoadBass(const std::string& path);
// BASS_Free, then frees the library; nothing when not loaded.
void UnloadBass();
[[nodiscard]] bool IsBassLoaded();

// BASS_GetVersion is exactly MAKELONG(2, 1). False when not loaded.
[[nodiscard]] bool BassVersionOk();
// LOWORD "." HIWORD of BASS_GetVersion in decimal ("2.1"); "" when not loaded.
[[nodiscard]] std::string BassVersionText();
