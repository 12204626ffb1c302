#include "FuzzFile.h"
#include "TagText.h"
#include "WMAfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavora;
    const std::string path = fuzz::WriteInput(data, size);
    TWMAfile wma;
    if (wma.ReadFile(path)) {
        (void)Utf16ToUtf8(wma.Title());
        (void)Utf16ToUtf8(wma.Comment());
    }
    return 0;
}
