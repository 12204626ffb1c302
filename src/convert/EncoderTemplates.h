#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace wavora {

// Command-line templates, the first four indexed by the target format (0 OGG, 1 MP3, 2 WAV,
// 3 WMA). Each %s takes the next argument; the double quotes belong to the template.
inline constexpr std::array<std::string_view, 6> EncoderTemplates{
    "oggenc -o \"%s\" --bitrate %s -", // Ogg Vorbis, constant bitrate
    "lame -f -b %s - \"%s\"",          // MP3, constant bitrate
    "%s",                              // WAV file name
    "%s",                              // WMA file name
    "oggenc -o \"%s\" --quality %s -", // Ogg Vorbis, quality mode
    "lame -f -V %s - \"%s\"",          // MP3, quality mode
};

// The items of the bitrate list, in kbit/s.
inline constexpr std::array<int, 14> BitrateItems{32,  40,  48,  56,  64,  80,  96,
                                                  112, 128, 160, 192, 224, 256, 320};
inline constexpr int DefaultBitrate = 128;

// The encoder settings a conversion reads, as the options dialog's controls hold them.
struct EncoderSettings {
    bool constBitrate = false;  // "Use constant bitrate"
    std::optional<int> bitrate; // selected item of the bitrate list; empty: none selected
    int quality = 50;           // quality bar, 0..100
    bool mp3v2Tag = true;       // "Use ID3v2 for mp3"
    [[nodiscard]] int Bitrate() const { return bitrate.value_or(DefaultBitrate); }
};

// Replaces each %s of a template, left to right, by the next argument; inserted text is never
// scanned again, so a % in a file name stays as it is.
[[nodiscard]] std::string FormatTemplate(std::string_view pattern,
                                         std::initializer_list<std::string_view> args);

// q / 10 with at most one decimal ("0", "0.5", "5", "10").
[[nodiscard]] std::string OggQualityText(int quality);
// 9 - 0.09 q in its shortest exact decimal form ("9", "8.91", "0.72", "0").
[[nodiscard]] std::string LameVbrLevelText(int quality);

// A file name as the encoders must receive it: one that begins with '-' is given as "./" +
// name, so that it cannot be taken for an option.
[[nodiscard]] std::string EncoderFileName(std::string_view name);

// Escapes text for the inside of a double-quoted command-line argument, so that the command
// line splitter (blanks separate, double quotes group, backslashes are literal except before
// a double quote) yields exactly that text.
[[nodiscard]] std::string QuoteInsideArgument(std::string_view text);

// The whole command line for the two encoder pipes. `outputName` is the file name as the
// encoder is to receive it, before quoting.
[[nodiscard]] std::string OggCommandLine(std::string_view outputName,
                                         const EncoderSettings& settings);
[[nodiscard]] std::string Mp3CommandLine(std::string_view outputName,
                                         const EncoderSettings& settings);

// The Ogg Vorbis constant bit rate in kbit/s: the selected one, at least 64.
[[nodiscard]] int OggBitrateKbps(const EncoderSettings& settings);

// The WMA encoding rate in kbit/s: the selected bitrate, or with the quality bar the item at
// floor((n - 1) q / 100) of the bitrate list.
[[nodiscard]] int WmaBitrateKbps(const EncoderSettings& settings);

} // namespace wavora
