#include "OggVorbis.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace wavora {
namespace {

using test::Bytes;

std::vector<std::string> SplitZero(const std::string& s) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < s.size()) {
        auto end = s.find('\0', start);
        if (end == std::string::npos) {
            end = s.size();
        }
        items.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

TOggVorbis Read(const test::TempDir& dir, const Bytes& file) {
    test::WriteFileBytes(dir.Path("a.ogg"), file);
    TOggVorbis ogg;
    EXPECT_TRUE(ogg.ReadFile(dir.Path("a.ogg")));
    return ogg;
}

TEST(OggVorbis, ReadsPropertiesAndComments) {
    test::TempDir dir;
    const TOggVorbis ogg =
        Read(dir, test::OggStream("Vendor 1.0",
                                  {"title=Grüße 😀", "ARTIST=", "PERFORMER=Perf", "Album=  Padded  ",
                                   "TRACKNUMBER=3/12", "DATE=2004", "GENRE=Jazz",
                                   "DESCRIPTION=Desc", "replaygain_track_gain=-3 dB", "encoder=x",
                                   "TITLE=Second title wins"}));
    EXPECT_TRUE(ogg.Valid());
    EXPECT_EQ(ogg.Channels, 2);
    EXPECT_EQ(ogg.SampleRate, 44100);
    EXPECT_EQ(ogg.NominalBitRate, 128);
    EXPECT_EQ(ogg.Samples, 88200);
    EXPECT_DOUBLE_EQ(ogg.Duration(), 2.0);
    EXPECT_EQ(ogg.SerialNumber, 0x1234);
    EXPECT_EQ(ogg.Vendor, "Vendor 1.0");
    EXPECT_EQ(ogg.Title, "Second title wins");
    EXPECT_EQ(ogg.Artist, "Perf");
    EXPECT_EQ(ogg.Album, "Padded");
    EXPECT_EQ(ogg.Track, 3);
    EXPECT_EQ(ogg.Date, "2004");
    EXPECT_EQ(ogg.Genre, "Jazz");
    EXPECT_EQ(ogg.Comment, "Desc");
    EXPECT_EQ(SplitZero(ogg.ExtraFields),
              (std::vector<std::string>{"REPLAYGAIN_TRACK_GAIN=-3 dB", "ENCODER=x"}));
}

struct TrackCase {
    const char* text;
    std::uint16_t track;
};

class OggTrack : public testing::TestWithParam<TrackCase> {};

TEST_P(OggTrack, LowEightBitsOfTheNumber) {
    test::TempDir dir;
    const TOggVorbis ogg =
        Read(dir, test::OggStream("v", {std::string("TRACKNUMBER=") + GetParam().text}));
    EXPECT_EQ(ogg.Track, GetParam().track);
}

INSTANTIATE_TEST_SUITE_P(Table, OggTrack,
                         testing::Values(TrackCase{"3/12", 3}, TrackCase{"300", 44},
                                         TrackCase{"x", 0}, TrackCase{"", 0},
                                         TrackCase{"255", 255}));

TEST(OggVorbis, LongEntriesAreCutAndBrokenUtf8Ends) {
    test::TempDir dir;
    const TOggVorbis ogg = Read(dir, test::OggStream("v", {"TITLE=" + std::string(400, 'a'),
                                                           "ALBUM=ab\xC3(cd", "GENRE=ok\xF0\x9F"}));
    EXPECT_EQ(ogg.Title, std::string(250 - 6, 'a'));
    EXPECT_EQ(ogg.Album, "ab");
    EXPECT_EQ(ogg.Genre, "ok");
}

TEST(OggVorbis, ID3v2InFrontIsSkipped) {
    test::TempDir dir;
    const Bytes stream = test::OggStream("v", {"TITLE=t"});
    Bytes withTag = test::ID3v2Tag(3, {{"TIT2", test::Latin1Frame("x")}}, 300);
    test::Append(withTag, stream);
    const TOggVorbis plain = Read(dir, stream);
    const TOggVorbis tagged = Read(dir, withTag);
    EXPECT_EQ(tagged.ID3v2Size, 300);
    EXPECT_EQ(tagged.Title, "t");
    EXPECT_EQ(tagged.Samples, plain.Samples);
    EXPECT_EQ(tagged.AverageBitRate(), plain.AverageBitRate());
}

TEST(OggVorbis, NoLastPageFallsBackToNominalRate) {
    test::TempDir dir;
    Bytes file = test::OggStream("v", {"TITLE=t"}, 100, 0);
    test::Append(file, test::Repeat(0, 13000));
    const TOggVorbis ogg = Read(dir, file);
    EXPECT_EQ(ogg.Samples, 0);
    EXPECT_DOUBLE_EQ(ogg.Duration(), static_cast<double>(file.size()) / 128 / 2 / 125 * 2);
}

TEST(OggVorbis, NotVorbis) {
    test::TempDir dir;
    Bytes file = test::OggStream("v", {});
    file[28] = 0x7F; // "\x7Fvorbis" instead of "\x01vorbis"
    test::WriteFileBytes(dir.Path("a.ogg"), file);
    TOggVorbis ogg;
    EXPECT_FALSE(ogg.ReadFile(dir.Path("a.ogg")));
    EXPECT_FALSE(ogg.ReadFile(dir.Path("missing.ogg")));
    EXPECT_FALSE(ogg.WriteComments(dir.Path("missing.ogg")));
    EXPECT_FALSE(test::Exists(dir.Path("missing.ogg")));
    EXPECT_FALSE(test::Exists(dir.Path("missing.ogg~")));
}

// Rewrites the comments and checks the page layout: every checksum verifies, the pages after
// the second one are unchanged, and the setup packet follows the new comments unchanged.
void ExpectRewrite(const Bytes& before, const Bytes& after, std::size_t setupSize) {
    bool okBefore = false;
    bool okAfter = false;
    const auto oldPages = test::ParseOggPages(before, okBefore);
    const auto newPages = test::ParseOggPages(after, okAfter);
    ASSERT_TRUE(okBefore);
    ASSERT_TRUE(okAfter);
    ASSERT_EQ(oldPages.size(), newPages.size());
    EXPECT_TRUE(std::equal(before.begin(),
                           before.begin() + static_cast<std::ptrdiff_t>(oldPages[1].offset),
                           after.begin()));
    const auto oldRest =
        before.begin() + static_cast<std::ptrdiff_t>(oldPages[1].offset + oldPages[1].size);
    const auto newRest =
        after.begin() + static_cast<std::ptrdiff_t>(newPages[1].offset + newPages[1].size);
    EXPECT_TRUE(std::equal(oldRest, before.end(), newRest, after.end()));
    const auto setupOld = oldRest - static_cast<std::ptrdiff_t>(setupSize + 1);
    const auto setupNew = newRest - static_cast<std::ptrdiff_t>(setupSize + 1);
    EXPECT_TRUE(std::equal(setupOld, oldRest, setupNew));
}

TEST(OggVorbis, WriteGrowsCommentsAndKeepsEverythingElse) {
    test::TempDir dir;
    const std::string path = dir.Path("a.ogg");
    const Bytes before = test::OggStream(
        "Vendor", {"TITLE=Old", "PERFORMER=P", "DESCRIPTION=D", "replaygain_album_gain=1 dB"});
    test::WriteFileBytes(path, before);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFile(path));
    ogg.Title = "Ünïcödé 😀 " + std::string(300, 'x');
    ogg.Album = "  Album ";
    ogg.Track = 9;
    ASSERT_TRUE(ogg.WriteComments(path));
    EXPECT_FALSE(test::Exists(path + "~"));
    const Bytes after = test::ReadAll(path);
    EXPECT_GT(after.size(), before.size() + 300);
    ExpectRewrite(before, after, 100);

    TOggVorbis back;
    ASSERT_TRUE(back.ReadFile(path));
    EXPECT_EQ(back.Title, ("Ünïcödé 😀 " + std::string(300, 'x')).substr(0, 244));
    EXPECT_EQ(back.Artist, "P"); // written as ARTIST
    EXPECT_EQ(back.Album, "Album");
    EXPECT_EQ(back.Track, 9);
    EXPECT_EQ(back.Comment, "D");
    EXPECT_EQ(back.Vendor, "Vendor");
    EXPECT_EQ(back.ExtraFields, "REPLAYGAIN_ALBUM_GAIN=1 dB");
    const std::string text(after.begin(), after.end());
    EXPECT_EQ(text.find("PERFORMER="), std::string::npos);
    EXPECT_NE(text.find("ARTIST=P"), std::string::npos);
    EXPECT_NE(text.find("COMMENT=D"), std::string::npos);
}

