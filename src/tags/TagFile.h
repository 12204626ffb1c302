#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wavora {

// A file opened read-only; closed by the destructor. Reads at explicit offsets, so no reader
// depends on a shared file position. A small read-ahead block serves the many short reads of
// a tag walk without a system call each.
class TReadFile {
public:
    TReadFile() = default;
    explicit TReadFile(const std::string& path) { Open(path); }
    ~TReadFile();
    TReadFile(const TReadFile&) = delete;
    TReadFile& operator=(const TReadFile&) = delete;

    bool Open(const std::string& path);
    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    [[nodiscard]] std::int64_t Size() const { return size_; }
    [[nodiscard]] int Descriptor() const { return fd_; }

    // Bytes read at `offset` (fewer at the end of the file), or -1 on an error.
    [[nodiscard]] std::int64_t ReadAt(std::int64_t offset, void* data, std::size_t count);
    // True only when all `count` bytes were read.
    [[nodiscard]] bool ReadExact(std::int64_t offset, void* data, std::size_t count);

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
    std::vector<std::uint8_t> cache_;
    std::int64_t cacheOffset_ = 0;
};

// Clears the read-only state of an existing file (the owner's write permission); false when
// the file does not exist or its mode cannot be changed.
[[nodiscard]] bool MakeWritable(const std::string& path);

// Owns a file descriptor (negative: none) and closes it when it goes.
struct ScopedFd {
    explicit ScopedFd(int descriptor) : fd(descriptor) {}
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    ~ScopedFd();
    int fd;
};

[[nodiscard]] bool WriteAll(int fd, const void* data, std::size_t count);
// Copies `count` bytes of `source` from `offset`; false when fewer exist.
[[nodiscard]] bool CopyRange(int source, std::int64_t offset, std::int64_t count, int target);
// Copies `source` from `offset` to its end onto the current position of `target`.
[[nodiscard]] bool CopyToEnd(int source, std::int64_t offset, int target);

// Rewrites a file whole: `produce` writes the new content into "<file>~" in the same folder,
// which is flushed to disk and then renamed over the file in one step. The file's permissions
// are kept. On any failure the file stays byte for byte as it was and the "~" file is removed.
// A symbolic link is followed, so the link itself stays.
[[nodiscard]] bool ReplaceFileContent(const std::string& path,
                                      const std::function<bool(int fd)>& produce);

} // namespace wavora
