#include "OggVorbis.h"

#include "Bytes.h"
#include "ID3v2.h"
#include "TagFile.h"
#include "TagText.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace wavora {

namespace {

constexpr std::size_t kPageHeader = 27;
constexpr std::size_t kPageHeaderRead = kPageHeader + 255;
constexpr std::size_t kIdHeaderSize = 30;
constexpr std::int64_t kLastPageSearch = 12060;

constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            r = (r & 0x80000000U) != 0 ? (r << 1) ^ 0x04C11DB7U : r << 1;
        }
        table[i] = r;
    }
    return table;
}();

// What one reading of the first two pages found.
struct FileInfo {
    std::array<std::uint8_t, kPageHeaderRead> firstPage{};
    std::array<std::uint8_t, kPageHeaderRead> secondPage{};
    std::array<std::uint8_t, kIdHeaderSize> idHeader{};
    std::array<std::string, 10> fieldData;
    std::string extraFields;
    std::int64_t fileSize = 0;
    std::int64_t id3v2Size = 0;
    std::int64_t secondPagePos = 0;
    // Offset of the framing byte after the last comment; 0 when the comments could not be
    // read whole from the second page.
    std::int64_t tagEndPos = 0;
    std::int32_t samples = 0;
    // The second page's body as far as the file holds it.
    std::vector<std::uint8_t> secondBody;
    std::size_t secondBodySize = 0;
    // The comment packet ends on the second page after K lacing values, S bytes long.
    bool packetEnds = false;
    std::size_t lacingK = 0;
    std::size_t packetSize = 0;
};

void ClassifyEntry(std::string_view entry, FileInfo& info) {
    // A zero byte ends an entry: ExtraFields uses it to separate its items.
    entry = TrimControl(entry.substr(0, entry.find('\0')));
    const auto eq = entry.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        return;
    }
    std::string name;
    for (const char c : entry.substr(0, eq)) {
        name.push_back(AsciiUpper(c));
    }
    std::string value = Utf8ToText(TrimControl(entry.substr(eq + 1)));
    for (std::size_t i = 0; i < VorbisFieldNames.size(); ++i) {
        if (name == VorbisFieldNames[i]) {
            info.fieldData[i + 1] = std::move(value);
            return;
        }
    }
    if (!info.extraFields.empty()) {
        info.extraFields.push_back('\0');
    }
    info.extraFields += name + "=" + value;
}

// Parses the comment packet held in `packet` (never beyond it); sets tagEndPos when every
// entry was read.
void ReadComments(const std::uint8_t* packet, std::size_t size, std::int64_t packetPos,
                  FileInfo& info) {
    std::size_t pos = 7;
    std::int64_t fieldCount = 0;
    for (std::int64_t k = 0; k <= fieldCount; ++k) {
        if (size - pos < 4) {
            return;
        }
        const std::uint32_t length = ReadLE32(packet + pos);
        pos += 4;
        if (length > size - pos) {
            return;
        }
        const std::string_view entry(reinterpret_cast<const char*>(packet + pos),
                                     std::min<std::size_t>(length, TOggVorbis::kEntryLimit));
        pos += length;
        if (k == 0) {
            // The vendor string is kept as its bytes.
            info.fieldData[0] = std::string(TrimControl(entry));
            if (size - pos < 4) {
                return;
            }
            fieldCount = ReadLE32(packet + pos);
            pos += 4;
        } else {
            ClassifyEntry(TrimControl(entry), info);
        }
    }
    info.tagEndPos = packetPos + static_cast<std::int64_t>(pos);
}

std::int32_t LastGranule(TReadFile& file, std::int64_t fileSize) {
    const std::int64_t start = std::max<std::int64_t>(0, fileSize - kLastPageSearch);
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(fileSize - start) + 16, 0);
    if (file.ReadAt(start, tail.data(), tail.size() - 16) < 0) {
        return 0;
    }
    // A page starting in the last 10 bytes is not looked for.
    for (std::int64_t p = fileSize - 10 - start; p >= 0; --p) {
        const std::uint8_t* at = tail.data() + p;
        if (BytesAre(at, "OggS")) {
            return static_cast<std::int32_t>(ReadLE32(at + 6));
        }
    }
    return 0;
}

