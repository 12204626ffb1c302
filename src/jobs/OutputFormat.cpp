#include "OutputFormat.h"

#include <algorithm>

namespace wavora {
namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::optional<OutputFormat> OutputFormatFromText(std::string_view text) {
    for (std::size_t i = 0; i < OutputFormatItems.size(); ++i) {
        if (OutputFormatItems[i].size() == text.size() &&
            std::equal(text.begin(), text.end(), OutputFormatItems[i].begin(),
                       [](char a, char b) { return asciiLower(a) == asciiLower(b); })) {
            return static_cast<OutputFormat>(i);
        }
    }
    return std::nullopt;
}

std::string OutputFormatText(OutputFormat format) {
    std::string text(OutputFormatItems.at(static_cast<std::size_t>(format)));
    std::transform(text.begin(), text.end(), text.begin(), asciiLower);
    return text;
}

} // namespace wavora
