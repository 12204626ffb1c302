#include "TagText.h"
#include "TestFiles.h"
#include "WAVfile.h"
#include "WMAfile.h"

#include <gtest/gtest.h>

namespace wavora {
namespace {

using test::Bytes;

constexpr std::array<std::uint8_t, 16> Guid(std::uint32_t a, std::uint16_t b, std::uint16_t c,
                                            std::uint64_t d) {
    std::array<std::uint8_t, 16> g{};
    for (int i = 0; i < 4; ++i) {
        g[i] = static_cast<std::uint8_t>(a >> (8 * i));
    }
    g[4] = static_cast<std::uint8_t>(b);
    g[5] = static_cast<std::uint8_t>(b >> 8);
    g[6] = static_cast<std::uint8_t>(c);
    g[7] = static_cast<std::uint8_t>(c >> 8);
    for (int i = 0; i < 8; ++i) {
        g[8 + i] = static_cast<std::uint8_t>(d >> (8 * (7 - i)));
    }
    return g;
}

const auto kHeader = Guid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
const auto kFile = Guid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365ULL);
const auto kStream = Guid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365ULL);
const auto kContent = Guid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
const auto kExtended = Guid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850ULL);

Bytes Object(const std::array<std::uint8_t, 16>& guid, const Bytes& body) {
    Bytes o(guid.begin(), guid.end());
    test::AppendLE64(o, 24 + body.size());
    test::Append(o, body);
    return o;
}

Bytes Utf16(std::u16string_view s) {
    Bytes b;
    for (const char16_t c : s) {
        test::AppendLE16(b, c);
    }
    return b;
}

Bytes FileProperties(std::uint32_t maxBitRate) {
    Bytes body(76, 0);
    test::AppendLE32(body, maxBitRate);
    return Object(kFile, body);
}

Bytes StreamProperties(std::uint16_t channels, std::uint32_t rate, std::uint32_t byteRate) {
    Bytes body(56, 0);
    test::AppendLE16(body, channels);
    test::AppendLE32(body, rate);
    test::AppendLE32(body, byteRate);
    test::Append(body, test::Repeat(0, 10));
    return Object(kStream, body);
}

Bytes ContentDescription(std::u16string_view title, std::u16string_view author,
                         std::u16string_view description) {
    const std::array<Bytes, 5> texts = {Utf16(title), Utf16(author), Utf16(u"(c)"),
                                        Utf16(description), Bytes{}};
    Bytes body;
    for (const Bytes& t : texts) {
        test::AppendLE16(body, static_cast<std::uint16_t>(t.size()));
    }
    for (const Bytes& t : texts) {
        test::Append(body, t);
    }
    return Object(kContent, body);
}

struct Descriptor {
    std::u16string name;
    std::uint16_t type;
    Bytes value;
};

Bytes Extended(const std::vector<Descriptor>& descriptors) {
    Bytes body;
    test::AppendLE16(body, static_cast<std::uint16_t>(descriptors.size()));
    for (const Descriptor& d : descriptors) {
        const Bytes name = Utf16(d.name);
        test::AppendLE16(body, static_cast<std::uint16_t>(name.size()));
        test::Append(body, name);
        test::AppendLE16(body, d.type);
        test::AppendLE16(body, static_cast<std::uint16_t>(d.value.size()));
        test::Append(body, d.value);
    }
    return Object(kExtended, body);
}

Bytes Asf(const std::vector<Bytes>& objects, std::size_t audio = 5000) {
    Bytes inner;
    for (const Bytes& o : objects) {
        test::Append(inner, o);
    }
    Bytes file(kHeader.begin(), kHeader.end());
    test::AppendLE64(file, 30 + inner.size());
    test::AppendLE32(file, static_cast<std::uint32_t>(objects.size()));
    file.push_back(1);
    file.push_back(2);
    test::Append(file, inner);
    test::Append(file, test::Repeat(0x77, audio));
    return file;
}

