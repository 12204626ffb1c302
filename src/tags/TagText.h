#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wavora {

// Text of the tag classes is UTF-8 in std::string; these convert to and from the encodings
// the file formats store. Invalid input never yields invalid UTF-8: a broken sequence becomes
// U+FFFD.

[[nodiscard]] std::string Latin1ToUtf8(std::string_view latin1);
// A character outside ISO-8859-1 becomes '?'.
[[nodiscard]] std::string Utf8ToLatin1(std::string_view utf8);
// True when every character of the UTF-8 text has an ISO-8859-1 form.
[[nodiscard]] bool FitsLatin1(std::string_view utf8);

[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view utf16);
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view utf8);
// Keeps every well-formed sequence; replaces each malformed one by U+FFFD.
[[nodiscard]] std::string SanitizeUtf8(std::string_view bytes);

// The longest prefix of `bytes` that is well-formed UTF-8: decoding stops at the first broken
// or cut sequence.
[[nodiscard]] std::string_view Utf8ValidPrefix(std::string_view bytes);

void AppendUtf8(std::string& out, char32_t c);

// Removes characters of code 0x20 or below (spaces, controls, zero bytes).
[[nodiscard]] std::string_view TrimControl(std::string_view text);
[[nodiscard]] std::string_view TrimControlRight(std::string_view text);
[[nodiscard]] std::u16string_view TrimControl(std::u16string_view text);

// The decimal integer a whole text spells (optional sign, digits only), as the tag readers
// parse track numbers; std::nullopt-free: invalid or out-of-range text gives `fallback`.
[[nodiscard]] std::int64_t ParseDecimal(std::string_view text, std::int64_t fallback = 0);

[[nodiscard]] char AsciiUpper(char c);

} // namespace wavora
