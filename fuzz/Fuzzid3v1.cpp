#include "FuzzFile.h"
#include "ID3v1.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavora;
    if (size >= TID3v1::kTagSize) {
        // An exact-size copy, so that reading past the block is caught.
        std::vector<std::uint8_t> block(data, data + TID3v1::kTagSize);
        TID3v1 tag;
        TMP3TagInfo info;
        (void)tag.ReadTagBuffer(block.data(), info);
    }
    const std::string path = fuzz::WriteInput(data, size);
    TID3v1 tag;
    if (tag.ReadFile(path)) {
        (void)tag.Genre();
        if (!tag.WriteTag(path)) {
            std::abort();
        }
        TID3v1 back;
        if (!back.ReadFile(path) || back.Title() != tag.Title() || back.Year() != tag.Year()) {
            std::abort();
        }
    }
    return 0;
}
