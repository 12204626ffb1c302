// Run-time binding to libbasscd.so, loaded by full path from the program folder. The library is
// optional: where it is absent the loader returns false and there are no CD sources.
#pragma once

#include "BassNames.h"
#include "basscd.h"

#include <string>
#include <string_view>

namespace bass {

#define WAVORA_DECLARE_ENTRY(name) extern decltype(&::name) name;
WAVORA_BASSCD_NAMES(WAVORA_DECLARE_ENTRY)
#undef WAVORA_DECLARE_ENTRY

} // namespace bass

inline constexpr std::string_view kBassCdLibraryName = "libbasscd.so";

// Loads the library from this full path; all 19 names or nothing.
[[nodiscard]] bool LoadBassCd(const std::string& path);
void UnloadBassCd();
[[nodiscard]] bool IsBassCdLoaded();
