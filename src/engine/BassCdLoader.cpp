#include "BassCdLoader.h"

#include "LibraryModule.h"

namespace bass {
WAVORA_LIBRARY_ENTRIES(WAVORA_BASSCD_NAMES)
} // namespace bass

bool LoadBassCd(const std::string& path) {
    return bass::LoadAddOn(bass::gModule, path, bass::ResolveAll, bass::ClearEntries);
}

void UnloadBassCd() {
    bass::UnloadWhole(bass::gModule, bass::ClearEntries);
}

bool IsBassCdLoaded() {
    return bass::gModule != nullptr;
}
