#include "NameSafety.h"

#include <algorithm>

namespace wavora {

std::string SafeNameTagValue(std::string_view value) {
    std::string result(value);
    std::replace(result.begin(), result.end(), '/', '_');
    return result;
}

} // namespace wavora
