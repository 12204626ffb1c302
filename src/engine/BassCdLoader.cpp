#include "BassCdLoader.h"

#include "LibraryModule.h"

namespace bass {
WAVORA_LIBRARY_ENTRIES(WAVORA_BASSCD_NAMES)
} // namespace bass

bool LoadBassCd(const std::string& path) {
    using namespace bass;
    if (gModule)
        return true;
    // By full path only: the add-ons are never searched for.
    if (path.empty() || path.front() != '/')
        return false;
    return LoadWhole(gModule, path, ResolveAll, ClearEntries);
}

void UnloadBassCd() {
    using namespace bass;
    if (!gModule)
        return;
    ClearEntries();
    gModule.reset();
}

bool IsBassCdLoaded() {
    return bass::gModule != nullptr;
}
