#include "ID3v2.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace wavora {
namespace {

using test::Bytes;
using test::RawFrame;

Bytes Utf16Le(std::u16string_view text, bool bom = true) {
    Bytes b{1};
    if (bom) {
        b.push_back(0xFF);
        b.push_back(0xFE);
    }
    for (const char16_t c : text) {
        test::AppendLE16(b, c);
    }
    return b;
}

Bytes Utf16Be(std::u16string_view text, std::uint8_t encoding, bool bom) {
    Bytes b{encoding};
    if (bom) {
        b.push_back(0xFE);
        b.push_back(0xFF);
    }
    for (const char16_t c : text) {
        b.push_back(static_cast<std::uint8_t>(c >> 8));
        b.push_back(static_cast<std::uint8_t>(c));
    }
    return b;
}

Bytes WithEncoding(std::uint8_t encoding, std::string_view bytes) {
    Bytes b{encoding};
    test::Append(b, bytes);
    return b;
}

std::string WriteTagged(const test::TempDir& dir, const Bytes& tag, const Bytes& audio) {
    Bytes file = tag;
    test::Append(file, audio);
    const std::string path = dir.Path("t.mp3");
    test::WriteFileBytes(path, file);
    return path;
}

TID3v2 ReadTag(const Bytes& tag) {
    test::TempDir dir;
    TID3v2 id3;
    EXPECT_TRUE(id3.ReadFile(WriteTagged(dir, tag, test::MpegFrames(2))));
    return id3;
}

struct VersionIds {
    std::uint8_t version;
    std::vector<std::string> ids; // title, artist, album, track, year, genre, comment, url
};

class ID3v2Versions : public testing::TestWithParam<VersionIds> {};

TEST_P(ID3v2Versions, FramesFillTheSameProperties) {
    const VersionIds& v = GetParam();
    const bool ss = v.version == 4;
    const std::vector<RawFrame> frames = {
        {v.ids[0], test::Latin1Frame("  Title  "), 0, ss},
        {v.ids[1], test::Latin1Frame(std::string_view("Artist\0", 7)), 0, ss},
        {v.ids[2], test::Latin1Frame("Album"), 0, ss},
        {v.ids[3], test::Latin1Frame("3/12"), 0, ss},
        {v.ids[4], test::Latin1Frame("2004"), 0, ss},
        {v.ids[5], test::Latin1Frame("(17)Rock"), 0, ss},
        {v.ids[6], WithEncoding(0, std::string_view("engdesc\0A comment", 17)), 0, ss},
        {v.ids[7], WithEncoding(0, std::string_view("home\0http://x.org/a", 19)), 0, ss},
    };
    const TID3v2 tag = ReadTag(test::ID3v2Tag(v.version, frames, 600));
    EXPECT_TRUE(tag.Present());
    EXPECT_EQ(tag.TagVersion(), v.version);
    EXPECT_EQ(tag.TagSize(), 600);
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Album(), "Album");
    EXPECT_EQ(tag.Track(), 3);
    EXPECT_EQ(tag.TrackText(), "3/12");
    EXPECT_EQ(tag.Year(), "2004");
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(tag.Comment(), "A comment");
    EXPECT_EQ(tag.Url(), "http://x.org/a");
}

INSTANTIATE_TEST_SUITE_P(
    AllVersions, ID3v2Versions,
    testing::Values(VersionIds{2, {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "WXX"}},
                    VersionIds{3, {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "WXXX"}},
                    VersionIds{4,
                               {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "WXXX"}}));

struct TextCase {
    const char* name;
    std::uint8_t version;
    Bytes content;
    const char* expected;
};

class ID3v2Text : public testing::TestWithParam<TextCase> {};

