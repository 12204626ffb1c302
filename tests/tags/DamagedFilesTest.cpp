#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "TestFiles.h"
#include "WAVfile.h"
#include "WMAfile.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace wavora {
namespace {

using test::Bytes;

// Every reader on one file: none may crash, hang or read outside what it owns.
void ReadWithEverything(const std::string& path) {
    TMPEGaudio mpeg;
    (void)mpeg.ReadFile(path);
    (void)mpeg.Valid();
    (void)mpeg.Duration();
    (void)mpeg.Frames();
    (void)mpeg.BitRate();
    TOggVorbis ogg;
    (void)ogg.ReadFile(path);
    (void)ogg.Valid();
    TWMAfile wma;
    (void)wma.ReadFile(path);
    TWAVfile wav;
    (void)wav.ReadFile(path);
    (void)wav.Duration();
}

Bytes Mp3Fixture() {
    Bytes picture{0};
    test::Append(picture, std::string_view("image/jpeg\0\x03\0", 14));
    test::Append(picture, test::Repeat(0xD8, 700));
    Bytes file = test::ID3v2Tag(
        4,
        {{"TIT2", test::Latin1Frame("Title"), 0, true},
         {"APIC", picture, 0, true},
         {"COMM", {1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'c', 0}, 0, true}},
        1200);
    test::Append(file, test::MpegFrames(8));
    test::Append(file, test::ID3v1Block("v1", 0, 3, 4));
    return file;
}

struct Fixture {
    const char* name;
    Bytes (*make)();
};

class Damaged : public testing::TestWithParam<Fixture> {};

TEST_P(Damaged, TruncatedAtEveryStructure) {
    const Bytes full = GetParam().make();
    test::TempDir dir;
    const std::string path = dir.Path("f");
    for (std::size_t len = 0; len <= full.size(); len += len < 1500 ? 1 : 53) {
        test::WriteFileBytes(path,
                             Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
        ReadWithEverything(path);
    }
}

TEST_P(Damaged, RandomlyCorruptedBytes) {
    const Bytes full = GetParam().make();
    test::TempDir dir;
    const std::string path = dir.Path("f");
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        Bytes bad = full;
        const int hits = 1 + static_cast<int>(random() % 8);
        for (int h = 0; h < hits; ++h) {
            const std::size_t at = random() % std::min<std::size_t>(bad.size(), 1600);
            bad[at] = static_cast<std::uint8_t>(random() % 3 == 0 ? 0xFF : random());
        }
        test::WriteFileBytes(path, bad);
        ReadWithEverything(path);
    }
}

TEST_P(Damaged, RewritesOfTruncatedFilesChangeNothingOrSucceed) {
    const Bytes full = GetParam().make();
    test::TempDir dir;
    const std::string path = dir.Path("f");
    for (std::size_t len = 0; len <= full.size(); len += len < 600 ? 7 : 211) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
        test::WriteFileBytes(path, cut);
        TOggVorbis ogg;
        ogg.Title = "new";
        if (!ogg.WriteComments(path)) {
            EXPECT_EQ(test::ReadAll(path), cut) << len;
        }
        test::WriteFileBytes(path, cut);
        TID3v2 tag;
        tag.SetTitle("new");
        if (!tag.WriteTag(path)) {
            EXPECT_EQ(test::ReadAll(path), cut) << len;
        } else {
            TID3v2 back;
            ASSERT_TRUE(back.ReadFile(path));
            EXPECT_EQ(back.Title(), "new");
        }
        EXPECT_FALSE(test::Exists(path + "~"));
    }
}

Bytes OggFixture() {
    return test::OggStream("vendor", {"TITLE=t", "ARTIST=a", "X=y"}, 300, 2);
}

Bytes WavFixture() {
    Bytes h;
    test::Append(h, "RIFF");
    test::AppendLE32(h, 36 + 400);
    test::Append(h, "WAVEfmt ");
    test::AppendLE32(h, 16);
    test::AppendLE16(h, 1);
    test::AppendLE16(h, 2);
    test::AppendLE32(h, 8000);
    test::AppendLE32(h, 32000);
    test::AppendLE16(h, 4);
    test::AppendLE16(h, 16);
    test::Append(h, "data");
    test::AppendLE32(h, 400);
    test::Append(h, test::Repeat(0, 400));
    return h;
}

Bytes OggBehindTagFixture() {
    Bytes file = test::ID3v2Tag(3, {{"TIT2", test::Latin1Frame("x")}}, 64);
    test::Append(file, OggFixture());
    return file;
}

TEST(DamagedFiles, FoldersAndPipesAreNotRead) {
    test::TempDir dir;
    const std::string pipe = dir.Path("pipe.mp3");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe, dir.Path("")}) {
        TMPEGaudio mpeg;
        EXPECT_FALSE(mpeg.ReadFile(path));
        TOggVorbis ogg;
        EXPECT_FALSE(ogg.ReadFile(path));
        TWMAfile wma;
        EXPECT_FALSE(wma.ReadFile(path));
        TWAVfile wav;
        EXPECT_FALSE(wav.ReadFile(path));
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Damaged,
                         testing::Values(Fixture{"Mp3", &Mp3Fixture}, Fixture{"Ogg", &OggFixture},
                                         Fixture{"OggBehindTag", &OggBehindTagFixture},
                                         Fixture{"Wav", &WavFixture}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace wavora
