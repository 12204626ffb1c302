#pragma once

#include "ExistingOutput.h"

#include <optional>
#include <string>
#include <vector>

namespace wavora {

// The command line of wavora-convert.
struct ToolOptions {
    std::optional<std::string> format; // lower-case "ogg", "mp3", "wav" or "wma"
    std::optional<std::string> output; // as given
    unsigned jobs = 0;                 // 0: one per core
    std::optional<ExistingOutput> existing;
    std::vector<std::string> files;
    bool help = false;
};

// Parses the arguments after the program name; returns the error text for a bad command line.
[[nodiscard]] std::optional<std::string> ParseToolOptions(const std::vector<std::string>& args,
                                                          ToolOptions& options);

inline constexpr const char* ToolUsage =
    "usage: wavora-convert [--format ogg|mp3|wav|wma] [--output DIR] [--jobs N]\n"
    "                      [--existing overwrite|skip|rename] FILE...\n"
    "Converts each FILE with the settings of options.dat beside the program; --format,\n"
    "--output and --existing replace its target format, output folder and what is done\n"
    "with an output file that exists (rename: write NAME (2).EXT beside it). --jobs N\n"
    "converts N files at once (default: one per core). Exit status 0 when every file was\n"
    "converted, else 1.\n";

} // namespace wavora
