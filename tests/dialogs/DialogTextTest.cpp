// The texts the info dialogs show and the entries they accept.
#include "DialogText.h"

#include "TAGEdit.h"

#include <gtest/gtest.h>

namespace wavora {
namespace {

TEST(DialogText, LengthsShowHoursFromAnHourOn) {
    const std::vector<std::pair<double, std::string>> cases{
        {0, "0:00"},       {59.9, "0:59"},      {185.7, "3:05"},
        {600, "10:00"},    {3599.99, "59:59"},  {3600, "1:00:00"},
        {3661, "1:01:01"}, {90061, "25:01:01"}, {-4, "0:00"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(LengthText(seconds), text) << seconds;
    }
}

TEST(DialogText, ByteCountsAreGroupedWithCommas) {
    EXPECT_EQ(ByteCountText(0), "0 bytes");
    EXPECT_EQ(ByteCountText(999), "999 bytes");
    EXPECT_EQ(ByteCountText(1000), "1,000 bytes");
    EXPECT_EQ(ByteCountText(5'000'000'000), "5,000,000,000 bytes");
}

TEST(DialogText, GenreNumbersShowAsTheirNames) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"(17)", "Rock"},   {"17", "Rock"},      {"(17)Hard", "Hard"},
        {"(0)", "Blues"},   {"147", "Synthpop"}, {"148", "148"},
        {"(255)", "(255)"}, {"(RX)", "Remix"},   {"(CR)", "Cover"},
        {"Rock", "Rock"},   {"17a", "17a"},      {"(17", "(17"},
        {"", ""},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(GenreDisplayName(text), shown) << text;
    }
}

TEST(DialogText, TrackEntriesKeepTheirRange) {
    using Kind = TrackEntry::Kind;
    const std::vector<std::tuple<std::string, std::uint32_t, Kind, std::uint32_t>> cases{
        {"", 255, Kind::Empty, 0},
        {"7", 255, Kind::Number, 7},
        {"3/12", 255, Kind::Number, 3},
        {" 255 ", 255, Kind::Number, 255},
        {"256", 255, Kind::OutOfRange, 0},
        {"65536", 65535, Kind::OutOfRange, 0},
        {"99999999999999999999", 65535, Kind::OutOfRange, 0},
        {"12a", 255, Kind::NotNumber, 0},
        {"-1", 255, Kind::NotNumber, 0},
        {"/12", 255, Kind::NotNumber, 0},
        {"3/x", 255, Kind::NotNumber, 0},
    };
    for (const auto& [text, maximum, kind, number] : cases) {
        const TrackEntry entry = ParseTrackEntry(text, maximum);
        EXPECT_EQ(entry.kind, kind) << text;
        EXPECT_EQ(entry.number, number) << text;
    }
}

TEST(DialogText, VendorSplitsAtTheLastSpaceThatFits) {
    // Spaces at positions 9, 20 and 22 of 30 characters.
    const std::string spaced = "abcdefgh ijklmnopqr s tuvwxyz1";
    ASSERT_EQ(spaced.size(), 30U);
    EXPECT_EQ(SplitVendor(spaced).first, spaced.substr(0, 21));
    EXPECT_EQ(SplitVendor(spaced).second, spaced.substr(22));
    const std::string solid(30, 'x');
    EXPECT_EQ(SplitVendor(solid).first, "");
    EXPECT_EQ(SplitVendor(solid).second, solid.substr(0, 25));
    EXPECT_EQ(SplitVendor("Xiph.Org libVorbis I 200").first, "Xiph.Org libVorbis I 200");
    EXPECT_EQ(SplitVendor("Xiph.Org libVorbis I 200").second, "");
    // Characters, not bytes: 24 of them stand whole.
    EXPECT_EQ(SplitVendor("ääääääääääääääääääääääää").second, "");
}

TEST(DialogText, VorbisCommentNames) {
    for (const char* good : {"MOOD", "a b", " x", "REPLAYGAIN_TRACK_GAIN", "}"}) {
        EXPECT_TRUE(IsVorbisCommentName(good)) << good;
    }
    for (const char* bad : {"", "A=B", "=", "~X", "\tX", "Ä", "X\x7f"}) {
        EXPECT_FALSE(IsVorbisCommentName(bad)) << bad;
    }
}

} // namespace
} // namespace wavora
