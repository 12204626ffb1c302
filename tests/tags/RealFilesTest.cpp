// Round trips through files made by the real encoders, checked by independent readers.

#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "TagText.h"
#include "TestFiles.h"
#include "WAVfile.h"
#include "WMAfile.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace wavora {
namespace {

using test::Bytes;
using test::Capture;
using test::Quote;
constexpr auto Shell = &test::Run;

class RealFiles : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir();
        wav_ = dir_->Path("source.wav");
        ASSERT_EQ(Shell("ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:duration=4 "
                        "-ac 2 -ar 44100 " +
                        Quote(wav_)),
                  0);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    static std::string Probe(const std::string& path, const std::string& entry) {
        std::string out = Capture("ffprobe -v error -show_entries " + entry +
                                  " -of default=noprint_wrappers=1:nokey=1 " + Quote(path));
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) {
            out.pop_back();
        }
        return out;
    }
    static std::string PcmDigest(const std::string& path) {
        return Capture("ffmpeg -nostdin -loglevel error -i " + Quote(path) + " -f md5 -");
    }

    static test::TempDir* dir_;
    static std::string wav_;
};

test::TempDir* RealFiles::dir_ = nullptr;
std::string RealFiles::wav_;

TEST_F(RealFiles, Mp3TagsWrittenByUsAreReadByFFmpeg) {
    const std::string mp3 = dir_->Path("cbr -'x'.mp3");
    ASSERT_EQ(Shell("lame --quiet -b 128 " + Quote(wav_) + " " + Quote(mp3)), 0);
    const Bytes audio = test::ReadAll(mp3);

    TMPEGaudio mpeg;
    ASSERT_TRUE(mpeg.ReadFile(mp3));
    mpeg.ID3v2().SetTitle("Tïtle ☃ 😀");
    mpeg.ID3v2().SetArtist("Ärtist \"quoted\"");
    mpeg.ID3v2().SetAlbum("Album");
    mpeg.ID3v2().SetYear("2004");
    mpeg.ID3v2().SetGenre("Jazz");
    ASSERT_TRUE(mpeg.ID3v2().WriteTag(mp3));
    mpeg.ID3v1().SetTitle("V1 title");
    mpeg.ID3v1().SetGenreIndex(8);
    ASSERT_TRUE(mpeg.ID3v1().WriteTag(mp3));

    const Bytes tagged = test::ReadAll(mp3);
    ASSERT_EQ(tagged.size(), audio.size() + 4096 + 128);
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), tagged.begin() + 4096));
    EXPECT_EQ(Probe(mp3, "format_tags=title"), "Tïtle ☃ 😀");
    EXPECT_EQ(Probe(mp3, "format_tags=artist"), "Ärtist \"quoted\"");
    EXPECT_EQ(Probe(mp3, "format_tags=genre"), "Jazz");

    TMPEGaudio back;
    ASSERT_TRUE(back.ReadFile(mp3));
    EXPECT_TRUE(back.Valid());
    EXPECT_EQ(back.ID3v2().Title(), "Tïtle ☃ 😀");
    EXPECT_EQ(back.ID3v1().Genre(), "Jazz");
    // The average of the "Info" header counts its own frame among the bytes, not the frames.
    EXPECT_NEAR(back.BitRate(), 128, 1);
    EXPECT_EQ(back.SampleRate(), 44100);
    EXPECT_NEAR(back.Duration(), std::stod(Probe(mp3, "format=duration")), 0.1);
}

TEST_F(RealFiles, Mp3TagsWrittenByLameAreReadByUs) {
    const std::string mp3 = dir_->Path("lame.mp3");
    ASSERT_EQ(Shell("lame --quiet -V 4 --add-id3v2 --tt 'Sümmer' --ta Artist --tl Album --ty 1999 "
                    "--tn 4/9 --tg Rock --tc Comment " +
                    Quote(wav_) + " " + Quote(mp3)),
              0);
    TMPEGaudio mpeg;
    ASSERT_TRUE(mpeg.ReadFile(mp3));
    EXPECT_TRUE(mpeg.Valid());
    EXPECT_TRUE(mpeg.Vbr().Found);
    EXPECT_EQ(mpeg.Vbr().Id, "Xing");
    EXPECT_EQ(mpeg.ID3v2().Title(), "Sümmer");
    EXPECT_EQ(mpeg.ID3v2().Track(), 4);
    EXPECT_EQ(mpeg.ID3v2().Genre(), "Rock");
    EXPECT_EQ(mpeg.ID3v2().Comment(), "Comment");
    EXPECT_EQ(mpeg.ID3v1().Title(), "Sümmer");
    EXPECT_EQ(mpeg.ID3v1().Track(), 4);
    EXPECT_NEAR(mpeg.Duration(), std::stod(Probe(mp3, "format=duration")), 0.06);
    const double probeRate = std::stod(Probe(mp3, "format=bit_rate")) / 1000;
    EXPECT_NEAR(mpeg.BitRate(), probeRate, probeRate * 0.1);
}

