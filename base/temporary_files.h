// The temporary file a replacement writes beside its target, and the removal
// of those that a killed program left behind.
//
// A temporary is named "." + the target's name + "." + ten characters of
// [0-9a-z] + ".quillmoor-tmp" (the target's name cut so that the whole fits
// in 255 bytes). It is created exclusively with mode 0600, never through a
// link, and locked (flock) by its writer from its creation until it has been
// renamed over the target: a temporary nobody holds locked is a leftover.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

#include "base/file_operations.h"
#include "base/unique_fd.h"

namespace qm {

inline constexpr std::string_view kTemporarySuffix = ".quillmoor-tmp";
inline constexpr std::size_t kTemporaryUniqueLength = 10;

// The temporary's name for `target` with the unique part `unique`.
std::string TemporaryName(std::string_view target, std::string_view unique);

// Whether `name` has the shape of the program's temporaries: the one above,
// or that of an INI write of earlier versions ("<name>.ini.tmp" or
// ".ini.tmp", then ten characters of [0-9a-z]).
bool IsTemporaryName(std::string_view name);

// Removes from the folder every entry whose name IsTemporaryName accepts and
// that is a regular file of this process's effective user that no writer
// holds locked. Nothing else is touched: not a link, not a file of another
// user (root included), not a temporary being written. Returns how many
// were removed.
std::size_t RemoveLeftoverTemporaries(int folder, FileOperations& ops);

// A new temporary beside `target` in `folder`, removed again unless it was
// renamed into place.
class TemporaryFile {
public:
    TemporaryFile(FileOperations& ops, int folder, std::string_view target);
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    // Why the file could not be made; none when it was.
    std::error_code Error() const { return error_; }
    int Fd() const { return fd_.get(); }

    // Writes all of `bytes`.
    std::error_code WriteAll(std::string_view bytes);
    // Flushes the data to the disk, then renames the file over `target`;
    // afterwards the name is the target's (Fd() still open on it).
    std::error_code SyncAndRenameOver(std::string_view target);

private:
    bool CreateAndLock(const std::string& name);

    FileOperations& ops_;
    int folder_;
    UniqueFd fd_;
    std::string name_;
    std::error_code error_;
};

}  // namespace qm
