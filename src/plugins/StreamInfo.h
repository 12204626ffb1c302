#pragma once

#include <cstdint>
#include <string>

namespace wavora {

// Description of the player's open source. The plug-in host keeps a copy of it.
struct TStreamInfo {
    std::string FileName; // file name or URL
    std::int32_t FileSize = 0;
    std::int32_t SampleRate = 0; // Hz
    std::int32_t BitRate = 0;    // kbit/s
    std::uint16_t BitsPerSample = 16;
    std::int32_t Duration = 0; // ms
    std::uint16_t Channels = 0;
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Genre;
    std::uint8_t GenreID = 0;
    std::uint8_t Track = 0;
    std::string Comment;
};

} // namespace wavora
