#include "CDOptions.h"
#include "SourceTags.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>

namespace wavora {
namespace {

namespace fs = std::filesystem;
using test::RunProcess;
using test::TempDir;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A program folder of its own: wavora-convert and the audio libraries copied from the build,
// so that each test has its own options.dat beside the executable.
class ConvertTool : public ::testing::Test {
protected:
    ConvertTool() : program_("tool-program"), work_("tool-work") {
        for (const auto& entry : fs::directory_iterator(WAVORA_PROGRAM_DIR)) {
            const std::string name = entry.path().filename().string();
            if (name == "wavora-convert" || (name.starts_with("lib") && name.ends_with(".so"))) {
                fs::copy_file(entry.path(), program_.Path() / name);
            }
        }
        fs::permissions(program_.Path() / "wavora-convert", fs::perms::owner_exec,
                        fs::perm_options::add);
    }

    void WriteOptions(const CDOptions& options) {
        std::ofstream(program_.Path() / "options.dat", std::ios::binary)
            << WriteOptionsText(options);
    }

    test::ProcessResult Convert(std::vector<std::string> args,
                                const std::vector<std::string>& env = {}) {
        args.insert(args.begin(), (program_.Path() / "wavora-convert").string());
        return RunProcess(args, env);
    }

    std::string Source(const std::string& name, double seconds = 1.5,
                       const std::vector<std::pair<std::string, std::string>>& meta = {}) {
        const std::string path = work_ / name;
        const auto ext = fs::path(name).extension().string();
        std::vector<std::string> codec = {"-c:a", "pcm_s16le"};
        if (ext == ".mp3") {
            codec = {"-c:a", "libmp3lame"};
        } else if (ext == ".ogg") {
            codec = {"-c:a", "libvorbis"};
        } else if (ext == ".flac") {
            codec = {"-c:a", "flac"};
        }
        test::MakeTone(path, seconds, 44100, 2, codec, meta);
        return path;
    }

    TempDir program_;
    TempDir work_;
};

TEST_F(ConvertTool, ParallelRunGivesTheSameFilesAsOneAtATime) {
    const std::vector<std::string> sources = {
        Source("a.mp3", 2.0, {{"title", "Alpha"}, {"artist", "Ann"}}), Source("b.ogg", 1.0),
        Source("c.flac", 1.5), Source("d e.wav", 0.7)};
    for (const char* format : {"wav", "mp3", "ogg", "wma"}) {
        std::map<int, fs::path> outs;
        for (const int jobs : {1, 3}) {
            const fs::path out = work_.Path() / (std::string(format) + std::to_string(jobs));
            std::vector<std::string> args = {"--format",   format,   "--output",
                                             out.string(), "--jobs", std::to_string(jobs)};
            args.insert(args.end(), sources.begin(), sources.end());
            const auto result = Convert(args);
            EXPECT_EQ(result.status, 0) << result.errors;
            EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 4)
                << result.output;
            outs[jobs] = out;
        }
        for (const char* base : {"a", "b", "c", "d e"}) {
            const std::string name = std::string(base) + "." + format;
            const auto one = (outs[1] / name).string();
            const auto three = (outs[3] / name).string();
            ASSERT_TRUE(fs::exists(one) && fs::exists(three)) << name;
            // oggenc picks a random stream serial number: compare what the files hold.
            if (std::string(format) == "ogg") {
                EXPECT_EQ(test::DecodedSeconds(one), test::DecodedSeconds(three)) << name;
                EXPECT_EQ(ReadSourceTags(one), ReadSourceTags(three));
            } else {
                EXPECT_EQ(ReadText(one), ReadText(three)) << name;
            }
        }
        if (std::string(format) != "wav") {
            EXPECT_EQ(ReadSourceTags((outs[3] / ("a." + std::string(format))).string()).title,
                      "Alpha");
        }
    }
}

TEST_F(ConvertTool, DefaultsComeFromOptionsDat) {
    CDOptions options;
    options.CurFormat = "MP3";
    options.CurOutput = "out put";
    options.ConstBitrate = true;
    options.Bitrate = 320;
    options.MP3v2Tag = false;
    WriteOptions(options);
    const auto result = Convert({Source("tone.wav", 1.0)});
    ASSERT_EQ(result.status, 0) << result.errors;
    const fs::path out = program_.Path() / "out put" / "tone.mp3";
    ASSERT_TRUE(fs::exists(out));
    EXPECT_NE(result.output.find(out.string()), std::string::npos);
    const auto probe = RunProcess({"ffprobe", "-v", "error", "-show_entries", "stream=bit_rate",
                                   "-of", "default=nw=1:nk=1", out.string()});
    EXPECT_EQ(probe.output, "320000\n");
    // ID3v1 only: the title from the file name, at the end of the file.
    const std::string bytes = ReadText(out);
    EXPECT_EQ(bytes.substr(bytes.size() - 128, 3), "TAG");
    EXPECT_EQ(ReadSourceTags(out.string()).title, "tone");
}

TEST_F(ConvertTool, CustomNamesStayInTheOutputFolder) {
    CDOptions options;
    options.CustomFileNaming = true;
    options.FileNaming = "%artist - %title";
    WriteOptions(options);
    const std::string source =
        Source("evil.ogg", 0.5, {{"title", "../../escape"}, {"artist", "AC/DC"}});
    const fs::path out = work_.Path() / "named";
    const auto result = Convert({"--format", "wav", "--output", out.string(), source});
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(fs::exists(out / "AC_DC - .._.._escape.wav"));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
}

TEST_F(ConvertTool, EachSkippedFileGetsOneLineAndStatusOne) {
    const std::string junk = work_ / "junk.mp3";
    std::ofstream(junk) << "not audio";
    const std::string good = Source("good.wav", 0.5);
    const fs::path out = work_.Path() / "o";
    const auto result = Convert({"--format", "wav", "--output", out.string(), "--jobs", "2", junk,
                                 (work_ / "missing.flac"), good});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("skipped: " + (work_ / "missing.flac") + ": no such file"),
              std::string::npos)
        << result.errors;
    EXPECT_NE(result.errors.find("skipped: " + junk + ": no decoder accepts this file"),
              std::string::npos)
        << result.errors;
    EXPECT_NE(result.output.find("converted: " + good), std::string::npos);
    EXPECT_TRUE(fs::exists(out / "good.wav"));
}

