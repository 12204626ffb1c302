// Run-time binding to libbasswma.so, loaded by full path from the program folder.
#pragma once

#include "BassNames.h"
#include "basswma.h"

#include <string>
#include <string_view>

namespace bass {

#define WAVORA_DECLARE_ENTRY(name) extern decltype(&::name) name;
WAVORA_BASSWMA_NAMES(WAVORA_DECLARE_ENTRY)
#undef WAVORA_DECLARE_ENTRY

} // namespace bass

inline constexpr std::string_view kBassWmaLibraryName = "libbasswma.so";

// Loads the library from this full path; all 14 names or nothing.
[[nodiscard]] bool LoadBassWma(const std::string& path);
void UnloadBassWma();
[[nodiscard]] bool IsBassWmaLoaded();
