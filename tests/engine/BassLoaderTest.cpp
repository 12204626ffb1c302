// The run-time loaders: whole or nothing, idempotent, unload order, version text, and one
// instance of the library for the loader and the linked encoder add-on.
#include "BassLoader.h"

#include "BassCdLoader.h"
#include "BassEnc.h"
#include "BassWmaLoader.h"

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

const std::string kProgramDir = WAVORA_PROGRAM_DIR;
const std::string kFakeDir = WAVORA_FAKE_DIR;

struct LoaderCase {
    const char* name;
    std::function<bool(const std::string&)> load;
    std::function<void()> unload;
    std::function<bool()> loaded;
    std::function<bool()> anyEntrySet;
    std::function<bool()> allEntriesSet;
    std::string complete;
    std::string incomplete;
};

#define WAVORA_ANY(name) || bass::name != nullptr
#define WAVORA_ALL(name) &&bass::name != nullptr

std::vector<LoaderCase> Cases() {
    return {
        {"bass", LoadBass, UnloadBass, IsBassLoaded,
         [] { return false WAVORA_BASS_NAMES(WAVORA_ANY); },
         [] { return true WAVORA_BASS_NAMES(WAVORA_ALL); }, kProgramDir + "libbass.so",
         kFakeDir + "libfake_bass_incomplete.so"},
        {"basswma", LoadBassWma, UnloadBassWma, IsBassWmaLoaded,
         [] { return false WAVORA_BASSWMA_NAMES(WAVORA_ANY); },
         [] { return true WAVORA_BASSWMA_NAMES(WAVORA_ALL); }, kProgramDir + "libbasswma.so",
         kFakeDir + "libfake_basswma_incomplete.so"},
        {"basscd", LoadBassCd, UnloadBassCd, IsBassCdLoaded,
         [] { return false WAVORA_BASSCD_NAMES(WAVORA_ANY); },
         [] { return true WAVORA_BASSCD_NAMES(WAVORA_ALL); }, kFakeDir + "libfake_basscd.so",
         kFakeDir + "libfake_basscd_incomplete.so"},
    };
}

class BassLoader : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(BassLoader, LoadsWholeOrNothing) {
    const LoaderCase& c = GetParam();
    ASSERT_FALSE(c.loaded());

    // One name missing: the library is freed again and nothing is left set.
    EXPECT_FALSE(c.load(c.incomplete));
    EXPECT_FALSE(c.loaded());
    EXPECT_FALSE(c.anyEntrySet());
    EXPECT_FALSE(c.load(kFakeDir + "no-such-library.so"));
    EXPECT_FALSE(c.loaded());

    ASSERT_TRUE(c.load(c.complete)) << dlerror();
    EXPECT_TRUE(c.loaded());
    EXPECT_TRUE(c.allEntriesSet());
    // While loaded, a further call succeeds at once, whatever the path.
    EXPECT_TRUE(c.load(c.incomplete));
    EXPECT_TRUE(c.allEntriesSet());

    c.unload();
    EXPECT_FALSE(c.loaded());
    EXPECT_FALSE(c.anyEntrySet());
    c.unload(); // not loaded: nothing happens
    EXPECT_FALSE(c.loaded());
}

INSTANTIATE_TEST_SUITE_P(Bass, BassLoader, ::testing::ValuesIn(Cases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(BassLoaderFamily, CdLibraryAbsentIsSupported) {
    ASSERT_FALSE(std::filesystem::exists(kProgramDir + "libbasscd.so"));
    EXPECT_FALSE(LoadBassCd(kProgramDir + "libbasscd.so"));
    EXPECT_FALSE(IsBassCdLoaded());
    // Add-ons are loaded by full path only, never searched for.
    EXPECT_FALSE(LoadBassWma("libbasswma.so"));
    EXPECT_FALSE(LoadBassWma(""));
}

TEST(BassLoaderFamily, VersionAndUnloadFreesTheDevice) {
    EXPECT_EQ(BassVersionText(), "");
    EXPECT_FALSE(BassVersionOk());
    ASSERT_TRUE(LoadBass(kProgramDir + "libbass.so"));
    EXPECT_TRUE(BassVersionOk());
    EXPECT_EQ(BassVersionText(), "2.1");
    EXPECT_EQ(kBassVersionError, "BASS version is not 2.1 !");
    ASSERT_TRUE(bass::BASS_Init(0, 44100, 0, nullptr, nullptr));
    UnloadBass();
    EXPECT_EQ(BassVersionText(), "");
    // The library stays mapped for the linked encoder add-on; that the device was freed shows in
    // a second BASS_Init succeeding.
    ASSERT_TRUE(LoadBass(kProgramDir + "libbass.so"));
    EXPECT_TRUE(bass::BASS_Init(0, 44100, 0, nullptr, nullptr)) << bass::BASS_ErrorGetCode();
    UnloadBass();
}

void WriteWav(const std::string& path) {
    std::string h = "RIFF";
    auto put32 = [&h](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto put16 = [&h](std::uint32_t v) {
        h.push_back(static_cast<char>(v & 0xFF));
        h.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    const std::uint32_t bytes = 44100 * 4 / 2;
    put32(36 + bytes);
    h += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(2);
    put32(44100);
    put32(176400);
    put16(4);
    put16(16);
    h += "data";
    put32(bytes);
    h.append(bytes, '\0');
    std::ofstream(path, std::ios::binary) << h;
}

// The loader's dlopen by full path and the encoder add-on's link to libbass.so meet in one
// library instance: a channel made through the loader is known to the add-on.
TEST(BassLoaderFamily, LoaderAndLinkedAddOnShareOneInstance) {
    ASSERT_TRUE(LoadBass(kProgramDir + "libbass.so"));
    void* linked = dlsym(RTLD_DEFAULT, "BASS_ChannelGetData");
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(bass::BASS_ChannelGetData), linked);

    ASSERT_TRUE(bass::BASS_Init(0, 44100, 0, nullptr, nullptr));
    const auto dir = std::filesystem::temp_directory_path();
    const std::string wav = (dir / "wavora-loader-test.wav").string();
    WriteWav(wav);
    const HSTREAM h = bass::BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    ASSERT_NE(BASS_Encode_Start(h, "head -c 0", 0, nullptr, nullptr), 0u);
    EXPECT_TRUE(BASS_Encode_Stop(h));
    bass::BASS_StreamFree(h);
    std::filesystem::remove(wav);
    UnloadBass();
}

} // namespace
