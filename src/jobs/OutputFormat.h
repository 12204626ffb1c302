#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace wavora {

// Index of a target format among the items of the format combo.
enum class OutputFormat { Ogg = 0, Mp3 = 1, Wav = 2, Wma = 3 };

// The items of the format combo, in index order.
inline constexpr std::array<std::string_view, 4> OutputFormatItems{"OGG", "MP3", "WAV", "WMA"};

// Case-insensitive lookup of a format text ("wma", "WMA") among the items.
[[nodiscard]] std::optional<OutputFormat> OutputFormatFromText(std::string_view text);

// The lower-case text a job row stores: "ogg", "mp3", "wav" or "wma".
[[nodiscard]] std::string OutputFormatText(OutputFormat format);

} // namespace wavora
