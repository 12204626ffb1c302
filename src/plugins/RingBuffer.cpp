#include "RingBuffer.h"

#include <cstring>
#include <new>

namespace wavora {

bool TRingBuffer::Allocate(std::uint32_t bytes) {
    Release();
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[bytes]);
    if (!block) {
        return false;
    }
    data = std::move(block);
    size.store(bytes, std::memory_order_release);
    return true;
}

void TRingBuffer::Release() {
    size.store(0, std::memory_order_release);
    data.reset();
    Reset();
}

std::uint32_t TRingBuffer::Used() const {
    const std::uint32_t r = readPos.load(std::memory_order_acquire);
    const std::uint32_t w = writePos.load(std::memory_order_acquire);
    return w >= r ? w - r : Size() + w - r;
}

void TRingBuffer::Reset() {
    readPos.store(0, std::memory_order_release);
    writePos.store(0, std::memory_order_release);
}

void TRingBuffer::SetPositions(std::uint32_t read, std::uint32_t write) {
    readPos.store(read, std::memory_order_release);
    writePos.store(write, std::memory_order_release);
}

void TRingBuffer::Put(const void* in, std::uint32_t length) {
    const std::uint32_t ringSize = Size();
    const std::uint32_t r = readPos.load(std::memory_order_acquire);
    const std::uint32_t w = writePos.load(std::memory_order_relaxed);
    const auto* src = static_cast<const std::uint8_t*>(in);
    std::uint32_t next = 0;
    if (r > w || length < ringSize - w) {
        std::memcpy(data.get() + w, src, length);
        next = w + length;
    } else {
        const std::uint32_t head = ringSize - w;
        std::memcpy(data.get() + w, src, head);
        std::memcpy(data.get(), src + head, length - head);
        next = length - head;
    }
    writePos.store(next, std::memory_order_release);
}

std::uint32_t TRingBuffer::Take(void* out, std::uint32_t n) {
    const std::uint32_t ringSize = Size();
    const std::uint32_t used = Used();
    const std::uint32_t count = n < used ? n : used;
    if (count == 0) {
        return 0;
    }
    const std::uint32_t r = readPos.load(std::memory_order_relaxed);
    auto* dst = static_cast<std::uint8_t*>(out);
    const std::uint32_t head = ringSize - r;
    if (count <= head) {
        std::memcpy(dst, data.get() + r, count);
    } else {
        std::memcpy(dst, data.get() + r, head);
        std::memcpy(dst + head, data.get(), count - head);
    }
    const std::uint32_t next = r + count;
    readPos.store(next >= ringSize ? next - ringSize : next, std::memory_order_release);
    return count;
}

} // namespace wavora
