#include "Transcoder.h"

#include "BassChannel.h"
#include "FileIo.h"
#include "Naming.h"
#include "OutputClaims.h"
#include "OutputFormat.h"
#include "PcmConverter.h"
#include "SourceTags.h"
#include "TagTransfer.h"
#include "WavWriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>
#include <unistd.h>

namespace wavora {
namespace {

namespace fs = std::filesystem;

std::string CannotCreateText(const std::string& path, int error) {
    return "Cannot create file \"" + path + "\". " + SystemErrorText(error);
}

std::string LowerExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return ext;
}

// Creates the temporary output file anew, so that an output that cannot be created is known
// before any encoder runs; a stale file or symlink of that name is replaced, never written
// through. Returns 0 or the errno.
int CreateEmpty(const std::string& path) {
    ::unlink(path.c_str());
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    return fd ? fd.Reset() : errno;
}

bool Executable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0 && !fs::is_directory(path);
}

// Where the encoder pipe looks for a program: the executable's folder, then PATH.
bool ProgramFound(const std::string& name) {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error && Executable((self.parent_path() / name).string())) {
        return true;
    }
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "";
    while (true) {
        const auto colon = rest.find(':');
        const std::string folder(rest.substr(0, colon));
        if (Executable((folder.empty() ? std::string(".") : folder) + "/" + name)) {
            return true;
        }
        if (colon == std::string_view::npos) {
            return false;
        }
        rest.remove_prefix(colon + 1);
    }
}

std::string EncoderNotStartedText(const std::string& program) {
    return ProgramFound(program)
               ? "the encoder " + program + " could not be started"
               : "no encoder: " + program + " is neither in the program folder nor on PATH";
}

bool HasAudio(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return !error && size > 0;
}

enum class BlockLoop { Ended, Stopped, ConsumerFailed };

// Reads the channel block by block to its end (the decoded length is an estimate: it only
// drives the gauge), handing each block to consume, moving the gauge and pumping messages
// after every block. keepGoing is asked before each read.
template <typename KeepGoing, typename Consume>
BlockLoop ReadToEnd(TBassChannel& channel, const ConvertControl& control,
                    std::vector<std::uint8_t>& buffer, KeepGoing keepGoing, Consume consume) {
    std::uint32_t length = channel.Length();
    if (length == 0) {
        length = UnknownLength;
    }
    control.Maximum(length);
    std::uint64_t processed = 0;
    while (keepGoing() && channel.IsActive()) {
        const std::uint32_t got = channel.Read(buffer.data(), PipeBlockBytes);
        if (got == 0 || got == ReadError) {
            break;
        }
        if (!consume(std::span<const std::uint8_t>(buffer.data(), got))) {
            return BlockLoop::ConsumerFailed;
        }
        processed += got;
        control.Progress(static_cast<std::uint32_t>(std::min<std::uint64_t>(processed, length)));
        control.Pump();
        if (control.StopRequested()) {
            return BlockLoop::Stopped;
        }
    }
    return BlockLoop::Ended;
}

struct PipeResult {
    bool started = false;
    bool stopped = false;
};

// Every read of the channel also feeds the encoder program attached to it.
PipeResult RunEncoderPipe(TBassChannel& channel, const std::string& commandLine,
                          const ConvertControl& control, std::vector<std::uint8_t>& buffer) {
    PipeResult result;
    TEncoderPipe pipe;
    if (!pipe.Start(channel, commandLine)) {
        return result;
    }
    result.started = true;
    result.stopped = ReadToEnd(
                         channel, control, buffer, [&pipe] { return pipe.IsActive(); },
                         [](std::span<const std::uint8_t>) { return true; }) == BlockLoop::Stopped;
    pipe.Stop();
    return result;
}

