#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace wavora {

class TReadFile;

// The fields of a tag decoded from memory (shared by both ID3 versions and the player).
struct TMP3TagInfo {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;
    std::uint16_t Track = 0;
    std::string Genre;
};

inline constexpr std::size_t GenreCount = 148;
// Genre names indexed by the ID3v1 genre byte: the original list, then the Winamp extensions.
extern const std::array<std::string_view, GenreCount> GenreNames;

// The 128-byte ID3v1 / ID3v1.1 tag at the end of a file. Texts are UTF-8 here and
// ISO-8859-1 on disk; field limits count the bytes on disk.
class TID3v1 {
public:
    static constexpr std::size_t kTagSize = 128;

    TID3v1() { Clear(); }

    void Clear();

    [[nodiscard]] bool Present() const { return present_; }
    [[nodiscard]] std::uint8_t TagVersion() const { return tagVersion_; }
    [[nodiscard]] const std::string& Title() const { return title_; }
    [[nodiscard]] const std::string& Artist() const { return artist_; }
    [[nodiscard]] const std::string& Album() const { return album_; }
    [[nodiscard]] const std::string& Year() const { return year_; }
    [[nodiscard]] const std::string& Comment() const { return comment_; }
    [[nodiscard]] std::uint8_t Track() const { return track_; }
    [[nodiscard]] std::uint8_t GenreIndex() const { return genreIndex_; }
    [[nodiscard]] std::string Genre() const;

    void SetTitle(std::string_view value) { title_ = Limit(value, 30); }
    void SetArtist(std::string_view value) { artist_ = Limit(value, 30); }
    void SetAlbum(std::string_view value) { album_ = Limit(value, 30); }
    void SetYear(std::string_view value) { year_ = Limit(value, 4); }
    void SetComment(std::string_view value) { comment_ = Limit(value, 30); }
    void SetTrack(std::uint8_t value) { track_ = value; }
    void SetGenreIndex(std::uint8_t value) { genreIndex_ = value; }

    // True when the last 128 bytes could be read, tag or not; Present() tells which.
    [[nodiscard]] bool ReadFile(const std::string& fileName);
    [[nodiscard]] bool ReadFrom(TReadFile& file);
    [[nodiscard]] bool WriteTag(const std::string& fileName);
    [[nodiscard]] bool RemoveTag(const std::string& fileName);
    // `block` must hold 128 bytes.
    [[nodiscard]] bool ReadTagBuffer(const std::uint8_t* block, TMP3TagInfo& info);

    // Version byte of a tag block: 2 for version 1.1, 1 for version 1.0.
    [[nodiscard]] static std::uint8_t VersionOf(const std::uint8_t* block);

private:
    // Trims trailing controls and keeps whole characters within `bytesOnDisk` Latin-1 bytes.
    [[nodiscard]] static std::string Limit(std::string_view utf8, std::size_t bytesOnDisk);
    [[nodiscard]] static std::string Field(const std::uint8_t* p, std::size_t size);

    bool present_ = false;
    std::uint8_t tagVersion_ = 1;
    std::string title_, artist_, album_, year_, comment_;
    std::uint8_t track_ = 0;
    std::uint8_t genreIndex_ = 255;
};

} // namespace wavora
