#include "OutputDevice.h"

#include <SDL.h>

namespace wbass {
namespace {

class TSdlOutput final : public TOutputDevice {
public:
    TSdlOutput(std::uint32_t freq, TMixFunction mix) : freq_(freq), mix_(std::move(mix)) {}
    ~TSdlOutput() override {
        if (device_ != 0)
            SDL_CloseAudioDevice(device_);
        if (subsystem_)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Open() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        subsystem_ = true;
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(freq_);
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &TSdlOutput::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0)
            return false;
        latency_ = have.samples;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    std::uint32_t LatencyFrames() const override { return latency_; }
    std::uint32_t Freq() const override { return freq_; }
    bool Silent() const override { return false; }

private:
    static void Callback(void* user, Uint8* stream, int len) {
        auto* self = static_cast<TSdlOutput*>(user);
        self->mix_(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(len) / 4);
    }

    const std::uint32_t freq_;
    const TMixFunction mix_;
    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
    std::uint32_t latency_ = 0;
};

} // namespace

std::unique_ptr<TOutputDevice> OpenSdlOutput(std::uint32_t freq, TMixFunction mix) {
    auto output = std::make_unique<TSdlOutput>(freq, std::move(mix));
    if (!output->Open())
        return nullptr;
    return output;
}

} // namespace wbass