bool ReadStructure(TReadFile& file, FileInfo& info) {
    if (!file.IsOpen()) {
        return false;
    }
    info.fileSize = file.Size();
    std::array<std::uint8_t, 10> id3{};
    if (file.ReadExact(0, id3.data(), id3.size())) {
        info.id3v2Size = TID3v2::SizeFromHeader(id3.data(), info.fileSize);
    }
    const std::int64_t n = file.ReadAt(info.id3v2Size, info.firstPage.data(), kPageHeaderRead);
    if (n < static_cast<std::int64_t>(kPageHeader) || !BytesAre(info.firstPage.data(), "OggS")) {
        return false;
    }
    const std::int64_t idPos = info.id3v2Size + kPageHeader + info.firstPage[26];
    if (!file.ReadExact(idPos, info.idHeader.data(), info.idHeader.size()) ||
        !BytesAre(info.idHeader.data(), "\x01vorbis")) {
        return false;
    }
    info.secondPagePos = idPos + static_cast<std::int64_t>(kIdHeaderSize);
    const std::int64_t m = file.ReadAt(info.secondPagePos, info.secondPage.data(), kPageHeaderRead);
    const std::size_t segments = info.secondPage[26];
    if (m >= static_cast<std::int64_t>(kPageHeader + segments) &&
        BytesAre(info.secondPage.data(), "OggS")) {
        const std::uint8_t* lacing = info.secondPage.data() + kPageHeader;
        for (std::size_t i = 0; i < segments; ++i) {
            info.secondBodySize += lacing[i];
        }
        for (std::size_t i = 0; i < segments; ++i) {
            info.packetSize += lacing[i];
            if (lacing[i] < 255) {
                info.packetEnds = true;
                info.lacingK = i + 1;
                break;
            }
        }
        const std::int64_t bodyPos =
            info.secondPagePos + static_cast<std::int64_t>(kPageHeader + segments);
        info.secondBody.resize(info.secondBodySize);
        const std::int64_t got = file.ReadAt(bodyPos, info.secondBody.data(), info.secondBodySize);
        info.secondBody.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        const std::size_t packetBytes = std::min(info.packetSize, info.secondBody.size());
        if (packetBytes >= 7 && BytesAre(info.secondBody.data(), "\x03vorbis")) {
            ReadComments(info.secondBody.data(), packetBytes, bodyPos, info);
        }
    }
    info.samples = LastGranule(file, info.fileSize);
    return true;
}

std::string Trim(const std::string& s) {
    return std::string(TrimControl(s));
}

void AppendEntry(std::vector<std::uint8_t>& packet, const std::string& entry) {
    const std::size_t at = packet.size();
    packet.resize(at + 4);
    WriteLE32(packet.data() + at, static_cast<std::uint32_t>(entry.size()));
    packet.insert(packet.end(), entry.begin(), entry.end());
}

} // namespace

std::string Utf8ToText(std::string_view utf8) {
    return std::string(Utf8ValidPrefix(utf8));
}

std::string TextToUtf8(std::string_view text) {
    return SanitizeUtf8(text);
}

std::uint32_t OggChecksum(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    for (std::size_t i = 0; i < size; ++i) {
        crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ data[i]) & 0xFF];
    }
    return crc;
}

void TOggVorbis::Clear() {
    *this = TOggVorbis();
}

bool TOggVorbis::ReadFile(const std::string& fileName) {
    Clear();
    TReadFile file(fileName);
    FileInfo info;
    if (!ReadStructure(file, info)) {
        return false;
    }
    const std::uint8_t* id = info.idHeader.data();
    FileSize = info.fileSize;
    Channels = id[11];
    SampleRate = static_cast<std::uint16_t>(ReadLE32(id + 12) & 0xFFFF);
    const auto nominal = static_cast<std::int32_t>(ReadLE32(id + 20));
    NominalBitRate =
        static_cast<std::uint16_t>(std::clamp(std::nearbyint(nominal / 1000.0), 0.0, 65535.0));
    Samples = info.samples;
    ID3v2Size = info.id3v2Size;
    StreamVersion = info.firstPage[4];
    SerialNumber = static_cast<std::int32_t>(ReadLE32(info.firstPage.data() + 14));

    const auto& f = info.fieldData;
    Title = f[1];
    Artist = f[2].empty() ? f[8] : f[2];
    Album = f[3];
    const std::string_view track = f[4];
    Track = static_cast<std::uint16_t>(ParseDecimal(track.substr(0, track.find('/'))) & 0xFF);
    Date = f[5];
    Genre = f[6];
    Comment = f[7].empty() ? f[9] : f[7];
    Vendor = f[0];
    ExtraFields = info.extraFields;
    return true;
}

