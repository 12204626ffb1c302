#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace wavora::test {

struct ProcessResult {
    int status = -1;    // exit status, or -1 when it did not exit normally
    std::string output; // standard output
    std::string errors; // standard error
};

// Runs a program (looked up on PATH) with these arguments, no shell, and waits for it.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment = {});

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    explicit TempDir(const std::string& tag);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
    [[nodiscard]] std::string operator/(const std::string& name) const {
        return (path_ / name).string();
    }

private:
    std::filesystem::path path_;
};

// Makes an audio file with FFmpeg: a 440 Hz tone of `seconds` at the given rate and channel
// count, encoded with `codecArgs` (e.g. {"-c:a", "libmp3lame"}), with the given metadata.
void MakeTone(const std::string& path, double seconds, int rate, int channels,
              const std::vector<std::string>& codecArgs,
              const std::vector<std::pair<std::string, std::string>>& metadata = {});

// Duration in seconds as ffprobe reports it (format section); negative when unreadable.
double ProbeDuration(const std::string& path);
// One format or stream tag as ffprobe reports it (empty when absent); names compared
// without regard to case.
std::string ProbeTag(const std::string& path, const std::string& name);
// The length of the audio FFmpeg decodes from the file, in seconds; negative when unreadable.
double DecodedSeconds(const std::string& path);

} // namespace wavora::test
