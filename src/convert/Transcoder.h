#pragma once

#include "EncoderTemplates.h"
#include "ExistingOutput.h"
#include "JobRow.h"
#include "PcmSource.h"
#include "TrackTags.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wavora {

inline constexpr std::uint32_t PipeBlockBytes = 90000;

struct TranscodeSettings {
    EncoderSettings encoder;
    // The folder a relative output folder is taken from (the program's folder, with '/').
    std::string programFolder;
    // The window's way: the output folder becomes the process's current folder and the
    // encoders are given bare file names. Off for conversions that run side by side, which
    // then depend on no process-wide state.
    bool changeCurrentFolder = true;
    // A file of the output name that was there before the batch.
    ExistingOutput existing = ExistingOutput::Overwrite;
};

class TOutputClaims;

enum class RowOutcome {
    Converted,         // the output file is complete (or, after a stop, valid and shorter)
    SameFile,          // "Can't convert same file."
    UnknownFormat,     // the row's format is none of ogg, mp3, wav, wma
    NoDecoder,         // no decoder accepts the source
    EncoderNotStarted, // the encoder program or the WMA encoder could not be started
    NoOutput,          // the encoder ran but left no audio
    CannotCreate,      // the output folder or file cannot be created or written
    ExistingKept,      // a file of the output name exists and is to be kept: nothing written
};

// Why a row was written under a numbered name.
enum class RenameReason { None, WrittenInBatch, Existed };

struct RowResult {
    RowOutcome outcome = RowOutcome::Converted;
    bool stopped = false;   // a stop request ended the row early
    std::string outputPath; // full path of the output file
    std::string message;    // the error text for CannotCreate and EncoderNotStarted
    std::string note;       // said with the row's status, e.g. a resampling
    TrackTags tags;         // the source's tags, as read for the row
    RenameReason renamed = RenameReason::None; // outputPath is "NAME (n).EXT"
    bool keptOlder = false; // stopped over an older file of the name, which stays as it was
};

// Converts one job row: prepares the output folder, refuses to overwrite the source, reads
// the source's tags, decodes it and writes the target format with the tags. The output is
// written under a temporary name and renamed at the end, so a row that fails or is stopped
// leaves an older file of that name as it was. Rows sharing claims never write one path
// twice. Owns its own PCM buffer: one object per thread.
class TTranscoder {
public:
    TTranscoder(TranscodeSettings settings, ConvertControl control);
    [[nodiscard]] RowResult ConvertRow(const JobRow& row, TOutputClaims* claims = nullptr);

private:
    std::string OutputFolder(const JobRow& row) const;
    TranscodeSettings settings_;
    ConvertControl control_;
    std::vector<std::uint8_t> pcmBuffer_;
};

// The source path of a row as the transcoder compares it: equal after lexical normalisation,
// or naming the same existing file.
[[nodiscard]] bool SameFile(const std::string& a, const std::string& b);

} // namespace wavora
