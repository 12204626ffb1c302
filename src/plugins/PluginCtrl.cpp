#include "PluginCtrl.h"

#include <array>
#include <cstring>
#include <dlfcn.h>

namespace wavora {
namespace {

struct Slot {
    In_Module* module = nullptr; // none: a free slot
    TPluginInfo info;
};

// Manager state; user-interface thread only.
struct Manager {
    std::array<Slot, MaxPlugins> slots;
    int active = -1;
    HWND window = nullptr;
    TStreamInfo streamInfo;
};

Manager& manager() {
    static Manager instance;
    return instance;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upperCase(std::string text) {
    for (char& c : text) {
        c = upper(c);
    }
    return text;
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && upperCase(a) == upperCase(b);
}

bool contains(const std::string& extensions, const std::string& text) {
    return !text.empty() && upperCase(extensions).find(upperCase(text)) != std::string::npos;
}

std::string text(const char* s) {
    return s != nullptr ? std::string(s) : std::string();
}

// The inert visualisation and DSP hooks written into every plug-in's record.
void saVsaInit(int, int) {}
void saVsaDeInit() {}
void saAddPcmData(void*, int, int, int) {}
int saGetMode() {
    return 0;
}
int saAdd(void*, int, int) {
    return 0;
}
void vsaAddPcmData(void*, int, int, int) {}
int vsaGetMode(int*, int*) {
    return 0;
}
int vsaAdd(void*, int) {
    return 0;
}
void vsaSetInfo(int, int) {}
int dspIsActive() {
    return 0;
}
int dspDoSamples(short int*, int numsamples, int, int, int) {
    return numsamples;
}

} // namespace

bool InitPluginManager(HWND window) {
    if (OutputModuleInitialised()) {
        return true;
    }
    if (window == nullptr) {
        return false;
    }
    Manager& m = manager();
    m.window = window;
    m.slots = {};
    m.active = -1;
    SetNotificationWindow(window);
    if (!AllocateRingBuffer(PluginRingBytes)) {
        return false;
    }
    SetupOutputModule();
    if (!AllocateScratchBuffer(PluginScratchBytes)) {
        OutputModule()->Quit();
        FreeBuffers();
        return false;
    }
    return OutputModuleInitialised();
}

void ShutdownPluginManager() {
    Manager& m = manager();
    for (Slot& slot : m.slots) {
        if (slot.module != nullptr) {
            slot.module->Quit();
            dlclose(slot.info.LibraryHandle);
        }
        // The libraries are gone: no record of them may be handed out any more.
        slot = {};
    }
    m.active = -1;
    // Nothing may still read or fill the buffers about to be freed.
    StopRelay();
    if (OutputModuleInitialised()) {
        OutputModule()->Close();
        OutputModule()->Quit();
    }
    FreeBuffers();
}

LoadResult LoadPlugin(const std::string& name) {
    Manager& m = manager();
    if (!OutputModuleInitialised()) {
        return LoadResult::NotInitialised;
    }
    if (IsPluginLoaded(name)) {
        return LoadResult::AlreadyLoaded;
    }
    int index = 0;
    while (index < MaxPlugins && m.slots[index].module != nullptr) {
        ++index;
    }
    if (index == MaxPlugins) {
        return LoadResult::NoFreeSlot;
    }
    // A plain file name only: nothing outside the plug-in folder is loaded.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        return LoadResult::CannotLoad;
    }
    const std::string path = AppDirectory() + "Plugins/" + name;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return LoadResult::CannotLoad;
    }
    auto* getModule =
        reinterpret_cast<winampGetInModule2Func>(dlsym(library, WINAMP_GET_IN_MODULE2));
    In_Module* module = getModule != nullptr ? getModule() : nullptr;
    if (module == nullptr) {
        dlclose(library);
        return LoadResult::NoExport;
    }
    module->hMainWindow = m.window;
    module->hDllInstance = library;
    module->outMod = OutputModule();
    module->Init();
    module->SetInfo = &SetInfo;
    module->dsp_isactive = &dspIsActive;
    module->dsp_dosamples = &dspDoSamples;
    module->SAVSAInit = &saVsaInit;
    module->SAVSADeInit = &saVsaDeInit;
    module->SAAddPCMData = &saAddPcmData;
    module->SAGetMode = &saGetMode;
    module->SAAdd = &saAdd;
    module->VSASetInfo = &vsaSetInfo;
    module->VSAAddPCMData = &vsaAddPcmData;
    module->VSAGetMode = &vsaGetMode;
    module->VSAAdd = &vsaAdd;

