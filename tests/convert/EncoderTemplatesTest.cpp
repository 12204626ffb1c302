#include "EncoderTemplates.h"

#include "NameSafety.h"
#include "Naming.h"

#include <charconv>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace wavora {
namespace {

// The encoder pipe's command-line splitting: blanks separate, double quotes group, a
// backslash is literal except before a double quote (2n backslashes and a quote give n
// backslashes and a grouping quote, 2n+1 give n backslashes and a literal quote).
std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    std::string current;
    bool inArg = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == '\\') {
            std::size_t n = 0;
            while (i < line.size() && line[i] == '\\') {
                ++n;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                current.append(n / 2, '\\');
                if (n % 2 == 1) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(n, '\\');
            }
            inArg = true;
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg) {
                args.push_back(current);
                current.clear();
                inArg = false;
            }
        } else {
            current += c;
            inArg = true;
        }
        ++i;
    }
    if (inArg) {
        args.push_back(current);
    }
    return args;
}

EncoderSettings Quality(int q) {
    EncoderSettings s;
    s.quality = q;
    return s;
}

EncoderSettings Constant(int kbps) {
    EncoderSettings s;
    s.constBitrate = true;
    s.bitrate = kbps;
    return s;
}

enum class Pipe { Ogg, Mp3 };

struct CommandCase {
    Pipe kind;
    EncoderSettings settings;
    const char* expected;
};

TEST(EncoderCommandLine, MatchesTemplatesAndNumberTexts) {
    const std::vector<CommandCase> cases = {
        {Pipe::Ogg, Constant(48), "oggenc -o \"a.ogg\" --bitrate 64 -"},
        {Pipe::Ogg, Constant(32), "oggenc -o \"a.ogg\" --bitrate 64 -"},
        {Pipe::Ogg, Constant(64), "oggenc -o \"a.ogg\" --bitrate 64 -"},
        {Pipe::Ogg, Constant(320), "oggenc -o \"a.ogg\" --bitrate 320 -"},
        {Pipe::Ogg, Quality(55), "oggenc -o \"a.ogg\" --quality 5.5 -"},
        {Pipe::Ogg, Quality(0), "oggenc -o \"a.ogg\" --quality 0 -"},
        {Pipe::Ogg, Quality(50), "oggenc -o \"a.ogg\" --quality 5 -"},
        {Pipe::Ogg, Quality(100), "oggenc -o \"a.ogg\" --quality 10 -"},
        {Pipe::Mp3, Constant(32), "lame -f -b 32 - \"a.ogg\""},
        {Pipe::Mp3, Quality(0), "lame -f -V 9 - \"a.ogg\""},
        {Pipe::Mp3, Quality(100), "lame -f -V 0 - \"a.ogg\""},
        {Pipe::Mp3, Quality(92), "lame -f -V 0.72 - \"a.ogg\""},
        // No item selected in the bitrate list: the default item.
        {Pipe::Mp3, EncoderSettings{true, std::nullopt, 50, true}, "lame -f -b 128 - \"a.ogg\""},
    };
    for (const auto& c : cases) {
        const std::string line = c.kind == Pipe::Ogg ? OggCommandLine("a.ogg", c.settings)
                                                     : Mp3CommandLine("a.ogg", c.settings);
        EXPECT_EQ(line, c.expected);
    }
}

TEST(EncoderCommandLine, NumberTextsAreExactForEveryQuality) {
    const std::vector<std::pair<int, const char*>> vbr = {
        {0, "9"}, {1, "8.91"}, {33, "6.03"}, {50, "4.5"}, {92, "0.72"}, {99, "0.09"}, {100, "0"}};
    for (const auto& [q, text] : vbr) {
        EXPECT_EQ(LameVbrLevelText(q), text) << q;
    }
    for (int q = 0; q <= 100; ++q) {
        // Parse back as an integer count of hundredths / tenths: the text must be exact.
        auto hundredths = [](const std::string& text, int decimals) {
            const auto dot = text.find('.');
            std::string digits = text;
            int fraction = 0;
            if (dot != std::string::npos) {
                fraction = static_cast<int>(text.size() - dot - 1);
                digits.erase(dot, 1);
                EXPECT_NE(text.back(), '0') << text;
            }
            EXPECT_LE(fraction, decimals) << text;
            int value = 0;
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
            for (; fraction < decimals; ++fraction) {
                value *= 10;
            }
            return value;
        };
        EXPECT_EQ(hundredths(LameVbrLevelText(q), 2), 900 - 9 * q) << q;
        EXPECT_EQ(hundredths(OggQualityText(q), 1), q) << q;
    }
}

