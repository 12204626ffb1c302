#include "FuzzFile.h"
#include "ID3v2.h"

#include <climits>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavora;
    {
        std::vector<std::uint8_t> block(data, data + size);
        TID3v2 tag;
        TMP3TagInfo info;
        (void)tag.ReadTagBuffer(
            block.data(), static_cast<std::int32_t>(std::min<std::size_t>(size, INT32_MAX)), info);
    }
    const std::string path = fuzz::WriteInput(data, size);
    TID3v2 tag;
    if (!tag.ReadFile(path)) {
        return 0;
    }
    // A read-modify-write cycle keeps what was read.
    tag.SetGenre(tag.Genre() + "x");
    if (tag.WriteTag(path)) {
        // Only the first 500 bytes of a frame are read, so long texts may come back shorter.
        TID3v2 back;
        const bool shortTexts = tag.Genre().size() < 200 && tag.Title().size() < 200;
        if (!back.ReadFile(path) ||
            (shortTexts && (back.Genre() != tag.Genre() || back.Title() != tag.Title()))) {
            std::abort();
        }
    } else {
        fuzz::ExpectUnchanged(path, data, size);
    }
    return 0;
}
