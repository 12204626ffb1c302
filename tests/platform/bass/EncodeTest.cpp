// The encoder pipe (command-line splitting, real lame and oggenc, dying and missing programs)
// and WMA encoding.
#include "BassTestUtil.h"
#include "CommandLine.h"
#include "bass.h"
#include "bassenc.h"
#include "basswma.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace bass_test;
using namespace std::chrono_literals;

namespace {

struct SplitCase {
    const char* line;
    std::vector<std::string> args;
};

class BassCommandLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(BassCommandLine, SplitsByTheRuntimeRules) {
    EXPECT_EQ(wbass::SplitCommandLine(GetParam().line), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Bass, BassCommandLine,
    ::testing::Values(SplitCase{"oggenc -o \"a b.ogg\" --bitrate 128 -",
                                {"oggenc", "-o", "a b.ogg", "--bitrate", "128", "-"}},
                      SplitCase{"  a\t\tb  ", {"a", "b"}}, SplitCase{"", {}},
                      SplitCase{"a \"\" b", {"a", "", "b"}}, SplitCase{"a\"b c\"d", {"ab cd"}},
                      SplitCase{R"(a\b\\c)", {R"(a\b\\c)"}}, SplitCase{R"(\"x\")", {R"("x")"}},
                      SplitCase{R"(\\"x y\\")", {R"(\x y\)"}}, SplitCase{R"(\\\"x)", {R"(\"x)"}},
                      SplitCase{R"("a\\\"b")", {R"(a\"b)"}},
                      SplitCase{"\"unterminated quote", {"unterminated quote"}}));

// How the application quotes a file name for a command line.
std::string Quote(const std::string& name) {
    std::string arg = name.starts_with('-') ? "./" + name : name;
    std::string out = "\"";
    std::size_t slashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"')
            out.append(2 * slashes + 1, '\\');
        else
            out.append(slashes, '\\');
        slashes = 0;
        out.push_back(c);
    }
    out.append(2 * slashes, '\\');
    return out + "\"";
}

class BassEncode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr));
        source = WriteFile("enc-src.wav", WavFile(44100, 2, 16, SinePcm16(44100, 2, 2.5, 440)));
        ASSERT_EQ(chdir(ScratchDir().c_str()), 0);
    }
    static void TearDownTestSuite() { BASS_Free(); }

    static HSTREAM OpenSource() {
        return BASS_StreamCreateFile(FALSE, source.c_str(), 0, 0,
                                     BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE);
    }
    // Reads the channel to its end as the converter does; the encoder gets every block.
    static void Pump(HSTREAM h) {
        std::vector<char> buf(90000);
        while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED &&
               BASS_ChannelGetData(h, buf.data(), 90000) + 1 > 1) {
        }
    }
    static double DurationOf(const std::string& path) {
        const HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
        if (h == 0)
            return -1;
        std::vector<char> buf(90000);
        QWORD total = 0;
        for (DWORD n; (n = BASS_ChannelGetData(h, buf.data(), 90000)) + 1 > 1;)
            total += n;
        const double seconds = BASS_ChannelBytes2Seconds(h, total);
        BASS_StreamFree(h);
        return seconds;
    }

    static inline std::string source;
};

struct NameCase {
    const char* label;
    const char* name;
};

class BassEncodeNames : public BassEncode,
                        public ::testing::WithParamInterface<std::tuple<NameCase, int>> {};

constexpr std::array<const char*, 2> kTemplates = {"oggenc -Q -o %s --bitrate 128 -",
                                                   "lame --quiet -b 128 - %s"};
constexpr std::array<const char*, 2> kExtensions = {".ogg", ".mp3"};

