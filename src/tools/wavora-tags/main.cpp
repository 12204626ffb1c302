// wavora-tags FILE...: prints what the tag readers find, one JSON object per file and line.

#include "ID3v1.h"
#include "ID3v2.h"
#include "JsonWriter.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "TagText.h"
#include "WAVfile.h"
#include "WMAfile.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

using namespace wavora;

namespace {

void PutID3v1(JsonWriter& json, const TID3v1& tag) {
    json.BeginObject("id3v1");
    json.Bool("Present", tag.Present());
    json.Int("TagVersion", tag.TagVersion());
    json.String("Title", tag.Title());
    json.String("Artist", tag.Artist());
    json.String("Album", tag.Album());
    json.String("Year", tag.Year());
    json.String("Comment", tag.Comment());
    json.Int("Track", tag.Track());
    json.Int("GenreIndex", tag.GenreIndex());
    json.String("Genre", tag.Genre());
    json.EndObject();
}

void PutID3v2(JsonWriter& json, const TID3v2& tag) {
    json.BeginObject("id3v2");
    json.Bool("Present", tag.Present());
    json.Int("TagVersion", tag.TagVersion());
    json.Int("TagSize", tag.TagSize());
    json.String("Title", tag.Title());
    json.String("Artist", tag.Artist());
    json.String("Album", tag.Album());
    json.Int("Track", tag.Track());
    json.String("TrackText", tag.TrackText());
    json.String("Year", tag.Year());
    json.String("Genre", tag.Genre());
    json.String("Comment", tag.Comment());
    json.String("Composer", tag.Composer());
    json.String("EncodedBy", tag.EncodedBy());
    json.String("Copyright", tag.Copyright());
    json.String("Language", tag.Language());
    json.String("Url", tag.Url());
    json.String("OrigArtist", tag.OrigArtist());
    json.EndObject();
}

bool PutMpeg(JsonWriter& json, const std::string& path) {
    TMPEGaudio mpeg;
    const bool ok = mpeg.ReadFile(path);
    PutID3v1(json, mpeg.ID3v1());
    PutID3v2(json, mpeg.ID3v2());
    json.BeginObject("mpeg");
    json.Bool("ok", ok);
    json.Bool("Valid", mpeg.Valid());
    json.Int("FileSize", mpeg.FileSize());
    json.Int("BitRate", mpeg.BitRate());
    json.Int("SampleRate", mpeg.SampleRate());
    json.String("ChannelMode", mpeg.ChannelMode());
    json.Int("Frames", mpeg.Frames());
    json.Double("Duration", mpeg.Duration());
    json.Int("VersionIndex", mpeg.Frame().VersionIndex);
    json.Int("LayerIndex", mpeg.Frame().LayerIndex);
    json.Int("Position", mpeg.Frame().Position);
    json.Int("Size", mpeg.Frame().Size);
    json.BeginObject("Vbr");
    json.Bool("Found", mpeg.Vbr().Found);
    json.String("Id", mpeg.Vbr().Id);
    json.Int("Frames", mpeg.Vbr().Frames);
    json.Int("Bytes", mpeg.Vbr().Bytes);
    json.Int("Scale", mpeg.Vbr().Scale);
    json.String("VendorId", mpeg.Vbr().VendorId);
    json.EndObject();
    json.EndObject();
    return ok;
}

bool PutOgg(JsonWriter& json, const std::string& path) {
    TOggVorbis ogg;
    const bool ok = ogg.ReadFile(path);
    json.BeginObject("ogg");
    json.Bool("ok", ok);
    json.Bool("Valid", ogg.Valid());
    json.Int("FileSize", ogg.FileSize);
    json.Int("Channels", ogg.Channels);
    json.Int("SampleRate", ogg.SampleRate);
    json.Int("NominalBitRate", ogg.NominalBitRate);
    json.Int("Samples", ogg.Samples);
    json.Int("ID3v2Size", ogg.ID3v2Size);
    json.String("Title", ogg.Title);
    json.String("Artist", ogg.Artist);
    json.String("Album", ogg.Album);
    json.Int("Track", ogg.Track);
    json.String("Date", ogg.Date);
    json.String("Genre", ogg.Genre);
    json.String("Comment", ogg.Comment);
    json.String("Vendor", ogg.Vendor);
    json.Int("StreamVersion", ogg.StreamVersion);
    json.Int("SerialNumber", ogg.SerialNumber);
    json.BeginArray("ExtraFields");
    for (std::size_t start = 0; start < ogg.ExtraFields.size();) {
        auto end = ogg.ExtraFields.find('\0', start);
        if (end == std::string::npos) {
            end = ogg.ExtraFields.size();
        }
        json.String({}, std::string_view(ogg.ExtraFields).substr(start, end - start));
        start = end + 1;
    }
    json.EndArray();
    json.Double("Duration", ogg.Duration());
    json.Int("AverageBitRate", ogg.AverageBitRate());
    json.EndObject();
    return ok;
}

bool PutWma(JsonWriter& json, const std::string& path) {
    TWMAfile wma;
    const bool ok = wma.ReadFile(path);
    json.BeginObject("wma");
    json.Bool("ok", ok);
    json.Bool("Valid", wma.Valid());
    json.Int("FileSize", wma.FileSize());
    json.Int("Channels", wma.Channels());
    json.Int("SampleRate", wma.SampleRate());
    json.Double("Duration", wma.Duration());
    json.Int("BitRate", wma.BitRate());
    json.String("Title", Utf16ToUtf8(wma.Title()));
    json.String("Artist", Utf16ToUtf8(wma.Artist()));
    json.String("Album", Utf16ToUtf8(wma.Album()));
    json.Int("Track", wma.Track());
    json.String("Year", Utf16ToUtf8(wma.Year()));
    json.String("Genre", Utf16ToUtf8(wma.Genre()));
    json.String("Comment", Utf16ToUtf8(wma.Comment()));
    json.EndObject();
    return ok;
}

bool PutWav(JsonWriter& json, const std::string& path) {
    TWAVfile wav;
    const bool ok = wav.ReadFile(path);
    json.BeginObject("wav");
    json.Bool("ok", ok);
    json.Bool("Valid", wav.Valid());
    json.Int("Channels", wav.Channels());
    json.Int("SampleRate", wav.SampleRate());
    json.Int("BitsPerSample", wav.BitsPerSample());
    json.Int("FileSize", wav.FileSize());
    json.Double("Duration", wav.Duration());
    json.EndObject();
    return ok;
}

std::string LowerExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ext = path.substr(dot);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return ext;
}

