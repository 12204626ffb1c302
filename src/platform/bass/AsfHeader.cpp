#include "AsfHeader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace wbass {
namespace {

using Guid = std::array<std::uint8_t, 16>;

// As stored: the first three groups little-endian, the last two as written.
constexpr Guid MakeGuid(std::uint32_t a, std::uint16_t b, std::uint16_t c, std::uint64_t d) {
    Guid g{};
    for (int i = 0; i < 4; ++i)
        g[i] = static_cast<std::uint8_t>(a >> (8 * i));
    for (int i = 0; i < 2; ++i) {
        g[4 + i] = static_cast<std::uint8_t>(b >> (8 * i));
        g[6 + i] = static_cast<std::uint8_t>(c >> (8 * i));
    }
    for (int i = 0; i < 8; ++i)
        g[8 + i] = static_cast<std::uint8_t>(d >> (8 * (7 - i)));
    return g;
}

constexpr Guid kHeader = MakeGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
constexpr Guid kFileProperties = MakeGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365ULL);
constexpr Guid kContentDescription = MakeGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
constexpr Guid kExtendedContent = MakeGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850ULL);

// The five fields of the content description object, in their order there.
constexpr std::array<std::string_view, 5> kDescriptionNames = {"title", "author", "copyright",
                                                               "description", "rating"};
constexpr std::uint64_t kObjectHeader = 24;
constexpr std::uint64_t kMaxHeader = 16u << 20;

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint64_t Le64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}
void PutLe64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
bool IsGuid(const std::uint8_t* p, const Guid& g) {
    return std::memcmp(p, g.data(), g.size()) == 0;
}

// An ASCII-only, case-blind comparison of a UTF-16LE name (NULs at its end ignored).
bool NameIs(const std::uint8_t* name, std::size_t bytes, std::string_view ascii) {
    while (bytes >= 2 && name[bytes - 2] == 0 && name[bytes - 1] == 0)
        bytes -= 2;
    if (bytes != ascii.size() * 2)
        return false;
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        const std::uint16_t c = Le16(name + 2 * i);
        const std::uint16_t lower = c >= 'A' && c <= 'Z' ? c + 32 : c;
        if (lower != static_cast<unsigned char>(ascii[i]))
            return false;
    }
    return true;
}

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0)
            close(fd);
    }
};

bool ReadAt(int fd, void* to, std::size_t size, off_t at) {
    auto* p = static_cast<std::uint8_t*>(to);
    while (size > 0) {
        const ssize_t n = pread(fd, p, size, at);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        at += n;
    }
    return true;
}
bool WriteAt(int fd, const void* from, std::size_t size, off_t at) {
    const auto* p = static_cast<const std::uint8_t*>(from);
    while (size > 0) {
        const ssize_t n = pwrite(fd, p, size, at);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        at += n;
    }
    return true;
}

// The extended content object's descriptors that the content description does not already
// hold, or nothing when none is dropped. `held` marks the fields with a value.
std::vector<std::uint8_t> WithoutCopies(const std::uint8_t* body, std::uint64_t size,
                                        const std::array<bool, 5>& held) {
    if (size < 2)
        return {};
    const std::uint16_t count = Le16(body);
    std::vector<std::uint8_t> kept{0, 0};
    std::uint16_t keptCount = 0;
    std::uint64_t at = 2;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (at + 2 > size)
            return {};
        const std::uint16_t nameBytes = Le16(body + at);
        if (at + 2 + nameBytes + 4 > size)
            return {};
        const std::uint16_t valueBytes = Le16(body + at + 2 + nameBytes + 2);
        const std::uint64_t end = at + 2 + nameBytes + 4 + valueBytes;
        if (end > size)
            return {};
        bool copy = false;
        for (std::size_t f = 0; f < kDescriptionNames.size(); ++f)
            copy = copy || (held[f] && NameIs(body + at + 2, nameBytes, kDescriptionNames[f]));
        if (!copy) {
            kept.insert(kept.end(), body + at, body + end);
            ++keptCount;
        }
        at = end;
    }
    if (keptCount == count)
        return {};
    kept[0] = static_cast<std::uint8_t>(keptCount & 0xFF);
    kept[1] = static_cast<std::uint8_t>(keptCount >> 8);
    return kept;
}

} // namespace

