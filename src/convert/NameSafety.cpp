#include "NameSafety.h"

#include <algorithm>

namespace wavora {

std::string SafeNameTagValue(std::string_view value) {
    std::string result(value);
    std::replace(result.begin(), result.end(), '/', '_');
    return result;
}

std::string SafeOutputName(std::string_view name) {
    const auto dot = name.rfind('.');
    const std::string_view body = dot == std::string_view::npos ? name : name.substr(0, dot);
    const bool dotsOnly = body == "." || body == ".." || name == "." || name == "..";
    return dotsOnly ? '_' + std::string(name) : std::string(name);
}

} // namespace wavora
