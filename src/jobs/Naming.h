#pragma once

#include "JobRow.h"
#include "TrackTags.h"

#include <functional>
#include <string>
#include <string_view>

namespace wavora {

// Folder text with a trailing '/'; an empty folder stands for the current folder.
[[nodiscard]] std::string AddBackslash(std::string_view folder);

// Name without its last '.' and everything after it.
[[nodiscard]] std::string StripExtension(std::string_view name);

// Replaces every "%name" (ASCII letters matched without regard to case) by value, scanning on
// after each inserted value so that a value holding the placeholder is not replaced again.
void ReplacePlaceholder(std::string& text, std::string_view name, std::string_view value);

// Fills the tags of the file at path.
using TagReader = std::function<TrackTags(const std::string& path)>;

// The tags a file without a tag reader gets: its name without extension as the title.
[[nodiscard]] TrackTags FileNameTags(const std::string& path);

// The settings output naming reads, taken from the controls at the moment of use.
struct NamingSettings {
    bool customFileNaming = false;
    std::string fileNaming = "%artist - %album - %title";
};

// Output file name for a source. With custom naming the source's tags are read into tags
// (which keeps them, as the window's TrackTags) and the template is filled from them.
[[nodiscard]] std::string OutputName(const std::string& sourcePath, std::string_view sourceFileName,
                                     std::string_view formatText, const NamingSettings& settings,
                                     const TagReader& readTags, TrackTags& tags);

// Splits a full path into the row's input folder (with trailing '/') and file name.
struct SplitPath {
    std::string folder;
    std::string file;
};
[[nodiscard]] SplitPath SplitSourcePath(std::string_view path);

} // namespace wavora
