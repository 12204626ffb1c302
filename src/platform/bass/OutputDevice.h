// Where the mixed sound goes: an SDL2 device, or a silent output that consumes it in real time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace wbass {

// Fills frames of interleaved 16-bit stereo; called on the device's own thread.
using TMixFunction = std::function<void(std::int16_t* out, std::size_t frames)>;

class TOutputDevice {
public:
    virtual ~TOutputDevice() = default;
    // Frames between mixing and hearing.
    [[nodiscard]] virtual std::uint32_t LatencyFrames() const = 0;
    [[nodiscard]] virtual std::uint32_t Freq() const = 0;
    [[nodiscard]] virtual bool Silent() const = 0;
};

// The default SDL2 output at freq, or nullptr when there is none.
[[nodiscard]] std::unique_ptr<TOutputDevice> OpenSdlOutput(std::uint32_t freq, TMixFunction mix);
[[nodiscard]] std::unique_ptr<TOutputDevice> OpenSilentOutput(std::uint32_t freq, TMixFunction mix);

} // namespace wbass
