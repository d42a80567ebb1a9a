// The files of the user's that the program reads and writes (the settings
// file, the CSV export, the autostart entry, the state files): read at once,
// and written in one safe way.
//
// A write opens the file's folder once and does everything relative to it.
// It never follows a symbolic link in the target's place (LinkRule), checks
// type, owner and mode on the opened file rather than on its path, and never
// replaces a file that is not a regular one, that belongs to another user or
// that its owner made read-only, root included. A replacement writes a
// temporary file in the same folder, created exclusively with mode 0600
// (base/temporary_files.h), syncs its data and only then renames it over the
// target, so a reader (or a crash, or a kill) finds either the old file or
// the new one, whole; leftovers of killed writes are removed by the next
// write into the folder. Every system call goes through FileOperations.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/file_operations.h"
#include "base/unique_fd.h"

namespace qm {

enum class LoadStatus { Loaded, Missing, Failed };

struct LoadedFile {
    LoadStatus status = LoadStatus::Failed;
    std::error_code error;  // the cause when Failed
    std::string bytes;      // the content when Loaded
    struct stat info {};    // the file's status when Loaded
};

enum class FollowLink { Yes, No };
// What a read does with a file larger than its limit.
enum class OverLimit {
    Refuse,  // Failed, EFBIG
    Cut,     // Loaded, with its first `limit` bytes
};

// Reads the regular file at `path`, of at most `limit` bytes. Missing when
// there is no such file; Failed (with the cause) when it cannot be read, is
// not a regular file (EISDIR for a folder, EINVAL otherwise), is larger than
// `limit` (see OverLimit) or, with FollowLink::No, is a symbolic link (ELOOP).
// Never blocks on a FIFO or a device: it is opened without waiting and its
// type checked on the opened descriptor.
LoadedFile LoadRegularFile(const std::string& path, std::size_t limit, FollowLink links = FollowLink::Yes,
                           OverLimit over = OverLimit::Refuse);

// A folder opened once; the writes below name their files relative to it,
// so a folder renamed or replaced meanwhile cannot send them elsewhere.
class WriteFolder {
public:
    // Opens the folder at `path` (links along the path are followed: the
    // path is the caller's choice). Error() tells why when it cannot be.
    explicit WriteFolder(const std::string& path, FileOperations& ops = SystemFileOperations());

    std::error_code Error() const { return error_; }
    int Fd() const { return fd_.get(); }
    FileOperations& Ops() const { return *ops_; }

private:
    FileOperations* ops_;
    UniqueFd fd_;
    std::error_code error_;
};

// What a write does when the target's name is a symbolic link.
enum class LinkRule {
    Refuse,     // refused (ELOOP)
    FollowOwn,  // followed only when the link is this user's own and sits in
                // a folder no one else may write (of this user or root, no
                // write permission for group or others); otherwise ELOOP
};

// Makes `bytes` the content of `name` in the folder, replacing an existing
// file whole (it keeps its permission bits) or creating one (0666 less the
// umask). Refused, left as it is: a link (see `links`), a folder (EISDIR),
// anything else that is not a regular file (EINVAL), a file of another user
// (EPERM), one without its owner's write permission (EACCES); a name that is
// not a plain file name (EINVAL). Otherwise the error of the system call
// that failed; nothing is left behind then.
std::error_code ReplaceFileAt(const WriteFolder& folder, std::string_view name, std::string_view bytes,
                              LinkRule links = LinkRule::Refuse);

// What an update makes of a file's current content: an error (nothing is
// written), no bytes (the file stays as it is), or its new content.
struct FileUpdate {
    std::error_code error;
    std::optional<std::string> bytes;
};
// `current` is Loaded, or Missing for a file that does not exist yet.
using FileUpdater = std::function<FileUpdate(const LoadedFile& current)>;

// Reads `name` (at most `limit` bytes; never through a link) and replaces it
// with what `update` makes of it, by the rules of ReplaceFileAt. A file that
// cannot be read is never replaced (its error is returned, EFBIG beyond the
// limit); the owner and mode refusals apply only when there is something
// new to write.
std::error_code UpdateFileAt(const WriteFolder& folder, std::string_view name, std::size_t limit,
                             const FileUpdater& update);

// Appends `bytes` to `name` in the folder and syncs them, creating the file
// with mode 0600 when there is none. The refusals of ReplaceFileAt (a link
// is always refused), and EFBIG when the file would grow beyond `limit`.
// A write cut short by a full disk or a kill can leave a partial last line:
// readers of appended files take only whole lines.
std::error_code AppendToFileAt(const WriteFolder& folder, std::string_view name, std::string_view bytes,
                               std::size_t limit);

// Reads `name` of the folder as LoadRegularFile does, never through a link.
LoadedFile LoadFileAt(const WriteFolder& folder, std::string_view name, std::size_t limit);

// The same for a path: its folder opened, then the above on its last name.
std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes,
                                    LinkRule links = LinkRule::Refuse);
std::error_code UpdateFileContents(const std::string& path, std::size_t limit, const FileUpdater& update);

// The folder part and the last name of a path ("a/b" gives "a" and "b", "b"
// gives "." and "b", "/b" gives "/" and "b"; "a/" gives "a" and "").
std::pair<std::string, std::string> SplitFolderAndName(const std::string& path);

}  // namespace qm