TEST_P(BassEncodeNames, AwkwardNameReachesTheEncoderAsOneArgument) {
    const auto& [nameCase, encoder] = GetParam();
    const std::string name = std::string(nameCase.name) + kExtensions[encoder];
    ASSERT_EQ(wbass::SplitCommandLine(Quote(name)).size(), 1u);
    const std::string expected = name.starts_with('-') ? "./" + name : name;
    EXPECT_EQ(wbass::SplitCommandLine(Quote(name)).front(), expected);
    std::filesystem::remove(name);

    std::string command = kTemplates[encoder];
    command.replace(command.find("%s"), 2, Quote(name));
    const HSTREAM h = OpenSource();
    ASSERT_NE(h, 0u);
    ASSERT_NE(BASS_Encode_Start(h, command.c_str(), 0, nullptr, nullptr), 0u)
        << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_Encode_IsActive(h), DWORD{BASS_ACTIVE_PLAYING});
    Pump(h);
    ASSERT_TRUE(BASS_Encode_Stop(h));
    EXPECT_EQ(BASS_Encode_IsActive(h), DWORD{BASS_ACTIVE_STOPPED});
    BASS_ChannelStop(h);
    // Complete when Stop returns: the file decodes to the source's length.
    ASSERT_TRUE(std::filesystem::exists(name)) << name;
    EXPECT_NEAR(DurationOf(name), 2.5, 0.06) << name;
    std::filesystem::remove(name);
}

INSTANTIATE_TEST_SUITE_P(
    Bass, BassEncodeNames,
    ::testing::Combine(::testing::Values(NameCase{"spaces", "a name  with spaces"},
                                         NameCase{"quotes", "say \"hi\" now"},
                                         NameCase{"dollar", "$HOME and `ls`"},
                                         NameCase{"backslashes", "back\\slash\\\\ end\\"},
                                         NameCase{"quote_after_backslash", "x\\\"y"},
                                         NameCase{"leading_dash", "-o evil"},
                                         NameCase{"non_ascii", "Ünïcødé – ソング"}),
                       ::testing::Values(0, 1)),
    [](const auto& p) {
        return std::string(std::get<0>(p.param).label) + (std::get<1>(p.param) ? "_mp3" : "_ogg");
    });