bool DropDuplicateAttributes(const std::string& path) {
    const Fd file{open(path.c_str(), O_RDWR | O_CLOEXEC)};
    struct stat info{};
    if (file.fd < 0 || fstat(file.fd, &info) != 0)
        return false;
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    std::array<std::uint8_t, 30> top{};
    if (!ReadAt(file.fd, top.data(), top.size(), 0) || !IsGuid(top.data(), kHeader))
        return false;
    const std::uint64_t headerSize = Le64(top.data() + 16);
    if (headerSize < top.size() || headerSize > kMaxHeader || headerSize > fileSize)
        return false;
    std::vector<std::uint8_t> header(headerSize);
    if (!ReadAt(file.fd, header.data(), header.size(), 0))
        return false;

    std::array<bool, 5> held{};
    std::uint64_t extendedAt = 0;
    std::uint64_t fileProperties = 0;
    for (std::uint64_t at = top.size(); at + kObjectHeader <= headerSize;) {
        const std::uint64_t size = Le64(header.data() + at + 16);
        if (size < kObjectHeader || size > headerSize - at)
            return false;
        const std::uint8_t* body = header.data() + at + kObjectHeader;
        if (IsGuid(header.data() + at, kContentDescription) && size >= kObjectHeader + 10) {
            for (std::size_t f = 0; f < held.size(); ++f)
                held[f] = Le16(body + 2 * f) > 2;
        } else if (IsGuid(header.data() + at, kExtendedContent)) {
            extendedAt = at;
        } else if (IsGuid(header.data() + at, kFileProperties) && size >= 48) {
            fileProperties = at;
        }
        at += size;
    }
    if (extendedAt == 0)
        return true;
    const std::uint64_t oldSize = Le64(header.data() + extendedAt + 16);
    const std::vector<std::uint8_t> body =
        WithoutCopies(header.data() + extendedAt + kObjectHeader, oldSize - kObjectHeader, held);
    if (body.empty())
        return true;
    const std::uint64_t removed = oldSize - kObjectHeader - body.size();

    std::vector<std::uint8_t> rewritten(header.begin(),
                                        header.begin() + static_cast<std::ptrdiff_t>(extendedAt));
    rewritten.insert(rewritten.end(), header.begin() + static_cast<std::ptrdiff_t>(extendedAt),
                     header.begin() + static_cast<std::ptrdiff_t>(extendedAt + kObjectHeader));
    PutLe64(rewritten.data() + extendedAt + 16, oldSize - removed);
    rewritten.insert(rewritten.end(), body.begin(), body.end());
    rewritten.insert(rewritten.end(),
                     header.begin() + static_cast<std::ptrdiff_t>(extendedAt + oldSize),
                     header.end());
    PutLe64(rewritten.data() + 16, headerSize - removed);
    if (fileProperties != 0)
        PutLe64(rewritten.data() + fileProperties + 40, fileSize - removed);
    if (!WriteAt(file.fd, rewritten.data(), rewritten.size(), 0))
        return false;
    // Everything after the header moves down by the bytes removed.
    std::vector<std::uint8_t> block(1 << 16);
    for (std::uint64_t from = headerSize; from < fileSize;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), fileSize - from));
        if (!ReadAt(file.fd, block.data(), n, static_cast<off_t>(from)) ||
            !WriteAt(file.fd, block.data(), n, static_cast<off_t>(from - removed)))
            return false;
        from += n;
    }
    return ftruncate(file.fd, static_cast<off_t>(fileSize - removed)) == 0;
}

} // namespace wbass