TEST(OggVorbis, WriteShrinksComments) {
    test::TempDir dir;
    const std::string path = dir.Path("a.ogg");
    const Bytes before = test::OggStream("V", {"TITLE=" + std::string(1000, 'l'), "GENRE=g"});
    test::WriteFileBytes(path, before);
    TOggVorbis ogg;
    ogg.Title = "short";
    ASSERT_TRUE(ogg.WriteComments(path));
    const Bytes after = test::ReadAll(path);
    ExpectRewrite(before, after, 100);
    TOggVorbis back;
    ASSERT_TRUE(back.ReadFile(path));
    EXPECT_EQ(back.Title, "short");
    EXPECT_TRUE(back.Genre.empty());
    EXPECT_EQ(back.Vendor, "V");
}

TEST(OggVorbis, PacketOfExactly510BytesEndsWithAZeroLacingValue) {
    test::TempDir dir;
    const std::string path = dir.Path("a.ogg");
    test::WriteFileBytes(path, test::OggStream("v", {}));
    TOggVorbis ogg;
    ogg.Title = std::string(483, 't'); // 7 + 4 + 1 + 4 + 4 + 6 + 483 = 509, and the framing byte
    ASSERT_TRUE(ogg.WriteComments(path));
    bool ok = false;
    const auto pages = test::ParseOggPages(test::ReadAll(path), ok);
    ASSERT_TRUE(ok);
    ASSERT_GE(pages[1].lacing.size(), 4U);
    EXPECT_EQ(pages[1].lacing[0], 255);
    EXPECT_EQ(pages[1].lacing[1], 255);
    EXPECT_EQ(pages[1].lacing[2], 0);
    EXPECT_EQ(pages[1].lacing[3], 100);
}

