#pragma once

#include "ID3v1.h"
#include "ID3v2.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace wavora {

class TReadFile;

// The decoded header of the first confirmed frame.
struct FrameHeader {
    bool Found = false;
    std::int32_t Position = 0;
    std::uint16_t Size = 0;
    std::array<std::uint8_t, 4> HeaderBytes{};
    std::uint8_t VersionIndex = 0;
    std::uint8_t LayerIndex = 0;
    bool CrcProtected = false;
    std::uint16_t BitRateIndex = 0;
    std::uint16_t SampleRateIndex = 0;
    bool Padded = false;
    bool PrivateFlag = false;
    std::uint8_t ModeIndex = 0;
    std::uint8_t ModeExtension = 0;
    bool Copyrighted = false;
    bool Original = false;
    std::uint8_t EmphasisIndex = 0;
};

// A Xing (or its constant-bit-rate form "Info") or VBRI header found in the first frame.
struct VBRData {
    bool Found = false;
    std::string Id;
    std::int32_t Frames = 0;
    std::int32_t Bytes = 0;
    std::uint8_t Scale = 0;
    std::string VendorId;
};

inline constexpr std::array<std::string_view, 4> MpegVersionNames = {"MPEG 2.5", "MPEG ?", "MPEG 2",
                                                                     "MPEG 1"};
inline constexpr std::array<std::string_view, 4> MpegLayerNames = {"Layer ?", "Layer III",
                                                                   "Layer II", "Layer I"};
inline constexpr std::array<std::string_view, 5> ChannelModeNames = {
    "Stereo", "Joint Stereo", "Dual Channel", "Mono", "Unknown"};
inline constexpr std::array<std::string_view, 4> EmphasisNames = {"None", "50/15 ms", "Unknown",
                                                                  "CCIT J.17"};

// Analyses an MPEG audio file (MPEG 1, 2, 2.5, Layers I-III) from its first frame and its
// tags, reading at most two 3458-byte windows besides the tags.
class TMPEGaudio {
public:
    static constexpr std::size_t kWindowSize = 3458;

    TMPEGaudio() { Clear(); }

    void Clear();

    [[nodiscard]] bool ReadFile(const std::string& fileName);
    // Kind 1: an ID3v1 block of 128 bytes; kind 2: an ID3v2 tag of `size` bytes.
    [[nodiscard]] bool ReadTagBuffer(const std::uint8_t* data, std::int32_t size, TMP3TagInfo& info,
                                     std::uint16_t kind);

    [[nodiscard]] std::int64_t FileSize() const { return fileSize_; }
    [[nodiscard]] const VBRData& Vbr() const { return vbr_; }
    [[nodiscard]] const FrameHeader& Frame() const { return frame_; }
    [[nodiscard]] TID3v1& ID3v1() { return id3v1_; }
    [[nodiscard]] const TID3v1& ID3v1() const { return id3v1_; }
    [[nodiscard]] TID3v2& ID3v2() { return id3v2_; }
    [[nodiscard]] const TID3v2& ID3v2() const { return id3v2_; }

    [[nodiscard]] std::uint16_t BitRate() const;
    [[nodiscard]] std::uint16_t SampleRate() const;
    [[nodiscard]] std::string ChannelMode() const;
    [[nodiscard]] std::int32_t Frames() const;
    [[nodiscard]] double Duration() const;
    [[nodiscard]] bool Valid() const;

    // Searches one window (zero bytes beyond what was read) for the first confirmed frame.
    // Public for the fuzz and unit tests of the search alone.
    void SearchWindow(const std::array<std::uint8_t, kWindowSize>& window);

private:
    [[nodiscard]] std::int64_t AudioSize() const;

    std::int64_t fileSize_ = 0;
    VBRData vbr_;
    FrameHeader frame_;
    TID3v1 id3v1_;
    TID3v2 id3v2_;
};

} // namespace wavora
