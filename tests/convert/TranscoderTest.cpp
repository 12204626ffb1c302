#include "Transcoder.h"

#include "BassChannel.h"
#include "BassSession.h"
#include "BassWmaLoader.h"
#include "SourceTags.h"
#include "TestSupport.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <ostream>

namespace wavora {

// Readable failure messages.
void PrintTo(const TrackTags& t, std::ostream* out) {
    *out << '{' << t.title << '|' << t.artist << '|' << t.album << '|' << t.year << '|' << t.genre
         << '}';
}

namespace {

namespace fs = std::filesystem;
using test::TempDir;

const TrackTags SourceTagValues{"Sky Ünï \"quoted\"", "Ann", "Blue", "2021", "Rock"};

// The library family, loaded once for the whole suite, as the program does at start-up.
class Library : public ::testing::Environment {
public:
    void SetUp() override {
        session_ = std::make_unique<TBassSession>(WAVORA_PROGRAM_DIR, 0);
        ASSERT_TRUE(session_->Ready());
        ASSERT_TRUE(IsBassWmaLoaded());
    }
    void TearDown() override { session_.reset(); }

private:
    std::unique_ptr<TBassSession> session_;
};
const auto* const library = ::testing::AddGlobalTestEnvironment(new Library);

// Source files made once by FFmpeg and lame: every kind the converter takes.
class Sources {
public:
    static Sources& Get() {
        static Sources sources;
        return sources;
    }
    std::string Path(const std::string& name) const { return dir_ / name; }

private:
    Sources() : dir_("convert-sources") {
        const std::vector<std::pair<std::string, std::string>> meta = {
            {"title", SourceTagValues.title},
            {"artist", SourceTagValues.artist},
            {"album", SourceTagValues.album},
            {"date", SourceTagValues.year},
            {"genre", SourceTagValues.genre}};
        test::MakeTone(Path("tone.wav"), 3, 44100, 2, {"-c:a", "pcm_s16le"});
        test::MakeTone(Path("tone8.wav"), 2.5, 22050, 1, {"-c:a", "pcm_u8"});
        test::MakeTone(Path("tagged.mp3"), 3, 44100, 2,
                       {"-c:a", "libmp3lame", "-b:a", "128k", "-id3v2_version", "3"}, meta);
        test::MakeTone(Path("tagged.ogg"), 3, 44100, 2, {"-c:a", "libvorbis"}, meta);
        // FFmpeg's ASF writer keeps "date" under its own name; the year attribute is WM/Year.
        auto wmaMeta = meta;
        wmaMeta.emplace_back("WM/Year", SourceTagValues.year);
        test::MakeTone(Path("tagged.wma"), 3, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"}, wmaMeta);
        test::MakeTone(Path("tone.flac"), 3, 48000, 1, {"-c:a", "flac"});
        // VBR without a Xing header: loud frames first, then near silence, so that a length
        // estimated from the first frames falls far short of the real one.
        const auto noise = Path("noise.wav");
        const auto made = test::RunProcess({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                            "anoisesrc=d=1:a=0.9,apad=whole_dur=6", "-ar", "44100",
                                            "-ac", "2", noise});
        const auto encoded =
            test::RunProcess({"lame", "--quiet", "-V", "0", "-t", noise, Path("noxing.mp3")});
        if (made.status != 0 || encoded.status != 0) {
            throw std::runtime_error("cannot make the VBR source");
        }
        // A chained Ogg stream: 5 s, then 1 s. Its length is taken from the last link, so
        // the decoded length is estimated at a sixth of what the channel delivers.
        test::MakeTone(Path("link1.ogg"), 5, 44100, 2, {"-c:a", "libvorbis"});
        test::MakeTone(Path("link2.ogg"), 1, 44100, 2, {"-c:a", "libvorbis"});
        std::ofstream chained(Path("chained.ogg"), std::ios::binary);
        for (const char* link : {"link1.ogg", "link2.ogg"}) {
            std::ifstream in(Path(link), std::ios::binary);
            chained << in.rdbuf();
        }
    }
    TempDir dir_;
};

JobRow Row(const std::string& source, const std::string& format, const std::string& outFolder,
           const std::string& outFile) {
    const fs::path path(source);
    return {path.parent_path().string() + "/",
            path.filename().string(),
            format,
            outFolder,
            outFile,
            true};
}

TranscodeSettings Settings(bool changeFolder = false) {
    TranscodeSettings s;
    s.programFolder = WAVORA_PROGRAM_DIR;
    s.changeCurrentFolder = changeFolder;
    return s;
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

struct Matrix {
    const char* source;
    const char* format;
};

void PrintTo(const Matrix& m, std::ostream* out) {
    *out << m.source << " to " << m.format;
}

class EveryFormat : public ::testing::TestWithParam<Matrix> {};

TEST_P(EveryFormat, ConvertsWithDurationAndTags) {
    const auto& [sourceName, format] = GetParam();
    const std::string source = Sources::Get().Path(sourceName);
    TempDir out("convert-out");
    const std::string name = fs::path(sourceName).stem().string() + "." + format;
    TTranscoder transcoder(Settings(), {});
    const auto result = transcoder.ConvertRow(Row(source, format, out.Path().string(), name));
    ASSERT_EQ(result.outcome, RowOutcome::Converted) << result.message;
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.outputPath, out / name);
    // Nothing but the output is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 1);
    EXPECT_NEAR(test::DecodedSeconds(result.outputPath), test::DecodedSeconds(source), 0.05);

    if (std::string(format) == "wma") {
        // Whatever the source, the WMA encoder is fed 44100 Hz stereo.
        const auto probe = test::RunProcess({"ffprobe", "-v", "error", "-show_entries",
                                             "stream=sample_rate,channels", "-of", "default=nw=1",
                                             result.outputPath});
        EXPECT_EQ(probe.output, "sample_rate=44100\nchannels=2\n");
    }
    const TrackTags expected = ReadSourceTags(source);
    EXPECT_EQ(result.tags, expected);
    if (std::string(format) == "wav") {
        return;
    }
    const TrackTags written = ReadSourceTags(result.outputPath);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(test::ProbeTag(result.outputPath, "title"), expected.title);
    EXPECT_EQ(test::ProbeTag(result.outputPath, "artist"), expected.artist);
    EXPECT_EQ(test::ProbeTag(result.outputPath, "album"), expected.album);
}

std::vector<Matrix> AllConversions() {
    std::vector<Matrix> all;
    for (const char* source : {"tone.wav", "tone8.wav", "tagged.mp3", "tagged.ogg", "tagged.wma",
                               "tone.flac", "noxing.mp3", "chained.ogg"}) {
        for (const char* format : {"ogg", "mp3", "wav", "wma"}) {
            all.push_back({source, format});
        }
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Transcoder, EveryFormat, ::testing::ValuesIn(AllConversions()),
                         [](const auto& test) {
                             std::string name =
                                 std::string(test.param.source) + "_to_" + test.param.format;
                             for (auto& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

TEST(Transcoder, SourceTagsTakeTheRightTag) {
    EXPECT_EQ(ReadSourceTags(Sources::Get().Path("tagged.mp3")), SourceTagValues);
    EXPECT_EQ(ReadSourceTags(Sources::Get().Path("tagged.ogg")), SourceTagValues);
    EXPECT_EQ(ReadSourceTags(Sources::Get().Path("tagged.wma")), SourceTagValues);
    EXPECT_EQ(ReadSourceTags(Sources::Get().Path("tone.flac")),
              (TrackTags{"tone", "", "", "", ""}));
    EXPECT_EQ(ReadSourceTags("/nonexistent/x.mp3"), TrackTags{});
}

const TrackTags WideTagValues{"Ünï ✓ 𝄞 \"q\"", "Zoë", "Blå", "2024", "Jazz"};

// A WAV file whose tags sit in an "id3 " chunk: the ID3v2 tag of an MP3 made by FFmpeg,
// appended to a WAV file without tags.
void MakeWavWithId3Chunk(const std::string& path, const std::string& work) {
    const std::vector<std::pair<std::string, std::string>> meta = {
        {"title", WideTagValues.title},  {"artist", WideTagValues.artist},
        {"album", WideTagValues.album},  {"date", WideTagValues.year},
        {"genre", WideTagValues.genre}};
    test::MakeTone(work + ".mp3", 0.2, 44100, 2, {"-id3v2_version", "3"}, meta);
    test::MakeTone(path, 1, 44100, 2, {"-c:a", "pcm_s16le", "-fflags", "+bitexact"});
    const auto mp3 = ReadAll(work + ".mp3");
    ASSERT_GT(mp3.size(), 10u);
    const std::size_t tagSize =
        10 + (mp3[6] << 21 | mp3[7] << 14 | mp3[8] << 7 | static_cast<std::size_t>(mp3[9]));
    auto wav = ReadAll(path);
    wav.insert(wav.end(), {'i', 'd', '3', ' '});
    for (int i = 0; i < 4; ++i) {
        wav.push_back(static_cast<std::uint8_t>(tagSize >> (8 * i)));
    }
    wav.insert(wav.end(), mp3.begin(), mp3.begin() + static_cast<std::ptrdiff_t>(tagSize));
    if (tagSize % 2 != 0) {
        wav.push_back(0);
    }
    const std::size_t riff = wav.size() - 8;
    for (int i = 0; i < 4; ++i) {
        wav[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
}

// Sources of formats we have no reader of our own for: their tags (with characters beyond
// ISO-8859-1, one beyond the 16-bit range) reach every tagged target format exactly, as an
// independent reader sees them; and a WMA output holds each attribute once.
TEST(Transcoder, TagsOfEveryFFmpegSourceTravelExactly) {
    TempDir dir("convert-wide");
    const std::vector<std::pair<std::string, std::string>> meta = {
        {"title", WideTagValues.title},  {"artist", WideTagValues.artist},
        {"album", WideTagValues.album},  {"date", WideTagValues.year},
        {"genre", WideTagValues.genre}};
    struct Source {
        const char* name;
        std::vector<std::string> codec;
    };
    const std::vector<Source> sources = {
        {"a.flac", {"-c:a", "flac"}},           {"a.m4a", {"-c:a", "alac"}},
        {"a.opus", {"-c:a", "libopus"}},        {"opus-in.ogg", {"-c:a", "libopus"}},
        {"info.wav", {"-c:a", "pcm_s16le"}},    {"a.wv", {"-c:a", "wavpack"}},
        {"year-as-date.wma", {"-c:a", "wmav2"}},
    };
    for (const auto& source : sources) {
        test::MakeTone(dir / source.name, 1, 48000, 2, source.codec, meta);
    }
    MakeWavWithId3Chunk(dir / "id3.wav", dir / "id3-tag");
    std::vector<std::string> names;
    for (const auto& source : sources) {
        names.emplace_back(source.name);
    }
    names.emplace_back("id3.wav");

    for (const auto& name : names) {
        SCOPED_TRACE(name);
        const std::string source = dir / name;
        const TrackTags& expected = WideTagValues;
        ASSERT_EQ(ReadSourceTags(source), expected);
        for (const char* format : {"ogg", "mp3", "wma"}) {
            SCOPED_TRACE(format);
            TTranscoder transcoder(Settings(), {});
            const auto result = transcoder.ConvertRow(
                Row(source, format, dir / "out", fs::path(name).stem().string() + "." + format));
            ASSERT_EQ(result.outcome, RowOutcome::Converted);
            EXPECT_EQ(result.tags, expected);
            EXPECT_EQ(test::ProbeTag(result.outputPath, "title"), expected.title);
            EXPECT_EQ(test::ProbeTag(result.outputPath, "artist"), expected.artist);
            EXPECT_EQ(test::ProbeTag(result.outputPath, "album"), expected.album);
            EXPECT_EQ(test::ProbeTag(result.outputPath, "genre"), expected.genre);
            const std::string year = std::string(format) == "wma" ? "WM/Year" : "date";
            EXPECT_EQ(test::ProbeTag(result.outputPath, year), expected.year);
            if (std::string(format) == "wma") {
                // The content description holds title and author; no attribute repeats them.
                const auto bytes = ReadAll(result.outputPath);
                for (const std::u16string attribute : {u"Title", u"Author"}) {
                    // A descriptor name: its byte length, then the name with its NUL.
                    std::vector<std::uint8_t> name16{
                        static_cast<std::uint8_t>((attribute.size() + 1) * 2), 0};
                    for (const char16_t c : attribute) {
                        name16.push_back(static_cast<std::uint8_t>(c));
                        name16.push_back(static_cast<std::uint8_t>(c >> 8));
                    }
                    name16.insert(name16.end(), {0, 0});
                    EXPECT_EQ(std::search(bytes.begin(), bytes.end(), name16.begin(), name16.end()),
                              bytes.end());
                }
            }
        }
    }
}

TEST(Transcoder, ChainedOggShowsAShortLengthEstimate) {
    // The fixture of the conversions that must read past the estimated length.
    auto channel = TBassChannel::Open(Sources::Get().Path("chained.ogg"), false);
    ASSERT_TRUE(channel);
    EXPECT_LT(channel->Length(), 2u * 44100 * 4);
    EXPECT_NEAR(test::DecodedSeconds(Sources::Get().Path("chained.ogg")), 6.0, 0.01);
}

TEST(Transcoder, Id3v1TransferWhenId3v2IsOff) {
    TempDir out("convert-v1");
    auto settings = Settings();
    settings.encoder.mp3v2Tag = false;
    TTranscoder transcoder(settings, {});
    const auto result = transcoder.ConvertRow(
        Row(Sources::Get().Path("tagged.ogg"), "mp3", out.Path().string(), "v1.mp3"));
    ASSERT_EQ(result.outcome, RowOutcome::Converted);
    const auto bytes = ReadAll(result.outputPath);
    ASSERT_GT(bytes.size(), 128u);
    EXPECT_NE(std::string(bytes.begin(), bytes.begin() + 3), "ID3");
    EXPECT_EQ(std::string(bytes.end() - 128, bytes.end() - 125), "TAG");
    EXPECT_EQ(bytes.back(), 255); // no genre
    // The title's non-ASCII characters are stored as ISO-8859-1 and read back.
    const TrackTags read = ReadSourceTags(result.outputPath);
    EXPECT_EQ(read.title, SourceTagValues.title);
    EXPECT_EQ(read.year, "2021");
    EXPECT_EQ(read.genre, "");
}

// oggenc refuses some constant bit rates at some rates and channel counts; such a source is
// converted to 44100 Hz stereo on the way, and the row says so. The others are encoded as
// they are, without a note.
TEST(Transcoder, OggBitRatesTheSourceRateCannotCarry) {
    struct Case {
        int rate, channels, kbps;
        bool converted;
    };
    static constexpr std::array<Case, 7> cases{{
        {22050, 2, 192, true},
        {22050, 1, 128, true},
        {8000, 1, 64, true},
        {96000, 2, 128, true},
        {44100, 1, 320, true},
        {22050, 2, 128, false},
        {44100, 2, 320, false},
    }};
    TempDir dir("convert-oggrate");
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.rate) + "-" + std::to_string(c.channels) +
                                 "-" + std::to_string(c.kbps);
        SCOPED_TRACE(name);
        const std::string source = dir / (name + ".wav");
        test::MakeTone(source, 1, c.rate, c.channels, {"-c:a", "pcm_s16le"});
        auto settings = Settings();
        settings.encoder.constBitrate = true;
        settings.encoder.bitrate = c.kbps;
        TTranscoder transcoder(settings, {});
        const auto result =
            transcoder.ConvertRow(Row(source, "ogg", dir / "out", name + ".ogg"));
        ASSERT_EQ(result.outcome, RowOutcome::Converted);
        EXPECT_NEAR(test::DecodedSeconds(result.outputPath), 1.0, 0.02);
        EXPECT_EQ(test::ProbeTag(result.outputPath, "title"), name);
        const auto probe = test::RunProcess({"ffprobe", "-v", "error", "-show_entries",
                                             "stream=sample_rate,channels", "-of",
                                             "default=nw=1", result.outputPath});
        if (c.converted) {
            EXPECT_EQ(probe.output, "sample_rate=44100\nchannels=2\n");
            EXPECT_EQ(result.note, "converted to 44100 Hz stereo: the encoder takes no " +
                                       std::to_string(c.kbps) + " kbit/s at " +
                                       std::to_string(c.rate) + " Hz " +
                                       (c.channels == 1 ? "mono" : "stereo"));
        } else {
            EXPECT_EQ(probe.output, "sample_rate=" + std::to_string(c.rate) + "\nchannels=" +
                                        std::to_string(c.channels) + "\n");
            EXPECT_EQ(result.note, "");
        }
    }
}

TEST(Transcoder, WavHeaderOfBothExamples) {
    struct Case {
        const char* source;
        std::uint16_t channels;
        std::uint32_t rate, byteRate;
        std::uint16_t align, bits;
    };
    for (const Case c :
         {Case{"tone.wav", 2, 44100, 176400, 4, 16}, Case{"tone8.wav", 1, 22050, 22050, 1, 8}}) {
        TempDir out("convert-hdr");
        TTranscoder transcoder(Settings(), {});
        const auto result = transcoder.ConvertRow(
            Row(Sources::Get().Path(c.source), "wav", out.Path().string(), "x.wav"));
        ASSERT_EQ(result.outcome, RowOutcome::Converted);
        const auto b = ReadAll(result.outputPath);
        ASSERT_GE(b.size(), 44u);
        EXPECT_EQ(b[22] | b[23] << 8, c.channels);
        EXPECT_EQ(Le32(b, 24), c.rate);
        EXPECT_EQ(Le32(b, 28), c.byteRate);
        EXPECT_EQ(b[32] | b[33] << 8, c.align);
        EXPECT_EQ(b[34] | b[35] << 8, c.bits);
        EXPECT_EQ(Le32(b, 4), b.size() - 8);
        EXPECT_EQ(Le32(b, 40), b.size() - 44);
        // The PCM is the source's own, byte for byte.
        const auto source = ReadAll(Sources::Get().Path(c.source));
        const std::string tag = "data";
        const auto data = std::search(source.begin(), source.end(), tag.begin(), tag.end());
        ASSERT_LE(data + 8 + static_cast<std::ptrdiff_t>(b.size() - 44), source.end());
        EXPECT_TRUE(std::equal(b.begin() + 44, b.end(), data + 8));
    }
}

TEST(Transcoder, StopAfterTheFirstBlockLeavesValidShorterFiles) {
    for (const char* format : {"wav", "ogg", "mp3", "wma"}) {
        TempDir out("convert-stop");
        int pumps = 0;
        ConvertControl control{{}, {}, [&] { ++pumps; }, [&] { return pumps >= 1; }};
        const std::string source = Sources::Get().Path("tone.wav");
        TTranscoder stopping(Settings(), control);
        const std::string name = std::string("s.") + format;
        const auto stopped = stopping.ConvertRow(Row(source, format, out.Path().string(), name));
        ASSERT_EQ(stopped.outcome, RowOutcome::Converted) << format;
        EXPECT_TRUE(stopped.stopped);
        EXPECT_EQ(pumps, 1);
        const double partial = test::DecodedSeconds(stopped.outputPath);
        EXPECT_GT(partial, 0.0) << format;
        EXPECT_LT(partial, 1.0) << format;
        if (std::string(format) != "wav") {
            EXPECT_EQ(ReadSourceTags(stopped.outputPath).title, "tone") << format;
        }
        // The next run starts normally.
        TTranscoder next(Settings(), {});
        const auto full = next.ConvertRow(Row(source, format, out.Path().string(), name));
        ASSERT_EQ(full.outcome, RowOutcome::Converted);
        EXPECT_FALSE(full.stopped);
        EXPECT_NEAR(test::DecodedSeconds(full.outputPath), 3.0, 0.05) << format;
    }
}

TEST(Transcoder, GaugeMovesAndEndsAtZero) {
    TempDir out("convert-gauge");
    std::uint32_t maximum = 0;
    std::vector<std::uint32_t> values;
    ConvertControl control{[&](std::uint32_t m) { maximum = m; },
                           [&](std::uint32_t v) { values.push_back(v); },
                           {},
                           {}};
    TTranscoder transcoder(Settings(), control);
    ASSERT_EQ(
        transcoder
            .ConvertRow(Row(Sources::Get().Path("tone.wav"), "ogg", out.Path().string(), "g.ogg"))
            .outcome,
        RowOutcome::Converted);
    EXPECT_EQ(maximum, 3u * 44100 * 4);
    ASSERT_GT(values.size(), 5u);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end() - 1));
    EXPECT_EQ(values[values.size() - 2], maximum);
    EXPECT_EQ(values.back(), 0u);
}

TEST(Transcoder, RefusesToOverwriteItsSource) {
    TempDir dir("convert-same");
    const std::string source = dir / "a.wav";
    fs::copy_file(Sources::Get().Path("tone.wav"), source);
    const auto before = ReadAll(source);
    const std::string folder = dir.Path().string();
    for (const std::string& typed : {folder, folder + "/", folder + "//", folder + "/./",
                                     folder + "/../" + dir.Path().filename().string()}) {
        TTranscoder transcoder(Settings(), {});
        EXPECT_EQ(transcoder.ConvertRow(Row(source, "wav", typed, "a.wav")).outcome,
                  RowOutcome::SameFile)
            << typed;
    }
    // Another name for the same file.
    fs::create_symlink(source, dir / "link.wav");
    TTranscoder transcoder(Settings(), {});
    EXPECT_EQ(transcoder.ConvertRow(Row(source, "wav", folder, "link.wav")).outcome,
              RowOutcome::SameFile);
    EXPECT_EQ(ReadAll(source), before);
    // Names differ by case: different files here.
    EXPECT_EQ(transcoder.ConvertRow(Row(source, "wav", folder, "A.wav")).outcome,
              RowOutcome::Converted);
}

TEST(Transcoder, MissingEncoderSkipsTheRowAndKeepsAnOldOutput) {
    TempDir out("convert-noenc");
    TempDir emptyPath("convert-path");
    const std::string old = out / "x.mp3";
    std::ofstream(old) << "old";
    const std::string source = Sources::Get().Path("tone.wav"); // made before PATH goes
    const std::string savedPath = std::getenv("PATH");
    ::setenv("PATH", emptyPath.Path().c_str(), 1);
    TTranscoder transcoder(Settings(), {});
    const auto result = transcoder.ConvertRow(Row(source, "mp3", out.Path().string(), "x.mp3"));
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_EQ(result.outcome, RowOutcome::EncoderNotStarted);
    EXPECT_EQ(ReadAll(old), std::vector<std::uint8_t>({'o', 'l', 'd'}));
    EXPECT_FALSE(fs::exists(old + "~"));
}

TEST(Transcoder, UnknownSourceIsSkippedWithoutAFile) {
    TempDir out("convert-nodec");
    const std::string junk = out / "junk.mp3";
    std::ofstream(junk) << "this is no audio file at all";
    TTranscoder transcoder(Settings(), {});
    EXPECT_EQ(transcoder.ConvertRow(Row(junk, "ogg", (out / "o"), "junk.ogg")).outcome,
              RowOutcome::NoDecoder);
    EXPECT_FALSE(fs::exists(out / "o/junk.ogg"));
}

TEST(Transcoder, OutputThatCannotBeCreatedIsAnError) {
    TempDir out("convert-cannot");
    std::ofstream(out / "file") << "x";
    fs::create_directories(out / "dir.wav");
    fs::create_directories(out / "dir.ogg");
    struct Case {
        std::string folder, name, format, errorText;
    };
    const std::vector<Case> cases = {
        {out / "file/sub", "x.wav", "wav", "Not a directory"},
        {out / "file/sub", "x.ogg", "ogg", "Not a directory"},
        {out.Path().string(), "dir.wav", "wav", "Is a directory"},
        {out.Path().string(), "dir.ogg", "ogg", "Is a directory"},
    };
    for (const auto& c : cases) {
        TTranscoder transcoder(Settings(), {});
        const auto result =
            transcoder.ConvertRow(Row(Sources::Get().Path("tone.wav"), c.format, c.folder, c.name));
        EXPECT_EQ(result.outcome, RowOutcome::CannotCreate);
        EXPECT_EQ(result.message,
                  "Cannot create file \"" + c.folder + "/" + c.name + "\". " + c.errorText);
    }
    EXPECT_TRUE(fs::is_directory(out / "dir.ogg"));
}

TEST(Transcoder, AwkwardNamesReachTheDiskExactly) {
    const std::vector<std::string> names = {"with space",  "say \"hi\" 'there'", "$HOME and `x`",
                                            "-V 0 --help", "Ünï ♫ 日本",         "back\\slash\\",
                                            "100% %s"};
    for (const bool changeFolder : {true, false}) {
        for (const char* format : {"ogg", "mp3", "wav", "wma"}) {
            TempDir out("convert-names");
            TTranscoder transcoder(Settings(changeFolder), {});
            for (const auto& base : names) {
                const std::string name = base + "." + format;
                const auto result = transcoder.ConvertRow(
                    Row(Sources::Get().Path("tone.wav"), format, out.Path().string(), name));
                ASSERT_EQ(result.outcome, RowOutcome::Converted) << name;
                EXPECT_TRUE(fs::is_regular_file(out.Path() / name)) << name;
            }
            EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()),
                      static_cast<long>(names.size()))
                << format;
        }
    }
}

TEST(Transcoder, RelativeOutputFolderIsUnderTheProgramFolder) {
    TempDir program("convert-prog");
    auto settings = Settings(true);
    settings.programFolder = program.Path().string() + "/";
    TTranscoder transcoder(settings, {});
    const auto result =
        transcoder.ConvertRow(Row(Sources::Get().Path("tone8.wav"), "wav", "out/deeper", "r.wav"));
    ASSERT_EQ(result.outcome, RowOutcome::Converted);
    EXPECT_TRUE(fs::is_regular_file(program.Path() / "out/deeper/r.wav"));
    EXPECT_EQ(fs::current_path(), program.Path() / "out/deeper");
    fs::current_path("/");
}

TEST(Transcoder, CustomNamesStayInsideTheOutputFolder) {
    TrackTags tags;
    const NamingSettings custom{true, "%artist - %title"};
    TempDir dir("convert-naming");
    const std::string ogg = dir / "evil.ogg";
    test::MakeTone(ogg, 0.5, 44100, 1, {"-c:a", "libvorbis"},
                   {{"title", "../../etc/passwd"}, {"artist", "AC/DC"}});
    EXPECT_EQ(ConvertOutputName(ogg, "evil.ogg", "mp3", custom, tags),
              "AC_DC - .._.._etc_passwd.mp3");
    test::MakeTone(ogg, 0.5, 44100, 1, {"-c:a", "libvorbis"}, {{"title", ".."}});
    EXPECT_EQ(ConvertOutputName(ogg, "evil.ogg", "ogg", {true, "%title"}, tags), "_...ogg");
    // Without custom naming the source's own name is kept.
    EXPECT_EQ(ConvertOutputName(ogg, "evil.ogg", "wav", {}, tags), "evil.wav");
}

} // namespace
} // namespace wavora
