#include "SourceTags.h"

#include "FormatTags.h"
#include "MPEGaudio.h"
#include "NameSafety.h"
#include "OggVorbis.h"
#include "TagText.h"
#include "WMAfile.h"

#include <algorithm>

namespace wavora {
namespace {

std::string LowerExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return ext;
}

// Any file but the three our own readers take: the tags FFmpeg finds; without a title tag the
// title is the file name, as for a file without tags.
TrackTags FormatOrFileNameTags(const std::string& path) {
    TrackTags tags = TFormatTags::Read(path).value_or(TrackTags{});
    if (tags.title.empty()) {
        tags.title = FileNameTags(path).title;
    }
    return tags;
}

} // namespace

TrackTags ReadSourceTags(const std::string& path) {
    TrackTags tags;
    const std::string ext = LowerExtension(path);
    if (ext == ".ogg") {
        TOggVorbis ogg;
        // An Ogg file of another codec (Opus, FLAC) is no Vorbis stream.
        if (!ogg.ReadFile(path) || !ogg.Valid()) {
            return TFormatTags::Read(path) ? FormatOrFileNameTags(path) : TrackTags{};
        }
        tags = {ogg.Title, ogg.Artist, ogg.Album, ogg.Date, ogg.Genre};
    } else if (ext == ".mp3") {
        TMPEGaudio mpeg;
        (void)mpeg.ReadFile(path);
        const TID3v1& v1 = mpeg.ID3v1();
        tags = {v1.Title(), v1.Artist(), v1.Album(), v1.Year(), v1.Genre()};
        const TID3v2& v2 = mpeg.ID3v2();
        if (!v2.Title().empty()) {
            tags = {v2.Title(), v2.Artist(), v2.Album(), v2.Year(), v2.Genre()};
        }
    } else if (ext == ".wma") {
        TWMAfile wma;
        (void)wma.ReadFile(path);
        tags = {Utf16ToUtf8(wma.Title()), Utf16ToUtf8(wma.Artist()), Utf16ToUtf8(wma.Album()),
                Utf16ToUtf8(wma.Year()), Utf16ToUtf8(wma.Genre())};
        // Some writers (FFmpeg among them) keep the year as "date" rather than WM/Year.
        if (tags.year.empty() && wma.Valid()) {
            tags.year = TFormatTags::Read(path).value_or(TrackTags{}).year;
        }
    } else {
        tags = FormatOrFileNameTags(path);
    }
    return tags;
}

TrackTags ReadNamingTags(const std::string& path) {
    TrackTags tags = ReadSourceTags(path);
    for (std::string* value : {&tags.title, &tags.artist, &tags.album, &tags.year, &tags.genre}) {
        *value = SafeNameTagValue(*value);
    }
    return tags;
}

std::string ConvertOutputName(const std::string& sourcePath, std::string_view sourceFileName,
                              std::string_view formatText, const NamingSettings& settings,
                              TrackTags& tags) {
    return OutputName(sourcePath, sourceFileName, formatText, settings, ReadNamingTags, tags);
}

} // namespace wavora
