#include "ID3v2.h"

#include "Bytes.h"
#include "TagFile.h"
#include "TagText.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace wavora {

namespace {

struct FrameId {
    std::string_view v34;
    std::string_view v2;
};

// Index k here is frame k + 1 of the tag layout: title, artist, album, track, year, genre,
// comment, composer, encoded by, copyright, language, URL, year fallback, original artist,
// title fallback, album fallback.
constexpr std::array<FrameId, TID3v2::kFrameCount> FrameIds = {{
    {"TIT2", "TT2"},
    {"TPE1", "TP1"},
    {"TALB", "TAL"},
    {"TRCK", "TRK"},
    {"TYER", "TYE"},
    {"TCON", "TCO"},
    {"COMM", "COM"},
    {"TCOM", "TCM"},
    {"TENC", "TEN"},
    {"TCOP", "TCR"},
    {"TLAN", "TLA"},
    {"WXXX", "WXX"},
    {"TDRC", "TOR"},
    {"TOPE", "TOA"},
    {"TIT1", "TT1"},
    {"TOAL", "TOT"},
}};

enum Frame : std::size_t {
    kTitle,
    kArtist,
    kAlbum,
    kTrack,
    kYear,
    kGenre,
    kComment,
    kComposer,
    kEncodedBy,
    kCopyright,
    kLanguage,
    kUrl,
    kYearFallback,
    kOrigArtist,
    kTitleFallback,
    kAlbumFallback
};

constexpr std::uint8_t kFooterFlag = 0x10;
constexpr std::uint8_t kExtendedHeaderFlag = 0x40;

bool IsUpper(std::uint8_t c) {
    return c >= 'A' && c <= 'Z';
}
bool IsIdChar(std::uint8_t c) {
    return IsUpper(c) || (c >= '0' && c <= '9');
}

// Reads bytes of the tag, from a file or from memory, never beyond `limit`.
template <typename ReadAt>
class TagSource {
public:
    TagSource(ReadAt readAt, std::int64_t limit) : readAt_(readAt), limit_(limit) {}
    // Bytes delivered, at most `count`, none from `limit` on.
    std::size_t Read(std::int64_t offset, std::uint8_t* out, std::size_t count) {
        if (offset < 0 || offset >= limit_) {
            return 0;
        }
        count = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(count), limit_ - offset));
        const std::int64_t n = readAt_(offset, out, count);
        return n < 0 ? 0 : static_cast<std::size_t>(n);
    }

private:
    ReadAt readAt_;
    std::int64_t limit_;
};

// Does a frame that ends at `next` end on the next frame header, the padding or the tag's end?
template <typename Source>
bool LandsOnFrame(Source& source, std::int64_t next, std::int64_t tagEnd) {
    if (next == tagEnd) {
        return true;
    }
    if (next > tagEnd) {
        return false;
    }
    std::array<std::uint8_t, 4> id{};
    const std::size_t n = source.Read(next, id.data(), id.size());
    if (n == 0) {
        return true;
    }
    if (id[0] == 0) {
        return true;
    }
    return n == id.size() && IsUpper(id[0]) && IsIdChar(id[1]) && IsIdChar(id[2]) &&
           IsIdChar(id[3]);
}

bool AcceptedEncoding(std::uint8_t encoding, std::uint8_t version) {
    return encoding <= 1 || (version == 4 && encoding <= 3);
}

