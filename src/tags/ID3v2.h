#pragma once

#include "ID3v1.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wavora {

class TReadFile;

// The ID3v2 tag at the start of a file: versions 2.2, 2.3 and 2.4 are read; version 2.3 is
// written, in place when the old tag has room, else by rewriting the file. Texts are UTF-8.
class TID3v2 {
public:
    static constexpr std::size_t kFrameCount = 16;
    // Bytes of a frame's content that are read; longer frames (pictures) are skipped.
    static constexpr std::size_t kFrameTextLimit = 500;
    // A rebuilt tag is padded to this length.
    static constexpr std::int32_t kRebuildSize = 4096;

    TID3v2() { Clear(); }

    void Clear();

    [[nodiscard]] bool Present() const { return present_; }
    [[nodiscard]] std::uint8_t TagVersion() const { return tagVersion_; }
    [[nodiscard]] std::int32_t TagSize() const { return tagSize_; }
    [[nodiscard]] const std::string& Title() const { return title_; }
    [[nodiscard]] const std::string& Artist() const { return artist_; }
    [[nodiscard]] const std::string& Album() const { return album_; }
    [[nodiscard]] std::uint16_t Track() const { return track_; }
    [[nodiscard]] const std::string& TrackText() const { return trackText_; }
    [[nodiscard]] const std::string& Year() const { return year_; }
    [[nodiscard]] const std::string& Genre() const { return genre_; }
    [[nodiscard]] const std::string& Comment() const { return comment_; }
    [[nodiscard]] const std::string& Composer() const { return composer_; }
    [[nodiscard]] const std::string& EncodedBy() const { return encodedBy_; }
    [[nodiscard]] const std::string& Copyright() const { return copyright_; }
    [[nodiscard]] const std::string& Language() const { return language_; }
    [[nodiscard]] const std::string& Url() const { return url_; }
    [[nodiscard]] const std::string& OrigArtist() const { return origArtist_; }

    void SetTitle(std::string_view value) { title_ = Trimmed(value); }
    void SetArtist(std::string_view value) { artist_ = Trimmed(value); }
    void SetAlbum(std::string_view value) { album_ = Trimmed(value); }
    void SetTrack(std::uint16_t value) { track_ = value; }
    void SetYear(std::string_view value) { year_ = Trimmed(value); }
    void SetGenre(std::string_view value) { genre_ = Trimmed(value); }
    void SetComment(std::string_view value) { comment_ = Trimmed(value); }
    void SetComposer(std::string_view value) { composer_ = Trimmed(value); }
    void SetEncodedBy(std::string_view value) { encodedBy_ = Trimmed(value); }
    void SetCopyright(std::string_view value) { copyright_ = Trimmed(value); }
    void SetUrl(std::string_view value) { url_ = Trimmed(value); }
    void SetOrigArtist(std::string_view value) { origArtist_ = Trimmed(value); }

    // True when the first 10 bytes could be read, tag or not.
    [[nodiscard]] bool ReadFile(const std::string& fileName);
    [[nodiscard]] bool ReadFrom(TReadFile& file);
    [[nodiscard]] bool WriteTag(const std::string& fileName);
    // False when the file has no tag.
    [[nodiscard]] bool RemoveTag(const std::string& fileName);
    // Decodes a tag held in memory; never reads outside data[0, size).
    [[nodiscard]] bool ReadTagBuffer(const std::uint8_t* data, std::int32_t size,
                                     TMP3TagInfo& info);

    // The tag length a 10-byte header declares (header and footer included), or 0 when the
    // header is not "ID3" or the length exceeds `available`.
    [[nodiscard]] static std::int32_t SizeFromHeader(const std::uint8_t* header,
                                                     std::int64_t available);
    // The tag as WriteTag would put it into a file whose current tag is `existingSize` bytes
    // long (0 for none); sets `rebuild` when the file has to be rewritten.
    [[nodiscard]] std::vector<std::uint8_t> BuildTag(std::int32_t existingSize,
                                                     bool& rebuild) const;

private:
    using FrameTexts = std::array<std::string, kFrameCount>;

    [[nodiscard]] static std::string Trimmed(std::string_view value);
    [[nodiscard]] bool Rebuild(const std::string& fileName, const std::vector<std::uint8_t>* tag);

    bool present_ = false;
    std::uint8_t tagVersion_ = 0;
    std::int32_t tagSize_ = 0;
    std::string title_, artist_, album_;
    std::uint16_t track_ = 0;
    std::string trackText_, year_, genre_, comment_, composer_, encodedBy_, copyright_, language_,
        url_, origArtist_;
};

} // namespace wavora
