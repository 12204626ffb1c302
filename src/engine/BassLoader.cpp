#include "BassLoader.h"

#include "LibraryModule.h"

#include <string>

namespace bass {

#define WAVORA_DEFINE_ENTRY(name) decltype(&::name) name = nullptr;
WAVORA_BASS_NAMES(WAVORA_DEFINE_ENTRY)
#undef WAVORA_DEFINE_ENTRY

namespace {

// User-interface thread only.
ModuleHandle gModule;

void ClearEntries() {
#define WAVORA_CLEAR_ENTRY(name) name = nullptr;
    WAVORA_BASS_NAMES(WAVORA_CLEAR_ENTRY)
#undef WAVORA_CLEAR_ENTRY
}

bool ResolveAll(void* module) {
    bool all = true;
#define WAVORA_RESOLVE_ENTRY(name) all = Resolve(module, #name, name) && all;
    WAVORA_BASS_NAMES(WAVORA_RESOLVE_ENTRY)
#undef WAVORA_RESOLVE_ENTRY
    return all;
}

} // namespace
} // namespace bass

bool LoadBass(const std::string& path) {
    using namespace bass;
    if (gModule)
        return true;
    ModuleHandle module = OpenModule(path.empty() ? std::string(kBassLibraryName) : path);
    if (!module)
        return false;
    if (!ResolveAll(module.get())) {
        ClearEntries();
        return false;
    }
    gModule = std::move(module);
    return true;
}

void UnloadBass() {
    using namespace bass;
    if (!gModule)
        return;
    bass::BASS_Free();
    ClearEntries();
    gModule.reset();
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
