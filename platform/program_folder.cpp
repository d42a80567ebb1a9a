#include "platform/program_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace qm {
namespace {

// The folder without trailing separators ("/opt/q/bin/" is "/opt/q/bin").
std::filesystem::path Folder(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return std::filesystem::path(trimmed);
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

bool IsInstalledProgramFolder(const std::string& programFolder) {
    return Folder(programFolder).filename() == "bin";
}

ProgramFolderFacts InspectProgramFolder(const std::string& programFolder) {
    ProgramFolderFacts facts;
    facts.installed = IsInstalledProgramFolder(programFolder);
    struct stat status {};
    if (!programFolder.empty() && ::stat(programFolder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        // The effective user decides, as it does for the writes themselves.
        facts.usersOwn = status.st_uid == ::geteuid() &&
                         ::faccessat(AT_FDCWD, programFolder.c_str(), W_OK, AT_EACCESS) == 0;
    }
    return facts;
}

std::string ProgramDataFolder(const std::string& programFolder) {
    if (!IsInstalledProgramFolder(programFolder)) return programFolder;
    return (Folder(programFolder).parent_path() / "share" / "quillmoor").string();
}

std::string ConfigHome(const std::string& xdgConfigHome, const std::string& home) {
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/') return xdgConfigHome;
    if (!home.empty() && home.front() == '/') return (std::filesystem::path(home) / ".config").string();
    return {};
}

std::string ProcessConfigHome() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* user = ::getpwuid(::geteuid()); user != nullptr && user->pw_dir != nullptr) home = user->pw_dir;
    }
    return ConfigHome(Environment("XDG_CONFIG_HOME"), home);
}

}  // namespace qm
