// The sample format a channel delivers: interleaved, 16-bit signed or 8-bit unsigned.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wbass {

struct TPcmFormat {
    std::uint32_t freq = 0;
    std::uint32_t chans = 0;
    bool eightBit = false;

    [[nodiscard]] std::size_t BytesPerSample() const { return eightBit ? 1 : 2; }
    [[nodiscard]] std::size_t Block() const { return chans * BytesPerSample(); }
    [[nodiscard]] bool Valid() const { return freq > 0 && chans > 0; }
};

// One sample as a signed 16-bit value.
[[nodiscard]] inline int SampleAt(const std::uint8_t* p, bool eightBit) {
    if (eightBit)
        return (static_cast<int>(*p) - 128) * 256;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

} // namespace wbass
