#include "TestFiles.h"

#include "OggVorbis.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <unistd.h>

namespace wavora::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wavora-tags-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    dir_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
}

std::string TempDir::Path(std::string_view name) const {
    return (dir_ / name).string();
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

void Append(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}
void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}
void AppendLE16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void AppendLE32(Bytes& out, std::uint32_t v) {
    AppendLE16(out, static_cast<std::uint16_t>(v));
    AppendLE16(out, static_cast<std::uint16_t>(v >> 16));
}
void AppendLE64(Bytes& out, std::uint64_t v) {
    AppendLE32(out, static_cast<std::uint32_t>(v));
    AppendLE32(out, static_cast<std::uint32_t>(v >> 32));
}
void AppendBE32(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> s));
    }
}
Bytes Repeat(std::uint8_t value, std::size_t count) {
    return Bytes(count, value);
}

Bytes Latin1Frame(std::string_view latin1) {
    Bytes b{0};
    Append(b, latin1);
    return b;
}

Bytes ID3v2Tag(std::uint8_t version, const std::vector<RawFrame>& frames, std::size_t totalSize,
               std::uint8_t flags) {
    Bytes body;
    for (const RawFrame& f : frames) {
        Append(body, f.id);
        const auto n = static_cast<std::uint32_t>(f.content.size());
        if (version == 2) {
            body.push_back(static_cast<std::uint8_t>(n >> 16));
            body.push_back(static_cast<std::uint8_t>(n >> 8));
            body.push_back(static_cast<std::uint8_t>(n));
        } else {
            if (f.syncsafeSize) {
                for (int s = 21; s >= 0; s -= 7) {
                    body.push_back(static_cast<std::uint8_t>((n >> s) & 0x7F));
                }
            } else {
                AppendBE32(body, n);
            }
            body.push_back(0);
            body.push_back(f.flags2);
        }
        Append(body, f.content);
    }
    if (body.size() + 10 < totalSize) {
        body.resize(totalSize - 10, 0);
    }
    Bytes tag{'I', 'D', '3', version, 0, flags};
    const auto n = static_cast<std::uint32_t>(body.size());
    for (int s = 21; s >= 0; s -= 7) {
        tag.push_back(static_cast<std::uint8_t>((n >> s) & 0x7F));
    }
    Append(tag, body);
    if ((flags & 0x10) != 0) {
        Bytes footer(tag.begin(), tag.begin() + 10);
        footer[0] = '3';
        footer[1] = 'D';
        footer[2] = 'I';
        Append(tag, footer);
    }
    return tag;
}

Bytes MpegFrames(std::size_t count) {
    Bytes out;
    for (std::size_t i = 0; i < count; ++i) {
        Bytes frame(417, static_cast<std::uint8_t>(0x55));
        frame[0] = 0xFF;
        frame[1] = 0xFB;
        frame[2] = 0x90;
        frame[3] = 0x44;
        Append(out, frame);
    }
    return out;
}

Bytes ID3v1Block(std::string_view title, std::uint8_t b125, std::uint8_t b126, std::uint8_t genre) {
    Bytes b(128, 0);
    b[0] = 'T';
    b[1] = 'A';
    b[2] = 'G';
    for (std::size_t i = 0; i < title.size() && i < 30; ++i) {
        b[3 + i] = static_cast<std::uint8_t>(title[i]);
    }
    b[125] = b125;
    b[126] = b126;
    b[127] = genre;
    return b;
}

