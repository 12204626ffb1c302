#include "FileIo.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/types.h>
#include <unistd.h>

namespace wavora {

int UniqueFd::Reset(int fd) {
    int error = 0;
    if (fd_ >= 0 && ::close(fd_) != 0) {
        error = errno;
    }
    fd_ = fd;
    return error;
}

int WriteBytes(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

int WriteBytesAt(int fd, const void* data, std::size_t size, std::int64_t offset) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes += written;
        offset += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

std::string SystemErrorText(int error) {
    std::array<char, 256> text{};
    // GNU strerror_r returns the text, which may or may not live in our buffer.
    return ::strerror_r(error, text.data(), text.size());
}

} // namespace wavora
