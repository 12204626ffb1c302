// Touch-ups of an ASF file's header after FFmpeg's asf muxer has written it.
#pragma once

#include <string>

namespace wbass {

// The muxer writes title, author, copyright, description and rating into the content
// description object and again, under the same names, into the extended content description
// object. Removes the second copies, shortening the header (and the file) by their size; the
// data packets and the index do not depend on the header's length. False when the file could
// not be read or rewritten; a file without such copies is left untouched.
[[nodiscard]] bool DropDuplicateAttributes(const std::string& path);

} // namespace wbass
