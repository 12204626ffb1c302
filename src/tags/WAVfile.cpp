#include "WAVfile.h"

#include "Bytes.h"
#include "TagFile.h"

#include <array>

namespace wavora {

bool TWAVfile::ReadFile(const std::string& fileName) {
    Clear();
    TReadFile file(fileName);
    std::array<std::uint8_t, 44> h{};
    if (!file.IsOpen() || !file.ReadExact(0, h.data(), h.size())) {
        return false;
    }
    const std::uint16_t channels = ReadLE16(h.data() + 22);
    if (!BytesAre(h.data(), "RIFF") || !BytesAre(h.data() + 8, "WAVE") ||
        !BytesAre(h.data() + 12, "fmt ") || (channels != 1 && channels != 2)) {
        return true;
    }
    valid_ = true;
    channels_ = static_cast<std::uint8_t>(channels);
    sampleRate_ = static_cast<std::uint16_t>(ReadLE32(h.data() + 24) & 0xFFFF);
    bitsPerSample_ = static_cast<std::uint8_t>(ReadLE16(h.data() + 34) & 0xFF);
    // The RIFF size plus its 8-byte chunk header, wrapping as the 32-bit field does.
    fileSize_ = ReadLE32(h.data() + 4) + 8U;
    return true;
}

double TWAVfile::Duration() const {
    // A header with a zero rate or sample size, or a size below the header's, has no duration.
    if (!valid_ || sampleRate_ == 0 || bitsPerSample_ == 0 || channels_ == 0 || fileSize_ < 44) {
        return 0.0;
    }
    return static_cast<double>(fileSize_ - 44) * 8.0 / sampleRate_ / bitsPerSample_ / channels_;
}

} // namespace wavora
