#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace wavora {

class TReadFile;

inline constexpr std::array<std::string_view, 9> VorbisFieldNames = {
    "TITLE", "ARTIST",  "ALBUM",     "TRACKNUMBER", "DATE",
    "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

// Comment values are UTF-8 in the file and in the object alike; these keep every well-formed
// sequence (four-byte ones included). Utf8ToText stops at a broken sequence; TextToUtf8 never
// writes one.
[[nodiscard]] std::string Utf8ToText(std::string_view utf8);
[[nodiscard]] std::string TextToUtf8(std::string_view text);

// The Ogg CRC-32 of page bytes (the checksum field zeroed by the caller).
[[nodiscard]] std::uint32_t OggChecksum(const std::uint8_t* data, std::size_t size,
                                        std::uint32_t crc = 0);

// Stream properties and comments of an Ogg Vorbis file; WriteComments rewrites the comment
// packet on the second page. Stored fields may be assigned directly.
class TOggVorbis {
public:
    // A comment entry is read up to this many bytes.
    static constexpr std::size_t kEntryLimit = 250;

    TOggVorbis() = default;

    void Clear();

    [[nodiscard]] bool ReadFile(const std::string& fileName);
    // False when the file is no Ogg Vorbis file, its comment packet does not end on the second
    // page, the new packet does not fit that page, or the rewrite fails; the file is then
    // unchanged.
    [[nodiscard]] bool WriteComments(const std::string& fileName) const;

    [[nodiscard]] double Duration() const;
    [[nodiscard]] std::uint16_t AverageBitRate() const;
    [[nodiscard]] bool Valid() const;

    std::int64_t FileSize = 0;
    std::uint8_t Channels = 0;
    std::uint16_t SampleRate = 0;
    std::uint16_t NominalBitRate = 0;
    std::int32_t Samples = 0;
    std::int64_t ID3v2Size = 0;
    std::string Title;
    std::string Artist;
    std::string Album;
    std::uint16_t Track = 0;
    std::string Date;
    std::string Genre;
    std::string Comment;
    std::string Vendor;
    std::uint8_t StreamVersion = 0;
    std::int32_t SerialNumber = 0;
    // Comments of other names, each "NAME=value", joined by single zero bytes.
    std::string ExtraFields;
};

} // namespace wavora
