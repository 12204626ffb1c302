#include "CDOptions.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace wavora {
namespace {

namespace fs = std::filesystem;

std::string defaultsText(const std::string& folder) {
    return "object CDOptions\r\n"
           "  CurOutput = '" +
           folder +
           "output'\r\n"
           "  CurFormat = 'OGG'\r\n"
           "  CustomFileNaming = False\r\n"
           "  FileNaming = '%artist - %album - %title'\r\n"
           "  MP3v2Tag = True\r\n"
           "  ConstBitrate = False\r\n"
           "  Bitrate = 128\r\n"
           "  Quality = 50\r\n"
           "  Mono = False\r\n"
           "  AlphaBlendValue = 200\r\n"
           "  MenuAlphaBlend = False\r\n"
           "  MessageAlphaBlend = False\r\n"
           "  ControlAlphaBlend = False\r\n"
           "  SkinEffects = False\r\n"
           "  HintAlphaBlend = False\r\n"
           "  AlphaBlendAnimation = False\r\n"
           "end\r\n";
}

TEST(OptionsWriterTest, DefaultsGiveTheDocumentedFile) {
    CDOptions options;
    options.CurOutput = "/opt/wavora/output";
    EXPECT_EQ(WriteOptionsText(options), defaultsText("/opt/wavora/"));
}

// The CurOutput line(s) of the written text, for a given value.
std::string writtenValue(const std::string& value) {
    CDOptions options;
    options.CurOutput = value;
    const std::string text = WriteOptionsText(options);
    const std::string key = "  CurOutput = ";
    const auto start = text.find(key) + key.size();
    const auto end = text.find("\r\n  CurFormat");
    return text.substr(start, end - start);
}

struct StringForm {
    const char* label;
    std::string value;
    std::string written;
};

class StringFormTest : public ::testing::TestWithParam<StringForm> {};

TEST_P(StringFormTest, WritesAndReadsBack) {
    const StringForm& c = GetParam();
    EXPECT_EQ(writtenValue(c.value), c.written);
    CDOptions options;
    options.CurOutput = c.value;
    CDOptions read;
    ASSERT_EQ(ReadOptionsText(WriteOptionsText(options), read), std::nullopt);
    EXPECT_EQ(read.CurOutput, c.value);
}

const std::string A64(64, 'a');
const std::string B6(6, 'b');

INSTANTIATE_TEST_SUITE_P(
    Cases, StringFormTest,
    ::testing::Values(
        StringForm{"apostrophe", "it's", "'it'#39's'"},
        StringForm{"only_apostrophes", "''", "#39#39"},
        StringForm{"controls", "\ta\r\nb\x1f", "#9'a'#13#10'b'#31"},
        StringForm{"utf8_kept", "/m/Björk ♪", "'/m/Björk ♪'"},
        StringForm{"exactly_64", A64, "'" + A64 + "'"},
        StringForm{"seventy", A64 + B6, "\r\n    '" + A64 + "' +\r\n    '" + B6 + "'"},
        StringForm{"sixty_five", A64 + "b", "\r\n    '" + A64 + "' +\r\n    'b'"},
        StringForm{"code_counts_as_one", std::string(63, 'a') + "\tbc",
                   "\r\n    '" + std::string(63, 'a') + "'#9 +\r\n    'bc'"},
        StringForm{"code_at_end_of_line", std::string(63, 'a') + "\t",
                   "'" + std::string(63, 'a') + "'#9"},
        StringForm{"run_after_code", "'" + std::string(70, 'c'),
                   "\r\n    #39'" + std::string(63, 'c') + "' +\r\n    'ccccccc'"},
        // A two-byte character at bytes 64-65 moves whole to the next line.
        StringForm{"utf8_never_split", std::string(63, 'a') + "é" + "z",
                   "\r\n    '" + std::string(63, 'a') + "' +\r\n    'éz'"},
        StringForm{"four_byte_char_at_the_cut", std::string(62, 'a') + "\xF0\x9F\x8E\xB5" + "z",
                   "\r\n    '" + std::string(62, 'a') + "' +\r\n    '\xF0\x9F\x8E\xB5z'"},
        StringForm{"three_lines", std::string(130, 'x'),
                   "\r\n    '" + std::string(64, 'x') + "' +\r\n    '" + std::string(64, 'x') +
                       "' +\r\n    'xx'"}),
    [](const auto& param) { return std::string(param.param.label); });

TEST(OptionsWriterTest, EmptyStringsAreLeftOutAndNumbersAreDecimal) {
    CDOptions options;
    options.CurFormat.clear();
    options.FileNaming.clear();
    options.Bitrate = -5;
    options.Quality = 2147483647;
    const std::string text = WriteOptionsText(options);
    EXPECT_EQ(text.find("InitialDir"), std::string::npos);
    EXPECT_EQ(text.find("CurOutput"), std::string::npos);
    EXPECT_EQ(text.find("CurFormat"), std::string::npos);
    EXPECT_EQ(text.find("  FileNaming"), std::string::npos);
    EXPECT_NE(text.find("  Bitrate = -5\r\n"), std::string::npos);
    EXPECT_NE(text.find("  Quality = 2147483647\r\n"), std::string::npos);
}

TEST(OptionsReaderTest, AcceptsTheLooseForm) {
    const std::string text = "\n object inst: CDOptions initialdir\n=\n'/a'#39 + \r\n #$62'c'''\n"
                             "CURFORMAT='wma' Bitrate = -0012\tmp3v2tag = false\n"
                             "Mono=TRUE FileNaming = '' + #37'x' Quality=$1F\nEND trailing";
    CDOptions options;
    ASSERT_EQ(ReadOptionsText(text, options), std::nullopt);
    EXPECT_EQ(options.InitialDir, "/a'bc'");
    EXPECT_EQ(options.CurFormat, "wma");
    EXPECT_EQ(options.Bitrate, -12);
    EXPECT_FALSE(options.MP3v2Tag);
    EXPECT_TRUE(options.Mono);
    EXPECT_EQ(options.FileNaming, "%x");
    EXPECT_EQ(options.Quality, 31);
    EXPECT_EQ(options.AlphaBlendValue, 200); // absent properties keep their values

    CDOptions unicode;
    ASSERT_EQ(ReadOptionsText("object CDOptions CurOutput = #233#9834 end", unicode), std::nullopt);
    EXPECT_EQ(unicode.CurOutput, "é♪");
}

struct BrokenFile {
    const char* label;
    std::string text;
    std::string message; // a part of the error's text
};

class OptionsReaderErrorTest : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(OptionsReaderErrorTest, ReportsTheErrorAndKeepsWhatWasRead) {
    const BrokenFile& c = GetParam();
    CDOptions options;
    const auto error = ReadOptionsText(c.text, options);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find(c.message), std::string::npos) << *error;
    if (c.text.find("InitialDir = '/kept'") != std::string::npos) {
        EXPECT_EQ(options.InitialDir, "/kept");
    }
}

