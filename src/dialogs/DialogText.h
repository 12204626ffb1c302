#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QFontMetrics;
class QString;

namespace wavora {

// Texts the info dialogs show, shared by the three of them; locale-independent.

// "m:ss" below an hour, "h:mm:ss" from an hour on; fractions of a second are dropped.
[[nodiscard]] std::string LengthText(double seconds);

// A byte count with "," between groups of three digits, followed by " bytes".
[[nodiscard]] std::string ByteCountText(std::int64_t bytes);

// The genre a tag text names: "(17)", "17" and "(17)Rock" all give "Rock"; "(RX)" and "(CR)"
// give "Remix" and "Cover". Any other text, or a number without a name, stays as it is.
[[nodiscard]] std::string GenreDisplayName(std::string_view text);

// A track text as a user types it: empty, a number, or a number and a total ("3/12").
// `number` is the part before "/" when it is a whole number within `maximum`.
struct TrackEntry {
    enum class Kind { Empty, Number, NotNumber, OutOfRange } kind = Kind::Empty;
    std::uint32_t number = 0;
};
[[nodiscard]] TrackEntry ParseTrackEntry(std::string_view text, std::uint32_t maximum);

// The Ogg dialog's vendor text over two lines (at most 24 characters stand whole on the first).
struct VendorLines {
    std::string first;
    std::string second;
};
[[nodiscard]] VendorLines SplitVendor(std::string_view vendor);

// The file name with leading folders replaced by "..." until it fits `width` pixels.
[[nodiscard]] QString ShortenedFileName(const QString& path, const QFontMetrics& metrics,
                                        int width);

} // namespace wavora