TEST_F(ConvertTool, MissingEncoderIsNamed) {
    TempDir empty("tool-path");
    const auto result = Convert({"--format", "mp3", "--output", (work_ / "o"), Source("x.wav")},
                                {"PATH=" + empty.Path().string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("no encoder: lame is neither in the program folder nor on PATH"), std::string::npos)
        << result.errors;
}

TEST_F(ConvertTool, OutputThatCannotBeCreatedEndsTheBatch) {
    std::ofstream(work_ / "file") << "x";
    const auto result = Convert({"--format", "ogg", "--output", (work_ / "file/sub"), "--jobs", "1",
                                 Source("a.wav"), Source("b.wav")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("Cannot create file \"" + (work_ / "file/sub/a.ogg") +
                                 "\". Not a directory"),
              std::string::npos)
        << result.errors;
    EXPECT_NE(result.errors.find("b.wav: not converted, the batch ended after"), std::string::npos)
        << result.errors;
}

TEST_F(ConvertTool, SharedOutputNamesAreWrittenInListOrder) {
    const std::string first = Source("same.wav", 0.5);
    fs::create_directories(work_.Path() / "other");
    const std::string second = work_ / "other/same.flac";
    test::MakeTone(second, 1.25, 44100, 2, {"-c:a", "flac"});
    const fs::path out = work_.Path() / "o";
    const auto result =
        Convert({"--format", "wav", "--output", out.string(), "--jobs", "4", first, second});
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_NEAR(test::DecodedSeconds((out / "same.wav").string()), 0.5, 0.01);
    EXPECT_NEAR(test::DecodedSeconds((out / "same (2).wav").string()), 1.25, 0.01);
}

TEST_F(ConvertTool, BadCommandLines) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--format", "aac", "x.wav"},
                                                 {"--jobs", "0", "x.wav"},
                                                 {"--output"},
                                                 {"--bogus", "x.wav"}}) {
        const auto result = Convert(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.errors.find("usage: wavora-convert"), std::string::npos);
    }
    EXPECT_EQ(Convert({"--help"}).status, 0);
}

} // namespace
} // namespace wavora