// Walks the frames from offset 10 up to `tagEnd`, keeping the first 500 bytes of the content
// of every known frame (a later frame of the same kind replaces an earlier one).
template <typename Source>
void WalkFrames(Source& source, std::uint8_t version, std::uint8_t flags, std::int64_t tagEnd,
                std::array<std::string, TID3v2::kFrameCount>& texts) {
    const std::size_t headerSize = version == 2 ? 6 : 10;
    const std::size_t idSize = version == 2 ? 3 : 4;
    std::int64_t pos = 10;
    if (version >= 3 && (flags & kExtendedHeaderFlag) != 0) {
        std::array<std::uint8_t, 4> ext{};
        if (source.Read(pos, ext.data(), ext.size()) != ext.size()) {
            return;
        }
        // Version 2.3 counts the bytes after the size field, 2.4 the whole header (syncsafe).
        pos += version == 3 ? 4 + std::int64_t{ReadBE32(ext.data())}
                            : (std::int64_t{ext[0] & 0x7F} << 21) | ((ext[1] & 0x7F) << 14) |
                                  ((ext[2] & 0x7F) << 7) | (ext[3] & 0x7F);
    }
    std::array<std::uint8_t, 10> header{};
    std::array<std::uint8_t, TID3v2::kFrameTextLimit> content{};
    while (pos < tagEnd) {
        if (source.Read(pos, header.data(), headerSize) != headerSize || !IsUpper(header[0])) {
            return;
        }
        std::int64_t size = 0;
        if (version == 2) {
            size = ReadBE24(header.data() + 3);
        } else if (version == 3) {
            size = ReadBE32(header.data() + 4);
        } else {
            // 2.4 sizes are syncsafe, but some writers store plain numbers there: take the
            // reading whose frame ends on the next frame, the padding or the tag's end.
            const std::uint8_t* s = header.data() + 4;
            const std::int64_t plain = ReadBE32(s);
            const bool syncsafeForm = ((s[0] | s[1] | s[2] | s[3]) & 0x80) == 0;
            const std::int64_t syncsafe =
                (std::int64_t{s[0]} << 21) | (s[1] << 14) | (s[2] << 7) | s[3];
            const std::int64_t start = pos + static_cast<std::int64_t>(headerSize);
            size = syncsafeForm ? syncsafe : plain;
            if (syncsafeForm && plain != syncsafe &&
                !LandsOnFrame(source, start + syncsafe, tagEnd) &&
                LandsOnFrame(source, start + plain, tagEnd)) {
                size = plain;
            }
        }
        std::int64_t start = pos + static_cast<std::int64_t>(headerSize);
        const std::int64_t next = start + size;
        bool skip = false;
        if (version == 3) {
            // Compressed or encrypted content is no text; a group byte precedes the content.
            skip = (header[9] & 0xC0) != 0;
            start += (header[9] & 0x20) != 0 ? 1 : 0;
        } else if (version == 4) {
            skip = (header[9] & 0x8C) != 0;
            start += (header[9] & 0x40) != 0 ? 1 : 0;
            start += (header[9] & 0x01) != 0 ? 4 : 0;
        }
        if (!skip) {
            const std::string_view id(reinterpret_cast<const char*>(header.data()), idSize);
            for (std::size_t k = 0; k < FrameIds.size(); ++k) {
                if ((version == 2 ? FrameIds[k].v2 : FrameIds[k].v34) != id) {
                    continue;
                }
                const std::int64_t wanted = std::clamp<std::int64_t>(
                    next - start, 0, static_cast<std::int64_t>(content.size()));
                const std::size_t n =
                    source.Read(start, content.data(), static_cast<std::size_t>(wanted));
                if (n > 0 && AcceptedEncoding(content[0], version)) {
                    std::string text(reinterpret_cast<const char*>(content.data()), n);
                    if (version == 4 && (header[9] & 0x02) != 0) {
                        // Per-frame unsynchronisation: FF 00 stands for FF.
                        std::string plainText;
                        for (std::size_t i = 0; i < text.size(); ++i) {
                            plainText.push_back(text[i]);
                            if (static_cast<unsigned char>(text[i]) == 0xFF &&
                                i + 1 < text.size() && text[i + 1] == 0) {
                                ++i;
                            }
                        }
                        text = std::move(plainText);
                    }
                    texts[k] = std::move(text);
                }
                break;
            }
        }
        pos = next;
    }
}

// Decodes text bytes in an ID3v2 encoding up to their terminator, without trimming.
std::string DecodeText(std::uint8_t encoding, std::string_view bytes) {
    if (encoding == 1 || encoding == 2) {
        bool bigEndian = encoding == 2;
        if (bytes.size() >= 2) {
            const auto b0 = static_cast<unsigned char>(bytes[0]);
            const auto b1 = static_cast<unsigned char>(bytes[1]);
            if (b0 == 0xFF && b1 == 0xFE) {
                bigEndian = false;
                bytes.remove_prefix(2);
            } else if (b0 == 0xFE && b1 == 0xFF) {
                bigEndian = true;
                bytes.remove_prefix(2);
            }
        }
        std::u16string units;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
            const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
            const auto unit = static_cast<char16_t>(lo | (hi << 8));
            if (unit == 0) {
                break;
            }
            if (unit != 0xFEFF) {
                units.push_back(unit);
            }
        }
        return Utf16ToUtf8(units);
    }
    bytes = bytes.substr(0, bytes.find('\0'));
    return encoding == 3 ? SanitizeUtf8(bytes) : Latin1ToUtf8(bytes);
}