// oggenc refuses bit rates that the source's rate and channel count cannot carry (192 kbit/s
// at 22050 Hz, anything at 8000 Hz mono or above 48000 Hz, 256 kbit/s from mono); 44100 Hz
// stereo carries every rate of the list. The source is decoded again from its start and
// converted to that as the encoder reads it.
PipeResult RetryOggAt44100(const std::string& source, bool tryWma, const std::string& command,
                           int kbps, std::unique_ptr<TBassChannel>& channel, const ConvertControl& control,
                           std::vector<std::uint8_t>& buffer, std::string& note) {
    const PcmFormat from = channel->Format();
    channel = TBassChannel::Open(source, tryWma);
    if (!channel) {
        return {};
    }
    const auto converted = TConvertedChannel::Open(*channel, 44100);
    if (!converted) {
        return {};
    }
    const std::string layout = from.channels == 1   ? "mono"
                               : from.channels == 2 ? "stereo"
                                                    : std::to_string(from.channels) + " channels";
    note = "converted to 44100 Hz stereo: the encoder takes no " + std::to_string(kbps) +
           " kbit/s at " + std::to_string(from.sampleRate) + " Hz " + layout;
    return RunEncoderPipe(converted->Channel(), command, control, buffer);
}

struct WmaResult {
    bool started = false;
    bool stopped = false;
    bool writeFailed = false;
};

