// wavora-convert: the window's conversion without the window, for scripts and servers. The
// same transcoder, the same options.dat and the same naming rules; several files at once.
#include "BassLoader.h"
#include "BassSession.h"
#include "CDOptions.h"
#include "ConsoleProgress.h"
#include "OutputFormat.h"
#include "ParallelBatch.h"
#include "RowStatus.h"
#include "SourceTags.h"
#include "ToolOptions.h"
#include "ioplug.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

using namespace wavora;
namespace fs = std::filesystem;

std::atomic<bool> stopRequested{false};

extern "C" void OnInterrupt(int) {
    stopRequested = true;
}

EncoderSettings EncoderFrom(const CDOptions& options) {
    EncoderSettings settings;
    settings.constBitrate = options.ConstBitrate;
    if (std::find(BitrateItems.begin(), BitrateItems.end(), options.Bitrate) !=
        BitrateItems.end()) {
        settings.bitrate = options.Bitrate;
    }
    settings.quality = options.Quality;
    settings.mp3v2Tag = options.MP3v2Tag;
    return settings;
}

int Run(const ToolOptions& tool) {
    const std::string program = AppDirectory();
    CDOptions options;
    options.CurOutput = program + "output";
    const auto loaded = LoadOptionsFile(program + "options.dat", options);
    if (loaded.state == OptionsLoad::Failed) {
        std::fprintf(stderr, "wavora-convert: options.dat: %s (using the defaults)\n",
                     loaded.error.c_str());
        options = CDOptions();
        options.CurOutput = program + "output";
    }

    // Decoding needs the library initialised, but no output device.
    const TBassSession library(program, BASS_DEVICE_NOSOUND);
    if (!library.Ready()) {
        const std::string why = library.ErrorText();
        std::fprintf(stderr, "wavora-convert: cannot use %s%s%s%s\n", program.c_str(),
                     std::string(kBassLibraryName).c_str(), why.empty() ? "" : ": ", why.c_str());
        return 1;
    }

    std::string format = "ogg";
    if (tool.format) {
        format = *tool.format;
    } else if (const auto stored = OutputFormatFromText(options.CurFormat)) {
        format = OutputFormatText(*stored);
    }
    // A folder given here is the user's own, taken from the current folder; the stored one
    // follows the window's rule (relative to the program's folder).
    std::string outputFolder = options.CurOutput;
    if (tool.output) {
        outputFolder = fs::absolute(*tool.output).lexically_normal().string();
    }

    const NamingSettings naming{options.CustomFileNaming, options.FileNaming};
    std::vector<JobRow> rows;
    std::vector<std::string> early; // lines for files refused before converting
    for (const std::string& file : tool.files) {
        std::error_code error;
        const fs::path path = fs::absolute(file, error);
        if (error || !fs::is_regular_file(path, error)) {
            early.push_back("skipped: " + file + ": " +
                            (fs::exists(path, error) ? "not a regular file" : "no such file"));
            continue;
        }
        const SplitPath split = SplitSourcePath(path.string());
        TrackTags tags;
        JobRow row;
        row.inputFolder = split.folder;
        row.inputFile = split.file;
        row.format = format;
        row.outputFolder = outputFolder;
        row.outputFile = ConvertOutputName(path.string(), split.file, format, naming, tags);
        rows.push_back(row);
    }

    TranscodeSettings settings;
    settings.encoder = EncoderFrom(options);
    settings.programFolder = program;
    settings.changeCurrentFolder = false;
    settings.existing = tool.existing ? *tool.existing
                                      : ExistingOutputFromNumber(options.IfOutputExists);
    const unsigned jobs =
        tool.jobs != 0 ? tool.jobs : std::max(1u, std::thread::hardware_concurrency());
    TParallelBatch batch(rows, settings, jobs);
    ConsoleProgress console(batch, ::isatty(STDERR_FILENO) != 0);
    for (const auto& line : early) {
        console.Line(line, true);
    }

    bool allConverted = early.empty();
    std::vector<bool> reported(rows.size(), false);
    std::string endError;
    // The end of the batch wakes the drawing loop at once rather than at its next tick.
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool running = true; // guarded by doneMutex
    std::thread worker([&] {
        batch.Run(stopRequested, [&](std::size_t index, const RowResult& result) {
            reported[index] = true;
            const JobRow& row = batch.Rows()[index];
            const RowStatus status = DescribeRow(row, result);
            // "word: reason" becomes "word: SOURCE[ -> OUTPUT]: reason".
            const auto colon = status.text.find(':');
            const std::string word = status.text.substr(0, colon);
            const std::string reason =
                colon == std::string::npos ? std::string() : status.text.substr(colon + 2);
            std::string line = word + ": " + SourcePath(row);
            if (status.end == RowEnd::Converted || status.end == RowEnd::Stopped) {
                line += " -> " + result.outputPath;
            }
            if (!reason.empty()) {
                line += ": " + reason;
            }
            allConverted = allConverted && status.end == RowEnd::Converted;
            console.Line(line, status.end != RowEnd::Converted);
            if (result.outcome == RowOutcome::CannotCreate) {
                endError = result.message;
            }
        });
        const std::lock_guard lock(doneMutex);
        running = false;
        doneSignal.notify_all();
    });
    for (std::unique_lock lock(doneMutex); running;) {
        lock.unlock();
        console.Draw();
        lock.lock();
        doneSignal.wait_for(lock, std::chrono::milliseconds(100), [&] { return !running; });
    }
    worker.join();
    console.Finish();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!reported[i]) {
            allConverted = false;
            const std::string why = stopRequested ? "stopped: " + SourcePath(rows[i]) +
                                                        ": not converted, interrupted"
                                                  : "skipped: " + SourcePath(rows[i]) +
                                                        ": not converted, the batch ended after: " +
                                                        endError;
            console.Line(why, true);
        }
    }
    return allConverted ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    ToolOptions tool;
    if (const auto error = ParseToolOptions(args, tool)) {
        std::fprintf(stderr, "wavora-convert: %s\n%s", error->c_str(), ToolUsage);
        return 1;
    }
    if (tool.help) {
        std::fputs(ToolUsage, stdout);
        return 0;
    }
    // An encoder that dies must not take the converter with it.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    return Run(tool);
}
