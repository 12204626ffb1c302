#include "AppDirectory.h"

#include <filesystem>

namespace wavora {

std::string appDirectory() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::current_path(error) : exe.parent_path()).string() + '/';
}

} // namespace wavora
