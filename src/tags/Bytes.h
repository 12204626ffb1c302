#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace wavora {

// Explicit byte-order access to file bytes; callers bound every offset before use.

[[nodiscard]] inline std::uint32_t ReadBE32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}
[[nodiscard]] inline std::uint32_t ReadBE24(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | std::uint32_t{p[2]};
}
[[nodiscard]] inline std::uint16_t ReadLE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
[[nodiscard]] inline std::uint32_t ReadLE32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
[[nodiscard]] inline std::uint64_t ReadLE64(const std::uint8_t* p) {
    return std::uint64_t{ReadLE32(p)} | (std::uint64_t{ReadLE32(p + 4)} << 32);
}
inline void WriteBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}
inline void WriteLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

[[nodiscard]] inline bool BytesAre(const std::uint8_t* p, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (p[i] != static_cast<std::uint8_t>(text[i])) {
            return false;
        }
    }
    return true;
}

} // namespace wavora
