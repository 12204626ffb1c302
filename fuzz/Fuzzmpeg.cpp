#include "FuzzFile.h"
#include "MPEGaudio.h"

#include <algorithm>
#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavora;
    TMPEGaudio mpeg;
    std::array<std::uint8_t, TMPEGaudio::kWindowSize> window{};
    std::copy_n(data, std::min(size, window.size()), window.begin());
    mpeg.SearchWindow(window);
    (void)mpeg.Duration();
    (void)mpeg.BitRate();
    (void)mpeg.Frames();

    const std::string path = fuzz::WriteInput(data, size);
    if (mpeg.ReadFile(path)) {
        (void)mpeg.Valid();
        (void)mpeg.ChannelMode();
        (void)mpeg.Frames();
        (void)mpeg.SampleRate();
    }
    return 0;
}
