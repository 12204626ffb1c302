#include "ID3v1.h"

#include "Bytes.h"
#include "TagFile.h"
#include "TagText.h"

#include <array>
#include <fcntl.h>
#include <unistd.h>

namespace wavora {

const std::array<std::string_view, GenreCount> GenreNames = {"Blues",
                                                             "Classic Rock",
                                                             "Country",
                                                             "Dance",
                                                             "Disco",
                                                             "Funk",
                                                             "Grunge",
                                                             "Hip-Hop",
                                                             "Jazz",
                                                             "Metal",
                                                             "New Age",
                                                             "Oldies",
                                                             "Other",
                                                             "Pop",
                                                             "R&B",
                                                             "Rap",
                                                             "Reggae",
                                                             "Rock",
                                                             "Techno",
                                                             "Industrial",
                                                             "Alternative",
                                                             "Ska",
                                                             "Death Metal",
                                                             "Pranks",
                                                             "Soundtrack",
                                                             "Euro-Techno",
                                                             "Ambient",
                                                             "Trip-Hop",
                                                             "Vocal",
                                                             "Jazz+Funk",
                                                             "Fusion",
                                                             "Trance",
                                                             "Classical",
                                                             "Instrumental",
                                                             "Acid",
                                                             "House",
                                                             "Game",
                                                             "Sound Clip",
                                                             "Gospel",
                                                             "Noise",
                                                             "AlternRock",
                                                             "Bass",
                                                             "Soul",
                                                             "Punk",
                                                             "Space",
                                                             "Meditative",
                                                             "Instrumental Pop",
                                                             "Instrumental Rock",
                                                             "Ethnic",
                                                             "Gothic",
                                                             "Darkwave",
                                                             "Techno-Industrial",
                                                             "Electronic",
                                                             "Pop-Folk",
                                                             "Eurodance",
                                                             "Dream",
                                                             "Southern Rock",
                                                             "Comedy",
                                                             "Cult",
                                                             "Gangsta",
                                                             "Top 40",
                                                             "Christian Rap",
                                                             "Pop/Funk",
                                                             "Jungle",
                                                             "Native American",
                                                             "Cabaret",
                                                             "New Wave",
                                                             "Psychadelic",
                                                             "Rave",
                                                             "Showtunes",
                                                             "Trailer",
                                                             "Lo-Fi",
                                                             "Tribal",
                                                             "Acid Punk",
                                                             "Acid Jazz",
                                                             "Polka",
                                                             "Retro",
                                                             "Musical",
                                                             "Rock & Roll",
                                                             "Hard Rock",
                                                             "Folk",
                                                             "Folk-Rock",
                                                             "National Folk",
                                                             "Swing",
                                                             "Fast Fusion",
                                                             "Bebob",
                                                             "Latin",
                                                             "Revival",
                                                             "Celtic",
                                                             "Bluegrass",
                                                             "Avantgarde",
                                                             "Gothic Rock",
                                                             "Progessive Rock",
                                                             "Psychedelic Rock",
                                                             "Symphonic Rock",
                                                             "Slow Rock",
                                                             "Big Band",
                                                             "Chorus",
                                                             "Easy Listening",
                                                             "Acoustic",
                                                             "Humour",
                                                             "Speech",
                                                             "Chanson",
                                                             "Opera",
                                                             "Chamber Music",
                                                             "Sonata",
                                                             "Symphony",
                                                             "Booty Bass",
                                                             "Primus",
                                                             "Porn Groove",
                                                             "Satire",
                                                             "Slow Jam",
                                                             "Club",
                                                             "Tango",
                                                             "Samba",
                                                             "Folklore",
                                                             "Ballad",
                                                             "Power Ballad",
                                                             "Rhythmic Soul",
                                                             "Freestyle",
                                                             "Duet",
                                                             "Punk Rock",
                                                             "Drum Solo",
                                                             "A capella",
                                                             "Euro-House",
                                                             "Dance Hall",
                                                             "Goa",
                                                             "Drum & Bass",
                                                             "Club-House",
                                                             "Hardcore",
                                                             "Terror",
                                                             "Indie",
                                                             "BritPop",
                                                             "Negerpunk",
                                                             "Polsk Punk",
                                                             "Beat",
                                                             "Christian Gangsta Rap",
                                                             "Heavy Metal",
                                                             "Black Metal",
                                                             "Crossover",
                                                             "Contemporary Christian",
                                                             "Christian Rock",
                                                             "Merengue",
                                                             "Salsa",
                                                             "Trash Metal",
                                                             "Anime",
                                                             "JPop",
                                                             "Synthpop"};

namespace {

using Block = std::array<std::uint8_t, TID3v1::kTagSize>;

// Reads the last 128 bytes; false for a file shorter than that or on any error.
bool ReadLastBlock(TReadFile& file, Block& block, std::int64_t& size) {
    size = file.Size();
    return file.IsOpen() && size >= static_cast<std::int64_t>(block.size()) &&
           file.ReadExact(size - static_cast<std::int64_t>(block.size()), block.data(),
                          block.size());
}

} // namespace

void TID3v1::Clear() {
    present_ = false;
    tagVersion_ = 1;
    title_.clear();
    artist_.clear();
    album_.clear();
    year_.clear();
    comment_.clear();
    track_ = 0;
    genreIndex_ = 255;
}

std::string TID3v1::Genre() const {
    return genreIndex_ < GenreCount ? std::string(GenreNames[genreIndex_]) : std::string();
}

std::string TID3v1::Limit(std::string_view utf8, std::size_t bytesOnDisk) {
    // Every character takes one byte on disk, so the limit counts characters.
    const std::string text = SanitizeUtf8(TrimControlRight(utf8));
    std::size_t chars = 0;
    std::size_t end = 0;
    for (; end < text.size(); ++end) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && chars++ == bytesOnDisk) {
            break;
        }
    }
    return std::string(TrimControlRight(std::string_view(text).substr(0, end)));
}