TEST(OggVorbis, RefusesCommentsThatDoNotEndOnTheSecondPage) {
    test::TempDir dir;
    const std::string path = dir.Path("a.ogg");
    // The comment packet runs on into a third page, as large pictures do.
    Bytes comments;
    test::Append(comments, "\x03vorbis");
    test::AppendLE32(comments, 1);
    test::Append(comments, "v");
    test::AppendLE32(comments, 2);
    test::AppendLE32(comments, 9);
    test::Append(comments, "TITLE=Big");
    const std::string picture = "METADATA_BLOCK_PICTURE=" + std::string(6000, 'Q');
    test::AppendLE32(comments, static_cast<std::uint32_t>(picture.size()));
    test::Append(comments, picture);
    comments.push_back(1);
    const Bytes full = test::OggStream("v", {});
    bool ok = false;
    const auto pages = test::ParseOggPages(full, ok);
    Bytes file(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(pages[1].offset));
    const Bytes firstPart(comments.begin(), comments.begin() + 255 * 10);
    const Bytes secondPart(comments.begin() + 255 * 10, comments.end());
    test::Append(file, test::OggPage(0, 0, 0x1234, 1, {firstPart}, true));
    test::Append(file, test::OggPage(1, 0, 0x1234, 2, {secondPart}));
    test::WriteFileBytes(path, file);

    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFile(path));
    EXPECT_EQ(ogg.Title, "Big");
    ogg.Title = "Changed";
    EXPECT_FALSE(ogg.WriteComments(path));
    EXPECT_EQ(test::ReadAll(path), file);
    EXPECT_FALSE(test::Exists(path + "~"));
}

TEST(OggVorbis, RefusesAPacketTooLargeForOnePage) {
    test::TempDir dir;
    const std::string path = dir.Path("a.ogg");
    const Bytes before = test::OggStream("v", {});
    test::WriteFileBytes(path, before);
    TOggVorbis ogg;
    ogg.Title = std::string(255 * 255, 'x');
    EXPECT_FALSE(ogg.WriteComments(path));
    EXPECT_EQ(test::ReadAll(path), before);
}

TEST(OggVorbis, DamagedCountsEndTheCommentLoop) {
    test::TempDir dir;
    Bytes file = test::OggStream("v", {"TITLE=t", "ALBUM=a"});
    bool ok = false;
    const auto pages = test::ParseOggPages(file, ok);
    const std::size_t body = pages[1].offset + 27 + pages[1].lacing.size();
    const std::size_t count = body + 7 + 4 + 1;
    for (const std::uint32_t bad : {0x7FFFFFFFU, 0xFFFFFFFFU, 0x80000000U}) {
        Bytes damaged = file;
        for (int i = 0; i < 4; ++i) {
            damaged[count + i] = static_cast<std::uint8_t>(bad >> (8 * i));
        }
        EXPECT_EQ(Read(dir, damaged).Title, "t");
        Bytes longEntry = file;
        for (int i = 0; i < 4; ++i) {
            longEntry[count + 4 + i] = static_cast<std::uint8_t>(bad >> (8 * i));
        }
        const TOggVorbis ogg = Read(dir, longEntry);
        EXPECT_TRUE(ogg.Title.empty());
        TOggVorbis writer;
        writer.Title = "x";
        test::WriteFileBytes(dir.Path("w.ogg"), damaged);
        EXPECT_FALSE(writer.WriteComments(dir.Path("w.ogg")));
        EXPECT_EQ(test::ReadAll(dir.Path("w.ogg")), damaged);
    }
}

TEST(OggVorbis, ChecksumOfAKnownPage) {
    // Polynomial 0x04C11DB7, initial value 0, no final inversion.
    const std::string_view text = "123456789";
    EXPECT_EQ(OggChecksum(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
              0x89A1897FU);
}

} // namespace
} // namespace wavora