const std::string Head = "object CDOptions\r\n  InitialDir = '/kept'\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsReaderErrorTest,
    ::testing::Values(
        BrokenFile{"empty", "", "Line 1: The file is empty"},
        BrokenFile{"blank", " \r\n\r\n", "The file is empty"},
        BrokenFile{"unknown_property", Head + "  Volume = 3\r\nend\r\n",
                   "Line 3: Property \"Volume\" does not exist"},
        BrokenFile{"string_for_integer", Head + "  Bitrate = '128'\r\nend\r\n",
                   "Line 3: Invalid value for property \"Bitrate\""},
        BrokenFile{"float_for_integer", Head + "  Quality = 1.5\r\nend\r\n", "\"Quality\""},
        BrokenFile{"integer_overflow", Head + "  Quality = 2147483648\r\nend\r\n", "\"Quality\""},
        BrokenFile{"huge_integer", Head + "  Quality = 99999999999999999999999\r\nend\r\n",
                   "\"Quality\""},
        BrokenFile{"number_for_boolean", Head + "  Mono = 1\r\nend\r\n", "\"Mono\""},
        BrokenFile{"word_for_boolean", Head + "  Mono = Yes\r\nend\r\n", "\"Mono\""},
        BrokenFile{"boolean_for_string", Head + "  CurFormat = True\r\nend\r\n", "\"CurFormat\""},
        BrokenFile{"plus_without_string", Head + "  CurFormat = 'a' + 3\r\nend\r\n",
                   "\"CurFormat\""},
        BrokenFile{"missing_equals", Head + "  Mono False\r\nend\r\n", "\"=\" expected"},
        BrokenFile{"missing_end", Head, "\"end\" expected but the end of the file found"},
        BrokenFile{"unterminated_string", Head + "  CurFormat = 'OGG\r\nend\r\n",
                   "Line 3: Unterminated string"},
        BrokenFile{"bad_character_code", Head + "  CurFormat = #55296\r\nend\r\n",
                   "Invalid character code"},
        BrokenFile{"not_an_object", "inherited CDOptions\r\nend\r\n", "\"object\" expected"},
        BrokenFile{"no_class_name", "object = \r\nend\r\n", "Class name expected"},
        BrokenFile{"binary_junk", std::string("\x00\x01\xff\xfe", 4), "\"object\" expected"}),
    [](const auto& param) { return std::string(param.param.label); });

class OptionsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("wavora-options-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir_;
};

TEST_F(OptionsFileTest, SavesLoadsAndReportsFailures) {
    const std::string path = (dir_ / "options.dat").string();
    CDOptions options;
    EXPECT_EQ(LoadOptionsFile(path, options).state, OptionsLoad::Missing);

    options.CurOutput = "/x/output";
    options.Quality = 7;
    ASSERT_EQ(SaveOptionsFile(path, options), std::nullopt);
    EXPECT_EQ(read(path), WriteOptionsText(options));
    EXPECT_FALSE(fs::exists(path + "~"));
    CDOptions loaded;
    EXPECT_EQ(LoadOptionsFile(path, loaded).state, OptionsLoad::Loaded);
    EXPECT_EQ(loaded, options);

    std::ofstream(path, std::ios::binary | std::ios::trunc) << "object CDOptions Quality = 'x' end";
    const OptionsLoadResult broken = LoadOptionsFile(path, loaded);
    EXPECT_EQ(broken.state, OptionsLoad::Failed);
    EXPECT_NE(broken.error.find(path), std::string::npos);
    EXPECT_NE(broken.error.find("\"Quality\""), std::string::npos);

    const std::string missingFolder = (dir_ / "gone" / "options.dat").string();
    const auto error = SaveOptionsFile(missingFolder, options);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->rfind("Cannot create file \"" + missingFolder + "\". ", 0), 0u) << *error;
    EXPECT_GT(error->size(), missingFolder.size() + 22);
}

TEST_F(OptionsFileTest, FailedReplaceLeavesTheTargetAsItWas) {
    // A folder in the file's place cannot be replaced by the rename.
    const fs::path path = dir_ / "options.dat";
    fs::create_directory(path);
    std::ofstream(path / "inside") << "kept";
    const auto error = SaveOptionsFile(path.string(), CDOptions{});
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(read(path / "inside"), "kept");
    EXPECT_FALSE(fs::exists(path.string() + "~"));
}

} // namespace
} // namespace wavora