std::string TID3v1::Field(const std::uint8_t* p, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(p), size);
    return Latin1ToUtf8(TrimControlRight(raw));
}

std::uint8_t TID3v1::VersionOf(const std::uint8_t* block) {
    const bool v11 =
        (block[125] == 0 && block[126] != 0) || (block[125] == 0x20 && block[126] != 0x20);
    return v11 ? 2 : 1;
}

bool TID3v1::ReadFile(const std::string& fileName) {
    TReadFile file(fileName);
    return ReadFrom(file);
}

bool TID3v1::ReadFrom(TReadFile& file) {
    Clear();
    Block block{};
    std::int64_t size = 0;
    if (!ReadLastBlock(file, block, size)) {
        return false;
    }
    if (!BytesAre(block.data(), "TAG")) {
        return true;
    }
    present_ = true;
    tagVersion_ = VersionOf(block.data());
    title_ = Field(block.data() + 3, 30);
    artist_ = Field(block.data() + 33, 30);
    album_ = Field(block.data() + 63, 30);
    year_ = Field(block.data() + 93, 4);
    if (tagVersion_ == 2) {
        comment_ = Field(block.data() + 97, 28);
        track_ = block[126];
    } else {
        comment_ = Field(block.data() + 97, 30);
    }
    genreIndex_ = block[127];
    return true;
}

bool TID3v1::ReadTagBuffer(const std::uint8_t* block, TMP3TagInfo& info) {
    if (block == nullptr || !BytesAre(block, "TAG")) {
        return false;
    }
    tagVersion_ = VersionOf(block);
    genreIndex_ = block[127];
    info.Title = Field(block + 3, 30);
    info.Artist = Field(block + 33, 30);
    info.Album = Field(block + 63, 30);
    info.Year = Field(block + 93, 4);
    info.Comment = Field(block + 97, tagVersion_ == 2 ? 28 : 30);
    info.Track = tagVersion_ == 2 ? block[126] : 0;
    info.Genre = Genre();
    return true;
}

bool TID3v1::RemoveTag(const std::string& fileName) {
    Block block{};
    std::int64_t size = 0;
    {
        TReadFile file(fileName);
        if (!ReadLastBlock(file, block, size)) {
            return false;
        }
    }
    if (!BytesAre(block.data(), "TAG")) {
        return true;
    }
    if (!MakeWritable(fileName)) {
        return false;
    }
    const ScopedFd file{::open(fileName.c_str(), O_RDWR | O_CLOEXEC)};
    return file.fd >= 0 && ::ftruncate(file.fd, size - static_cast<off_t>(kTagSize)) == 0;
}

bool TID3v1::WriteTag(const std::string& fileName) {
    Block tag{};
    auto put = [&tag](std::size_t offset, const std::string& text, std::size_t limit) {
        const std::string latin1 = Utf8ToLatin1(text);
        for (std::size_t i = 0; i < latin1.size() && i < limit; ++i) {
            tag[offset + i] = static_cast<std::uint8_t>(latin1[i]);
        }
    };
    tag[0] = 'T';
    tag[1] = 'A';
    tag[2] = 'G';
    put(3, title_, 30);
    put(33, artist_, 30);
    put(63, album_, 30);
    put(93, year_, 4);
    put(97, comment_, 30);
    if (track_ > 0) {
        tag[125] = 0;
        tag[126] = track_;
    }
    tag[127] = genreIndex_;

    Block last{};
    std::int64_t size = 0;
    {
        TReadFile file(fileName);
        if (!ReadLastBlock(file, last, size)) {
            return false;
        }
    }
    if (!MakeWritable(fileName)) {
        return false;
    }
    const ScopedFd file{::open(fileName.c_str(), O_RDWR | O_CLOEXEC)};
    if (file.fd < 0) {
        return false;
    }
    // An old tag is overwritten where it stands rather than cut off and appended again, so the
    // file never exists without a tag in between.
    const off_t at = BytesAre(last.data(), "TAG") ? size - static_cast<off_t>(kTagSize) : size;
    std::size_t done = 0;
    while (done < tag.size()) {
        const ssize_t n =
            ::pwrite(file.fd, tag.data() + done, tag.size() - done, at + static_cast<off_t>(done));
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace wavora
