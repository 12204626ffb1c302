#pragma once

#include <string>
#include <string_view>

namespace wavora {

// A tag value as it may enter a custom output name: every '/' becomes '_', so that no value
// can name a folder. Nothing else changes.
[[nodiscard]] std::string SafeNameTagValue(std::string_view value);

// A custom output name (body + "." + extension) whose body is "." or ".." would name the
// folder itself or its parent: it gets a '_' in front. Every other name is returned as it is.
[[nodiscard]] std::string SafeOutputName(std::string_view name);

} // namespace wavora
