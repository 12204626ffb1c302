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

} // namespace bass
