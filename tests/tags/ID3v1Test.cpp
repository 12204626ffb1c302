#include "ID3v1.h"

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace wavora {
namespace {

using test::Bytes;

struct VersionCase {
    std::uint8_t b125, b126;
    std::uint8_t version;
    std::uint8_t track;
    const char* comment; // as read from a comment field "ABCDEFGHIJKLMNOPQRSTUVWXYZab" + b125 b126
};

class ID3v1Version : public testing::TestWithParam<VersionCase> {};

TEST_P(ID3v1Version, DecidesVersionTrackAndCommentLength) {
    const VersionCase& c = GetParam();
    test::TempDir dir;
    Bytes block = test::ID3v1Block("T", c.b125, c.b126, 147);
    const std::string_view comment = "ABCDEFGHIJKLMNOPQRSTUVWXYZab";
    std::copy(comment.begin(), comment.end(), block.begin() + 97);
    Bytes file = test::Repeat(0xAA, 50);
    test::Append(file, block);
    test::WriteFileBytes(dir.Path("a.mp3"), file);

    TID3v1 tag;
    ASSERT_TRUE(tag.ReadFile(dir.Path("a.mp3")));
    EXPECT_TRUE(tag.Present());
    EXPECT_EQ(tag.TagVersion(), c.version);
    EXPECT_EQ(tag.Track(), c.track);
    EXPECT_EQ(tag.Comment(), c.comment);
    EXPECT_EQ(tag.Genre(), "Synthpop");

    TMP3TagInfo info;
    TID3v1 mem;
    ASSERT_TRUE(mem.ReadTagBuffer(block.data(), info));
    EXPECT_EQ(info.Track, c.track);
    EXPECT_EQ(info.Comment, c.comment);
    EXPECT_EQ(info.Genre, "Synthpop");
    EXPECT_EQ(mem.TagVersion(), c.version);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ID3v1Version,
    testing::Values(VersionCase{0, 7, 2, 7, "ABCDEFGHIJKLMNOPQRSTUVWXYZab"},
                    VersionCase{' ', 'x', 2, 'x', "ABCDEFGHIJKLMNOPQRSTUVWXYZab"},
                    VersionCase{0, 0, 1, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZab"},
                    VersionCase{' ', ' ', 1, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZab"},
                    VersionCase{'c', 'd', 1, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd"}));

TEST(ID3v1, FieldsLoseTheirPaddingAndConvertFromLatin1) {
    test::TempDir dir;
    Bytes block = test::ID3v1Block("", 0, 0, 255);
    const std::string title = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xE9\xE8\xE0\xFF"; // 30 Latin-1 bytes
    std::copy(title.begin(), title.end(), block.begin() + 3);
    const std::string artist = "Art  \x01"; // trailing spaces and a control byte
    std::copy(artist.begin(), artist.end(), block.begin() + 33);
    block[63] = 'A';
    block[64] = 0;
    block[65] = 'B'; // an embedded zero byte is part of the field
    test::WriteFileBytes(dir.Path("a.mp3"), block);

    TID3v1 tag;
    ASSERT_TRUE(tag.ReadFile(dir.Path("a.mp3")));
    EXPECT_EQ(tag.Title(), "ABCDEFGHIJKLMNOPQRSTUVWXYZéèàÿ");
    EXPECT_EQ(tag.Artist(), "Art");
    EXPECT_EQ(tag.Album(), std::string("A\0B", 3));
    EXPECT_EQ(tag.GenreIndex(), 255);
    EXPECT_EQ(tag.Genre(), "");
}

TEST(ID3v1, SettersTrimAndCutToTheFieldSize) {
    TID3v1 tag;
    tag.SetTitle("1234567890123456789012345678901234  ");
    tag.SetYear("20041");
    tag.SetArtist("äöüäöüäöüäöüäöüäöüäöüäöüäöüäöüXYZ");
    tag.SetComment("c \t\n");
    EXPECT_EQ(tag.Title(), "123456789012345678901234567890");
    EXPECT_EQ(tag.Year(), "2004");
    EXPECT_EQ(tag.Artist(), "äöüäöüäöüäöüäöüäöüäöüäöüäöüäöü");
    EXPECT_EQ(tag.Comment(), "c");
    tag.SetGenreIndex(148);
    EXPECT_EQ(tag.Genre(), "");
    tag.SetGenreIndex(0);
    EXPECT_EQ(tag.Genre(), "Blues");
}

TEST(ID3v1, WriteAppendsReplacesAndRoundTripsNonAscii) {
    test::TempDir dir;
    const std::string path = dir.Path("a.mp3");
    const Bytes audio = test::MpegFrames(3);
    test::WriteFileBytes(path, audio);

    TID3v1 tag;
    tag.SetTitle("Déjà vu ☃");
    tag.SetArtist("Ärtist");
    tag.SetYear("1999");
    tag.SetComment("123456789012345678901234567890");
    tag.SetTrack(5);
    tag.SetGenreIndex(17);
    ASSERT_TRUE(tag.WriteTag(path));
    Bytes file = test::ReadAll(path);
    ASSERT_EQ(file.size(), audio.size() + 128);
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), file.begin()));
    EXPECT_EQ(file[audio.size() + 125], 0);
    EXPECT_EQ(file[audio.size() + 126], 5);
    EXPECT_EQ(file[audio.size() + 3 + 3], 0xE0); // 'à' as one Latin-1 byte

    TID3v1 back;
    ASSERT_TRUE(back.ReadFile(path));
    EXPECT_EQ(back.Title(), "Déjà vu ?");
    EXPECT_EQ(back.Artist(), "Ärtist");
    EXPECT_EQ(back.Comment(), "1234567890123456789012345678");
    EXPECT_EQ(back.Track(), 5);
    EXPECT_EQ(back.Genre(), "Rock");

    // A second write replaces the tag: still exactly one, size unchanged.
    back.SetTrack(0);
    back.SetComment("123456789012345678901234567890");
    ASSERT_TRUE(back.WriteTag(path));
    file = test::ReadAll(path);
    ASSERT_EQ(file.size(), audio.size() + 128);
    TID3v1 again;
    ASSERT_TRUE(again.ReadFile(path));
    EXPECT_EQ(again.TagVersion(), 1);
    EXPECT_EQ(again.Comment(), "123456789012345678901234567890");
}

TEST(ID3v1, ShortAndTagOnlyFiles) {
    test::TempDir dir;
    const std::string tiny = dir.Path("tiny.mp3");
    test::WriteFileBytes(tiny, test::Repeat('x', 127));
    TID3v1 tag;
    EXPECT_FALSE(tag.ReadFile(tiny));
    EXPECT_FALSE(tag.WriteTag(tiny));
    EXPECT_FALSE(tag.RemoveTag(tiny));
    EXPECT_EQ(test::ReadAll(tiny).size(), 127U);
    EXPECT_FALSE(tag.ReadFile(dir.Path("missing.mp3")));

    const std::string only = dir.Path("only.mp3");
    test::WriteFileBytes(only, test::ID3v1Block("Only", 0, 0, 1));
    ASSERT_TRUE(tag.ReadFile(only));
    EXPECT_EQ(tag.Title(), "Only");
    ASSERT_TRUE(tag.RemoveTag(only));
    EXPECT_TRUE(test::ReadAll(only).empty());

    const std::string none = dir.Path("none.mp3");
    test::WriteFileBytes(none, test::MpegFrames(1));
    ASSERT_TRUE(tag.ReadFile(none));
    EXPECT_FALSE(tag.Present());
    EXPECT_TRUE(tag.Title().empty());
    EXPECT_TRUE(tag.RemoveTag(none));
    EXPECT_EQ(test::ReadAll(none), test::MpegFrames(1));
}

TEST(ID3v1, WriteClearsReadOnly) {
    test::TempDir dir;
    const std::string path = dir.Path("ro.mp3");
    test::WriteFileBytes(path, test::MpegFrames(1));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    TID3v1 tag;
    tag.SetTitle("x");
    ASSERT_TRUE(tag.WriteTag(path));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0U);
    EXPECT_EQ(test::ReadAll(path).size(), 417U + 128U);
}

TEST(ID3v1, GenreTableEnds) {
    EXPECT_EQ(GenreNames.size(), 148U);
    EXPECT_EQ(GenreNames[0], "Blues");
    EXPECT_EQ(GenreNames[79], "Hard Rock");
    EXPECT_EQ(GenreNames[80], "Folk");
    EXPECT_EQ(GenreNames[147], "Synthpop");
}

} // namespace
} // namespace wavora
