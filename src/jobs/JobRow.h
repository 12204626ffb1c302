#pragma once

#include <string>

namespace wavora {

// One row of the job list. Texts are UTF-8.
struct JobRow {
    std::string inputFolder; // folder of the source, ending with '/'
    std::string inputFile;   // file name of the source, no folder
    std::string format;      // lower-case target format: "ogg", "mp3", "wav" or "wma"
    std::string outputFolder;
    std::string outputFile; // name with extension, no folder
    bool checked = true;    // takes part in a batch conversion

    bool operator==(const JobRow&) const = default;
};

// What the player plays and the transcoder decodes.
[[nodiscard]] std::string SourcePath(const JobRow& row);

} // namespace wavora
