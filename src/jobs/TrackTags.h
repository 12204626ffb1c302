#pragma once

#include <string>

namespace wavora {

// The five tag texts (UTF-8) of the file being named or converted.
struct TrackTags {
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string genre;

    bool operator==(const TrackTags&) const = default;
};

} // namespace wavora
