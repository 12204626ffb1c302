#include "TagTransfer.h"

#include "MPEGaudio.h"
#include "OggVorbis.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace wavora {
namespace {

// At most `count` characters of UTF-8 text, never splitting a character.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && seen++ == count) {
            break;
        }
    }
    return text.substr(0, at);
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

bool WriteOggTags(const std::string& path, const TrackTags& tags) {
    if (!Exists(path)) {
        return false;
    }
    TOggVorbis ogg;
    ogg.Title = tags.title;
    ogg.Artist = tags.artist;
    ogg.Album = tags.album;
    ogg.Date = tags.year;
    ogg.Genre = tags.genre;
    return ogg.WriteComments(path);
}

bool WriteMp3Tags(const std::string& path, const TrackTags& tags, bool useId3v2) {
    if (!Exists(path)) {
        return false;
    }
    TMPEGaudio mpeg;
    if (useId3v2) {
        TID3v2& tag = mpeg.ID3v2();
        tag.SetTitle(tags.title);
        tag.SetArtist(tags.artist);
        tag.SetAlbum(tags.album);
        tag.SetYear(tags.year);
        tag.SetGenre(tags.genre);
        return tag.WriteTag(path);
    }
    TID3v1& tag = mpeg.ID3v1();
    tag.SetTitle(FirstCharacters(tags.title, 255));
    tag.SetArtist(FirstCharacters(tags.artist, 255));
    tag.SetAlbum(FirstCharacters(tags.album, 255));
    tag.SetYear(FirstCharacters(tags.year, 255));
    return tag.WriteTag(path);
}

} // namespace wavora