TEST(WMAfile, ReadsBothDescriptionObjects) {
    test::TempDir dir;
    Bytes track32;
    test::AppendLE32(track32, 5);
    const Bytes file =
        Asf({FileProperties(128000), StreamProperties(2, 44100, 16000),
             ContentDescription(u"Tïtle 😀", u" Artist ", std::u16string_view(u"Descr\0", 6)),
             Extended({{u"WM/AlbumTitle", 0, Utf16(std::u16string_view(u"Album\0", 6))},
                       {u"WM/Track", 3, track32},
                       {u" wm/year ", 0, Utf16(u"2004")},
                       {u"WM/Genre", 0, Utf16(u"Jazz")},
                       {u"WM/TrackNumber", 0, Utf16(u"9")}})});
    test::WriteFileBytes(dir.Path("a.wma"), file);
    TWMAfile wma;
    ASSERT_TRUE(wma.ReadFile(dir.Path("a.wma")));
    EXPECT_TRUE(wma.Valid());
    EXPECT_EQ(wma.Channels(), 2);
    EXPECT_EQ(wma.SampleRate(), 44100);
    EXPECT_EQ(wma.BitRate(), 128);
    EXPECT_EQ(wma.FileSize(), static_cast<std::int64_t>(file.size()));
    EXPECT_DOUBLE_EQ(wma.Duration(), file.size() * 8.0 / 128000);
    EXPECT_EQ(Utf16ToUtf8(wma.Title()), "Tïtle 😀");
    EXPECT_EQ(wma.Artist(), u"Artist");
    EXPECT_EQ(wma.Album(), u"Album");
    EXPECT_EQ(wma.Year(), u"2004");
    EXPECT_EQ(wma.Genre(), u"Jazz");
    EXPECT_EQ(wma.Comment(), u"Descr");
    EXPECT_EQ(wma.Track(), 0);
}

TEST(WMAfile, TrackTextAndLongFields) {
    test::TempDir dir;
    const std::u16string longTitle(300, u'L');
    for (const auto& [text, track] :
         std::vector<std::pair<std::u16string, int>>{{u"7", 7}, {u"3/12", 0}, {u"x", 0}}) {
        test::WriteFileBytes(dir.Path("a.wma"),
                             Asf({FileProperties(64000), StreamProperties(1, 22050, 8000),
                                  ContentDescription(longTitle, u"", u""),
                                  Extended({{u"WM/TRACK", 0, Utf16(text)}})}));
        TWMAfile wma;
        ASSERT_TRUE(wma.ReadFile(dir.Path("a.wma")));
        EXPECT_EQ(wma.Track(), track);
        EXPECT_EQ(wma.Title(), std::u16string(250, u'L'));
    }
}

struct WmaValidity {
    std::uint32_t maxBitRate;
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint32_t byteRate;
    bool valid;
};

class WMAValidity : public testing::TestWithParam<WmaValidity> {};

TEST_P(WMAValidity, Bounds) {
    const WmaValidity& c = GetParam();
    test::TempDir dir;
    test::WriteFileBytes(dir.Path("a.wma"), Asf({FileProperties(c.maxBitRate),
                                                 StreamProperties(c.channels, c.rate, c.byteRate),
                                                 ContentDescription(u"T", u"", u"")}));
    TWMAfile wma;
    ASSERT_TRUE(wma.ReadFile(dir.Path("a.wma")));
    EXPECT_EQ(wma.Valid(), c.valid);
    EXPECT_EQ(wma.Title().empty(), !c.valid);
}

INSTANTIATE_TEST_SUITE_P(Table, WMAValidity,
                         testing::Values(WmaValidity{128000, 2, 44100, 16000, true},
                                         WmaValidity{0, 2, 44100, 16000, false},
                                         WmaValidity{128000, 2, 7000, 16000, false},
                                         WmaValidity{128000, 7, 44100, 16000, false},
                                         WmaValidity{128000, 2, 44100, 40000, false},
                                         WmaValidity{320000, 2, 44100, 16000, false}));