// The text of a frame's content (encoding byte first), trimmed at both ends.
std::string DecodeFrameText(std::string_view content) {
    if (content.empty()) {
        return {};
    }
    return std::string(
        TrimControl(DecodeText(static_cast<std::uint8_t>(content[0]), content.substr(1))));
}

// COMM (with a language) and WXXX contents: encoding, [language,] description, separator,
// text. The URL of WXXX is always ISO-8859-1.
std::string DecodeDescribed(std::string_view content, bool withLanguage) {
    if (content.empty()) {
        return {};
    }
    const auto encoding = static_cast<std::uint8_t>(content[0]);
    std::string_view body = content.substr(1);
    if (withLanguage) {
        body = body.substr(std::min<std::size_t>(3, body.size()));
    }
    const bool wide = encoding == 1 || encoding == 2;
    if (wide) {
        for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
            if (body[i] == 0 && body[i + 1] == 0) {
                body.remove_prefix(i + 2);
                break;
            }
        }
    } else if (const auto sep = body.find('\0'); sep != std::string_view::npos) {
        body.remove_prefix(sep + 1);
    }
    return std::string(TrimControl(DecodeText(withLanguage ? encoding : 0, body)));
}

std::uint16_t TrackNumber(const std::string& text) {
    const std::int64_t n = ParseDecimal(std::string_view(text).substr(0, text.find('/')));
    return n >= 0 && n <= 0xFFFF ? static_cast<std::uint16_t>(n) : 0;
}

std::string GenreText(std::string text) {
    // A genre that opens with a "(n)" reference keeps only what follows the last ")".
    if (!text.empty() && text.front() == '(') {
        if (const auto close = text.rfind(')'); close != std::string::npos) {
            text.erase(0, close + 1);
        }
    }
    return std::string(TrimControl(text));
}

std::string YearText(const std::array<std::string, TID3v2::kFrameCount>& texts) {
    std::string year = DecodeFrameText(texts[kYear]);
    if (year.empty()) {
        year = DecodeFrameText(texts[kYearFallback]).substr(0, 4);
    }
    return year;
}

std::string FirstOf(const std::array<std::string, TID3v2::kFrameCount>& texts, std::size_t a,
                    std::size_t b) {
    std::string text = DecodeFrameText(texts[a]);
    return text.empty() ? DecodeFrameText(texts[b]) : text;
}

void AppendFrame(std::vector<std::uint8_t>& tag, std::string_view id,
                 const std::vector<std::uint8_t>& content) {
    tag.insert(tag.end(), id.begin(), id.end());
    const std::size_t at = tag.size();
    tag.resize(at + 6, 0);
    WriteBE32(tag.data() + at, static_cast<std::uint32_t>(content.size()));
    tag.insert(tag.end(), content.begin(), content.end());
}

void AppendUtf16(std::vector<std::uint8_t>& out, std::string_view utf8) {
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (const char16_t unit : Utf8ToUtf16(utf8)) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

// A text in the narrowest encoding that holds it: ISO-8859-1, else UTF-16 with a BOM.
std::vector<std::uint8_t> TextContent(std::string_view utf8) {
    std::vector<std::uint8_t> out;
    if (FitsLatin1(utf8)) {
        out.push_back(0);
        const std::string latin1 = Utf8ToLatin1(utf8);
        out.insert(out.end(), latin1.begin(), latin1.end());
    } else {
        out.push_back(1);
        AppendUtf16(out, utf8);
    }
    return out;
}

std::vector<std::uint8_t> CommentContent(std::string_view utf8) {
    std::vector<std::uint8_t> out;
    if (FitsLatin1(utf8)) {
        out = {0, 'e', 'n', 'g', 0};
        const std::string latin1 = Utf8ToLatin1(utf8);
        out.insert(out.end(), latin1.begin(), latin1.end());
    } else {
        out = {1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0};
        AppendUtf16(out, utf8);
    }
    return out;
}

} // namespace

