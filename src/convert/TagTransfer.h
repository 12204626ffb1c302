#pragma once

#include "TrackTags.h"

#include <string>

namespace wavora {

// Carries the source's tags into a newly encoded file. Both return whether the tags were
// written; a file that does not exist is left alone.
// Ogg Vorbis: TITLE, ARTIST, ALBUM, DATE (the year) and GENRE as Vorbis comments.
bool WriteOggTags(const std::string& path, const TrackTags& tags);
// MP3: an ID3v2 tag with the five values, or an ID3v1 tag with title, artist, album and year
// (no genre), by the "Use ID3v2 for mp3" setting.
bool WriteMp3Tags(const std::string& path, const TrackTags& tags, bool useId3v2);

} // namespace wavora