TEST(WMAfile, DamagedHeaders) {
    test::TempDir dir;
    const std::string path = dir.Path("a.wma");
    TWMAfile wma;
    // Not ASF at all: read, nothing usable.
    test::WriteFileBytes(path, test::Repeat(0x41, 100));
    EXPECT_TRUE(wma.ReadFile(path));
    EXPECT_FALSE(wma.Valid());
    // A count of 2^31 objects ends at the end of the file.
    Bytes many = Asf({FileProperties(128000)}, 0);
    many[24] = 0;
    many[25] = 0;
    many[26] = 0;
    many[27] = 0x80;
    test::WriteFileBytes(path, many);
    EXPECT_FALSE(wma.ReadFile(path));
    // An object of size 0 would be read forever.
    Bytes zero = Asf({FileProperties(128000), StreamProperties(2, 44100, 16000)});
    for (int i = 0; i < 8; ++i) {
        zero[30 + 16 + i] = 0;
    }
    zero[24] = 0xFF;
    zero[25] = 0xFF;
    zero[26] = 0xFF;
    zero[27] = 0x7F;
    test::WriteFileBytes(path, zero);
    EXPECT_TRUE(wma.ReadFile(path));
    EXPECT_FALSE(wma.Valid());
    // A string length pointing past the end.
    Bytes cut = Asf({FileProperties(128000), StreamProperties(2, 44100, 16000),
                     ContentDescription(u"Title", u"", u"")},
                    0);
    cut.resize(cut.size() - 4);
    test::WriteFileBytes(path, cut);
    EXPECT_FALSE(wma.ReadFile(path));
    EXPECT_FALSE(wma.ReadFile(dir.Path("missing.wma")));
}

Bytes WavHeader(std::uint32_t riffSize, std::uint16_t channels, std::uint32_t rate,
                std::uint16_t bits, std::string_view fmt = "fmt ") {
    Bytes h;
    test::Append(h, "RIFF");
    test::AppendLE32(h, riffSize);
    test::Append(h, "WAVE");
    test::Append(h, fmt);
    test::AppendLE32(h, 16);
    test::AppendLE16(h, 1);
    test::AppendLE16(h, channels);
    test::AppendLE32(h, rate);
    test::AppendLE32(h, rate * channels * bits / 8);
    test::AppendLE16(h, static_cast<std::uint16_t>(channels * bits / 8));
    test::AppendLE16(h, bits);
    test::Append(h, "data");
    test::AppendLE32(h, riffSize - 36);
    return h;
}

struct WavCase {
    const char* name;
    Bytes header;
    bool valid;
    std::uint32_t fileSize;
    double duration;
};

class WAVfileCases : public testing::TestWithParam<WavCase> {};

TEST_P(WAVfileCases, HeaderAndDuration) {
    const WavCase& c = GetParam();
    test::TempDir dir;
    test::WriteFileBytes(dir.Path("a.wav"), c.header);
    TWAVfile wav;
    ASSERT_TRUE(wav.ReadFile(dir.Path("a.wav")));
    EXPECT_EQ(wav.Valid(), c.valid);
    EXPECT_EQ(wav.FileSize(), c.fileSize);
    EXPECT_NEAR(wav.Duration(), c.duration, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WAVfileCases,
    testing::Values(WavCase{"OneSecond", WavHeader(176436, 2, 44100, 16), true, 176444, 1.0},
                    WavCase{"Long", WavHeader(700000000, 2, 44100, 16), true, 700000008,
                            (700000008.0 - 44) / 176400},
                    WavCase{"FourChannels", WavHeader(176436, 4, 44100, 16), false, 0, 0},
                    WavCase{"NoFmt", WavHeader(176436, 2, 44100, 16, "junk"), false, 0, 0},
                    WavCase{"ZeroRate", WavHeader(176436, 2, 0, 16), true, 176444, 0},
                    WavCase{"ZeroBits", WavHeader(176436, 2, 44100, 0), true, 176444, 0},
                    WavCase{"TinyRiffSize", WavHeader(10, 1, 8000, 8), true, 18, 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(WAVfile, ShortFile) {
    test::TempDir dir;
    test::WriteFileBytes(dir.Path("a.wav"), Bytes(43, 0));
    TWAVfile wav;
    EXPECT_FALSE(wav.ReadFile(dir.Path("a.wav")));
    EXPECT_FALSE(wav.ReadFile(dir.Path("missing.wav")));
}

} // namespace
} // namespace wavora
