#include "FileTags.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace wbass {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenRead(const std::string& path) {
    return File(std::fopen(path.c_str(), "rb"));
}

std::optional<std::int64_t> FileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0)
        return std::nullopt;
    const long size = std::ftell(f);
    if (size < 0)
        return std::nullopt;
    return size;
}

bool ReadAt(std::FILE* f, std::int64_t offset, void* dst, std::size_t size) {
    return std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fread(dst, 1, size, f) == size;
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Comments are bounded so that a damaged length cannot make us read the whole disk.
constexpr std::size_t kMaxCommentPacket = 16u << 20;
constexpr int kMaxPages = 1024;

// The second packet of the first logical stream, from the Ogg pages.
std::optional<std::string> SecondOggPacket(std::FILE* f) {
    std::string packet;
    int packetIndex = 0;
    std::optional<std::uint32_t> serial;
    std::int64_t offset = 0;
    for (int page = 0; page < kMaxPages; ++page) {
        std::array<std::uint8_t, 27> header{};
        if (!ReadAt(f, offset, header.data(), header.size()))
            return std::nullopt;
        if (std::memcmp(header.data(), "OggS", 4) != 0 || header[4] != 0)
            return std::nullopt;
        const std::uint32_t pageSerial = Le32(&header[14]);
        const std::size_t segments = header[26];
        std::array<std::uint8_t, 255> lacing{};
        if (!ReadAt(f, offset + 27, lacing.data(), segments))
            return std::nullopt;
        std::size_t bodySize = 0;
        for (std::size_t i = 0; i < segments; ++i)
            bodySize += lacing[i];
        std::string body(bodySize, '\0');
        if (!ReadAt(f, offset + 27 + static_cast<std::int64_t>(segments), body.data(), bodySize))
            return std::nullopt;
        offset += 27 + static_cast<std::int64_t>(segments + bodySize);
        if (!serial)
            serial = pageSerial;
        if (pageSerial != *serial)
            continue;
        std::size_t at = 0;
        for (std::size_t i = 0; i < segments; ++i) {
            if (packetIndex == 1)
                packet.append(body, at, lacing[i]);
            at += lacing[i];
            if (packet.size() > kMaxCommentPacket)
                return std::nullopt;
            if (lacing[i] < 255) {
                if (packetIndex == 1)
                    return packet;
                ++packetIndex;
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> ReadId3v1Block(const std::string& path) {
    File f = OpenRead(path);
    if (!f)
        return std::nullopt;
    const auto size = FileSize(f.get());
    if (!size || *size < 128)
        return std::nullopt;
    std::string block(128, '\0');
    if (!ReadAt(f.get(), *size - 128, block.data(), block.size()) ||
        block.compare(0, 3, "TAG") != 0)
        return std::nullopt;
    return block;
}

std::optional<std::string> ReadId3v2Block(const std::string& path) {
    File f = OpenRead(path);
    if (!f)
        return std::nullopt;
    const auto size = FileSize(f.get());
    std::array<std::uint8_t, 10> header{};
    if (!size || !ReadAt(f.get(), 0, header.data(), header.size()) ||
        std::memcmp(header.data(), "ID3", 3) != 0 || header[3] == 0xFF || header[4] == 0xFF)
        return std::nullopt;
    std::uint32_t body = 0;
    for (int i = 6; i < 10; ++i) {
        if (header[i] & 0x80)
            return std::nullopt; // not a sync-safe size
        body = (body << 7) | header[i];
    }
    const bool footer = (header[5] & 0x10) != 0;
    const std::int64_t total = 10 + static_cast<std::int64_t>(body) + (footer ? 10 : 0);
    if (total > *size)
        return std::nullopt;
    std::string block(static_cast<std::size_t>(total), '\0');
    if (!ReadAt(f.get(), 0, block.data(), block.size()))
        return std::nullopt;
    return block;
}

std::optional<std::string> ReadOggComments(const std::string& path) {
    File f = OpenRead(path);
    if (!f)
        return std::nullopt;
    const auto packet = SecondOggPacket(f.get());
    if (!packet)
        return std::nullopt;
    std::string_view p(*packet);
    if (p.substr(0, 7) == std::string_view("\x03vorbis", 7))
        p.remove_prefix(7);
    else if (p.substr(0, 8) == "OpusTags")
        p.remove_prefix(8);
    else
        return std::nullopt;
    const auto take32 = [&p](std::uint32_t& v) {
        if (p.size() < 4)
            return false;
        v = Le32(reinterpret_cast<const std::uint8_t*>(p.data()));
        p.remove_prefix(4);
        return true;
    };
    std::uint32_t vendor = 0;
    std::uint32_t count = 0;
    if (!take32(vendor) || vendor > p.size())
        return std::nullopt;
    p.remove_prefix(vendor);
    if (!take32(count))
        return std::nullopt;
    std::string list;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t length = 0;
        if (!take32(length) || length > p.size())
            return std::nullopt;
        // A NUL inside a comment would end the list early: such a comment is cut there.
        const std::string_view comment = p.substr(0, length);
        list.append(comment.substr(0, comment.find('\0')));
        list.push_back('\0');
        p.remove_prefix(length);
    }
    list.push_back('\0');
    return list;
}

} // namespace wbass
