// Every name of the interface is exported by its library; names this system never calls fail
// with "not available".
#include "BassNames.h"
#include "bass.h"
#include "basswma.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Missing(const char* library, const std::vector<const char*>& names) {
    std::vector<std::string> missing;
    void* module = dlopen((std::string(WAVORA_PROGRAM_DIR) + library).c_str(), RTLD_NOW);
    if (module == nullptr)
        return {std::string("cannot open ") + library};
    for (const char* name : names)
        if (dlsym(module, name) == nullptr)
            missing.emplace_back(name);
    dlclose(module);
    return missing;
}

#define WAVORA_NAME(name) #name,

TEST(BassExports, EveryNameIsExported) {
    const std::vector<const char*> bassNames = {WAVORA_BASS_NAMES(WAVORA_NAME)};
    const std::vector<const char*> wmaNames = {WAVORA_BASSWMA_NAMES(WAVORA_NAME)};
    const std::vector<const char*> encNames = {WAVORA_BASSENC_NAMES(WAVORA_NAME)};
    EXPECT_EQ(bassNames.size(), 91u);
    EXPECT_EQ(wmaNames.size(), 14u);
    EXPECT_TRUE(Missing("libbass.so", bassNames).empty());
    EXPECT_TRUE(Missing("libbasswma.so", wmaNames).empty());
    EXPECT_TRUE(Missing("libbassenc.so", encNames).empty());
}

TEST(BassExports, UnusedNamesAreNotAvailable) {
    EXPECT_EQ(BASS_GetVersion(), 0x00010002u);
    EXPECT_EQ(BASS_ChannelSetFX(0x12345, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_FALSE(BASS_RecordInit(-1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_EQ(BASS_WMA_EncodeOpenNetwork(44100, 2, 0, 128000, 8080, 4), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    // Creating anything needs BASS_Init first.
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "/dev/null", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    BASS_INFO info{};
    info.size = sizeof info;
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_EQ(sizeof info, 60u);
    ASSERT_TRUE(BASS_GetInfo(&info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(BASS_SetConfig(BASS_CONFIG_MAXVOL, 255), 100u);
    EXPECT_EQ(BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 200), 255u);
    EXPECT_EQ(BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 256), 0xFFFFFFFFu);
    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
}

} // namespace