bool TOggVorbis::WriteComments(const std::string& fileName) const {
    if (!MakeWritable(fileName)) {
        return false;
    }
    TReadFile file(fileName);
    FileInfo info;
    if (!ReadStructure(file, info) || info.tagEndPos == 0 || !info.packetEnds ||
        info.secondBody.size() != info.secondBodySize) {
        return false;
    }
    std::array<std::string, 10> fields;
    fields[0] = info.fieldData[0];
    fields[1] = Trim(Title);
    fields[2] = Trim(Artist);
    fields[3] = Trim(Album);
    fields[4] = Track == 0 ? std::string() : std::to_string(Track);
    fields[5] = Trim(Date);
    fields[6] = Trim(Genre);
    fields[7] = Trim(Comment);

    std::vector<std::string> extras;
    for (std::size_t start = 0; start < ExtraFields.size();) {
        auto end = ExtraFields.find('\0', start);
        if (end == std::string::npos) {
            end = ExtraFields.size();
        }
        const std::string item = ExtraFields.substr(start, end - start);
        if (const auto eq = item.find('='); eq != std::string::npos) {
            extras.push_back(item.substr(0, eq + 1) + TextToUtf8(item.substr(eq + 1)));
        }
        start = end + 1;
    }

    std::vector<std::uint8_t> packet(info.secondBody.begin(), info.secondBody.begin() + 7);
    AppendEntry(packet, fields[0]);
    std::uint32_t count = static_cast<std::uint32_t>(extras.size());
    for (std::size_t i = 1; i < fields.size(); ++i) {
        count += fields[i].empty() ? 0 : 1;
    }
    packet.resize(packet.size() + 4);
    WriteLE32(packet.data() + packet.size() - 4, count);
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (!fields[i].empty()) {
            AppendEntry(packet, std::string(VorbisFieldNames[i - 1]) + "=" + TextToUtf8(fields[i]));
        }
    }
    for (const std::string& extra : extras) {
        AppendEntry(packet, extra);
    }

    // The new packet takes the place of the old one up to the end of its entries; the framing
    // byte and every later packet of the page follow unchanged.
    const std::size_t segments = info.secondPage[26];
    const std::size_t bodyPos = kPageHeader + segments;
    const auto oldEntriesEnd =
        static_cast<std::size_t>(info.tagEndPos - info.secondPagePos) - bodyPos;
    if (oldEntriesEnd > info.packetSize) {
        return false;
    }
    const std::size_t newPacket = info.packetSize + packet.size() - oldEntriesEnd;
    const std::size_t newSegments = segments - info.lacingK + newPacket / 255 + 1;
    if (newSegments > 255) {
        return false;
    }
    std::vector<std::uint8_t> page(info.secondPage.begin(), info.secondPage.begin() + kPageHeader);
    page[26] = static_cast<std::uint8_t>(newSegments);
    WriteLE32(page.data() + 22, 0);
    page.insert(page.end(), newPacket / 255, 255);
    page.push_back(static_cast<std::uint8_t>(newPacket % 255));
    page.insert(page.end(), info.secondPage.begin() + kPageHeader + info.lacingK,
                info.secondPage.begin() + kPageHeader + segments);
    page.insert(page.end(), packet.begin(), packet.end());
    page.insert(page.end(), info.secondBody.begin() + static_cast<std::ptrdiff_t>(oldEntriesEnd),
                info.secondBody.end());
    WriteLE32(page.data() + 22, OggChecksum(page.data(), page.size()));

    const std::int64_t restPos =
        info.secondPagePos + static_cast<std::int64_t>(bodyPos + info.secondBodySize);
    return ReplaceFileContent(fileName, [&](int fd) {
        return CopyRange(file.Descriptor(), 0, info.secondPagePos, fd) &&
               WriteAll(fd, page.data(), page.size()) && CopyToEnd(file.Descriptor(), restPos, fd);
    });
}

double TOggVorbis::Duration() const {
    if (Samples > 0) {
        return SampleRate == 0 ? 0.0 : static_cast<double>(Samples) / SampleRate;
    }
    if (NominalBitRate > 0 && Channels > 0) {
        return static_cast<double>(FileSize - ID3v2Size) / NominalBitRate / Channels / 125.0 * 2.0;
    }
    return 0.0;
}

std::uint16_t TOggVorbis::AverageBitRate() const {
    const double duration = Duration();
    if (duration <= 0) {
        return 0;
    }
    const double rate = static_cast<double>(FileSize - ID3v2Size) / duration / 125.0;
    return static_cast<std::uint16_t>(std::clamp(std::nearbyint(rate), 0.0, 65535.0));
}

bool TOggVorbis::Valid() const {
    return Channels >= 1 && Channels <= 6 && SampleRate > 0 && Duration() > 0.1 &&
           AverageBitRate() > 0;
}

} // namespace wavora