TEST_F(RealFiles, Id3v24TagsFromFFmpegRead) {
    const std::string mp3 = dir_->Path("v24.mp3");
    const std::string art = dir_->Path("cover.png");
    ASSERT_EQ(Shell("ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=64x64 -frames:v 1 " +
                    Quote(art)),
              0);
    ASSERT_EQ(Shell("ffmpeg -nostdin -loglevel error -i " + Quote(wav_) + " -i " + Quote(art) +
                    " -map 0 -map 1 -c:a libmp3lame -b:a 96k -c:v copy -id3v2_version 4 "
                    "-metadata title='Größe 😀' -metadata artist='Ärtist' -metadata album=A "
                    "-metadata track=2 " +
                    Quote(mp3)),
              0);
    TMPEGaudio mpeg;
    ASSERT_TRUE(mpeg.ReadFile(mp3));
    EXPECT_EQ(mpeg.ID3v2().TagVersion(), 4);
    EXPECT_EQ(mpeg.ID3v2().Title(), "Größe 😀");
    EXPECT_EQ(mpeg.ID3v2().Artist(), "Ärtist");
    EXPECT_EQ(mpeg.ID3v2().Track(), 2);
    EXPECT_TRUE(mpeg.Valid());
}

TEST_F(RealFiles, OggCommentsRewrittenKeepTheStreamIntact) {
    const std::string ogg = dir_->Path("song.ogg");
    ASSERT_EQ(Shell("oggenc -Q -t 'Old' -a 'Ärtist' -c 'replaygain_track_gain=-1 dB' " +
                    Quote(wav_) + " -o " + Quote(ogg)),
              0);
    const std::string digest = PcmDigest(ogg);
    ASSERT_FALSE(digest.empty());

    TOggVorbis tags;
    ASSERT_TRUE(tags.ReadFile(ogg));
    EXPECT_TRUE(tags.Valid());
    EXPECT_EQ(tags.Title, "Old");
    EXPECT_EQ(tags.Artist, "Ärtist");
    EXPECT_NEAR(tags.Duration(), 4.0, 0.01);
    EXPECT_EQ(tags.ExtraFields, "REPLAYGAIN_TRACK_GAIN=-1 dB");

    for (const std::string& title :
         {std::string("Grüße 😀 ") + std::string(300, 'g'), std::string("Short ☃")}) {
        tags.Title = title;
        tags.Genre = "Genre";
        ASSERT_TRUE(tags.WriteComments(ogg));
        EXPECT_EQ(PcmDigest(ogg), digest);
        EXPECT_EQ(Probe(ogg, "stream_tags=title"), title);
        EXPECT_EQ(Probe(ogg, "stream_tags=REPLAYGAIN_TRACK_GAIN"), "-1 dB");
        if (test::HaveTool("ogginfo")) {
            const std::string info = Capture("ogginfo " + Quote(ogg) + " 2>&1");
            EXPECT_EQ(info.find("WARNING"), std::string::npos) << info;
            EXPECT_EQ(info.find("ERROR"), std::string::npos) << info;
        }
    }
}

TEST_F(RealFiles, WmaFromFFmpeg) {
    const std::string wma = dir_->Path("song.wma");
    ASSERT_EQ(Shell("ffmpeg -nostdin -loglevel error -i " + Quote(wav_) +
                    " -c:a wmav2 -b:a 128k -metadata title='Tïtle 😀' -metadata artist=Who "
                    "-metadata album=Alb -metadata genre=Jazz " +
                    Quote(wma)),
              0);
    TWMAfile file;
    ASSERT_TRUE(file.ReadFile(wma));
    EXPECT_TRUE(file.Valid());
    EXPECT_EQ(Utf16ToUtf8(file.Title()), "Tïtle 😀");
    EXPECT_EQ(file.Artist(), u"Who");
    EXPECT_EQ(file.Album(), u"Alb");
    EXPECT_EQ(file.Genre(), u"Jazz");
    EXPECT_EQ(file.Channels(), 2);
    EXPECT_EQ(file.SampleRate(), 44100);
    EXPECT_EQ(file.BitRate(), 128);
}

TEST_F(RealFiles, WavFromFFmpeg) {
    TWAVfile wav;
    ASSERT_TRUE(wav.ReadFile(wav_));
    EXPECT_TRUE(wav.Valid());
    EXPECT_EQ(wav.Channels(), 2);
    EXPECT_EQ(wav.BitsPerSample(), 16);
    // FFmpeg adds a LIST chunk, which the 44-byte view counts as audio.
    EXPECT_NEAR(wav.Duration(), 4.0, 0.01);
}

