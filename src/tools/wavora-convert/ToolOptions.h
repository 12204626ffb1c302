#pragma once

#include <optional>
#include <string>
#include <vector>

namespace wavora {

// The command line of wavora-convert.
struct ToolOptions {
    std::optional<std::string> format; // lower-case "ogg", "mp3", "wav" or "wma"
    std::optional<std::string> output; // as given
    unsigned jobs = 0;                 // 0: one per core
    std::vector<std::string> files;
    bool help = false;
};

// Parses the arguments after the program name; returns the error text for a bad command line.
[[nodiscard]] std::optional<std::string> ParseToolOptions(const std::vector<std::string>& args,
                                                          ToolOptions& options);

inline constexpr const char* ToolUsage =
    "usage: wavora-convert [--format ogg|mp3|wav|wma] [--output DIR] [--jobs N] FILE...\n"
    "Converts each FILE with the settings of options.dat beside the program; --format and\n"
    "--output replace its target format and output folder. --jobs N converts N files at\n"
    "once (default: one per core). Exit status 0 when every file was converted, else 1.\n";

} // namespace wavora