WmaResult RunWmaEncoder(TBassChannel& channel, const std::string& path, int kbps,
                        const TrackTags& tags, const ConvertControl& control,
                        std::vector<std::uint8_t>& buffer) {
    WmaResult result;
    // The encoder takes 44100 Hz 16-bit stereo: every other source is converted first, or it
    // would play at the wrong speed with its channels garbled.
    PcmConverter converter(channel.Format());
    TWmaEncoder encoder;
    if (!converter.Valid() ||
        !encoder.Open(44100, 2, static_cast<std::uint32_t>(kbps) * 1000, path)) {
        return result;
    }
    result.started = true;
    encoder.SetTag("Title", tags.title);
    encoder.SetTag("Author", tags.artist);
    encoder.SetTag("WM/AlbumTitle", tags.album);
    encoder.SetTag("WM/Genre", tags.genre);
    encoder.SetTag("WM/Year", tags.year);
    encoder.EndTags();

    const BlockLoop loop = ReadToEnd(
        channel, control, buffer, [] { return true; },
        [&](std::span<const std::uint8_t> block) {
            const auto pcm = converter.Convert(block);
            return pcm.empty() || encoder.Write(pcm);
        });
    result.stopped = loop == BlockLoop::Stopped;
    result.writeFailed = loop == BlockLoop::ConsumerFailed;
    if (!result.writeFailed) {
        const auto tail = converter.Flush();
        if (!tail.empty() && !encoder.Write(tail)) {
            result.writeFailed = true;
        }
    }
    encoder.Close();
    return result;
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    const auto normal = [](const std::string& path) {
        std::string text = fs::path(path).lexically_normal().string();
        while (text.size() > 1 && text.back() == '/') {
            text.pop_back();
        }
        return text;
    };
    if (normal(a) == normal(b)) {
        return true;
    }
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

TTranscoder::TTranscoder(TranscodeSettings settings, ConvertControl control)
    : settings_(std::move(settings)), control_(std::move(control)), pcmBuffer_(PipeBlockBytes) {}

std::string TTranscoder::OutputFolder(const JobRow& row) const {
    if (row.outputFolder.starts_with('/')) {
        return row.outputFolder;
    }
    return AddBackslash(settings_.programFolder) + row.outputFolder;
}

RowResult TTranscoder::ConvertRow(const JobRow& row, TOutputClaims* claims) {
    RowResult result;
    const std::string folder = AddBackslash(OutputFolder(row));
    std::string output = folder + row.outputFile;
    result.outputPath = output;
    TOutputClaims ownClaims;
    TOutputClaims& batch = claims != nullptr ? *claims : ownClaims;
    bool claimed = false;
    const auto fail = [&](RowOutcome outcome) {
        if (claimed) {
            batch.Release(output);
        }
        result.outcome = outcome;
        control_.Progress(0);
        return result;
    };
    const auto cannotCreate = [&](int error) {
        result.message = CannotCreateText(output, error);
        return fail(RowOutcome::CannotCreate);
    };

    std::error_code folderError;
    fs::create_directories(folder, folderError);
    if (folderError) {
        return cannotCreate(folderError.value());
    }
    if (settings_.changeCurrentFolder && ::chdir(folder.c_str()) != 0) {
        return cannotCreate(errno);
    }
    const std::string source = SourcePath(row);
    if (SameFile(source, output)) {
        return fail(RowOutcome::SameFile);
    }
    const auto format = OutputFormatFromText(row.format);
    result.tags = ReadSourceTags(source);
    if (!format) {
        return fail(RowOutcome::UnknownFormat);
    }
    auto channel = TBassChannel::Open(source, LowerExtension(row.inputFile) == ".wma");
    if (!channel) {
        return fail(RowOutcome::NoDecoder);
    }
    const TOutputClaims::Claim claim = batch.Take(output, settings_.existing);
    if (claim.path.empty()) {
        return fail(RowOutcome::ExistingKept);
    }
    claimed = true;
    output = claim.path;
    result.outputPath = output;
    if (claim.renamed) {
        result.renamed = claim.ownEarlier ? RenameReason::WrittenInBatch : RenameReason::Existed;
    }
    std::error_code statError;
    if (fs::is_directory(output, statError)) {
        return cannotCreate(EISDIR);
    }

    // Written under a temporary name, renamed over the output name once complete.
    const std::string temporary = output + "~";
    const std::string temporaryName = fs::path(output).filename().string() + "~";
    const std::string encoderName =
        settings_.changeCurrentFolder ? EncoderFileName(temporaryName) : temporary;
    bool produced = false;
    switch (*format) {
    case OutputFormat::Wav: {
        ::unlink(temporary.c_str());
        const auto written = WriteWav(temporary, *channel, control_, pcmBuffer_);
        if (written.status != WavWriteResult::Status::Written) {
            ::unlink(temporary.c_str());
            return cannotCreate(written.error);
        }
        result.stopped = written.stopped;
        produced = true;
        break;
    }
    case OutputFormat::Ogg:
    case OutputFormat::Mp3: {
        if (const int error = CreateEmpty(temporary); error != 0) {
            return cannotCreate(error);
        }
        const bool ogg = *format == OutputFormat::Ogg;
        const std::string command = ogg ? OggCommandLine(encoderName, settings_.encoder)
                                        : Mp3CommandLine(encoderName, settings_.encoder);
        auto piped = RunEncoderPipe(*channel, command, control_, pcmBuffer_);
        if (!piped.started) {
            ::unlink(temporary.c_str());
            result.message = EncoderNotStartedText(ogg ? "oggenc" : "lame");
            return fail(RowOutcome::EncoderNotStarted);
        }
        produced = HasAudio(temporary);
        if (!produced && !piped.stopped && ogg && settings_.encoder.constBitrate) {
            piped = RetryOggAt44100(source, LowerExtension(row.inputFile) == ".wma", command,
                                    OggBitrateKbps(settings_.encoder), channel, control_, pcmBuffer_, result.note);
            produced = HasAudio(temporary);
            if (!produced) {
                result.note.clear();
            }
        }
        result.stopped = piped.stopped;
        if (produced) {
            if (ogg) {
                WriteOggTags(temporary, result.tags);
            } else {
                WriteMp3Tags(temporary, result.tags, settings_.encoder.mp3v2Tag);
            }
        }
        break;
    }
    case OutputFormat::Wma: {
        if (const int error = CreateEmpty(temporary); error != 0) {
            return cannotCreate(error);
        }
        const auto encoded = RunWmaEncoder(*channel, temporary, WmaBitrateKbps(settings_.encoder),
                                           result.tags, control_, pcmBuffer_);
        if (!encoded.started) {
            ::unlink(temporary.c_str());
            result.message = "the WMA encoder could not be opened";
            return fail(RowOutcome::EncoderNotStarted);
        }
        if (encoded.writeFailed) {
            ::unlink(temporary.c_str());
            return cannotCreate(EIO);
        }
        result.stopped = encoded.stopped;
        produced = HasAudio(temporary);
        break;
    }
    }
    channel.reset();
    if (!produced) {
        ::unlink(temporary.c_str());
        return fail(RowOutcome::NoOutput);
    }
    if (result.stopped && claim.existed && !claim.renamed) {
        // A shorter file never takes the place of a complete older one.
        ::unlink(temporary.c_str());
        result.keptOlder = true;
        batch.Release(output);
        control_.Progress(0);
        return result;
    }
    if (::rename(temporary.c_str(), output.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return cannotCreate(error);
    }
    control_.Progress(0);
    return result;
}

} // namespace wavora
