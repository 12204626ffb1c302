#pragma once

#include "PcmSource.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace wavora {

inline constexpr std::size_t WavHeaderSize = 44;
inline constexpr std::uint32_t WavBlockBytes = 10240;

// The canonical 44-byte RIFF/WAVE header: one "fmt " chunk of integer PCM and the "data"
// chunk header, all numbers little-endian.
[[nodiscard]] std::array<std::uint8_t, WavHeaderSize>
WavHeader(const PcmFormat& format, std::uint32_t riffSize, std::uint32_t dataSize);

struct WavWriteResult {
    enum class Status { Written, CannotCreate, WriteFailed };
    Status status = Status::Written;
    int error = 0; // errno of a failure
    std::uint64_t dataBytes = 0;
    bool stopped = false;
};

// Writes everything the source delivers, in 10240-byte blocks, into a new file at `path`
// (replacing one of that name), pumping and polling the stop request after every block; the
// size fields are filled in at the end, so a stopped file is valid too. `buffer` must hold
// at least WavBlockBytes.
[[nodiscard]] WavWriteResult WriteWav(const std::string& path, PcmSource& source,
                                      const ConvertControl& control,
                                      std::span<std::uint8_t> buffer);

} // namespace wavora
