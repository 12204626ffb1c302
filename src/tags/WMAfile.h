#pragma once

#include <cstdint>
#include <string>

namespace wavora {

// Stream properties and the title, artist, album, track, year, genre and comment of a WMA
// (ASF) file, read from its header objects. Texts stay UTF-16; Utf16ToUtf8 converts them.
class TWMAfile {
public:
    // A UTF-16 field is read up to this many characters.
    static constexpr std::size_t kFieldLimit = 250;

    TWMAfile() = default;

    void Clear();

    // False only when the file cannot be opened or ends inside a structure being read.
    [[nodiscard]] bool ReadFile(const std::string& fileName);

    [[nodiscard]] bool Valid() const { return valid_; }
    [[nodiscard]] std::int64_t FileSize() const { return fileSize_; }
    [[nodiscard]] std::uint8_t Channels() const { return channels_; }
    [[nodiscard]] std::int32_t SampleRate() const { return sampleRate_; }
    [[nodiscard]] double Duration() const { return duration_; }
    [[nodiscard]] std::int32_t BitRate() const { return bitRate_; }
    [[nodiscard]] const std::u16string& Title() const { return title_; }
    [[nodiscard]] const std::u16string& Artist() const { return artist_; }
    [[nodiscard]] const std::u16string& Album() const { return album_; }
    [[nodiscard]] std::int32_t Track() const { return track_; }
    [[nodiscard]] const std::u16string& Year() const { return year_; }
    [[nodiscard]] const std::u16string& Genre() const { return genre_; }
    [[nodiscard]] const std::u16string& Comment() const { return comment_; }

private:
    bool valid_ = false;
    std::int64_t fileSize_ = 0;
    std::uint8_t channels_ = 0;
    std::int32_t sampleRate_ = 0;
    double duration_ = 0;
    std::int32_t bitRate_ = 0;
    std::u16string title_, artist_, album_;
    std::int32_t track_ = 0;
    std::u16string year_, genre_, comment_;
};

} // namespace wavora
