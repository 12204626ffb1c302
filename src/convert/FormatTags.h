#pragma once

#include "TrackTags.h"

#include <optional>
#include <string>

namespace wavora {

// The container and stream metadata FFmpeg finds in a file (FLAC and Vorbis comments, MP4
// atoms, WAV LIST/INFO and ID3 chunks, APE tags, ...), reduced to the five track tags.
class TFormatTags {
public:
    // Empty when FFmpeg cannot open the file. Values are UTF-8 as FFmpeg hands them out.
    [[nodiscard]] static std::optional<TrackTags> Read(const std::string& path);
};

} // namespace wavora
