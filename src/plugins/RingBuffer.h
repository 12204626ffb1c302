#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace wavora {

// The byte ring between one writer and one reader. Equal positions mean empty; the writer
// never fills it completely. Put and Take move the bytes in at most two copies each.
//
// Threads: the writer (a plug-in's decoding thread or the relay feeder) calls Put, the reader (a
// stream callback on the library's thread) calls Take, each holding its side of TRingLock, which
// also orders the bytes between them. Used and Free may be read by either side at any time.
// Allocate and Reset are called with the writer's side held and no stream reading.
class TRingBuffer {
public:
    // Replaces the storage with one of the given size, emptied. False, with no storage left,
    // when memory cannot be had.
    [[nodiscard]] bool Allocate(std::uint32_t bytes);
    void Release();

    [[nodiscard]] std::uint32_t Size() const { return size.load(std::memory_order_acquire); }
    [[nodiscard]] std::uint32_t Used() const;
    [[nodiscard]] std::uint32_t Free() const { return Size() - Used(); }
    [[nodiscard]] std::uint32_t ReadPosition() const { return readPos.load(); }
    [[nodiscard]] std::uint32_t WritePosition() const { return writePos.load(); }

    // Read = write = 0.
    void Reset();
    // Copies length bytes in at the write position. The caller has made sure that
    // length < Free().
    void Put(const void* data, std::uint32_t length);
    // Copies min(n, Used()) bytes out from the read position and answers that count.
    [[nodiscard]] std::uint32_t Take(void* out, std::uint32_t n);

    // Sets both positions; lets a caller place the data anywhere in the ring (a wrapped state).
    void SetPositions(std::uint32_t read, std::uint32_t write);

private:
    std::unique_ptr<std::uint8_t[]> data;
    std::atomic<std::uint32_t> size{0};
    std::atomic<std::uint32_t> readPos{0};  // written by the reader (and Reset)
    std::atomic<std::uint32_t> writePos{0}; // written by the writer (and Reset)
};

} // namespace wavora
