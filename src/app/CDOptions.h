#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wavora {

// The settings carried to and from options.dat. Strings are UTF-8. The member defaults are
// the controls' defaults, except CurOutput, which depends on the program folder.
class CDOptions {
public:
    std::string InitialDir;
    std::string CurOutput;
    std::string CurFormat = "OGG";
    bool CustomFileNaming = false;
    std::string FileNaming = "%artist - %album - %title";
    bool MP3v2Tag = true;
    bool ConstBitrate = false;
    std::int32_t Bitrate = 128;
    std::int32_t Quality = 50;
    bool Mono = false;
    std::int32_t AlphaBlendValue = 200;
    bool MenuAlphaBlend = false;
    bool MessageAlphaBlend = false;
    bool ControlAlphaBlend = false;
    bool SkinEffects = false;
    bool HintAlphaBlend = false;
    bool AlphaBlendAnimation = false;
    // An ExistingOutput; written only when it is not 0 (overwrite), so that the file of the
    // default settings is the one earlier versions write and read.
    std::int32_t IfOutputExists = 0;

    bool operator==(const CDOptions&) const = default;
};

// The text form of the settings: CR LF lines, "object CDOptions" ... "end".
[[nodiscard]] std::string WriteOptionsText(const CDOptions& options);

// Reads the text form into options, property by property; returns the error's text, if any.
// Properties read before an error stay in options.
[[nodiscard]] std::optional<std::string> ReadOptionsText(std::string_view text, CDOptions& options);

enum class OptionsLoad { Missing, Loaded, Failed };
struct OptionsLoadResult {
    OptionsLoad state = OptionsLoad::Missing;
    std::string error; // set when Failed
};

// Reads the file at path, if it exists, into options.
[[nodiscard]] OptionsLoadResult LoadOptionsFile(const std::string& path, CDOptions& options);

// Writes options to path through a temporary file and a rename; on failure returns
// "Cannot create file "<path>". <system error text>" and leaves an existing file as it was.
[[nodiscard]] std::optional<std::string> SaveOptionsFile(const std::string& path,
                                                         const CDOptions& options);

} // namespace wavora
