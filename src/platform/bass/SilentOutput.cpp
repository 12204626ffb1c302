// The output of a machine without a sound device: a thread that takes one period of mixed sound
// every 10 ms of wall-clock time and drops it, so that positions, levels and syncs run as they
// would on a device.
#include "OutputDevice.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace wbass {
namespace {

class TSilentOutput final : public TOutputDevice {
public:
    TSilentOutput(std::uint32_t freq, TMixFunction mix) : freq_(freq), mix_(std::move(mix)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~TSilentOutput() override {
        stop_.store(true);
        thread_.join();
    }
    std::uint32_t LatencyFrames() const override { return Period(); }
    std::uint32_t Freq() const override { return freq_; }
    bool Silent() const override { return true; }

private:
    static constexpr std::chrono::milliseconds kPeriod{10};
    std::uint32_t Period() const { return freq_ / 100; }

    void Run() {
        std::vector<std::int16_t> buffer(2 * static_cast<std::size_t>(Period()));
        auto next = std::chrono::steady_clock::now();
        // Frames owed to real time: the period of freq/100 frames is exact only for rates that
        // divide by 100, so the remainder is carried.
        std::uint64_t periods = 0;
        std::uint64_t done = 0;
        while (!stop_.load()) {
            ++periods;
            const std::uint64_t due = periods * freq_ / 100;
            const std::size_t frames = static_cast<std::size_t>(due - done);
            if (buffer.size() < 2 * frames)
                buffer.resize(2 * frames);
            mix_(buffer.data(), frames);
            done = due;
            next += kPeriod;
            const auto now = std::chrono::steady_clock::now();
            // After a long stall (suspended machine) catch up without a burst.
            if (now - next > std::chrono::milliseconds(200))
                next = now;
            std::this_thread::sleep_until(next);
        }
    }

    const std::uint32_t freq_;
    const TMixFunction mix_;
    std::atomic<bool> stop_{false};
    std::thread thread_; // last: started once the fields above exist
};

} // namespace

std::unique_ptr<TOutputDevice> OpenSilentOutput(std::uint32_t freq, TMixFunction mix) {
    return std::make_unique<TSilentOutput>(freq, std::move(mix));
}

} // namespace wbass
