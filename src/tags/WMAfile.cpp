#include "WMAfile.h"

#include "Bytes.h"
#include "TagFile.h"
#include "TagText.h"

#include <array>
#include <string_view>

namespace wavora {

namespace {

using Guid = std::array<std::uint8_t, 16>;

// GUIDs as stored: the first three groups little-endian, the last two as written.
constexpr Guid MakeGuid(std::uint32_t a, std::uint16_t b, std::uint16_t c, std::uint64_t d) {
    Guid g{};
    for (int i = 0; i < 4; ++i) {
        g[i] = static_cast<std::uint8_t>(a >> (8 * i));
    }
    g[4] = static_cast<std::uint8_t>(b);
    g[5] = static_cast<std::uint8_t>(b >> 8);
    g[6] = static_cast<std::uint8_t>(c);
    g[7] = static_cast<std::uint8_t>(c >> 8);
    for (int i = 0; i < 8; ++i) {
        g[8 + i] = static_cast<std::uint8_t>(d >> (8 * (7 - i)));
    }
    return g;
}

constexpr Guid kHeader = MakeGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
constexpr Guid kFileProperties = MakeGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365ULL);
constexpr Guid kStreamProperties = MakeGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365ULL);
constexpr Guid kContentDescription = MakeGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
constexpr Guid kExtendedContentDescription =
    MakeGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850ULL);

constexpr std::array<std::string_view, 7> WmaFieldNames = {
    "WM/TITLE", "WM/AUTHOR", "WM/ALBUMTITLE", "WM/TRACK", "WM/YEAR", "WM/GENRE", "WM/DESCRIPTION"};

constexpr std::int64_t kObjectHeader = 24;

struct FileData {
    std::int64_t fileSize = 0;
    std::int32_t maxBitRate = 0;
    std::uint16_t channels = 0;
    std::int32_t sampleRate = 0;
    std::int32_t byteRate = 0;
    std::array<std::u16string, 8> tagData; // 1-based as title .. comment
};

// Sequential reads through the file; any short read makes the whole read fail.
class Cursor {
public:
    explicit Cursor(TReadFile& file) : file_(file) {}
    bool Bytes(void* out, std::size_t n) {
        if (!file_.ReadExact(pos_, out, n)) {
            return false;
        }
        pos_ += static_cast<std::int64_t>(n);
        return true;
    }
    bool U16(std::uint16_t& v) {
        std::array<std::uint8_t, 2> b{};
        if (!Bytes(b.data(), 2)) {
            return false;
        }
        v = ReadLE16(b.data());
        return true;
    }
    bool U32(std::uint32_t& v) {
        std::array<std::uint8_t, 4> b{};
        if (!Bytes(b.data(), 4)) {
            return false;
        }
        v = ReadLE32(b.data());
        return true;
    }
    bool Skip(std::int64_t n) {
        if (n < 0 || pos_ + n > file_.Size()) {
            return false;
        }
        pos_ += n;
        return true;
    }
    // A UTF-16 field of `bytes` bytes, cut to its first 250 characters.
    bool Utf16(std::size_t bytes, std::u16string& out) {
        const std::size_t chars = std::min(bytes / 2, TWMAfile::kFieldLimit);
        std::array<std::uint8_t, 2 * TWMAfile::kFieldLimit> raw{};
        if (!Bytes(raw.data(), 2 * chars)) {
            return false;
        }
        out.clear();
        for (std::size_t i = 0; i < chars; ++i) {
            out.push_back(static_cast<char16_t>(ReadLE16(raw.data() + 2 * i)));
        }
        return Skip(static_cast<std::int64_t>(bytes - 2 * chars));
    }
    [[nodiscard]] std::int64_t Pos() const { return pos_; }
    void Seek(std::int64_t pos) { pos_ = pos; }

private:
    TReadFile& file_;
    std::int64_t pos_ = 0;
};

std::string UpperAscii(std::u16string_view name) {
    // Only ASCII letters fold; any other character just has to differ from every name.
    std::string s;
    for (const char16_t c : TrimControl(name)) {
        s.push_back(c < 0x80 ? AsciiUpper(static_cast<char>(c)) : '\x7F');
    }
    return s;
}