TEST_P(ID3v2Text, TitleDecodes) {
    const TextCase& c = GetParam();
    const TID3v2 tag =
        ReadTag(test::ID3v2Tag(c.version, {{"TIT2", c.content, 0, c.version == 4}}, 256));
    EXPECT_EQ(tag.Title(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ID3v2Text,
    testing::Values(TextCase{"Latin1", 3, test::Latin1Frame("Caf\xE9 \xFF"), "Café ÿ"},
                    TextCase{"Utf16LittleEndianBom", 3, Utf16Le(u"Café ÿǿ"), "Café ÿǿ"},
                    TextCase{"Utf16BigEndianBom", 3, Utf16Be(u"Café ÿ", 1, true), "Café ÿ"},
                    TextCase{"Utf16NoBomIsLittleEndian", 3, Utf16Le(u"Abc", false), "Abc"},
                    TextCase{"Utf16Surrogates", 3, Utf16Le(u"A\U0001F600"), "A😀"},
                    TextCase{"Utf16StopsAtTerminator", 3, Utf16Le(u"Ab\0Cd"), "Ab"},
                    TextCase{"Utf16BigEndianV24", 4, Utf16Be(u"Grüße", 2, false), "Grüße"},
                    TextCase{"Utf8V24", 4, WithEncoding(3, "Grüße 😀"), "Grüße 😀"},
                    TextCase{"Utf8InV23Ignored", 3, WithEncoding(3, "Grüße"), ""},
                    TextCase{"UnknownEncodingIgnored", 4, WithEncoding(7, "x"), ""}),
    [](const auto& p) { return std::string(p.param.name); });

struct RuleCase {
    const char* name;
    std::vector<RawFrame> frames;
    const char* title;
    const char* year;
    const char* genre;
    std::uint16_t track;
};

class ID3v2Rules : public testing::TestWithParam<RuleCase> {};

TEST_P(ID3v2Rules, Apply) {
    const RuleCase& c = GetParam();
    const TID3v2 tag = ReadTag(test::ID3v2Tag(3, c.frames, 512));
    EXPECT_EQ(tag.Title(), c.title);
    EXPECT_EQ(tag.Year(), c.year);
    EXPECT_EQ(tag.Genre(), c.genre);
    EXPECT_EQ(tag.Track(), c.track);
}

INSTANTIATE_TEST_SUITE_P(
    Fallbacks, ID3v2Rules,
    testing::Values(
        RuleCase{"YearFromTdrc", {{"TDRC", test::Latin1Frame("2004-05-01")}}, "", "2004", "", 0},
        RuleCase{"TitleFromTit1",
                 {{"TIT1", test::Latin1Frame("Group")}, {"TIT2", test::Latin1Frame(" ")}},
                 "Group",
                 "",
                 "",
                 0},
        RuleCase{"GenreReferenceOnly", {{"TCON", test::Latin1Frame("(17)")}}, "", "", "", 0},
        RuleCase{"GenrePlain", {{"TCON", test::Latin1Frame("Rock")}}, "", "", "Rock", 0},
        RuleCase{"GenreWithParenthesisInName",
                 {{"TCON", test::Latin1Frame("Rock (Hard)")}},
                 "",
                 "",
                 "Rock (Hard)",
                 0},
        RuleCase{"TrackNotANumber", {{"TRCK", test::Latin1Frame("x")}}, "", "", "", 0},
        RuleCase{"LaterFrameWins",
                 {{"TIT2", test::Latin1Frame("One")}, {"TIT2", test::Latin1Frame("Two")}},
                 "Two",
                 "",
                 "",
                 0},
        RuleCase{"CompressedFrameSkipped",
                 {{"TIT2", test::Latin1Frame("Packed"), 0x80}},
                 "",
                 "",
                 "",
                 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ID3v2, Version24SyncsafeSizesKeepFramesAfterAPicture) {
    Bytes picture{0};
    test::Append(picture, std::string_view("image/png\0\x03\0", 13));
    test::Append(picture, test::Repeat(0x89, 5000));
    const Bytes tag = test::ID3v2Tag(
        4, {{"APIC", picture, 0, true}, {"TIT2", test::Latin1Frame("After"), 0, true}}, 6000);
    EXPECT_EQ(ReadTag(tag).Title(), "After");
}

TEST(ID3v2, Version24WithPlainSizesStillReads) {
    Bytes big = test::Latin1Frame(std::string(300, 'c'));
    const Bytes tag = test::ID3v2Tag(
        4, {{"TCOM", big, 0, false}, {"TIT2", test::Latin1Frame("Plain"), 0, false}}, 1024);
    const TID3v2 read = ReadTag(tag);
    EXPECT_EQ(read.Title(), "Plain");
    EXPECT_EQ(read.Composer(), std::string(300, 'c'));
}

TEST(ID3v2, FrameContentIsReadUpTo500Bytes) {
    const TID3v2 tag = ReadTag(test::ID3v2Tag(
        3, {{"TPE1", test::Latin1Frame(std::string(900, 'a'))}, {"TALB", test::Latin1Frame("B")}}));
    EXPECT_EQ(tag.Artist(), std::string(499, 'a'));
    EXPECT_EQ(tag.Album(), "B");
}

TEST(ID3v2, PaddingAndFooter) {
    const TID3v2 padded = ReadTag(test::ID3v2Tag(3, {}, 1000));
    EXPECT_TRUE(padded.Present());
    EXPECT_EQ(padded.TagSize(), 1000);
    EXPECT_TRUE(padded.Title().empty());

    const TID3v2 footer =
        ReadTag(test::ID3v2Tag(4, {{"TIT2", test::Latin1Frame("F"), 0, true}}, 100, 0x10));
    EXPECT_EQ(footer.TagSize(), 110);
    EXPECT_EQ(footer.Title(), "F");
}

TEST(ID3v2, SizeBeyondTheFileMeansNoFrames) {
    Bytes tag = test::ID3v2Tag(3, {{"TIT2", test::Latin1Frame("x")}}, 64);
    tag[6] = 0x7F;
    const TID3v2 read = ReadTag(tag);
    EXPECT_TRUE(read.Present());
    EXPECT_EQ(read.TagSize(), 0);
    EXPECT_TRUE(read.Title().empty());
}

TEST(ID3v2, TagBufferFallsBackToOriginalArtistAndStaysInsideTheBlock) {
    const Bytes tag = test::ID3v2Tag(3, {{"TOPE", test::Latin1Frame("Orig")},
                                         {"TIT2", test::Latin1Frame("Title")},
                                         {"TALB", test::Latin1Frame(std::string(200, 'z'))}});
    TID3v2 id3;
    TMP3TagInfo info;
    ASSERT_TRUE(id3.ReadTagBuffer(tag.data(), static_cast<std::int32_t>(tag.size()), info));
    EXPECT_EQ(info.Artist, "Orig");
    EXPECT_EQ(info.Title, "Title");
    EXPECT_EQ(info.Album, std::string(200, 'z'));
    EXPECT_FALSE(id3.Present());

    // The same block cut inside the album frame: each prefix lies in its own exact-size
    // allocation, so a read past it is caught by the sanitizers.
    for (std::size_t cut = 10; cut < tag.size(); cut += 7) {
        auto block = std::make_unique<std::uint8_t[]>(cut);
        std::copy(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(cut), block.get());
        TMP3TagInfo part;
        EXPECT_TRUE(id3.ReadTagBuffer(block.get(), static_cast<std::int32_t>(cut), part));
        EXPECT_TRUE(part.Album.empty()) << cut; // the declared size exceeds the block
    }
    const Bytes notId3 = test::Repeat(0, 20);
    EXPECT_FALSE(id3.ReadTagBuffer(notId3.data(), 20, info));
}

// ---- writing ----

struct WriteCase {
    const char* name;
    std::size_t oldTagSize; // 0: no tag
    std::size_t textLength;
    std::int64_t expectedTagSize;
};

class ID3v2Write : public testing::TestWithParam<WriteCase> {};

TEST_P(ID3v2Write, ReplacesTheTagAndKeepsTheAudio) {
    const WriteCase& c = GetParam();
    test::TempDir dir;
    const Bytes audio = test::MpegFrames(5);
    Bytes old;
    if (c.oldTagSize > 0) {
        old = test::ID3v2Tag(3,
                             {{"TIT2", test::Latin1Frame("Old")},
                              {"TLAN", test::Latin1Frame("deu")},
                              {"APIC", test::Repeat(1, 40)}},
                             c.oldTagSize);
    }
    const std::string path = WriteTagged(dir, old, audio);

    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFile(path));
    tag.SetTitle(std::string(c.textLength, 't'));
    tag.SetArtist("Ärtist");
    tag.SetComment("Nice");
    ASSERT_TRUE(tag.WriteTag(path));

    const Bytes file = test::ReadAll(path);
    ASSERT_EQ(static_cast<std::int64_t>(file.size()),
              c.expectedTagSize + static_cast<std::int64_t>(audio.size()));
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(),
                           file.end() - static_cast<std::ptrdiff_t>(audio.size())));
    EXPECT_FALSE(test::Exists(path + "~"));

    TID3v2 back;
    ASSERT_TRUE(back.ReadFile(path));
    EXPECT_EQ(back.TagVersion(), 3);
    EXPECT_EQ(back.TagSize(), c.expectedTagSize);
    // Frame content is read up to 500 bytes, the encoding byte included.
    EXPECT_EQ(back.Title(), std::string(std::min<std::size_t>(c.textLength, 499), 't'));
    EXPECT_EQ(back.Artist(), "Ärtist");
    EXPECT_EQ(back.Comment(), "Nice");
    EXPECT_EQ(back.Language(), c.oldTagSize > 0 ? "deu" : "");
}

// Frames: title (len + 11), artist "Ärtist" (17), comment "eng\0Nice" (19), language (14).
INSTANTIATE_TEST_SUITE_P(Sizes, ID3v2Write,
                         testing::Values(WriteCase{"NoTagGetsAPadded4096Tag", 0, 10, 4096},
                                         WriteCase{"RoomyTagIsOverwrittenInPlace", 2048, 200, 2048},
                                         WriteCase{"LargeTagShrinksTo4096", 8000, 10, 4096},
                                         WriteCase{"TooSmallTagIsRebuilt", 200, 300, 4096},
                                         WriteCase{"HugeContentHasNoPadding", 0, 5000,
                                                   10 + 5011 + 17 + 19}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ID3v2, NonLatin1TextIsWrittenAsUtf16WithBom) {
    test::TempDir dir;
    const std::string path = WriteTagged(dir, {}, test::MpegFrames(2));
    TID3v2 tag;
    tag.SetTitle("Tïtle ☃ 😀");
    tag.SetAlbum("Plain");
    tag.SetComment("Grüße ☃");
    tag.SetTrack(7);
    tag.SetUrl("http://example.org/");
    ASSERT_TRUE(tag.WriteTag(path));
    const Bytes file = test::ReadAll(path);
    // TIT2: encoding 1, BOM, 10 UTF-16 units -> 23 bytes of content.
    const Bytes expectedHeader{'T', 'I', 'T', '2', 0, 0, 0, 23, 0, 0, 1, 0xFF, 0xFE};
    EXPECT_TRUE(std::equal(expectedHeader.begin(), expectedHeader.end(), file.begin() + 10));
    // TALB stays ISO-8859-1.
    const Bytes album{'T', 'A', 'L', 'B', 0, 0, 0, 6, 0, 0, 0, 'P'};
    EXPECT_TRUE(std::equal(album.begin(), album.end(), file.begin() + 10 + 33));

    TID3v2 back;
    ASSERT_TRUE(back.ReadFile(path));
    EXPECT_EQ(back.Title(), "Tïtle ☃ 😀");
    EXPECT_EQ(back.Album(), "Plain");
    EXPECT_EQ(back.Comment(), "Grüße ☃");
    EXPECT_EQ(back.Track(), 7);
    EXPECT_EQ(back.Url(), "http://example.org/");
}

TEST(ID3v2, FooterTagIsOverwrittenWhole) {
    test::TempDir dir;
    const Bytes audio = test::MpegFrames(2);
    const std::string path = WriteTagged(
        dir, test::ID3v2Tag(4, {{"TIT2", test::Latin1Frame("F"), 0, true}}, 300, 0x10), audio);
    TID3v2 tag;
    tag.SetTitle("New");
    ASSERT_TRUE(tag.WriteTag(path));
    EXPECT_EQ(test::ReadAll(path).size(), 310 + audio.size());
    TID3v2 back;
    ASSERT_TRUE(back.ReadFile(path));
    EXPECT_EQ(back.TagSize(), 310);
    EXPECT_EQ(back.Title(), "New");
}

TEST(ID3v2, RemoveTag) {
    test::TempDir dir;
    const Bytes audio = test::MpegFrames(3);
    const std::string path =
        WriteTagged(dir, test::ID3v2Tag(3, {{"TIT2", test::Latin1Frame("x")}}, 777), audio);
    TID3v2 tag;
    ASSERT_TRUE(tag.RemoveTag(path));
    EXPECT_EQ(test::ReadAll(path), audio);
    EXPECT_FALSE(tag.RemoveTag(path));
    EXPECT_EQ(test::ReadAll(path), audio);
    EXPECT_FALSE(tag.RemoveTag(dir.Path("missing.mp3")));
    EXPECT_FALSE(tag.WriteTag(dir.Path("missing.mp3")));
    EXPECT_FALSE(test::Exists(dir.Path("missing.mp3")));
}

TEST(ID3v2, FailedRebuildLeavesTheFileAndNoTemporary) {
    test::TempDir dir;
    const Bytes audio = test::MpegFrames(3);
    const std::string path = WriteTagged(dir, {}, audio);
    // A folder in the way of the "~" file makes the rewrite fail before anything is renamed.
    std::filesystem::create_directory(path + "~");
    TID3v2 tag;
    tag.SetTitle("x");
    EXPECT_FALSE(tag.WriteTag(path));
    EXPECT_EQ(test::ReadAll(path), audio);
    EXPECT_TRUE(std::filesystem::is_directory(path + "~"));
}

TEST(ID3v2, RewriteFollowsSymbolicLinksAndKeepsPermissions) {
    test::TempDir dir;
    const std::string path = WriteTagged(dir, {}, test::MpegFrames(2));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    const std::string link = dir.Path("link.mp3");
    std::filesystem::create_symlink(path, link);
    TID3v2 tag;
    tag.SetTitle("Linked");
    ASSERT_TRUE(tag.WriteTag(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    TID3v2 back;
    ASSERT_TRUE(back.ReadFile(path));
    EXPECT_EQ(back.Title(), "Linked");
}

} // namespace
} // namespace wavora
