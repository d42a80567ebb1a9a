// Where the program lives and where its settings file is.
#pragma once

#include <string>

namespace qm {

inline constexpr char kSettingsFileName[] = "Quillmoor.ini";

struct AppPaths {
    std::string programFolder;  // the executable's folder
    std::string settingsFile;   // full path of Quillmoor.ini
};

// The settings file: in the program folder when that folder is writable,
// otherwise in "<config>/quillmoor/", where <config> is $XDG_CONFIG_HOME when
// it is an absolute path, else "$HOME/.config". Falls back to the program
// folder when neither is known.
std::string SettingsFilePath(const std::string& programFolder, bool programFolderWritable,
                             const std::string& xdgConfigHome, const std::string& home);

// The same for this process: tests the folder with access(W_OK), reads the
// environment, and creates the configuration folder when it is used.
AppPaths ResolveAppPaths(const std::string& programFolder);

}  // namespace qm
