// A source of PCM for a channel.
#pragma once

#include "PcmFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace wbass {

class TDecoder {
public:
    virtual ~TDecoder() = default;

    [[nodiscard]] virtual TPcmFormat Format() const = 0;
    // Total length in sample frames, when known.
    [[nodiscard]] virtual std::optional<std::uint64_t> LengthFrames() const = 0;
    // Fills dst with up to size bytes (whole frames); fewer only at the end of the source.
    [[nodiscard]] virtual std::size_t Read(std::uint8_t* dst, std::size_t size) = 0;
    // True once every frame has been delivered.
    [[nodiscard]] virtual bool AtEnd() const = 0;
    // Moves to this frame, sample-exact where the format allows; false when it cannot.
    [[nodiscard]] virtual bool Seek(std::uint64_t frame) = 0;
};

} // namespace wbass