bool ReadObjects(TReadFile& file, FileData& data) {
    Cursor in(file);
    data.fileSize = file.Size();
    Guid guid{};
    if (!in.Bytes(guid.data(), guid.size())) {
        return false;
    }
    if (guid != kHeader) {
        return true;
    }
    std::uint32_t count = 0;
    if (!in.Skip(8) || !in.U32(count) || !in.Skip(2)) {
        return false;
    }
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::int64_t start = in.Pos();
        std::array<std::uint8_t, 8> sizeBytes{};
        if (!in.Bytes(guid.data(), guid.size()) || !in.Bytes(sizeBytes.data(), 8)) {
            return false;
        }
        const std::int64_t size = ReadLE32(sizeBytes.data());
        if (guid == kFileProperties) {
            std::uint32_t maxBitRate = 0;
            in.Seek(start + 100);
            if (!in.U32(maxBitRate)) {
                return false;
            }
            data.maxBitRate = static_cast<std::int32_t>(maxBitRate);
        } else if (guid == kStreamProperties) {
            std::uint16_t channels = 0;
            std::uint32_t rate = 0;
            std::uint32_t byteRate = 0;
            in.Seek(start + 80);
            if (!in.U16(channels) || !in.U32(rate) || !in.U32(byteRate)) {
                return false;
            }
            data.channels = channels;
            data.sampleRate = static_cast<std::int32_t>(rate);
            data.byteRate = static_cast<std::int32_t>(byteRate);
        } else if (guid == kContentDescription) {
            std::array<std::uint16_t, 5> lengths{};
            for (auto& length : lengths) {
                if (!in.U16(length)) {
                    return false;
                }
            }
            constexpr std::array<std::size_t, 5> kTarget = {1, 2, 0, 7, 0};
            for (std::size_t i = 0; i < lengths.size(); ++i) {
                std::u16string text;
                if (lengths[i] != 0 && !in.Utf16(lengths[i], text)) {
                    return false;
                }
                if (lengths[i] != 0 && kTarget[i] != 0) {
                    data.tagData[kTarget[i]] = std::move(text);
                }
            }
        } else if (guid == kExtendedContentDescription) {
            std::uint16_t descriptors = 0;
            if (!in.U16(descriptors)) {
                return false;
            }
            for (std::uint16_t d = 0; d < descriptors; ++d) {
                std::uint16_t nameLength = 0;
                std::uint16_t type = 0;
                std::uint16_t valueLength = 0;
                std::u16string name;
                if (!in.U16(nameLength) || !in.Utf16(nameLength, name) || !in.U16(type) ||
                    !in.U16(valueLength)) {
                    return false;
                }
                if (type != 0) {
                    if (!in.Skip(valueLength)) {
                        return false;
                    }
                    continue;
                }
                std::u16string value;
                if (!in.Utf16(valueLength, value)) {
                    return false;
                }
                const std::string key = UpperAscii(name);
                for (std::size_t i = 0; i < WmaFieldNames.size(); ++i) {
                    if (key == WmaFieldNames[i]) {
                        data.tagData[i + 1] = std::move(value);
                        break;
                    }
                }
            }
        }
        // An object too small to hold its own header cannot be stepped over: the walk ends
        // there instead of reading the same bytes again and again.
        if (size < kObjectHeader) {
            break;
        }
        in.Seek(start + size);
    }
    return true;
}

bool Accepted(const FileData& d) {
    return d.maxBitRate > 0 && d.maxBitRate < 320000 && d.channels >= 1 && d.channels <= 6 &&
           d.sampleRate >= 8000 && d.sampleRate <= 96000 && d.byteRate > 0 && d.byteRate < 40000;
}

} // namespace

void TWMAfile::Clear() {
    *this = TWMAfile();
}

bool TWMAfile::ReadFile(const std::string& fileName) {
    Clear();
    TReadFile file(fileName);
    FileData data;
    if (!file.IsOpen() || !ReadObjects(file, data)) {
        return false;
    }
    if (!Accepted(data)) {
        return true;
    }
    valid_ = true;
    fileSize_ = data.fileSize;
    channels_ = static_cast<std::uint8_t>(data.channels & 0xFF);
    sampleRate_ = data.sampleRate;
    duration_ = static_cast<double>(fileSize_) * 8.0 / data.maxBitRate;
    bitRate_ = data.byteRate * 8 / 1000;
    auto text = [&data](std::size_t i) { return std::u16string(TrimControl(data.tagData[i])); };
    title_ = text(1);
    artist_ = text(2);
    album_ = text(3);
    const std::int64_t track = ParseDecimal(Utf16ToUtf8(text(4)));
    track_ = track >= INT32_MIN && track <= INT32_MAX ? static_cast<std::int32_t>(track) : 0;
    year_ = text(5);
    genre_ = text(6);
    comment_ = text(7);
    return true;
}

} // namespace wavora
