#include "Naming.h"

#include "JobRow.h"
#include "OutputFormat.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace wavora {
namespace {

struct NamingCase {
    const char* label;
    std::string path;
    std::string format;
    bool custom;
    std::string pattern;
    TrackTags tags;
    std::string expected;
};

class OutputNameTest : public ::testing::TestWithParam<NamingCase> {};

TEST_P(OutputNameTest, BuildsTheName) {
    const NamingCase& c = GetParam();
    int reads = 0;
    const TagReader reader = [&](const std::string& path) {
        ++reads;
        EXPECT_EQ(path, c.path);
        return c.tags;
    };
    const TrackTags old{"old", "old", "old", "old", "old"};
    TrackTags held = old;
    const SplitPath split = SplitSourcePath(c.path);
    EXPECT_EQ(OutputName(c.path, split.file, c.format, {c.custom, c.pattern}, reader, held),
              c.expected);
    // Tags are read only for custom naming, and then replace all five held values.
    EXPECT_EQ(reads, c.custom ? 1 : 0);
    EXPECT_EQ(held, c.custom ? c.tags : old);
}

const std::string Default = "%artist - %album - %title";

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputNameTest,
    ::testing::Values(
        NamingCase{"plain", "/Music/song.mp3", "ogg", false, Default, {}, "song.ogg"},
        NamingCase{"no_extension", "/Music/README", "ogg", false, Default, {}, "README.ogg"},
        NamingCase{"several_dots", "/Music/a.b.mp3", "ogg", false, Default, {}, "a.b.ogg"},
        NamingCase{"hidden_name", "/Music/.mp3", "wav", false, Default, {}, ".wav"},
        NamingCase{"odd_characters",
                   "/M/-x 'q' \"..\".mp3",
                   "wma",
                   false,
                   Default,
                   {},
                   "-x 'q' \"..\".wma"},
        NamingCase{"custom_default",
                   "/Music/x.mp3",
                   "ogg",
                   true,
                   Default,
                   {"Sky", "Ann", "Blue", "", ""},
                   "Ann - Blue - Sky.ogg"},
        NamingCase{"custom_empty_tags", "/Music/x.mp3", "ogg", true, Default, {}, " -  - .ogg"},
        NamingCase{"custom_case_and_unknown",
                   "/M/x.ogg",
                   "mp3",
                   true,
                   "%ARTIST_%Title %genre %year",
                   {"Y", "X", "", "1999", "Rock"},
                   "X_Y %genre 1999.mp3"},
        NamingCase{"custom_utf8_and_slash",
                   "/M/x.ogg",
                   "ogg",
                   true,
                   "%artist/%title",
                   {"Jóga", "Björk", "", "", ""},
                   "Björk/Jóga.ogg"},
        // Each name is replaced in its own pass, in the order artist, album, year, title.
        NamingCase{"value_holding_later_placeholder",
                   "/M/x.ogg",
                   "ogg",
                   true,
                   "%artist",
                   {"T", "%title", "", "", ""},
                   "T.ogg"}),
    [](const auto& param) { return std::string(param.param.label); });

TEST(ReplacePlaceholderTest, ScansOnAfterTheInsertedValue) {
    struct Case {
        std::string text, name, value, expected;
    };
    for (const Case& c : {
             Case{"%a%A", "a", "%a", "%a%a"},
             Case{"%artistry", "artist", "X", "Xry"},
             Case{"100%", "artist", "X", "100%"},
             Case{"%%artist%", "artist", "", "%%"},
             Case{"%ART", "artist", "X", "%ART"},
             Case{"", "artist", "X", ""},
         }) {
        std::string text = c.text;
        ReplacePlaceholder(text, c.name, c.value);
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST(PathHelpersTest, AddBackslashStripExtensionAndSplit) {
    EXPECT_EQ(AddBackslash("/a"), "/a/");
    EXPECT_EQ(AddBackslash("/a/"), "/a/");
    EXPECT_EQ(AddBackslash(""), std::filesystem::current_path().string() + "/");
    EXPECT_EQ(StripExtension("a.b.mp3"), "a.b");
    EXPECT_EQ(StripExtension("README"), "README");
    EXPECT_EQ(StripExtension("x."), "x");

    const SplitPath split = SplitSourcePath("/D/Music/song.mp3");
    EXPECT_EQ(split.folder, "/D/Music/");
    EXPECT_EQ(split.file, "song.mp3");
    JobRow row;
    row.inputFolder = "/D/Music";
    row.inputFile = "song.mp3";
    EXPECT_EQ(SourcePath(row), "/D/Music/song.mp3");
    EXPECT_EQ(FileNameTags("/D/Music/a.b.mp3"), (TrackTags{"a.b", "", "", "", ""}));
}

TEST(OutputFormatTest, LooksUpWithoutRegardToCase) {
    EXPECT_EQ(OutputFormatFromText("wma"), OutputFormat::Wma);
    EXPECT_EQ(OutputFormatFromText("Ogg"), OutputFormat::Ogg);
    EXPECT_EQ(OutputFormatFromText("MP3"), OutputFormat::Mp3);
    EXPECT_EQ(OutputFormatFromText("flac"), std::nullopt);
    EXPECT_EQ(OutputFormatFromText("wav "), std::nullopt);
    EXPECT_EQ(OutputFormatText(OutputFormat::Wav), "wav");
}

} // namespace
} // namespace wavora
