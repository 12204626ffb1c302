#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace wavora {

// Owns one file descriptor.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.fd_, -1));
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    [[nodiscard]] int Get() const { return fd_; }
    [[nodiscard]] explicit operator bool() const { return fd_ >= 0; }
    // Closes the descriptor; returns 0 or the errno of a failed close.
    int Reset(int fd = -1);

private:
    int fd_ = -1;
};

// Both return 0 or the errno of the failure; partial writes and EINTR are retried.
[[nodiscard]] int WriteBytes(int fd, const void* data, std::size_t size);
[[nodiscard]] int WriteBytesAt(int fd, const void* data, std::size_t size, std::int64_t offset);

// The system's text for an errno value.
[[nodiscard]] std::string SystemErrorText(int error);

} // namespace wavora
