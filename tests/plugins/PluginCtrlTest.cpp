#include "PluginCtrl.h"

#include "MessageWindow.h"
#include "PluginTestSupport.h"

#include <array>
#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace wavora {
namespace {

namespace fs = std::filesystem;

std::string claimLog(int index) {
    using LogFunc = const char* (*)();
    auto* log = reinterpret_cast<LogFunc>(dlsym(GetPluginInfo(index).LibraryHandle, "claimLog"));
    return log != nullptr ? log() : "<no log>";
}

class PluginManager : public testing::Test {
protected:
    void SetUp() override {
        test::App();
        ASSERT_TRUE(InitPluginManager(window.Handle()));
    }

    void TearDown() override {
        (void)SelectPlugin(-1);
        ShutdownPluginManager();
        for (const fs::path& copy : copies) {
            fs::remove(copy);
        }
    }

    // A copy of the claim plug-in under a name of its own (a library is loaded once per file).
    std::string claimCopy(int n) {
        const std::string name =
            "in_claim" + std::to_string(getpid()) + "_" + std::to_string(n) + ".so";
        const fs::path target = test::PluginFolder() / name;
        fs::copy_file(test::PluginFolder() / "in_claim.so", target,
                      fs::copy_options::overwrite_existing);
        copies.push_back(target);
        return name;
    }

    TMessageWindow window{{}};
    std::vector<fs::path> copies;
};

TEST_F(PluginManager, InitialisesOnceWithItsBuffersAndKeepsTheFirstWindow) {
    EXPECT_EQ(RingBufferSize(), PluginRingBytes);
    EXPECT_EQ(ScratchBufferSize(), PluginScratchBytes);
    TMessageWindow other{{}};
    EXPECT_TRUE(InitPluginManager(other.Handle()));
    EXPECT_EQ(NotificationWindow(), window.Handle());
    EXPECT_EQ(OutputModule()->hMainWindow, window.Handle());

    ShutdownPluginManager();
    EXPECT_FALSE(OutputModuleInitialised());
    EXPECT_EQ(RingBufferSize(), 0u);
    EXPECT_EQ(ScratchBufferSize(), 0u);
    EXPECT_FALSE(InitPluginManager(nullptr));
    EXPECT_EQ(LoadPlugin("in_claim.so"), LoadResult::NotInitialised);
    ASSERT_TRUE(InitPluginManager(window.Handle()));
}

TEST_F(PluginManager, OutputModuleRecordIsFilledAsPublished) {
    const Out_Module* out = OutputModule();
    EXPECT_EQ(out->version, 0x10);
    EXPECT_STREQ(out->description, "BASS Winamp output plug-in emulator");
    EXPECT_EQ(out->id, 0x10001);
    EXPECT_EQ(out->hDllInstance, nullptr);
    const std::array functions = {reinterpret_cast<const void*>(out->Config),
                                  reinterpret_cast<const void*>(out->About),
                                  reinterpret_cast<const void*>(out->Init),
                                  reinterpret_cast<const void*>(out->Quit),
                                  reinterpret_cast<const void*>(out->Open),
                                  reinterpret_cast<const void*>(out->Close),
                                  reinterpret_cast<const void*>(out->Write),
                                  reinterpret_cast<const void*>(out->CanWrite),
                                  reinterpret_cast<const void*>(out->IsPlaying),
                                  reinterpret_cast<const void*>(out->Pause),
                                  reinterpret_cast<const void*>(out->SetVolume),
                                  reinterpret_cast<const void*>(out->SetPan),
                                  reinterpret_cast<const void*>(out->Flush),
                                  reinterpret_cast<const void*>(out->GetOutputTime),
                                  reinterpret_cast<const void*>(out->GetWrittenTime)};
    for (const void* f : functions) {
        EXPECT_NE(f, nullptr);
    }
}

struct LoadCase {
    const char* name;
    LoadResult result;
};

void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << '"' << c.name << '"';
}

