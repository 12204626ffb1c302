#include "RingLock.h"

#include "ioplug.h"

#include <chrono>
#include <thread>

namespace wavora {

void TRingLock::Acquire(Side side) {
    constexpr int spinRounds = 200;
    for (int i = 0; i < spinRounds; ++i) {
        if (TryAcquire(side)) {
            return;
        }
        std::this_thread::yield();
    }
    while (!TryAcquire(side)) {
        PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace wavora