TEST_F(BassEncode, MissingEncoderGivesZero) {
    const HSTREAM h = OpenSource();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(BASS_Encode_Start(h, "wavora-no-such-encoder -o x -", 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(BASS_Encode_Start(h, "", 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_Encode_IsActive(h), DWORD{BASS_ACTIVE_STOPPED});
    BASS_ChannelStop(h);
}

// An encoder that stops reading: the writes fail quietly (no SIGPIPE) and IsActive reports it.
TEST_F(BassEncode, DyingEncoderIsReported) {
    for (const char* command : {"false", "head -c 1000"}) {
        const HSTREAM h = OpenSource();
        ASSERT_NE(h, 0u);
        ASSERT_NE(BASS_Encode_Start(h, command, 0, nullptr, nullptr), 0u) << command;
        std::vector<char> buf(90000);
        DWORD active = BASS_ACTIVE_PLAYING;
        for (int i = 0; i < 200 && active != BASS_ACTIVE_STOPPED; ++i) {
            ASSERT_NE(BASS_ChannelGetData(h, buf.data(), 4096), 0xFFFFFFFFu);
            std::this_thread::sleep_for(5ms);
            active = BASS_Encode_IsActive(h);
        }
        EXPECT_EQ(active, DWORD{BASS_ACTIVE_STOPPED}) << command;
        EXPECT_TRUE(BASS_Encode_Stop(h));
        BASS_ChannelStop(h);
    }
}

// The encoder ends with its channel when the channel is freed first.
TEST_F(BassEncode, FreeingTheChannelFinishesTheEncoder) {
    const HSTREAM h = OpenSource();
    ASSERT_NE(h, 0u);
    ASSERT_NE(BASS_Encode_Start(h, "oggenc -Q -o freed.ogg -", 0, nullptr, nullptr), 0u);
    Pump(h);
    BASS_ChannelStop(h);
    EXPECT_EQ(BASS_Encode_IsActive(h), DWORD{BASS_ACTIVE_STOPPED});
    EXPECT_NEAR(DurationOf("freed.ogg"), 2.5, 0.06);
}

// The attribute names of an ASF header's Extended Content Description object.
std::vector<std::string> AsfExtendedNames(const std::string& file) {
    static const std::string kGuid(
        "\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
    std::vector<std::string> names;
    const std::size_t at = file.find(kGuid);
    if (at == std::string::npos)
        return names;
    auto u16 = [&](std::size_t p) {
        return static_cast<std::size_t>(static_cast<unsigned char>(file[p]) |
                                        (static_cast<unsigned char>(file[p + 1]) << 8));
    };
    std::size_t p = at + 24;
    const std::size_t count = u16(p);
    p += 2;
    for (std::size_t i = 0; i < count && p + 2 <= file.size(); ++i) {
        const std::size_t nameBytes = u16(p);
        std::string name;
        for (std::size_t k = 0; k + 1 < nameBytes; k += 2)
            if (const auto ch = u16(p + 2 + k); ch != 0)
                name.push_back(static_cast<char>(ch));
        names.push_back(name);
        p += 2 + nameBytes;
        const std::size_t valueBytes = u16(p + 2);
        p += 4 + valueBytes;
    }
    return names;
}

TEST_F(BassEncode, WmaWithTagsReadsBack) {
    const DWORD* rates = BASS_WMA_EncodeGetRates(44100, 2, 0);
    ASSERT_NE(rates, nullptr);
    EXPECT_NE(rates[0], 0u);

    const HSTREAM h = OpenSource();
    ASSERT_NE(h, 0u);
    const std::string name = "tagged \"wma\" ü.wma";
    const HWMENCODE enc =
        BASS_WMA_EncodeOpenFile(44100, 2, BASS_WMA_ENCODE_TAGS, 96000, name.c_str());
    ASSERT_NE(enc, 0u) << BASS_ErrorGetCode();
    EXPECT_TRUE(BASS_WMA_EncodeSetTag(enc, "Title", "Tïtle \"1\""));
    EXPECT_TRUE(BASS_WMA_EncodeSetTag(enc, "Author", "Ärtist"));
    EXPECT_TRUE(BASS_WMA_EncodeSetTag(enc, "WM/AlbumTitle", "Album"));
    EXPECT_TRUE(BASS_WMA_EncodeSetTag(enc, "WM/Genre", "Jazz"));
    EXPECT_TRUE(BASS_WMA_EncodeSetTag(enc, "WM/Year", "1999"));
    EXPECT_TRUE(BASS_WMA_EncodeSetTag(enc, nullptr, nullptr));
    EXPECT_FALSE(BASS_WMA_EncodeSetTag(enc, "Late", "after the header"));
    std::vector<char> buf(90000);
    for (DWORD n; (n = BASS_ChannelGetData(h, buf.data(), 90000)) + 1 > 1;)
        ASSERT_TRUE(BASS_WMA_EncodeWrite(enc, buf.data(), n));
    BASS_WMA_EncodeClose(enc);
    BASS_ChannelStop(h);
    EXPECT_FALSE(BASS_WMA_EncodeWrite(enc, buf.data(), 4));

    const std::string tags = (ScratchDir() / "wma-tags.txt").string();
    ASSERT_EQ(RunProgram({"sh", "-c",
                          "ffprobe -v error -show_entries format_tags -of default=nw=1 \"$0\" > "
                          "\"$1\"",
                          name, tags}),
              0);
    const std::string probed = ReadFile(tags);
    for (const char* line : {"TAG:title=Tïtle \"1\"", "TAG:artist=Ärtist", "TAG:album=Album",
                             "TAG:genre=Jazz", "TAG:WM/Year=1999"})
        EXPECT_NE(probed.find(line), std::string::npos) << line << " in\n" << probed;
    const auto names = AsfExtendedNames(ReadFile(name));
    for (const char* attribute : {"WM/AlbumTitle", "WM/Genre", "WM/Year"})
        EXPECT_NE(std::find(names.begin(), names.end(), attribute), names.end()) << attribute;
    // Title and author live in the content description, not again among the attributes.
    for (const char* attribute : {"Title", "Author"})
        EXPECT_EQ(std::find(names.begin(), names.end(), attribute), names.end()) << attribute;

    const HSTREAM w = BASS_StreamCreateFile(FALSE, name.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(w, 0u);
    BASS_StreamFree(w);
    EXPECT_NEAR(DurationOf(name), 2.5, 0.1);
}

TEST_F(BassEncode, WmaRefusesWhatItCannotWrite) {
    EXPECT_EQ(BASS_WMA_EncodeOpenFile(44100, 2, 0, 128000, "no-such-dir/x.wma"), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_CREATE);
    EXPECT_EQ(BASS_WMA_EncodeOpenFile(44100, 6, 0, 128000, "six.wma"), 0u);
}

} // namespace
