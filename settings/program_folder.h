// The folders the program works with besides the drives: where its own files
// (help and pages) are, whether its own folder may hold the files it writes,
// and the user's configuration folder.
//
// An installed program lives in <prefix>/bin with its files in
// <prefix>/share/quillmoor, wherever the prefix is (the layout, not the
// prefix, tells it apart), and never writes into those folders. A build tree
// or a folder the user unpacked keeps everything beside the executable.
#pragma once

#include <sys/types.h>

#include <string>

namespace qm {

// What the program can tell about the folder its executable is in.
struct ProgramFolderFacts {
    bool installed = false;  // the bin/ folder of an installation
    bool usersOwn = false;   // owned by this process's user and writable by it
    bool system = false;     // inside one of the system's own folders (see IsSystemFolder)
    friend bool operator==(const ProgramFolderFacts&, const ProgramFolderFacts&) = default;
};

// A program folder named "bin" (trailing separators aside) is an
// installation's: its data sits in ../share/quillmoor.
bool IsInstalledProgramFolder(const std::string& programFolder);

// True for a folder inside the system's own folders (/usr, /opt, /etc, /var
// but /var/tmp, /bin, /sbin, /lib*, /boot, /srv, /snap, /run and the root
// folder itself): root owns them, and a program root starts there must not
// leave its files in them.
bool IsSystemFolder(const std::string& folder);

// Looks at the folder: its name, its owner, whether this process may write
// into it, and whether it is a system folder. A folder that cannot be asked
// is not the user's.
ProgramFolderFacts InspectProgramFolder(const std::string& programFolder);

// Whether the program keeps the files it writes (the settings file) and starts
// the save dialog in its own folder: only in a folder of the user's own that
// is neither an installation nor a system folder.
inline bool KeepsFilesBeside(const ProgramFolderFacts& facts) {
    return facts.usersOwn && !facts.installed && !facts.system;
}

// The folder of the help file and the pages: <prefix>/share/quillmoor for an
// installed program, otherwise the program folder itself.
std::string ProgramDataFolder(const std::string& programFolder);

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else "$HOME/.config" when the home is an absolute path; empty when
// neither is known.
std::string ConfigHome(const std::string& xdgConfigHome, const std::string& home);

// The configuration folder of a process whose effective user is `user`, with
// the values of XDG_CONFIG_HOME and HOME it was given (empty when unset; the
// home from the password database then). For root the environment counts
// only when the folder it names belongs to root: an XDG_CONFIG_HOME or HOME
// handed over from a user (sudo keeping them) would otherwise fill that
// user's folders with files the user cannot replace; root's own home from
// the password database is taken then.
std::string ConfigHomeOfUser(uid_t user, const std::string& xdgConfigHome, const std::string& home);

// The same for this process, from its environment.
std::string ProcessConfigHome();

// The user's state folder (what the program keeps for the user that is not
// a setting: the alert state, the temperature history): $XDG_STATE_HOME, or
// "$HOME/.local/state", by the same rules as ConfigHomeOfUser.
std::string StateHomeOfUser(uid_t user, const std::string& xdgStateHome, const std::string& home);
std::string ProcessStateHome();

}  // namespace qm