class LoadResults : public PluginManager, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadResults, FailedLoadsKeepNoSlot) {
    EXPECT_EQ(LoadPlugin(GetParam().name), GetParam().result);
    for (int i = 0; i < MaxPlugins; ++i) {
        EXPECT_EQ(GetPlugin(i), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Broken, LoadResults,
                         testing::Values(LoadCase{"in_missing.so", LoadResult::CannotLoad},
                                         LoadCase{"in_noexport.so", LoadResult::NoExport},
                                         LoadCase{"in_nomodule.so", LoadResult::NoExport},
                                         LoadCase{"../Plugins/in_claim.so", LoadResult::CannotLoad},
                                         LoadCase{"", LoadResult::CannotLoad}));

TEST_F(PluginManager, LoadFillsTheRecordAndTheInfo) {
    ASSERT_EQ(LoadPlugin("in_claim.so"), LoadResult::Loaded);
    In_Module* module = GetPlugin(0);
    ASSERT_NE(module, nullptr);
    const TPluginInfo info = GetPluginInfo(0);
    EXPECT_EQ(info.PluginName, "in_claim.so");
    EXPECT_EQ(info.PluginVersion, 0x100);
    EXPECT_EQ(info.Description, "Claim test plug-in");
    EXPECT_EQ(info.FileExtensions, "MP3;MP2");
    EXPECT_EQ(info.Seekable, 1);
    EXPECT_NE(info.LibraryHandle, nullptr);
    EXPECT_EQ(claimLog(0), "Init\n");

    EXPECT_EQ(module->hMainWindow, window.Handle());
    EXPECT_EQ(module->hDllInstance, info.LibraryHandle);
    EXPECT_EQ(module->outMod, OutputModule());
    // The inert hooks: nothing changes, the DSP hands the samples back as they are.
    std::array<short, 4> samples{1, -2, 3, -4};
    EXPECT_EQ(module->dsp_isactive(), 0);
    EXPECT_EQ(module->dsp_dosamples(samples.data(), 2, 16, 2, 44100), 2);
    EXPECT_EQ(samples, (std::array<short, 4>{1, -2, 3, -4}));
    int spectrum = 7;
    int wave = 9;
    EXPECT_EQ(module->VSAGetMode(&spectrum, &wave), 0);
    EXPECT_EQ(spectrum, 7);
    EXPECT_EQ(wave, 9);
    EXPECT_EQ(module->SAGetMode(), 0);
    EXPECT_EQ(module->SAAdd(samples.data(), 0, 0), 0);
    EXPECT_EQ(module->VSAAdd(samples.data(), 0), 0);
    module->SAVSAInit(0, 44100);
    module->SAVSADeInit();
    module->SAAddPCMData(samples.data(), 2, 16, 0);
    module->VSAAddPCMData(samples.data(), 2, 16, 0);
    module->VSASetInfo(44100, 2);
    EXPECT_EQ(module->SetInfo, &SetInfo);

    EXPECT_EQ(GetPlugin(-1), nullptr);
    EXPECT_EQ(GetPlugin(8), nullptr);
    EXPECT_EQ(GetPluginInfo(9).PluginName, "");
    EXPECT_EQ(GetPluginInfo(9).LibraryHandle, nullptr);
    EXPECT_EQ(GetPluginInfo(1).PluginName, "");
}

TEST_F(PluginManager, SlotRules) {
    std::vector<std::string> names;
    for (int i = 0; i < MaxPlugins; ++i) {
        names.push_back(claimCopy(i));
        ASSERT_EQ(LoadPlugin(names.back()), LoadResult::Loaded);
        EXPECT_EQ(PluginIndexOf(names.back()), i);
    }
    // Same name in other letter case, before the free-slot check.
    std::string shouted = names[3];
    for (char& c : shouted) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_TRUE(IsPluginLoaded(shouted));
    EXPECT_EQ(LoadPlugin(shouted), LoadResult::AlreadyLoaded);
    EXPECT_EQ(LoadPlugin(claimCopy(8)), LoadResult::NoFreeSlot);
    EXPECT_EQ(PluginIndexOf(copies.back().filename().string()), -1);

    void* keep = dlopen((test::PluginFolder() / names[0]).c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(keep, nullptr);
    EXPECT_EQ(UnloadPlugin(names[0]), UnloadResult::Unloaded);
    using LogFunc = const char* (*)();
    EXPECT_STREQ(reinterpret_cast<LogFunc>(dlsym(keep, "claimLog"))(), "Init\nQuit\n");
    dlclose(keep);
    EXPECT_EQ(GetPlugin(0), nullptr);
    EXPECT_EQ(UnloadPlugin(names[0]), UnloadResult::NotLoaded);
    ASSERT_EQ(LoadPlugin(copies.back().filename().string()), LoadResult::Loaded);
    EXPECT_EQ(PluginIndexOf(copies.back().filename().string()), 0);
}

TEST_F(PluginManager, LoadingAnotherCaseOfALoadedNameAnswersAlreadyLoaded) {
    ASSERT_EQ(LoadPlugin("in_claim.so"), LoadResult::Loaded);
    EXPECT_EQ(LoadPlugin("IN_CLAIM.SO"), LoadResult::AlreadyLoaded);
    EXPECT_EQ(PluginIndexOf("In_Claim.So"), 0);
}

TEST_F(PluginManager, TheActivePluginCannotBeUnloaded) {
    ASSERT_EQ(LoadPlugin("in_claim.so"), LoadResult::Loaded);
    ASSERT_EQ(LoadPlugin(claimCopy(1)), LoadResult::Loaded);
    EXPECT_EQ(SelectPlugin(1), 0);
    EXPECT_EQ(ActivePluginName(), copies.back().filename().string());
    EXPECT_EQ(PluginOutputTime(false), 4321);
    EXPECT_EQ(UnloadPlugin(copies.back().filename().string()), UnloadResult::InUse);
    EXPECT_NE(GetPlugin(1), nullptr);

    for (const int bad : {8, -2, 5}) {
        EXPECT_EQ(SelectPlugin(bad), -1) << bad;
        EXPECT_EQ(ActivePluginIndex(), 1) << bad;
    }
    EXPECT_EQ(SelectPlugin(-1), 0);
    EXPECT_EQ(ActivePluginName(), "");
    EXPECT_EQ(PluginOutputTime(false), 0);
    EXPECT_EQ(UnloadPlugin(copies.back().filename().string()), UnloadResult::Unloaded);
}

struct ClaimCase {
    const char* file;
    const char* extension;
    bool asked;
    bool claimed;
};

void PrintTo(const ClaimCase& c, std::ostream* os) {
    *os << c.file;
}

class Claims : public PluginManager, public testing::WithParamInterface<ClaimCase> {};

TEST_P(Claims, OnlyTheFirstExtensionGroupTakesPart) {
    const ClaimCase& c = GetParam();
    ASSERT_EQ(LoadPlugin("in_claim.so"), LoadResult::Loaded);
    EXPECT_EQ(ClaimExtension(c.file), c.extension);
    const TPluginClaim claim = ClaimFile(c.file);
    const bool asked =
        claimLog(0).find("GetFileInfo " + std::string(c.file) + "\n") != std::string::npos;
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(claim.Index, c.claimed ? 0 : -1);
    if (c.claimed) {
        EXPECT_EQ(claim.PluginName, "in_claim.so");
        EXPECT_EQ(claim.Title, "Claimed title");
        EXPECT_EQ(claim.Length, 1000);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Claims,
                         testing::Values(ClaimCase{"/music/song.mp3", "MP3", true, true},
                                         ClaimCase{"/music/Song.MP2", "MP2", true, true},
                                         ClaimCase{"/music/song.ogg", "OGG", false, false},
                                         ClaimCase{"/music/a.p3", "P3", true, true},
                                         ClaimCase{"/music/a.mpeg", "MPE", false, false},
                                         ClaimCase{"/music/noextension", "", false, false},
                                         ClaimCase{"/music.mp3/noextension", "", false, false},
                                         ClaimCase{"/music/unclaimed.mp3", "MP3", true, false}));

TEST_F(PluginManager, FindPluginByExtSearchesTheFirstGroupUpperCased) {
    ASSERT_EQ(LoadPlugin("in_noexport.so"), LoadResult::NoExport);
    ASSERT_EQ(LoadPlugin("in_claim.so"), LoadResult::Loaded);
    ASSERT_EQ(LoadPlugin(claimCopy(1)), LoadResult::Loaded);
    EXPECT_EQ(FindPluginByExt("mp2"), 0);
    EXPECT_EQ(FindPluginByExt("3;M"), 0);
    EXPECT_EQ(FindPluginByExt("OGG"), -1);
    EXPECT_EQ(FindPluginByExt(""), -1);
    EXPECT_EQ(UnloadPlugin("in_claim.so"), UnloadResult::Unloaded);
    EXPECT_EQ(FindPluginByExt("MP3"), 1);
}

TEST_F(PluginManager, ShutdownQuitsEveryPluginAndForgetsIt) {
    ASSERT_EQ(LoadPlugin("in_claim.so"), LoadResult::Loaded);
    // Keep the library mapped past the shutdown, to read what it was told.
    void* keep = dlopen((test::PluginFolder() / "in_claim.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(keep, nullptr);
    ShutdownPluginManager();
    EXPECT_EQ(GetPlugin(0), nullptr);
    using LogFunc = const char* (*)();
    EXPECT_STREQ(reinterpret_cast<LogFunc>(dlsym(keep, "claimLog"))(), "Init\nQuit\n");
    dlclose(keep);
    ASSERT_TRUE(InitPluginManager(window.Handle()));
}

} // namespace
} // namespace wavora