// One line for one file; true when its reader (with --all: any reader) could read it.
bool Inspect(const std::string& path, bool all) {
    JsonWriter json;
    json.BeginObject();
    json.String("file", path);
    const std::string ext = LowerExtension(path);
    bool ok = false;
    bool chosen = false;
    if (all || ext == ".mp1" || ext == ".mp2" || ext == ".mp3") {
        chosen = true;
        ok = PutMpeg(json, path) || ok;
    }
    if (all || ext == ".ogg") {
        chosen = true;
        ok = PutOgg(json, path) || ok;
    }
    if (all || ext == ".wma") {
        chosen = true;
        ok = PutWma(json, path) || ok;
    }
    if (all || ext == ".wav") {
        chosen = true;
        ok = PutWav(json, path) || ok;
    }
    if (!chosen) {
        json.String("error", "no reader for this file type");
    }
    json.Bool("ok", ok);
    json.EndObject();
    std::cout << json.Text() << '\n';
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    bool all = false;
    bool optionsEnd = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnd && arg == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && arg == "--all") {
            all = true;
        } else if (!optionsEnd && (arg == "--help" || arg == "-h")) {
            std::cout << "usage: wavora-tags [--all] [--] FILE...\n";
            return 0;
        } else if (!optionsEnd && arg.size() > 1 && arg.front() == '-') {
            std::cerr << "wavora-tags: unknown option " << arg << '\n';
            return 2;
        } else {
            files.emplace_back(arg);
        }
    }
    if (files.empty()) {
        std::cerr << "usage: wavora-tags [--all] [--] FILE...\n";
        return 2;
    }
    bool allRead = true;
    for (const std::string& file : files) {
        allRead = Inspect(file, all) && allRead;
    }
    std::cout.flush();
    return allRead ? 0 : 1;
}
