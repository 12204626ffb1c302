// Tag blocks read from files, hostile ones included: every length is bounded by the data.
#include "FileTags.h"

#include "BassTestUtil.h"

#include <gtest/gtest.h>

using namespace bass_test;
using wbass::ReadId3v1Block;
using wbass::ReadId3v2Block;
using wbass::ReadOggComments;

namespace {

// Ogg pages carrying the packets in order (CRC left 0: the reader does not need it). A packet
// longer than one page continues on the next.
std::string OggPages(const std::vector<std::string>& packets, std::size_t maxSegments = 255) {
    std::vector<std::uint8_t> lacing;
    std::string body;
    for (const auto& p : packets) {
        std::size_t left = p.size();
        while (left >= 255) {
            lacing.push_back(255);
            left -= 255;
        }
        lacing.push_back(static_cast<std::uint8_t>(left));
        body += p;
    }
    std::string out;
    std::size_t at = 0;
    std::size_t bodyAt = 0;
    for (int seq = 0; at < lacing.size(); ++seq) {
        const std::size_t n = std::min(maxSegments, lacing.size() - at);
        std::string page = "OggS";
        page += '\0';
        page += seq == 0 ? '\x02' : '\0';
        page.append(8, '\0');
        Put32(page, 0x1234);
        Put32(page, static_cast<std::uint32_t>(seq));
        Put32(page, 0);
        page += static_cast<char>(n);
        std::size_t size = 0;
        for (std::size_t i = 0; i < n; ++i) {
            page += static_cast<char>(lacing[at + i]);
            size += lacing[at + i];
        }
        page += body.substr(bodyAt, size);
        bodyAt += size;
        at += n;
        out += page;
    }
    return out;
}

std::string CommentPacket(const std::vector<std::string>& comments, std::uint32_t count,
                          std::uint32_t vendorLength = 6) {
    std::string p("\x03vorbis", 7);
    Put32(p, vendorLength);
    p += "vendor";
    Put32(p, count);
    for (const auto& c : comments) {
        Put32(p, static_cast<std::uint32_t>(c.size()));
        p += c;
    }
    p += '\x01';
    return p;
}

const std::string kIdent = std::string("\x01vorbis", 7) + std::string(23, '\0');

struct OggCase {
    const char* name;
    std::string file;
    std::optional<std::string> expected;
};

class BassFileTags : public ::testing::TestWithParam<OggCase> {};

TEST_P(BassFileTags, OggComments) {
    const std::string path =
        WriteFile(std::string("tags-") + GetParam().name + ".ogg", GetParam().file);
    EXPECT_EQ(ReadOggComments(path), GetParam().expected);
}

const std::string kLong(700, 'x');

INSTANTIATE_TEST_SUITE_P(
    Bass, BassFileTags,
    ::testing::Values(
        OggCase{"plain", OggPages({kIdent, CommentPacket({"A=1", "B=two"}, 2)}),
                std::string("A=1\0B=two\0\0", 11)},
        OggCase{"none", OggPages({kIdent, CommentPacket({}, 0)}), std::string(1, '\0')},
        // A packet over several pages, with a 255-byte lacing run.
        OggCase{"spanning", OggPages({kIdent, CommentPacket({"LONG=" + kLong}, 1)}, 2),
                "LONG=" + kLong + std::string(2, '\0')},
        OggCase{"nul_inside", OggPages({kIdent, CommentPacket({std::string("T=a\0b", 5)}, 1)}),
                std::string("T=a\0\0", 5)},
        OggCase{"count_too_big", OggPages({kIdent, CommentPacket({"A=1"}, 0xFFFFFFFF)}),
                std::nullopt},
        OggCase{"vendor_too_long", OggPages({kIdent, CommentPacket({}, 0, 0x7FFFFFFF)}),
                std::nullopt},
        OggCase{"truncated", OggPages({kIdent, CommentPacket({"A=1", "B=2"}, 2)}).substr(0, 80),
                std::nullopt},
        OggCase{"not_ogg", std::string(200, 'O'), std::nullopt},
        OggCase{"no_comment_packet", OggPages({kIdent}), std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BassFileTagsId3, BlocksAreBoundedByTheFile) {
    std::string v2 = "ID3\x03";
    v2 += '\0';
    v2 += '\0';
    v2 += std::string("\x00\x00\x00\x0A", 4); // 10 bytes of body
    v2 += std::string(10, 'b');
    const std::string audio(300, 'a');
    std::string v1 = "TAG" + std::string(125, 'c');
    const std::string both = WriteFile("id3-both.mp3", v2 + audio + v1);
    EXPECT_EQ(ReadId3v2Block(both), v2);
    EXPECT_EQ(ReadId3v1Block(both), v1);

    std::string huge = v2;
    huge[6] = 0x7F; // far beyond the end of the file
    EXPECT_EQ(ReadId3v2Block(WriteFile("id3-huge.mp3", huge + audio)), std::nullopt);
    std::string notSyncSafe = v2;
    notSyncSafe[9] = static_cast<char>(0x80);
    EXPECT_EQ(ReadId3v2Block(WriteFile("id3-bad.mp3", notSyncSafe + audio)), std::nullopt);
    EXPECT_EQ(ReadId3v1Block(WriteFile("id3-short.mp3", "TAG")), std::nullopt);
    EXPECT_EQ(ReadId3v1Block(WriteFile("id3-none.mp3", audio)), std::nullopt);
    EXPECT_EQ(ReadId3v2Block((ScratchDir() / "missing.mp3").string()), std::nullopt);
}

} // namespace
