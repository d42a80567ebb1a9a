#include "app/app_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace qm {

std::string SettingsFilePath(const std::string& programFolder, bool programFolderWritable,
                             const std::string& xdgConfigHome, const std::string& home) {
    const std::filesystem::path program(programFolder);
    if (programFolderWritable) return (program / kSettingsFileName).string();
    std::filesystem::path config;
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/')
        config = xdgConfigHome;
    else if (!home.empty() && home.front() == '/')
        config = std::filesystem::path(home) / ".config";
    else
        return (program / kSettingsFileName).string();
    return (config / "quillmoor" / kSettingsFileName).string();
}

AppPaths ResolveAppPaths(const std::string& programFolder) {
    const auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::string(value) : std::string();
    };
    const bool writable = !programFolder.empty() && ::access(programFolder.c_str(), W_OK) == 0;
    AppPaths paths{programFolder, SettingsFilePath(programFolder, writable, env("XDG_CONFIG_HOME"), env("HOME"))};
    if (!writable) {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(paths.settingsFile).parent_path(), ignored);
    }
    return paths;
}

}  // namespace qm
