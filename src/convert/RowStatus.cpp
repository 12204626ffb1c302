#include "RowStatus.h"

#include <filesystem>

namespace wavora {
namespace {

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string ConvertedText(const RowResult& result) {
    std::string text = "converted";
    if (result.renamed != RenameReason::None) {
        text += " as \"" + FileName(result.outputPath) + "\": ";
        text += result.renamed == RenameReason::WrittenInBatch
                    ? "an earlier row of this batch wrote the same name"
                    : "a file of the same name exists";
    }
    return text;
}

} // namespace

RowStatus DescribeRow(const JobRow& row, const RowResult& result) {
    RowStatus status;
    const auto with = [&](RowEnd end, std::string text) {
        status.end = end;
        status.text = std::move(text);
        if (!result.note.empty()) {
            status.text += " (" + result.note + ")";
        }
        return status;
    };
    switch (result.outcome) {
    case RowOutcome::Converted:
        if (!result.stopped) {
            return with(RowEnd::Converted, ConvertedText(result));
        }
        return with(RowEnd::Stopped, result.keptOlder
                                         ? "stopped: the older file of the name was kept"
                                         : "stopped: the file holds the audio up to the stop");
    case RowOutcome::SameFile:
        return with(RowEnd::Skipped, "skipped: Can't convert same file.");
    case RowOutcome::UnknownFormat:
        return with(RowEnd::Skipped, "skipped: unknown target format \"" + row.format + "\"");
    case RowOutcome::NoDecoder:
        return with(RowEnd::Skipped, "skipped: no decoder accepts this file");
    case RowOutcome::EncoderNotStarted:
        return with(RowEnd::Skipped, "skipped: " + result.message);
    case RowOutcome::ExistingKept:
        return with(RowEnd::Skipped, "skipped: \"" + FileName(result.outputPath) +
                                         "\" exists and is kept");
    case RowOutcome::NoOutput:
        return with(RowEnd::Failed, "failed: the encoder wrote no audio");
    case RowOutcome::CannotCreate:
        return with(RowEnd::Failed, "failed: " + result.message);
    }
    return status;
}

RowStatus NotReachedStatus(bool stopped) {
    if (stopped) {
        return {RowEnd::Stopped, "stopped: not converted"};
    }
    return {RowEnd::Skipped, "skipped: the batch ended at an earlier row's error"};
}

bool BatchTally::AllConverted() const {
    return Count(RowEnd::Skipped) + Count(RowEnd::Failed) + Count(RowEnd::Stopped) == 0;
}

std::string BatchTally::Summary() const {
    if (AllConverted()) {
        return "Converting is completed!";
    }
    return "Converted: " + std::to_string(Count(RowEnd::Converted)) +
           ", skipped: " + std::to_string(Count(RowEnd::Skipped)) +
           ", failed: " + std::to_string(Count(RowEnd::Failed)) +
           ", stopped: " + std::to_string(Count(RowEnd::Stopped)) + ".";
}

} // namespace wavora
