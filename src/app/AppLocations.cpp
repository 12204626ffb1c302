#include "AppLocations.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wavora {
namespace {

namespace fs = std::filesystem;

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// Relative values are invalid by the XDG rules and are ignored.
std::string AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? WithoutTrailingSlash(value) : std::string();
}

std::string XdgFolder(const char* variable, const char* fallback) {
    std::string folder = AbsoluteVariable(variable);
    return folder.empty() ? WithoutTrailingSlash(HomeFolder()) + "/" + fallback : folder;
}

// One line of user-dirs.dirs: XDG_MUSIC_DIR="$HOME/Music" or an absolute path in quotes.
std::string MusicFromUserDirs() {
    std::ifstream file(XdgConfigHome() + "/user-dirs.dirs");
    std::string line;
    while (std::getline(file, line)) {
        const std::string key = "XDG_MUSIC_DIR=\"";
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) {
            continue;
        }
        const std::size_t valueStart = start + key.size();
        const std::size_t end = line.find('"', valueStart);
        if (end == std::string::npos) {
            return {};
        }
        std::string value = line.substr(valueStart, end - valueStart);
        if (value.rfind("$HOME", 0) == 0) {
            value = WithoutTrailingSlash(HomeFolder()) + value.substr(5);
        }
        return value.size() > 1 && value[0] == '/' ? WithoutTrailingSlash(value) : std::string();
    }
    return {};
}

} // namespace

bool ProgramFolderIsPortable(const std::string& programDir) {
    if (::access(programDir.c_str(), W_OK) != 0) {
        return false;
    }
    std::error_code error;
    return !fs::exists(fs::path(programDir) / InstalledMarker, error);
}

std::string XdgConfigHome() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string XdgDataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string XdgMusicDir() {
    if (std::string music = AbsoluteVariable("XDG_MUSIC_DIR"); !music.empty()) {
        return music;
    }
    if (std::string music = MusicFromUserDirs(); !music.empty()) {
        return music;
    }
    return WithoutTrailingSlash(HomeFolder()) + "/Music";
}

std::string OptionsFilePath(const std::string& programDir) {
    return ProgramFolderIsPortable(programDir) ? programDir + "options.dat"
                                               : XdgConfigHome() + "/wavora/options.dat";
}

std::string DefaultOutputFolder(const std::string& programDir) {
    return ProgramFolderIsPortable(programDir) ? programDir + "output"
                                               : XdgMusicDir() + "/Wavora";
}

std::string UserPluginFolder(const std::string& programDir) {
    return ProgramFolderIsPortable(programDir) ? std::string()
                                               : XdgDataHome() + "/wavora/Plugins/";
}

bool CreateParentFolder(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    std::error_code error;
    if (parent.empty() || fs::is_directory(parent, error)) {
        return true;
    }
    // Settings are private: every folder made here is the user's alone.
    fs::path made;
    for (const fs::path& part : parent) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return fs::is_directory(parent, error);
}

} // namespace wavora