// Files of the two common encoders at constant rates (with their "Info" header, whose own frame
// may be coded at a lower rate than the audio) and in VBR, with and without an ID3v2 tag: bit
// rate and duration agree with FFmpeg's reading.
TEST_F(RealFiles, Mp3BitRateAndDurationAgreeWithFFmpeg) {
    const std::string noise = dir_->Path("noise.wav");
    ASSERT_EQ(Shell("ffmpeg -nostdin -loglevel error -f lavfi -i "
                    "anoisesrc=d=8:a=0.2:color=pink -ac 2 -ar 44100 " +
                    Quote(noise)),
              0);
    struct Case {
        const char* name;
        const char* command; // %in and %out stand for the source and the output
    };
    static constexpr std::array<Case, 10> cases{{
        {"lame 64", "lame --quiet -b 64 %in %out"},
        {"lame 128 id3v2", "lame --quiet -b 128 --id3v2-only --tt Title %in %out"},
        {"lame 320", "lame --quiet -b 320 %in %out"},
        {"lame vbr", "lame --quiet -V 2 %in %out"},
        {"lame 32 mono 22050", "lame --quiet -m m --resample 22.05 -b 32 %in %out"},
        {"ffmpeg default", "ffmpeg -nostdin -loglevel error -i %in %out"},
        {"ffmpeg 320 no id3v2", "ffmpeg -nostdin -loglevel error -i %in -b:a 320k "
                                "-id3v2_version 0 %out"},
        {"ffmpeg 64 mono", "ffmpeg -nostdin -loglevel error -i %in -ac 1 -b:a 64k %out"},
        {"ffmpeg vbr", "ffmpeg -nostdin -loglevel error -i %in -q:a 4 %out"},
        {"ffmpeg 48 at 24000", "ffmpeg -nostdin -loglevel error -i %in -ar 24000 -b:a 48k %out"},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string mp3 = dir_->Path(std::string(c.name) + ".mp3");
        std::string command = c.command;
        command.replace(command.find("%in"), 3, Quote(noise));
        command.replace(command.find("%out"), 4, Quote(mp3));
        ASSERT_EQ(Shell(command), 0);
        TMPEGaudio mpeg;
        ASSERT_TRUE(mpeg.ReadFile(mp3));
        ASSERT_TRUE(mpeg.Valid());
        const double duration = std::stod(Probe(mp3, "format=duration"));
        std::string rate = Probe(mp3, "stream=bit_rate");
        if (rate.empty() || rate == "N/A") {
            rate = Probe(mp3, "format=bit_rate");
        }
        EXPECT_NEAR(mpeg.Duration(), duration, duration * 0.01);
        EXPECT_NEAR(mpeg.BitRate() * 1000.0, std::stod(rate), std::stod(rate) * 0.01);
    }
}

TEST_F(RealFiles, InspectorPrintsOneJsonLinePerFile) {
    const std::string tool = std::string(WAVORA_PROGRAM_DIR) + "wavora-tags";
    const std::string mp3 = dir_->Path("-dash \"q\" ünï.mp3");
    ASSERT_EQ(
        Shell("lame --quiet -b 64 --tt 'Quote \" back\\slash' " + Quote(wav_) + " " + Quote(mp3)),
        0);
    const std::string ogg = dir_->Path("i.ogg");
    ASSERT_EQ(Shell("oggenc -Q -t 'T' " + Quote(wav_) + " -o " + Quote(ogg)), 0);

    const std::string out = Capture(Quote(tool) + " -- " + Quote(mp3) + " " + Quote(ogg));
    const auto newline = out.find('\n');
    ASSERT_NE(newline, std::string::npos);
    const std::string first = out.substr(0, newline);
    EXPECT_NE(first.find("\"file\":\"" + dir_->Path("-dash \\\"q\\\" ünï.mp3") + "\""),
              std::string::npos)
        << first;
    EXPECT_NE(first.find("\"Title\":\"Quote \\\" back\\\\slash\""), std::string::npos) << first;
    EXPECT_NE(first.find("\"mpeg\":{\"ok\":true,\"Valid\":true"), std::string::npos) << first;
    EXPECT_NE(out.find("\"ogg\":{\"ok\":true,\"Valid\":true"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
    EXPECT_EQ(Shell(Quote(tool) + " -- " + Quote(mp3) + " >/dev/null"), 0);
    EXPECT_EQ(Shell(Quote(tool) + " " + Quote(dir_->Path("missing.ogg")) + " >/dev/null"), 1);
    EXPECT_EQ(
        Shell(Quote(tool) + " " + Quote(ogg) + " " + Quote(dir_->Path("x.txt")) + " >/dev/null"),
        1);
    const std::string all = Capture(Quote(tool) + " --all " + Quote(ogg));
    for (const char* key :
         {"\"id3v1\"", "\"id3v2\"", "\"mpeg\"", "\"ogg\"", "\"wma\"", "\"wav\""}) {
        EXPECT_NE(all.find(key), std::string::npos) << key;
    }
}

} // namespace
} // namespace wavora
