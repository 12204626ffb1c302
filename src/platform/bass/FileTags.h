// The tag blocks of a local file as BASS_StreamGetTags hands them out.
#pragma once

#include <optional>
#include <string>

namespace wbass {

// The 128-byte ID3v1 block at the end of the file ("TAG" ...).
[[nodiscard]] std::optional<std::string> ReadId3v1Block(const std::string& path);
// The ID3v2 block at the start of the file: header, body and footer, bounded by the file size.
[[nodiscard]] std::optional<std::string> ReadId3v2Block(const std::string& path);
// The comments of an Ogg Vorbis (or Opus) file: each "NAME=value" followed by a NUL, then one
// more NUL.
[[nodiscard]] std::optional<std::string> ReadOggComments(const std::string& path);

} // namespace wbass