Bytes OggPage(std::uint8_t headerType, std::uint64_t granule, std::uint32_t serial,
              std::uint32_t sequence, const std::vector<Bytes>& packets, bool lastPacketContinues) {
    Bytes lacing;
    Bytes body;
    for (std::size_t p = 0; p < packets.size(); ++p) {
        std::size_t n = packets[p].size();
        while (n >= 255) {
            lacing.push_back(255);
            n -= 255;
        }
        if (!(lastPacketContinues && p + 1 == packets.size())) {
            lacing.push_back(static_cast<std::uint8_t>(n));
        }
        Append(body, packets[p]);
    }
    Bytes page;
    Append(page, "OggS");
    page.push_back(0);
    page.push_back(headerType);
    AppendLE64(page, granule);
    AppendLE32(page, serial);
    AppendLE32(page, sequence);
    AppendLE32(page, 0);
    page.push_back(static_cast<std::uint8_t>(lacing.size()));
    Append(page, lacing);
    Append(page, body);
    const std::uint32_t crc = OggChecksum(page.data(), page.size());
    for (int i = 0; i < 4; ++i) {
        page[22 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
    return page;
}

Bytes OggStream(std::string_view vendor, const std::vector<std::string>& entries,
                std::size_t setupSize, int audioPages, std::uint64_t lastGranule) {
    constexpr std::uint32_t kSerial = 0x1234;
    Bytes id;
    Append(id, "\x01vorbis");
    AppendLE32(id, 0);
    id.push_back(2);
    AppendLE32(id, 44100);
    AppendLE32(id, 0);
    AppendLE32(id, 128000);
    AppendLE32(id, 0);
    id.push_back(0xB8);
    id.push_back(1);
    Bytes comments;
    Append(comments, "\x03vorbis");
    AppendLE32(comments, static_cast<std::uint32_t>(vendor.size()));
    Append(comments, vendor);
    AppendLE32(comments, static_cast<std::uint32_t>(entries.size()));
    for (const std::string& e : entries) {
        AppendLE32(comments, static_cast<std::uint32_t>(e.size()));
        Append(comments, e);
    }
    comments.push_back(1);
    Bytes setup;
    Append(setup, "\x05vorbis");
    for (std::size_t i = 0; setup.size() < setupSize; ++i) {
        setup.push_back(static_cast<std::uint8_t>(i * 7));
    }
    Bytes out = OggPage(2, 0, kSerial, 0, {id});
    Append(out, OggPage(0, 0, kSerial, 1, {comments, setup}));
    for (int p = 0; p < audioPages; ++p) {
        Bytes audio(3000, static_cast<std::uint8_t>(0xA0 + p));
        const bool last = p + 1 == audioPages;
        const std::uint64_t granule = lastGranule * static_cast<std::uint64_t>(p + 1) /
                                      static_cast<std::uint64_t>(audioPages);
        Append(out,
               OggPage(last ? 4 : 0, granule, kSerial, static_cast<std::uint32_t>(2 + p), {audio}));
    }
    return out;
}

std::vector<OggPageView> ParseOggPages(const Bytes& file, bool& checksumsOk) {
    std::vector<OggPageView> pages;
    checksumsOk = true;
    std::size_t pos = 0;
    while (pos + 27 <= file.size()) {
        if (file[pos] != 'O' || file[pos + 1] != 'g' || file[pos + 2] != 'g' ||
            file[pos + 3] != 'S') {
            checksumsOk = false;
            return pages;
        }
        const std::size_t segments = file[pos + 26];
        if (pos + 27 + segments > file.size()) {
            checksumsOk = false;
            return pages;
        }
        Bytes lacing(file.begin() + static_cast<std::ptrdiff_t>(pos + 27),
                     file.begin() + static_cast<std::ptrdiff_t>(pos + 27 + segments));
        std::size_t body = 0;
        for (const auto v : lacing) {
            body += v;
        }
        const std::size_t size = 27 + segments + body;
        if (pos + size > file.size()) {
            checksumsOk = false;
            return pages;
        }
        Bytes page(file.begin() + static_cast<std::ptrdiff_t>(pos),
                   file.begin() + static_cast<std::ptrdiff_t>(pos + size));
        const std::uint32_t stored = page[22] | (page[23] << 8) | (page[24] << 16) |
                                     (static_cast<std::uint32_t>(page[25]) << 24);
        page[22] = page[23] = page[24] = page[25] = 0;
        if (OggChecksum(page.data(), page.size()) != stored) {
            checksumsOk = false;
        }
        pages.push_back({pos, size, lacing});
        pos += size;
    }
    if (pos != file.size()) {
        checksumsOk = false;
    }
    return pages;
}

int Run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Capture(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, decltype(&::pclose)> pipe(::popen(command.c_str(), "r"), &::pclose);
    if (!pipe) {
        return out;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) {
        out.append(buffer.data(), n);
    }
    return out;
}

std::string Quote(const std::string& text) {
    std::string q = "'";
    for (const char c : text) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q.push_back(c);
        }
    }
    return q + "'";
}

bool HaveTool(const std::string& name) {
    return Run("command -v " + name + " >/dev/null 2>&1") == 0;
}

} // namespace wavora::test
