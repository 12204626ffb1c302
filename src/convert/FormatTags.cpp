#include "FormatTags.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <initializer_list>
#include <memory>

namespace wavora {
namespace {

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using FormatInput = std::unique_ptr<AVFormatContext, InputCloser>;

// Key lookups ignore case, so "Artist" of an APE tag and "ARTIST" of a Vorbis comment match.
std::string Lookup(const AVDictionary* dictionary, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        if (const AVDictionaryEntry* entry = av_dict_get(dictionary, key, nullptr, 0);
            entry != nullptr && entry->value != nullptr && *entry->value != '\0') {
            return entry->value;
        }
    }
    return {};
}

// Ogg and Opus keep their comments on the stream, most other formats on the container: the
// container wins, the first audio stream fills what it lacks.
std::string Value(const AVFormatContext& context, std::initializer_list<const char*> keys) {
    std::string value = Lookup(context.metadata, keys);
    for (unsigned i = 0; value.empty() && i < context.nb_streams; ++i) {
        const AVStream* stream = context.streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            value = Lookup(stream->metadata, keys);
            break;
        }
    }
    return value;
}

} // namespace

std::optional<TrackTags> TFormatTags::Read(const std::string& path) {
    // "file:" keeps a name such as "http:x" or "pipe:1" a local file name.
    const std::string url = "file:" + path;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, url.c_str(), nullptr, nullptr) < 0) {
        return std::nullopt;
    }
    const FormatInput input(raw);
    const AVFormatContext& context = *input;
    return TrackTags{Value(context, {"title"}), Value(context, {"artist", "album_artist"}),
                     Value(context, {"album"}), Value(context, {"date", "year", "WM/Year"}),
                     Value(context, {"genre"})};
}

} // namespace wavora
