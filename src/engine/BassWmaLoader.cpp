#include "BassWmaLoader.h"

#include "LibraryModule.h"

namespace bass {
WAVORA_LIBRARY_ENTRIES(WAVORA_BASSWMA_NAMES)
} // namespace bass

bool LoadBassWma(const std::string& path) {
    return bass::LoadAddOn(bass::gModule, path, bass::ResolveAll, bass::ClearEntries);
}

void UnloadBassWma() {
    bass::UnloadWhole(bass::gModule, bass::ClearEntries);
}

bool IsBassWmaLoaded() {
    return bass::gModule != nullptr;
}
