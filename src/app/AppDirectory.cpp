#include "AppDirectory.h"

#include <filesystem>

namespace wavora {

std::string appDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + '/';
}

} // namespace wavora
