#pragma once

#include "Naming.h"
#include "TrackTags.h"

#include <string>

namespace wavora {

// The five tag values of a source file, chosen by its extension: Vorbis comments for .ogg,
// ID3v2 (when it has a title) over ID3v1 for .mp3, the ASF header for .wma, and for any other
// file (or an Ogg file of another codec) the metadata FFmpeg reads, with the name without
// extension as the title when it has none. A file that cannot be read gives empty values.
[[nodiscard]] TrackTags ReadSourceTags(const std::string& path);

// The tags as custom output naming may use them: no value can name a folder.
[[nodiscard]] TrackTags ReadNamingTags(const std::string& path);

// The output file name of a source, with the rules of the job list and ReadSourceTags as its
// tag reader; a custom name is kept inside the output folder.
[[nodiscard]] std::string ConvertOutputName(const std::string& sourcePath,
                                            std::string_view sourceFileName,
                                            std::string_view formatText,
                                            const NamingSettings& settings, TrackTags& tags);

} // namespace wavora
