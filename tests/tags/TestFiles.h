#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wavora::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder removed with everything in it when the test ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] std::string Path(std::string_view name) const;

private:
    std::filesystem::path dir_;
};

[[nodiscard]] Bytes ReadAll(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
[[nodiscard]] bool Exists(const std::string& path);

// Byte builders.
void Append(Bytes& out, std::string_view text);
void Append(Bytes& out, const Bytes& more);
void AppendLE16(Bytes& out, std::uint16_t v);
void AppendLE32(Bytes& out, std::uint32_t v);
void AppendLE64(Bytes& out, std::uint64_t v);
void AppendBE32(Bytes& out, std::uint32_t v);
[[nodiscard]] Bytes Repeat(std::uint8_t value, std::size_t count);

// An ID3v2 tag of `version` holding `frames` (already encoded), padded to `totalSize` when
// that is larger.
struct RawFrame {
    std::string id;
    Bytes content;
    std::uint8_t flags2 = 0;
    bool syncsafeSize = false;
};
[[nodiscard]] Bytes ID3v2Tag(std::uint8_t version, const std::vector<RawFrame>& frames,
                             std::size_t totalSize = 0, std::uint8_t flags = 0);
[[nodiscard]] Bytes Latin1Frame(std::string_view latin1);

// MPEG 1 Layer III 128 kbit/s 44.1 kHz frames (417 bytes each, unpadded), stereo.
[[nodiscard]] Bytes MpegFrames(std::size_t count);
[[nodiscard]] Bytes ID3v1Block(std::string_view title, std::uint8_t b125, std::uint8_t b126,
                               std::uint8_t genre);

// A minimal Ogg Vorbis stream: identification page, a page with the comment packet (vendor
// and entries) followed by a setup packet of `setupSize` bytes, then `audioPages` audio pages.
// Page checksums are correct.
[[nodiscard]] Bytes OggStream(std::string_view vendor, const std::vector<std::string>& entries,
                              std::size_t setupSize = 100, int audioPages = 3,
                              std::uint64_t lastGranule = 88200);
[[nodiscard]] Bytes OggPage(std::uint8_t headerType, std::uint64_t granule, std::uint32_t serial,
                            std::uint32_t sequence, const std::vector<Bytes>& packets,
                            bool lastPacketContinues = false);
// Checks the CRC of every page and returns the pages' bodies; empty on a broken stream.
struct OggPageView {
    std::size_t offset;
    std::size_t size;
    Bytes lacing;
};
[[nodiscard]] std::vector<OggPageView> ParseOggPages(const Bytes& file, bool& checksumsOk);

// Runs a shell command line; its exit status.
int Run(const std::string& command);
// The whole standard output of a shell command line.
std::string Capture(const std::string& command);
// A shell-quoted argument.
std::string Quote(const std::string& text);
bool HaveTool(const std::string& name);

} // namespace wavora::test
