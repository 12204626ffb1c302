// Reads title, artist, album, year, genre, duration and bit rate of 2000 MP3 files (ID3v2.3
// and ID3v1) and 500 Ogg Vorbis files, with our readers and with TagLib, warm cache, and
// prints files per second and the ratio.

#include "MPEGaudio.h"
#include "OggVorbis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

volatile std::size_t gSink = 0; // keeps the reads from being optimised away

void WriteSineWav(const std::string& path, int seconds) {
    constexpr int kRate = 44100;
    const std::uint32_t frames = static_cast<std::uint32_t>(kRate * seconds);
    std::vector<std::uint8_t> out;
    auto le = [&out](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    auto text = [&out](const char* s) { out.insert(out.end(), s, s + 4); };
    text("RIFF");
    le(36 + frames * 4, 4);
    text("WAVE");
    text("fmt ");
    le(16, 4);
    le(1, 2);
    le(2, 2);
    le(kRate, 4);
    le(kRate * 4, 4);
    le(4, 2);
    le(16, 2);
    text("data");
    le(frames * 4, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / kRate));
        le(static_cast<std::uint16_t>(s), 2);
        le(static_cast<std::uint16_t>(s), 2);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
}

bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Best of a few passes, in files per second.
double Rate(const std::vector<std::string>& files,
            const std::function<void(const std::string&)>& read) {
    double best = 0;
    for (int pass = 0; pass < 5; ++pass) {
        const auto start = Clock::now();
        for (const std::string& f : files) {
            read(f);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::max(best, static_cast<double>(files.size()) / seconds);
    }
    return best;
}

void OursMp3(const std::string& path) {
    wavora::TMPEGaudio mpeg;
    if (!mpeg.ReadFile(path)) {
        std::abort();
    }
    const auto& v2 = mpeg.ID3v2();
    const auto& v1 = mpeg.ID3v1();
    const bool useV2 = !v2.Title().empty();
    const std::string title = useV2 ? v2.Title() : v1.Title();
    const std::string artist = useV2 ? v2.Artist() : v1.Artist();
    const std::string album = useV2 ? v2.Album() : v1.Album();
    const std::string year = useV2 ? v2.Year() : v1.Year();
    const std::string genre = useV2 ? v2.Genre() : v1.Genre();
    gSink = gSink + title.size() + artist.size() + album.size() + year.size() + genre.size() +
            static_cast<std::size_t>(mpeg.Duration()) + mpeg.BitRate();
}

void OursOgg(const std::string& path) {
    wavora::TOggVorbis ogg;
    if (!ogg.ReadFile(path)) {
        std::abort();
    }
    gSink = gSink + ogg.Title.size() + ogg.Artist.size() + ogg.Album.size() + ogg.Date.size() +
            ogg.Genre.size() + static_cast<std::size_t>(ogg.Duration()) + ogg.AverageBitRate();
}

void WithTagLib(const std::string& path) {
    const TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Fast);
    if (file.isNull() || file.tag() == nullptr || file.audioProperties() == nullptr) {
        std::abort();
    }
    const TagLib::Tag* tag = file.tag();
    gSink = gSink + tag->title().to8Bit(true).size() + tag->artist().to8Bit(true).size() +
            tag->album().to8Bit(true).size() + tag->year() + tag->genre().to8Bit(true).size() +
            static_cast<std::size_t>(file.audioProperties()->length()) +
            static_cast<std::size_t>(file.audioProperties()->bitrate());
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "wavora-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    const fs::path dir = pattern;
    const std::string wav = (dir / "source.wav").string();
    WriteSineWav(wav, 3);
    const std::string mp3 = (dir / "source.mp3").string();
    const std::string ogg = (dir / "source.ogg").string();
    if (!Shell("lame --quiet -b 128 '" + wav + "' '" + mp3 + "'") ||
        !Shell("oggenc -Q -q 3 '" + wav + "' -o '" + ogg + "'")) {
        std::fprintf(stderr, "bench_tags: lame and oggenc are needed\n");
        return 1;
    }

    std::vector<std::string> mp3s;
    std::vector<std::string> oggs;
    for (int i = 0; i < 2000; ++i) {
        const std::string path = (dir / ("song" + std::to_string(i) + ".mp3")).string();
        fs::copy_file(mp3, path);
        wavora::TMPEGaudio tags;
        tags.ID3v2().SetTitle("Title number " + std::to_string(i));
        tags.ID3v2().SetArtist("Ärtist");
        tags.ID3v2().SetAlbum("Album");
        tags.ID3v2().SetYear("2004");
        tags.ID3v2().SetGenre("Rock");
        tags.ID3v1().SetTitle("Title number " + std::to_string(i));
        tags.ID3v1().SetArtist("Artist");
        tags.ID3v1().SetGenreIndex(17);
        if (!tags.ID3v2().WriteTag(path) || !tags.ID3v1().WriteTag(path)) {
            return 1;
        }
        mp3s.push_back(path);
    }
    for (int i = 0; i < 500; ++i) {
        const std::string path = (dir / ("song" + std::to_string(i) + ".ogg")).string();
        fs::copy_file(ogg, path);
        wavora::TOggVorbis tags;
        tags.Title = "Title number " + std::to_string(i);
        tags.Artist = "Ärtist";
        tags.Album = "Album";
        tags.Date = "2004";
        tags.Genre = "Rock";
        if (!tags.WriteComments(path)) {
            return 1;
        }
        oggs.push_back(path);
    }

    // Warm the cache.
    for (const auto& f : mp3s) {
        OursMp3(f);
        WithTagLib(f);
    }
    for (const auto& f : oggs) {
        OursOgg(f);
        WithTagLib(f);
    }

    const double oursMp3 = Rate(mp3s, OursMp3);
    const double taglibMp3 = Rate(mp3s, WithTagLib);
    const double oursOgg = Rate(oggs, OursOgg);
    const double taglibOgg = Rate(oggs, WithTagLib);
    std::printf("MP3 (ID3v2.3 + ID3v1), %zu files: wavora %.0f files/s, TagLib %.0f files/s, "
                "ratio %.2f\n",
                mp3s.size(), oursMp3, taglibMp3, oursMp3 / taglibMp3);
    std::printf("Ogg Vorbis, %zu files: wavora %.0f files/s, TagLib %.0f files/s, ratio %.2f\n",
                oggs.size(), oursOgg, taglibOgg, oursOgg / taglibOgg);
    fs::remove_all(dir);
    return 0;
}
