#include "BassWmaLoader.h"

#include "LibraryModule.h"

namespace bass {
WAVORA_LIBRARY_ENTRIES(WAVORA_BASSWMA_NAMES)
} // namespace bass

bool LoadBassWma(const std::string& path) {
    using namespace bass;
    if (gModule)
        return true;
    // By full path only: the add-ons are never searched for.
    if (path.empty() || path.front() != '/')
        return false;
    return LoadWhole(gModule, path, ResolveAll, ClearEntries);
}

void UnloadBassWma() {
    using namespace bass;
    if (!gModule)
        return;
    ClearEntries();
    gModule.reset();
}

bool IsBassWmaLoaded() {
    return bass::gModule != nullptr;
}
