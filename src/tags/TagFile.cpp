#include "TagFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace wavora {

namespace {

constexpr std::size_t kReadAhead = 16384;

std::int64_t PreadFully(int fd, std::int64_t offset, void* data, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, out + done, count - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
        if (real) {
            return real.get();
        }
    }
    return path;
}

bool SyncFolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const ScopedFd closer{fd};
    return ::fsync(fd) == 0 || errno == EINVAL;
}

} // namespace

TReadFile::~TReadFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool TReadFile::Open(const std::string& path) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    cache_.clear();
    size_ = 0;
    // Non-blocking, so that a named pipe given as a file cannot stall the open; only regular
    // files are read.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = st.st_size;
    return true;
}

std::int64_t TReadFile::ReadAt(std::int64_t offset, void* data, std::size_t count) {
    if (fd_ < 0 || offset < 0) {
        return -1;
    }
    if (offset >= size_ || count == 0) {
        return 0;
    }
    const auto cacheEnd = cacheOffset_ + static_cast<std::int64_t>(cache_.size());
    const bool inCache =
        offset >= cacheOffset_ && offset < cacheEnd &&
        (offset + static_cast<std::int64_t>(count) <= cacheEnd || cacheEnd == size_);
    if (!inCache && count < kReadAhead) {
        cache_.resize(kReadAhead);
        const std::int64_t n = PreadFully(fd_, offset, cache_.data(), kReadAhead);
        if (n < 0) {
            cache_.clear();
            return -1;
        }
        cache_.resize(static_cast<std::size_t>(n));
        cacheOffset_ = offset;
    } else if (!inCache) {
        return PreadFully(fd_, offset, data, count);
    }
    const auto start = static_cast<std::size_t>(offset - cacheOffset_);
    const std::size_t available = cache_.size() - start;
    const std::size_t n = count < available ? count : available;
    std::memcpy(data, cache_.data() + start, n);
    return static_cast<std::int64_t>(n);
}

bool TReadFile::ReadExact(std::int64_t offset, void* data, std::size_t count) {
    return ReadAt(offset, data, count) == static_cast<std::int64_t>(count);
}

bool MakeWritable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    if ((st.st_mode & S_IWUSR) != 0) {
        return true;
    }
    return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool WriteAll(int fd, const void* data, std::size_t count) {
    const auto* in = static_cast<const std::uint8_t*>(data);
    while (count > 0) {
        const ssize_t n = ::write(fd, in, count);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        in += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

bool CopyRange(int source, std::int64_t offset, std::int64_t count, int target) {
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 18)));
    while (count > 0) {
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(count, static_cast<std::int64_t>(buffer.size())));
        const std::int64_t n = PreadFully(source, offset, buffer.data(), want);
        if (n != static_cast<std::int64_t>(want) || !WriteAll(target, buffer.data(), want)) {
            return false;
        }
        offset += n;
        count -= n;
    }
    return true;
}

bool CopyToEnd(int source, std::int64_t offset, int target) {
    std::vector<std::uint8_t> buffer(1 << 18);
    for (;;) {
        const std::int64_t n = PreadFully(source, offset, buffer.data(), buffer.size());
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!WriteAll(target, buffer.data(), static_cast<std::size_t>(n))) {
            return false;
        }
        offset += n;
    }
}

bool ReplaceFileContent(const std::string& path, const std::function<bool(int fd)>& produce) {
    const std::string target = ResolveTarget(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    const std::string temp = target + "~";
    // A stale "~" file (or a link planted under that name) is replaced, never written through.
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = produce(fd);
    ok = ok && ::fchmod(fd, st.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename has happened; a failed folder flush cannot be undone and is not a failure of
    // the rewrite.
    SyncFolderOf(target);
    return true;
}

ScopedFd::~ScopedFd() {
    if (fd >= 0) {
        ::close(fd);
    }
}

} // namespace wavora
