#pragma once

#include <cstdint>
#include <string>

namespace wavora {

// Checks the 44-byte header of a PCM WAV file and derives its duration.
class TWAVfile {
public:
    TWAVfile() = default;

    void Clear() { *this = TWAVfile(); }

    // True when 44 bytes could be read; Valid() tells whether they form an accepted header.
    [[nodiscard]] bool ReadFile(const std::string& fileName);

    [[nodiscard]] bool Valid() const { return valid_; }
    [[nodiscard]] std::uint8_t Channels() const { return channels_; }
    [[nodiscard]] std::uint16_t SampleRate() const { return sampleRate_; }
    [[nodiscard]] std::uint8_t BitsPerSample() const { return bitsPerSample_; }
    [[nodiscard]] std::uint32_t FileSize() const { return fileSize_; }
    [[nodiscard]] double Duration() const;

private:
    bool valid_ = false;
    std::uint8_t channels_ = 0;
    std::uint16_t sampleRate_ = 0;
    std::uint8_t bitsPerSample_ = 0;
    std::uint32_t fileSize_ = 0;
};

} // namespace wavora
