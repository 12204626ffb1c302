#pragma once

#include <cstdint>

namespace wavora {

// The PCM format the emulator or the relay plays, and the sizes derived from it. All divisions
// are integer divisions.
struct TAudioFormat {
    std::uint32_t SampleRate = 0;
    std::uint32_t Bits = 0;
    std::uint32_t Channels = 0;

    [[nodiscard]] constexpr std::uint32_t BytesPerSecond() const {
        return Bits / 8 * SampleRate * Channels;
    }
    // 200 ms of audio in bytes.
    [[nodiscard]] constexpr std::uint32_t BlockBytes() const {
        return Bits / 8 * SampleRate * Channels * 2 / 10;
    }
    // What the relay fetches at once: 576 sample frames, or 1152 above 22050 Hz.
    [[nodiscard]] constexpr std::uint32_t ChunkBytes() const {
        std::uint32_t chunk = Channels * 576;
        if (Bits > 8) {
            chunk *= 2;
        }
        if (SampleRate > 22050) {
            chunk *= 2;
        }
        return chunk;
    }
    // The ring size the format needs: the current size while it holds 2 to 4 blocks, else
    // 3 blocks (600 ms).
    [[nodiscard]] constexpr std::uint32_t RingBytesFor(std::uint32_t currentSize) const {
        const std::uint64_t block = BlockBytes();
        if (currentSize < 2 * block || currentSize > 4 * block) {
            return static_cast<std::uint32_t>(3 * block);
        }
        return currentSize;
    }
};

} // namespace wavora
