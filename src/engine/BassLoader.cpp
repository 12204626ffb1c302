#include "BassLoader.h"

#include "LibraryModule.h"

#include <string>

namespace bass {
WAVORA_LIBRARY_ENTRIES(WAVORA_BASS_NAMES)
} // namespace bass

bool LoadBass(const std::string& path) {
    using namespace bass;
    return LoadWhole(gModule, path.empty() ? std::string(kBassLibraryName) : path, ResolveAll,
                     ClearEntries);
}

void UnloadBass() {
    if (bass::gModule)
        bass::BASS_Free();
    bass::UnloadWhole(bass::gModule, bass::ClearEntries);
}

bool IsBassLoaded() {
    return bass::gModule != nullptr;
}

bool BassVersionOk() {
    return IsBassLoaded() && bass::BASS_GetVersion() == kBassRequiredVersion;
}

std::string BassVersionText() {
    if (!IsBassLoaded())
        return {};
    const DWORD version = bass::BASS_GetVersion();
    return std::to_string(LOWORD(version)) + "." + std::to_string(HIWORD(version));
}
