#pragma once

#include <string>

namespace wavora {

// Where the program keeps what it writes. A program folder the user can write to (a copied or
// built folder) holds options.dat and the default output folder itself, as it always has. An
// installed copy (a folder the user cannot write to, or one carrying the install's marker file,
// which root can write to but must not treat as its own) keeps them in the user's XDG folders.

// The marker file that `cmake --install` puts into the program folder.
inline constexpr const char* InstalledMarker = "installed-copy";

// True when programDir (with its trailing '/') is the user's own: writable and unmarked.
[[nodiscard]] bool ProgramFolderIsPortable(const std::string& programDir);

// programDir + "options.dat", or $XDG_CONFIG_HOME/wavora/options.dat for an installed copy.
[[nodiscard]] std::string OptionsFilePath(const std::string& programDir);

// programDir + "output", or the user's music folder + "/Wavora" for an installed copy.
[[nodiscard]] std::string DefaultOutputFolder(const std::string& programDir);

// The user's extra plug-in folder ($XDG_DATA_HOME/wavora/Plugins/), for an installed copy only;
// empty for a portable one.
[[nodiscard]] std::string UserPluginFolder(const std::string& programDir);

// Creates the folder that will hold path (mode 0700 for new folders); false when it cannot.
bool CreateParentFolder(const std::string& path);

// The XDG base folders, without a trailing '/': the variable when it holds an absolute path,
// else the default below $HOME.
[[nodiscard]] std::string XdgConfigHome();
[[nodiscard]] std::string XdgDataHome();
// $XDG_MUSIC_DIR, else XDG_MUSIC_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else $HOME/Music.
[[nodiscard]] std::string XdgMusicDir();

} // namespace wavora