    Slot& slot = m.slots[index];
    slot.module = module;
    slot.info.PluginName = name;
    slot.info.PluginVersion = module->version;
    slot.info.Description = text(module->description);
    slot.info.FileExtensions = text(module->FileExtensions);
    slot.info.Seekable = module->is_seekable;
    slot.info.LibraryHandle = library;
    return LoadResult::Loaded;
}

UnloadResult UnloadPlugin(const std::string& name) {
    Manager& m = manager();
    const int index = PluginIndexOf(name);
    if (index == -1) {
        return UnloadResult::NotLoaded;
    }
    if (index == m.active) {
        return UnloadResult::InUse;
    }
    Slot& slot = m.slots[index];
    slot.module->Quit();
    if (dlclose(slot.info.LibraryHandle) != 0) {
        return UnloadResult::CannotFree;
    }
    slot = {};
    return UnloadResult::Unloaded;
}

bool IsPluginLoaded(const std::string& name) {
    return PluginIndexOf(name) != -1;
}

int PluginIndexOf(const std::string& name) {
    const Manager& m = manager();
    for (int i = 0; i < MaxPlugins; ++i) {
        if (m.slots[i].module != nullptr && sameName(m.slots[i].info.PluginName, name)) {
            return i;
        }
    }
    return -1;
}

In_Module* GetPlugin(int index) {
    return index >= 0 && index < MaxPlugins ? manager().slots[index].module : nullptr;
}

TPluginInfo GetPluginInfo(int index) {
    if (GetPlugin(index) == nullptr) {
        return {};
    }
    return manager().slots[index].info;
}

int FindPluginByExt(const std::string& extension) {
    const Manager& m = manager();
    for (int i = 0; i < MaxPlugins; ++i) {
        if (m.slots[i].module != nullptr && contains(m.slots[i].info.FileExtensions, extension)) {
            return i;
        }
    }
    return -1;
}

int SelectPlugin(int index) {
    if (index != -1 && GetPlugin(index) == nullptr) {
        return -1;
    }
    manager().active = index;
    return 0;
}

int ActivePluginIndex() {
    return manager().active;
}

std::string ActivePluginName() {
    const Manager& m = manager();
    return m.active == -1 ? std::string() : m.slots[m.active].info.PluginName;
}

int PluginOutputTime(bool fromOutput) {
    if (fromOutput) {
        return OutputModuleInitialised() ? OutputModule()->GetOutputTime() : 0;
    }
    In_Module* module = GetPlugin(manager().active);
    return module != nullptr ? module->GetOutputTime() : 0;
}

void SetStreamInfo(const TStreamInfo& info) {
    manager().streamInfo = info;
    SetStreamDuration(info.Duration);
}

const TStreamInfo& PluginStreamInfo() {
    return manager().streamInfo;
}

std::string ClaimExtension(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    const std::size_t separator = fileName.find_last_of("/\\:");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) {
        return {};
    }
    return upperCase(fileName.substr(dot + 1, 3));
}

TPluginClaim ClaimFile(const std::string& fileName) {
    const std::string extension = ClaimExtension(fileName);
    Manager& m = manager();
    for (int i = 0; i < MaxPlugins; ++i) {
        Slot& slot = m.slots[i];
        if (slot.module == nullptr || !contains(slot.info.FileExtensions, extension)) {
            continue;
        }
        std::array<char, 256> title{};
        int length = 0;
        slot.module->GetFileInfo(fileName.c_str(), title.data(), &length);
        title.back() = '\0';
        if (length > 0) {
            return {i, slot.info.PluginName, std::string(title.data()), length};
        }
    }
    return {};
}

} // namespace wavora
