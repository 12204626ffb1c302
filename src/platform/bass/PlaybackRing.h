// The playback buffer of a channel: the update thread writes, the mixer reads, and the frames
// just heard are kept behind the read position for levels and FFT.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace wbass {

class TPlaybackRing {
public:
    // Positions are byte counts since the last Reset. capacity and history are multiples of block.
    TPlaybackRing(std::size_t capacity, std::size_t history) : data_(capacity), history_(history) {}

    [[nodiscard]] std::size_t Capacity() const { return data_.size(); }
    [[nodiscard]] std::uint64_t WritePos() const { return write_.load(std::memory_order_acquire); }
    [[nodiscard]] std::uint64_t ReadPos() const { return read_.load(std::memory_order_acquire); }
    [[nodiscard]] std::uint64_t Buffered() const { return WritePos() - ReadPos(); }

    // Writer: the contiguous free span (history kept), then Commit of what was written.
    [[nodiscard]] std::uint8_t* WriteSpan(std::size_t& size) {
        const std::uint64_t w = write_.load(std::memory_order_relaxed);
        const std::uint64_t r = read_.load(std::memory_order_acquire);
        const std::uint64_t keepFrom = r > history_ ? r - history_ : 0;
        const std::size_t free = data_.size() - static_cast<std::size_t>(w - keepFrom);
        const std::size_t at = static_cast<std::size_t>(w % data_.size());
        size = std::min(free, data_.size() - at);
        return data_.data() + at;
    }
    void Commit(std::size_t size) { write_.fetch_add(size, std::memory_order_release); }

    // Reader (mixer): the byte at a position still held by the ring.
    [[nodiscard]] const std::uint8_t* At(std::uint64_t pos) const {
        return data_.data() + static_cast<std::size_t>(pos % data_.size());
    }
    void Advance(std::size_t size) { read_.fetch_add(size, std::memory_order_release); }

    // The oldest position still held.
    [[nodiscard]] std::uint64_t OldestHeld() const {
        const std::uint64_t r = ReadPos();
        return r > history_ ? r - history_ : 0;
    }

    // Only while neither the writer nor the reader runs.
    void Reset() {
        write_.store(0, std::memory_order_relaxed);
        read_.store(0, std::memory_order_relaxed);
    }

private:
    std::vector<std::uint8_t> data_;
    std::size_t history_;
    std::atomic<std::uint64_t> write_{0};
    std::atomic<std::uint64_t> read_{0};
};

} // namespace wbass