void TID3v2::Clear() {
    present_ = false;
    tagVersion_ = 0;
    tagSize_ = 0;
    track_ = 0;
    for (std::string* s : {&title_, &artist_, &album_, &trackText_, &year_, &genre_, &comment_,
                           &composer_, &encodedBy_, &copyright_, &language_, &url_, &origArtist_}) {
        s->clear();
    }
}

std::string TID3v2::Trimmed(std::string_view value) {
    return SanitizeUtf8(TrimControl(value));
}

std::int32_t TID3v2::SizeFromHeader(const std::uint8_t* header, std::int64_t available) {
    if (!BytesAre(header, "ID3")) {
        return 0;
    }
    std::int64_t size = (std::int64_t{header[6]} << 21) + (std::int64_t{header[7]} << 14) +
                        (std::int64_t{header[8]} << 7) + header[9] + 10;
    if ((header[5] & kFooterFlag) != 0) {
        size += 10;
    }
    return size > available ? 0 : static_cast<std::int32_t>(size);
}

bool TID3v2::ReadFile(const std::string& fileName) {
    TReadFile file(fileName);
    return ReadFrom(file);
}

bool TID3v2::ReadFrom(TReadFile& file) {
    Clear();
    std::array<std::uint8_t, 10> header{};
    if (!file.IsOpen() || !file.ReadExact(0, header.data(), header.size())) {
        return false;
    }
    if (!BytesAre(header.data(), "ID3")) {
        return true;
    }
    present_ = true;
    tagVersion_ = header[3];
    tagSize_ = SizeFromHeader(header.data(), file.Size());
    if (tagVersion_ < 2 || tagVersion_ > 4 || tagSize_ == 0) {
        return true;
    }
    auto readAt = [&file](std::int64_t offset, std::uint8_t* out, std::size_t count) {
        return file.ReadAt(offset, out, count);
    };
    TagSource source(readAt, tagSize_);
    FrameTexts texts;
    WalkFrames(source, tagVersion_, header[5], tagSize_, texts);

    title_ = FirstOf(texts, kTitle, kTitleFallback);
    artist_ = DecodeFrameText(texts[kArtist]);
    album_ = FirstOf(texts, kAlbum, kAlbumFallback);
    trackText_ = DecodeFrameText(texts[kTrack]);
    track_ = TrackNumber(trackText_);
    year_ = YearText(texts);
    genre_ = GenreText(DecodeFrameText(texts[kGenre]));
    comment_ = DecodeDescribed(texts[kComment], true);
    composer_ = DecodeFrameText(texts[kComposer]);
    encodedBy_ = DecodeFrameText(texts[kEncodedBy]);
    copyright_ = DecodeFrameText(texts[kCopyright]);
    language_ = DecodeFrameText(texts[kLanguage]);
    url_ = DecodeDescribed(texts[kUrl], false);
    origArtist_ = DecodeFrameText(texts[kOrigArtist]);
    return true;
}

bool TID3v2::ReadTagBuffer(const std::uint8_t* data, std::int32_t size, TMP3TagInfo& info) {
    if (data == nullptr || size < 10 || !BytesAre(data, "ID3")) {
        return false;
    }
    tagVersion_ = data[3];
    tagSize_ = SizeFromHeader(data, size);
    if (tagVersion_ < 2 || tagVersion_ > 4 || tagSize_ == 0) {
        return true;
    }
    auto readAt = [data](std::int64_t offset, std::uint8_t* out, std::size_t count) {
        std::memcpy(out, data + offset, count);
        return static_cast<std::int64_t>(count);
    };
    TagSource source(readAt, std::min<std::int64_t>(tagSize_, size));
    FrameTexts texts;
    WalkFrames(source, tagVersion_, data[5], tagSize_, texts);

    info.Title = FirstOf(texts, kTitle, kTitleFallback);
    info.Artist = FirstOf(texts, kArtist, kOrigArtist);
    info.Album = FirstOf(texts, kAlbum, kAlbumFallback);
    info.Track = TrackNumber(DecodeFrameText(texts[kTrack]));
    info.Year = YearText(texts);
    info.Genre = GenreText(DecodeFrameText(texts[kGenre]));
    info.Comment = DecodeDescribed(texts[kComment], true);
    return true;
}

