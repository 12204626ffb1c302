#include "MPEGaudio.h"

#include "Bytes.h"
#include "TagFile.h"

#include <algorithm>
#include <cmath>

namespace wavora {

namespace {

// kbit/s by [version][layer][index]; version 1 (reserved) and layer 0 (reserved) are zero.
constexpr std::array<std::uint16_t, 16> kLsfLayer1 = {0,   32,  48,  56,  64,  80,  96,  112,
                                                      128, 144, 160, 176, 192, 224, 256, 0};
constexpr std::array<std::uint16_t, 16> kLsfLayer23 = {0,  8,  16, 24,  32,  40,  48,  56,
                                                       64, 80, 96, 112, 128, 144, 160, 0};
constexpr std::array<std::uint16_t, 16> kNone{};
constexpr std::array<std::uint16_t, 16> kMpeg1Layer1 = {0,   32,  64,  96,  128, 160, 192, 224,
                                                        256, 288, 320, 352, 384, 416, 448, 0};
constexpr std::array<std::uint16_t, 16> kMpeg1Layer2 = {0,   32,  48,  56,  64,  80,  96,  112,
                                                        128, 160, 192, 224, 256, 320, 384, 0};
constexpr std::array<std::uint16_t, 16> kMpeg1Layer3 = {0,   32,  40,  48,  56,  64,  80,  96,
                                                        112, 128, 160, 192, 224, 256, 320, 0};

constexpr std::array<std::array<std::array<std::uint16_t, 16>, 4>, 4> kBitRates = {{
    {{kNone, kLsfLayer23, kLsfLayer23, kLsfLayer1}},
    {{kNone, kNone, kNone, kNone}},
    {{kNone, kLsfLayer23, kLsfLayer23, kLsfLayer1}},
    {{kNone, kMpeg1Layer3, kMpeg1Layer2, kMpeg1Layer1}},
}};

constexpr std::array<std::array<std::uint16_t, 4>, 4> kSampleRates = {{
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
}};

constexpr std::uint8_t kMpeg1 = 3;
constexpr std::uint8_t kLayer1 = 3;
constexpr std::uint8_t kLayer3 = 1;
constexpr std::uint8_t kMono = 3;

bool IsFrameHeader(const std::uint8_t* h) {
    return h[0] == 0xFF && (h[1] & 0xE0) == 0xE0 && ((h[1] >> 3) & 3) != 1 &&
           ((h[1] >> 1) & 3) != 0 && (h[2] >> 4) != 0 && (h[2] >> 4) != 15 &&
           ((h[2] >> 2) & 3) != 3 && (h[3] & 3) != 2;
}

FrameHeader Decode(const std::uint8_t* h) {
    FrameHeader f;
    std::copy(h, h + 4, f.HeaderBytes.begin());
    f.VersionIndex = (h[1] >> 3) & 3;
    f.LayerIndex = (h[1] >> 1) & 3;
    f.CrcProtected = (h[1] & 1) == 0;
    f.BitRateIndex = h[2] >> 4;
    f.SampleRateIndex = (h[2] >> 2) & 3;
    f.Padded = (h[2] & 2) != 0;
    f.PrivateFlag = (h[2] & 1) != 0;
    f.ModeIndex = h[3] >> 6;
    f.ModeExtension = (h[3] >> 4) & 3;
    f.Copyrighted = (h[3] & 8) != 0;
    f.Original = (h[3] & 4) != 0;
    f.EmphasisIndex = h[3] & 3;
    return f;
}

std::uint16_t TableBitRate(const FrameHeader& f) {
    if (f.VersionIndex > 3 || f.LayerIndex > 3 || f.BitRateIndex > 15) {
        return 0;
    }
    return kBitRates[f.VersionIndex][f.LayerIndex][f.BitRateIndex];
}

std::uint16_t TableSampleRate(const FrameHeader& f) {
    if (f.VersionIndex > 3 || f.SampleRateIndex > 3) {
        return 0;
    }
    return kSampleRates[f.VersionIndex][f.SampleRateIndex];
}

int Coefficient(const FrameHeader& f) {
    if (f.VersionIndex == kMpeg1) {
        return f.LayerIndex == kLayer1 ? 48 : 144;
    }
    return f.LayerIndex == kLayer1 ? 24 : f.LayerIndex == kLayer3 ? 72 : 144;
}

int PaddingSize(const FrameHeader& f) {
    if (!f.Padded) {
        return 0;
    }
    return f.LayerIndex == kLayer1 ? 4 : 1;
}

std::uint16_t FrameLength(const FrameHeader& f) {
    const std::uint16_t rate = TableSampleRate(f);
    if (rate == 0) {
        return 0;
    }
    const std::int64_t bytes =
        std::int64_t{Coefficient(f)} * TableBitRate(f) * 1000 / rate + PaddingSize(f);
    return static_cast<std::uint16_t>(bytes);
}

std::size_t VbrHeaderOffset(const FrameHeader& f) {
    if (f.VersionIndex == kMpeg1) {
        return f.ModeIndex == kMono ? 21 : 36;
    }
    return f.ModeIndex == kMono ? 13 : 21;
}

// `window` has kWindowSize bytes followed by zeros, so every fixed-size read below stays in it.
VBRData ReadVbr(const std::uint8_t* p) {
    VBRData vbr;
    // "Info" is the form LAME and FFmpeg write into constant-bit-rate files; its first frame
    // may be coded at a lower rate than the audio, so only its counts tell the truth.
    if (BytesAre(p, "Xing") || BytesAre(p, "Info")) {
        vbr.Found = true;
        vbr.Id.assign(reinterpret_cast<const char*>(p), 4);
        vbr.Frames = static_cast<std::int32_t>(ReadBE32(p + 8));
        vbr.Bytes = static_cast<std::int32_t>(ReadBE32(p + 12));
        vbr.Scale = p[119];
        vbr.VendorId.assign(reinterpret_cast<const char*>(p + 120), 8);
    } else if (BytesAre(p, "VBRI")) {
        vbr.Found = true;
        vbr.Id = "VBRI";
        vbr.Scale = p[9];
        vbr.Bytes = static_cast<std::int32_t>(ReadBE32(p + 10));
        vbr.Frames = static_cast<std::int32_t>(ReadBE32(p + 14));
    }
    return vbr;
}

} // namespace

void TMPEGaudio::Clear() {
    fileSize_ = 0;
    vbr_ = VBRData{};
    frame_ = FrameHeader{};
    frame_.VersionIndex = 1;
    frame_.SampleRateIndex = 3;
    frame_.ModeIndex = 4;
    frame_.ModeExtension = 4;
    frame_.EmphasisIndex = 2;
    id3v1_.Clear();
    id3v2_.Clear();
}

void TMPEGaudio::SearchWindow(const std::array<std::uint8_t, kWindowSize>& window) {
    constexpr std::size_t kLast = kWindowSize - kWindowSize / 2;
    // Room after the window for the VBR header of a frame found at its last position.
    std::array<std::uint8_t, kWindowSize + 256> padded{};
    std::copy(window.begin(), window.end(), padded.begin());
    for (std::size_t i = 0; i <= kLast; ++i) {
        const std::uint8_t* candidate = padded.data() + i;
        if (!IsFrameHeader(candidate)) {
            continue;
        }
        FrameHeader f = Decode(candidate);
        const std::uint16_t length = FrameLength(f);
        // A confirming header that would lie beyond the window leaves the frame unconfirmed.
        if (length == 0 || i + length + 4 > kWindowSize || !IsFrameHeader(candidate + length)) {
            continue;
        }
        f.Found = true;
        f.Position = static_cast<std::int32_t>(i);
        f.Size = length;
        frame_ = f;
        vbr_ = ReadVbr(padded.data() + i + VbrHeaderOffset(f));
        return;
    }
}

bool TMPEGaudio::ReadFile(const std::string& fileName) {
    Clear();
    TReadFile file(fileName);
    bool result = id3v2_.ReadFrom(file) && id3v1_.ReadFrom(file);
    if (result) {
        fileSize_ = file.Size();
        std::array<std::uint8_t, kWindowSize> window{};
        const std::int64_t n = file.ReadAt(id3v2_.TagSize(), window.data(), window.size());
        if (n < 0) {
            result = false;
        } else {
            SearchWindow(window);
            if (!frame_.Found && n == static_cast<std::int64_t>(kWindowSize)) {
                window.fill(0);
                const std::int64_t middle = (fileSize_ - id3v2_.TagSize()) / 2;
                if (file.ReadAt(middle, window.data(), window.size()) < 0) {
                    result = false;
                } else {
                    SearchWindow(window);
                }
            }
        }
    }
    if (!frame_.Found) {
        Clear();
    }
    return result;
}

bool TMPEGaudio::ReadTagBuffer(const std::uint8_t* data, std::int32_t size, TMP3TagInfo& info,
                               std::uint16_t kind) {
    if (kind == 1) {
        return size >= static_cast<std::int32_t>(TID3v1::kTagSize) &&
               id3v1_.ReadTagBuffer(data, info);
    }
    if (kind == 2) {
        return id3v2_.ReadTagBuffer(data, size, info);
    }
    return false;
}

std::int64_t TMPEGaudio::AudioSize() const {
    return fileSize_ - id3v2_.TagSize() - (id3v1_.Present() ? 128 : 0);
}

std::uint16_t TMPEGaudio::BitRate() const {
    if (vbr_.Found && vbr_.Frames > 0) {
        const double rate = (static_cast<double>(vbr_.Bytes) / vbr_.Frames - PaddingSize(frame_)) *
                            TableSampleRate(frame_) / Coefficient(frame_) / 1000.0;
        return static_cast<std::uint16_t>(std::clamp(std::nearbyint(rate), 0.0, 65535.0));
    }
    return TableBitRate(frame_);
}

std::uint16_t TMPEGaudio::SampleRate() const {
    return TableSampleRate(frame_);
}

std::string TMPEGaudio::ChannelMode() const {
    return std::string(ChannelModeNames[std::min<std::size_t>(frame_.ModeIndex, 4)]);
}

std::int32_t TMPEGaudio::Frames() const {
    if (vbr_.Found) {
        return vbr_.Frames;
    }
    const std::uint16_t length = FrameLength(frame_);
    if (!frame_.Found || length == 0) {
        return 0;
    }
    return static_cast<std::int32_t>((AudioSize() - frame_.Position) / length);
}

double TMPEGaudio::Duration() const {
    if (!frame_.Found) {
        return 0.0;
    }
    const std::uint16_t rate = TableSampleRate(frame_);
    if (vbr_.Found && vbr_.Frames > 0) {
        return rate == 0 ? 0.0 : static_cast<double>(vbr_.Frames) * Coefficient(frame_) * 8 / rate;
    }
    const std::uint16_t bitRate = TableBitRate(frame_);
    if (bitRate == 0) {
        return 0.0;
    }
    return static_cast<double>(AudioSize() - frame_.Position) / bitRate / 1000.0 * 8.0;
}

bool TMPEGaudio::Valid() const {
    const std::uint16_t rate = BitRate();
    return frame_.Found && rate >= 8 && rate <= 448 && Duration() >= 0.1;
}

} // namespace wavora
