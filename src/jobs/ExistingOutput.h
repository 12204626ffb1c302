#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace wavora {

// What a conversion does when a file of its output name was there before the batch.
enum class ExistingOutput : std::int32_t { Overwrite = 0, Skip = 1, KeepBoth = 2 };

// The command-line words: "overwrite", "skip", "rename".
[[nodiscard]] inline std::optional<ExistingOutput> ExistingOutputFromText(std::string_view text) {
    if (text == "overwrite") {
        return ExistingOutput::Overwrite;
    }
    if (text == "skip") {
        return ExistingOutput::Skip;
    }
    if (text == "rename") {
        return ExistingOutput::KeepBoth;
    }
    return std::nullopt;
}

// The stored number; anything unknown reads as the default, overwrite.
[[nodiscard]] inline ExistingOutput ExistingOutputFromNumber(std::int32_t value) {
    return value == 1 ? ExistingOutput::Skip
                      : value == 2 ? ExistingOutput::KeepBoth : ExistingOutput::Overwrite;
}

} // namespace wavora
