#pragma once

#include <atomic>

namespace wavora {

// Keeps the ring's reader and writer apart. Taking a side is one atomic compare-and-exchange,
// so a read and a write can never both be copying; the release and acquire of the exchange
// also carry the ring's bytes from one side to the other.
class TRingLock {
public:
    enum class Side { None, Reader, Writer };

    // Takes the side when the lock is free.
    [[nodiscard]] bool TryAcquire(Side side) {
        Side expected = Side::None;
        return owner.compare_exchange_strong(expected, side, std::memory_order_acquire,
                                             std::memory_order_relaxed);
    }
    // Takes the side, waiting for the other one to finish: a short spin first (copies take
    // microseconds), then steps of 20 ms in which the calling thread's messages are pumped.
    void Acquire(Side side);
    void Release() { owner.store(Side::None, std::memory_order_release); }

    [[nodiscard]] bool ReaderBusy() const { return owner.load() == Side::Reader; }
    [[nodiscard]] bool WriterBusy() const { return owner.load() == Side::Writer; }

private:
    std::atomic<Side> owner{Side::None};
};

// Holds one side of a TRingLock for a scope.
class TRingGuard {
public:
    TRingGuard(TRingLock& lock_, TRingLock::Side side) : lock(lock_) { lock.Acquire(side); }
    ~TRingGuard() { lock.Release(); }
    TRingGuard(const TRingGuard&) = delete;
    TRingGuard& operator=(const TRingGuard&) = delete;

private:
    TRingLock& lock;
};

} // namespace wavora
