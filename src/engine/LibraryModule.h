// A run-time library loaded whole or not at all: the module and the entry points resolved from it.
#pragma once

#include <dlfcn.h>
#include <memory>
#include <string>

namespace bass {

struct DlCloser {
    void operator()(void* handle) const noexcept { dlclose(handle); }
};
using ModuleHandle = std::unique_ptr<void, DlCloser>;

// Opens path (a full path, or a bare name for the standard search) with every symbol bound now.
[[nodiscard]] inline ModuleHandle OpenModule(const std::string& path) {
    return ModuleHandle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
}

// Resolves one name into its entry-point variable; false when the name is missing.
template <typename Fn>
[[nodiscard]] bool Resolve(void* module, const char* name, Fn& entry) {
    void* symbol = dlsym(module, name);
    entry = reinterpret_cast<Fn>(symbol);
    return symbol != nullptr;
}

// Loads path into module whole or not at all: when any name is missing the module is freed and
// every entry point cleared. A module already loaded answers true at once.
template <typename ResolveAllFn, typename ClearFn>
[[nodiscard]] bool LoadWhole(ModuleHandle& module, const std::string& path, ResolveAllFn resolveAll,
                             ClearFn clearEntries) {
    if (module)
        return true;
    ModuleHandle opened = OpenModule(path);
    if (!opened)
        return false;
    if (!resolveAll(opened.get())) {
        clearEntries();
        return false;
    }
    module = std::move(opened);
    return true;
}

// An add-on is loaded by full path only, never searched for.
template <typename ResolveAllFn, typename ClearFn>
[[nodiscard]] bool LoadAddOn(ModuleHandle& module, const std::string& path, ResolveAllFn resolveAll,
                             ClearFn clearEntries) {
    if (module)
        return true;
    if (path.empty() || path.front() != '/')
        return false;
    return LoadWhole(module, path, resolveAll, clearEntries);
}

// Clears every entry point, then frees the module; nothing when it is not loaded.
template <typename ClearFn>
void UnloadWhole(ModuleHandle& module, ClearFn clearEntries) {
    if (!module)
        return;
    clearEntries();
    module.reset();
}

} // namespace bass

#define WAVORA_DEFINE_ENTRY_(name) decltype(&::name) name = nullptr;
#define WAVORA_CLEAR_ENTRY_(name) name = nullptr;
#define WAVORA_RESOLVE_ENTRY_(name) all = Resolve(module, #name, name) && all;

// Inside namespace bass: the entry-point variables of a name list, the module they come from
// (user-interface thread only), and the helpers that fill and clear them.
#define WAVORA_LIBRARY_ENTRIES(LIST)                                                               \
    LIST(WAVORA_DEFINE_ENTRY_)                                                                     \
    namespace {                                                                                    \
    ModuleHandle gModule;                                                                          \
    void ClearEntries() {                                                                          \
        LIST(WAVORA_CLEAR_ENTRY_)                                                                  \
    }                                                                                              \
    bool ResolveAll(void* module) {                                                                \
        bool all = true;                                                                           \
        LIST(WAVORA_RESOLVE_ENTRY_)                                                                \
        return all;                                                                                \
    }                                                                                              \
    }
