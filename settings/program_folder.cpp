#include "settings/program_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <set>

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

std::string PasswordHome(uid_t uid) {
    const passwd* user = ::getpwuid(uid);
    return user != nullptr && user->pw_dir != nullptr ? std::string(user->pw_dir) : std::string();
}

// The owner of the folder, or of its nearest existing parent when it does not
// exist yet (it would be made there).
std::optional<uid_t> OwnerOfNearest(std::filesystem::path folder) {
    while (!folder.empty()) {
        struct stat status {};
        if (::lstat(folder.c_str(), &status) == 0) return status.st_uid;
        if (folder == folder.parent_path()) break;
        folder = folder.parent_path();
    }
    return std::nullopt;
}

}  // namespace

bool IsSystemFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::weakly_canonical(Folder(folder), error);
    if (error || path.empty() || path == "/") return true;
    const std::string first = *std::next(path.begin());  // the component after "/"
    if (first == "var") {
        const auto second = std::next(path.begin(), 2);
        return second == path.end() || *second != "tmp";
    }
    static const std::set<std::string> kSystem = {"usr", "bin", "sbin", "lib", "lib32", "lib64", "libx32", "opt",
                                                  "etc", "boot", "srv", "snap", "run", "sys", "proc", "dev"};
    return kSystem.count(first) > 0;
}

bool IsInstalledProgramFolder(const std::string& programFolder) {
    return Folder(programFolder).filename() == "bin";
}

ProgramFolderFacts InspectProgramFolder(const std::string& programFolder) {
    ProgramFolderFacts facts;
    facts.installed = IsInstalledProgramFolder(programFolder);
    facts.system = IsSystemFolder(programFolder);
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

namespace {

// $XDG_..._HOME when it is an absolute path, else `underHome` in the home
// when that is one; empty when neither is known.
std::string UserFolder(const std::string& xdgValue, const std::string& home, const char* underHome) {
    if (!xdgValue.empty() && xdgValue.front() == '/') return xdgValue;
    if (!home.empty() && home.front() == '/') return (std::filesystem::path(home) / underHome).string();
    return {};
}

// The folder for `user`; for root, one that does not belong to root is
// replaced by root's own (see ConfigHomeOfUser).
std::string UserFolderOf(uid_t user, const std::string& xdgValue, const std::string& home, const char* underHome) {
    std::string folder = UserFolder(xdgValue, home.empty() ? PasswordHome(user) : home, underHome);
    if (user == 0 && !folder.empty() && OwnerOfNearest(folder) != uid_t{0}) {
        folder = UserFolder("", PasswordHome(0), underHome);
    }
    return folder;
}

}  // namespace

std::string ConfigHome(const std::string& xdgConfigHome, const std::string& home) {
    return UserFolder(xdgConfigHome, home, ".config");
}

std::string ConfigHomeOfUser(uid_t user, const std::string& xdgConfigHome, const std::string& home) {
    return UserFolderOf(user, xdgConfigHome, home, ".config");
}

std::string ProcessConfigHome() {
    return ConfigHomeOfUser(::geteuid(), Environment("XDG_CONFIG_HOME"), Environment("HOME"));
}

std::string StateHomeOfUser(uid_t user, const std::string& xdgStateHome, const std::string& home) {
    return UserFolderOf(user, xdgStateHome, home, ".local/state");
}

std::string ProcessStateHome() {
    return StateHomeOfUser(::geteuid(), Environment("XDG_STATE_HOME"), Environment("HOME"));
}

}  // namespace qm
