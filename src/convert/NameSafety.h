#pragma once

#include <string>
#include <string_view>

namespace wavora {

// A tag value as it may enter a custom output name: every '/' becomes '_', so that no value
// can name a folder. Nothing else changes.
[[nodiscard]] std::string SafeNameTagValue(std::string_view value);

} // namespace wavora