TEST(EncoderCommandLine, AwkwardNamesReachTheEncoderAsOneExactArgument) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"plain.ogg", "plain.ogg"},
        {"with space.ogg", "with space.ogg"},
        {"say \"hi\".ogg", "say \"hi\".ogg"},
        {"back\\slash\\\".ogg", "back\\slash\\\".ogg"},
        {"trailing\\", "trailing\\"},
        {"\\\\\"", "\\\\\""},
        {"$HOME `x` & ; | *.ogg", "$HOME `x` & ; | *.ogg"},
        {"-V 0.ogg", "./-V 0.ogg"},
        {"--", "./--"},
        {"Ünïcødé ♫ 日本.ogg", "Ünïcødé ♫ 日本.ogg"},
        {"%s %s.ogg", "%s %s.ogg"},
        {"tab\there", "tab\there"},
    };
    for (const auto& [name, expected] : names) {
        const auto ogg = SplitCommandLine(OggCommandLine(EncoderFileName(name), Quality(50)));
        ASSERT_EQ(ogg.size(), 6u) << name;
        EXPECT_EQ(ogg[0], "oggenc");
        EXPECT_EQ(ogg[2], expected);
        EXPECT_EQ(ogg[5], "-");
        const auto mp3 = SplitCommandLine(Mp3CommandLine(EncoderFileName(name), Constant(128)));
        ASSERT_EQ(mp3.size(), 6u) << name;
        EXPECT_EQ(mp3[5], expected);
    }
}

TEST(EncoderCommandLine, WmaBitrateFollowsTheQualityBar) {
    const std::vector<std::pair<int, int>> cases = {
        {0, 32},   {7, 32},   {8, 40},   {15, 40},  {16, 48},  {24, 56},  {30, 56},
        {31, 64},  {39, 80},  {47, 96},  {50, 96},  {53, 96},  {54, 112}, {62, 128},
        {70, 160}, {77, 192}, {85, 224}, {92, 224}, {93, 256}, {99, 256}, {100, 320}};
    for (const auto& [q, kbps] : cases) {
        EXPECT_EQ(WmaBitrateKbps(Quality(q)), kbps) << q;
    }
    EXPECT_EQ(WmaBitrateKbps(Constant(40)), 40);
}

TEST(CustomNameSafety, ValuesCannotLeaveTheOutputFolder) {
    EXPECT_EQ(SafeNameTagValue("../../etc/passwd"), ".._.._etc_passwd");
    EXPECT_EQ(SafeNameTagValue("AC/DC"), "AC_DC");
    EXPECT_EQ(SafeNameTagValue("back\\slash .. ok"), "back\\slash .. ok");
    // A name body of "." or ".." gets a '_' in front; nothing else changes.
    const NamingSettings custom{true, "%title"};
    const auto named = [&](const std::string& title) {
        TrackTags tags;
        return OutputName(
            "/m/x.flac", "x.flac", "ogg", custom,
            [&](const std::string&) {
                return TrackTags{title, "", "", "", ""};
            },
            tags);
    };
    EXPECT_EQ(named(".."), "_...ogg");
    EXPECT_EQ(named("."), "_..ogg");
    EXPECT_EQ(named("..."), "....ogg");
    EXPECT_EQ(named(".hidden"), ".hidden.ogg");
    EXPECT_EQ(named("a.."), "a...ogg");
}

} // namespace
} // namespace wavora