std::vector<std::uint8_t> TID3v2::BuildTag(std::int32_t existingSize, bool& rebuild) const {
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> frames;
    auto text = [&frames](std::size_t index, const std::string& value) {
        if (!value.empty()) {
            frames.emplace_back(index, TextContent(value));
        }
    };
    text(kTitle, title_);
    text(kArtist, artist_);
    text(kAlbum, album_);
    text(kTrack, track_ > 0 ? std::to_string(track_) : std::string());
    text(kYear, year_);
    text(kGenre, genre_);
    if (!comment_.empty()) {
        frames.emplace_back(kComment, CommentContent(comment_));
    }
    text(kComposer, composer_);
    text(kEncodedBy, encodedBy_);
    text(kCopyright, copyright_);
    text(kLanguage, language_);
    if (!url_.empty()) {
        std::vector<std::uint8_t> content{0, 0};
        const std::string latin1 = Utf8ToLatin1(url_);
        content.insert(content.end(), latin1.begin(), latin1.end());
        frames.emplace_back(kUrl, std::move(content));
    }
    text(kOrigArtist, origArtist_);

    std::int64_t contentSize = 10;
    for (const auto& [index, content] : frames) {
        contentSize += 10 + static_cast<std::int64_t>(content.size());
    }
    rebuild = existingSize < contentSize || existingSize > kRebuildSize;
    const std::int64_t padding = rebuild ? kRebuildSize - contentSize : existingSize - contentSize;
    const std::int64_t total = contentSize + std::max<std::int64_t>(padding, 0);
    if (total - 10 >= (std::int64_t{1} << 28)) {
        return {};
    }
    std::vector<std::uint8_t> tag{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
    tag.reserve(static_cast<std::size_t>(total));
    const auto n = static_cast<std::uint32_t>(total - 10);
    for (int k = 0; k < 4; ++k) {
        tag[6 + k] = static_cast<std::uint8_t>((n >> (21 - 7 * k)) & 0x7F);
    }
    for (const auto& [index, content] : frames) {
        AppendFrame(tag, FrameIds[index].v34, content);
    }
    tag.resize(static_cast<std::size_t>(total), 0);
    return tag;
}

bool TID3v2::WriteTag(const std::string& fileName) {
    std::array<std::uint8_t, 10> header{};
    std::int32_t existing = 0;
    {
        TReadFile file(fileName);
        if (file.IsOpen() && file.ReadExact(0, header.data(), header.size())) {
            existing = SizeFromHeader(header.data(), file.Size());
        }
    }
    bool rebuild = true;
    const std::vector<std::uint8_t> tag = BuildTag(existing, rebuild);
    if (tag.empty()) {
        return false;
    }
    if (rebuild) {
        return Rebuild(fileName, &tag);
    }
    if (!MakeWritable(fileName)) {
        return false;
    }
    const ScopedFd file{::open(fileName.c_str(), O_RDWR | O_CLOEXEC)};
    if (file.fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < tag.size()) {
        const ssize_t n =
            ::pwrite(file.fd, tag.data() + done, tag.size() - done, static_cast<off_t>(done));
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool TID3v2::RemoveTag(const std::string& fileName) {
    return Rebuild(fileName, nullptr);
}

bool TID3v2::Rebuild(const std::string& fileName, const std::vector<std::uint8_t>* tag) {
    if (!MakeWritable(fileName)) {
        return false;
    }
    TReadFile file(fileName);
    std::array<std::uint8_t, 10> header{};
    if (!file.IsOpen() || !file.ReadExact(0, header.data(), header.size())) {
        // A file shorter than a header can still receive a tag in front of its bytes.
        if (tag == nullptr || !file.IsOpen() || file.Size() >= 10) {
            return false;
        }
    }
    const bool hasTag = BytesAre(header.data(), "ID3");
    if (tag == nullptr && !hasTag) {
        return false;
    }
    const std::int64_t audioStart = hasTag ? SizeFromHeader(header.data(), file.Size()) : 0;
    return ReplaceFileContent(fileName, [&](int fd) {
        return (tag == nullptr || WriteAll(fd, tag->data(), tag->size())) &&
               CopyToEnd(file.Descriptor(), audioStart, fd);
    });
}

} // namespace wavora
