#include "BassCdLoader.h"

#include "LibraryModule.h"

namespace bass {

#define WAVORA_DEFINE_ENTRY(name) decltype(&::name) name = nullptr;
WAVORA_BASSCD_NAMES(WAVORA_DEFINE_ENTRY)
#undef WAVORA_DEFINE_ENTRY

namespace {

// User-interface thread only.
ModuleHandle gModule;

void ClearEntries() {
#define WAVORA_CLEAR_ENTRY(name) name = nullptr;
    WAVORA_BASSCD_NAMES(WAVORA_CLEAR_ENTRY)
#undef WAVORA_CLEAR_ENTRY
}

bool ResolveAll(void* module) {
    bool all = true;
#define WAVORA_RESOLVE_ENTRY(name) all = Resolve(module, #name, name) && all;
    WAVORA_BASSCD_NAMES(WAVORA_RESOLVE_ENTRY)
#undef WAVORA_RESOLVE_ENTRY
    return all;
}

} // namespace
} // namespace bass

bool LoadBassCd(const std::string& path) {
    using namespace bass;
    if (gModule)
        return true;
    // By full path only: the add-ons are never searched for.
    if (path.empty() || path.front() != '/')
        return false;
    ModuleHandle module = OpenModule(path);
    if (!module)
        return false;
    if (!ResolveAll(module.get())) {
        ClearEntries();
        return false;
    }
    gModule = std::move(module);
    return true;
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
