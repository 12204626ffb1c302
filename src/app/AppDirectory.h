#pragma once

#include <string>

namespace wavora {

// The folder holding the running executable, with a trailing '/'.
[[nodiscard]] std::string appDirectory();

} // namespace wavora
