#include "FuzzFile.h"
#include "OggVorbis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavora;
    const std::string path = fuzz::WriteInput(data, size);
    TOggVorbis ogg;
    if (!ogg.ReadFile(path)) {
        return 0;
    }
    (void)ogg.Valid();
    (void)ogg.AverageBitRate();
    ogg.Title = "Fuzzed ☃";
    if (ogg.WriteComments(path)) {
        TOggVorbis back;
        if (!back.ReadFile(path) || back.Title != ogg.Title ||
            back.ExtraFields != ogg.ExtraFields) {
            std::abort();
        }
    } else {
        fuzz::ExpectUnchanged(path, data, size);
    }
    return 0;
}
