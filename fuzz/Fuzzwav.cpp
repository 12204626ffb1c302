#include "FuzzFile.h"
#include "WAVfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavora;
    const std::string path = fuzz::WriteInput(data, size);
    TWAVfile wav;
    if (wav.ReadFile(path) && wav.Duration() < 0) {
        std::abort();
    }
    return 0;
}
