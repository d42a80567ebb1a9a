#include "base/file_replace.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "base/temporary_files.h"

namespace qm {
namespace {

constexpr int kLinkLimit = 8;  // links followed in a row before ELOOP, as FollowOwn allows them

std::error_code ErrorOf(int code) { return std::error_code(code, std::generic_category()); }
std::error_code LastError() { return ErrorOf(errno != 0 ? errno : EIO); }

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

std::error_code RefuseNonRegular(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return ErrorOf(EISDIR);
    if (!S_ISREG(info.st_mode)) return ErrorOf(EINVAL);
    return {};
}

// A file is replaced only when it is the writer's own and its owner has not
// made it read-only: a program started by root must not take over a user's
// file (nor a user's program root's), and root would pass a permission check
// that the owner's lock is meant to stop.
std::error_code RefuseForeignOrLocked(const struct stat& info) {
    if (info.st_uid != ::geteuid()) return ErrorOf(EPERM);
    if ((info.st_mode & S_IWUSR) == 0) return ErrorOf(EACCES);
    return {};
}

// Whether someone besides this user (and root) may write into the folder.
bool OthersMayWrite(const struct stat& folder) {
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0 || (folder.st_uid != ::geteuid() && folder.st_uid != 0);
}

// A name of one folder entry, not a path.
std::error_code CheckPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return ErrorOf(EISDIR);
    if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos) return ErrorOf(EINVAL);
    if (name.size() > NAME_MAX) return ErrorOf(ENAMETOOLONG);
    return {};
}

// Reads to the end of the file, which may have grown since fstat: at most
// limit + 1 bytes, so that a file beyond the limit is seen as one (or, to
// cut it, `limit` bytes). One byte more than the size fstat gave lets the
// read that finds the end use the same buffer; a size of 0 may be a file of
// /proc, whose size is unknown.
std::error_code ReadToEnd(FileOperations& ops, int fd, std::size_t sizeHint, std::size_t limit, OverLimit over,
                          std::string& bytes) {
    const std::size_t most = over == OverLimit::Cut ? limit : limit + 1;
    bytes.resize(std::min(std::min(sizeHint == 0 ? 4095 : sizeHint, limit) + 1, most));
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used == most) {
                if (over == OverLimit::Cut) break;
                return ErrorOf(EFBIG);
            }
            bytes.resize(std::min(bytes.size() + 4096, most));
        }
        const ssize_t got = ops.Read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return LastError();
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    if (used > limit) return ErrorOf(EFBIG);
    bytes.resize(used);
    return {};
}

// Loads the file behind an open descriptor (an empty one: the open's errno).
// `expected`, when given, is the file the caller examined before opening:
// another one in its place is refused.
LoadedFile LoadOpened(FileOperations& ops, const UniqueFd& fd, std::size_t limit, OverLimit over,
                      const struct stat* expected = nullptr) {
    LoadedFile file;
    if (!fd || ops.Stat(fd.get(), file.info) != 0) {
        file.error = LastError();
    } else if (expected != nullptr && !SameFile(*expected, file.info)) {
        file.error = ErrorOf(EAGAIN);  // replaced between the look and the open
    } else if (const std::error_code refused = RefuseNonRegular(file.info)) {
        file.error = refused;
    } else if (over == OverLimit::Refuse && static_cast<std::uint64_t>(file.info.st_size) > limit) {
        file.error = ErrorOf(EFBIG);
    } else {
        const auto size = static_cast<std::size_t>(std::max<off_t>(file.info.st_size, 0));
        file.error = ReadToEnd(ops, fd.get(), size, limit, over, file.bytes);
    }
    if (!file.error) {
        file.status = LoadStatus::Loaded;
    } else if (file.error == std::errc::no_such_file_or_directory) {
        file.status = LoadStatus::Missing;
    }
    return file;
}

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// The file a write goes to: its folder (the one given, or the folder an own
// link led to) and its name there; whether it exists and, if so, its status
// as the opened entry gave it.
struct Target {
    UniqueFd ownFolder;  // open when a link led to another folder
    int folder = -1;
    std::string name;
    bool exists = false;
    struct stat info {};
};

// Moves the target to where the link `probe` (an O_PATH descriptor of it) points.
std::error_code FollowOwnLink(FileOperations& ops, const UniqueFd& probe, const struct stat& link, Target& target) {
    struct stat folder {};
    if (ops.Stat(target.folder, folder) != 0) return LastError();
    if (link.st_uid != ::geteuid() || OthersMayWrite(folder)) return ErrorOf(ELOOP);
    char text[PATH_MAX];
    const ssize_t length = ops.ReadLink(probe.get(), text, sizeof text);
    if (length < 0) return LastError();
    if (static_cast<std::size_t>(length) >= sizeof text) return ErrorOf(ENAMETOOLONG);
    auto [folderPart, leaf] = SplitFolderAndName(std::string(text, static_cast<std::size_t>(length)));
    if (folderPart != ".") {
        UniqueFd next(ops.OpenAt(target.folder, folderPart.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
        if (!next) return LastError();
        target.ownFolder = std::move(next);
        target.folder = target.ownFolder.get();
    }
    target.name = std::move(leaf);
    return {};
}

// Looks at `name` in the folder without following it: what is there is
// examined through an O_PATH descriptor of the entry itself.
std::error_code FindTarget(const WriteFolder& folder, std::string_view name, LinkRule links, Target& target) {
    if (folder.Error()) return folder.Error();
    FileOperations& ops = folder.Ops();
    target.folder = folder.Fd();
    target.name = std::string(name);
    for (int hop = 0; hop <= kLinkLimit; ++hop) {
        if (const std::error_code unfit = CheckPlainName(target.name)) return unfit;
        const UniqueFd probe(ops.OpenAt(target.folder, target.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0));
        if (!probe) return errno == ENOENT ? std::error_code() : LastError();
        struct stat info {};
        if (ops.Stat(probe.get(), info) != 0) return LastError();
        if (!S_ISLNK(info.st_mode)) {
            target.exists = true;
            target.info = info;
            return {};
        }
        if (links == LinkRule::Refuse) return ErrorOf(ELOOP);
        if (const std::error_code error = FollowOwnLink(ops, probe, info, target)) return error;
    }
    return ErrorOf(ELOOP);
}

// The replacement itself: leftovers of earlier writes removed, the new
// content written to a temporary, synced, renamed over the name, then given
// its permission bits (the temporary stays 0600 as long as it has its own
// name), and the rename made durable.
std::error_code WriteReplacement(FileOperations& ops, int folder, const std::string& name, std::string_view bytes,
                                 mode_t mode) {
    RemoveLeftoverTemporaries(folder, ops);
    TemporaryFile temp(ops, folder, name);
    if (const std::error_code error = temp.Error()) return error;
    if (const std::error_code error = temp.WriteAll(bytes)) return error;
    if (const std::error_code error = temp.SyncAndRenameOver(name)) return error;
    // The content is in place either way; a mode that cannot be set leaves
    // the file private, which is the safe side.
    if (mode != 0600) static_cast<void>(ops.ChangeMode(temp.Fd(), mode));
    static_cast<void>(ops.Sync(folder));
    return {};
}

mode_t NewFileMode(FileOperations& ops) { return 0666 & ~ops.CreationMask(); }

}  // namespace

std::pair<std::string, std::string> SplitFolderAndName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

LoadedFile LoadRegularFile(const std::string& path, std::size_t limit, FollowLink links, OverLimit over) {
    const int flags = kReadFlags | (links == FollowLink::No ? O_NOFOLLOW : 0);
    const UniqueFd fd(::open(path.c_str(), flags));
    return LoadOpened(SystemFileOperations(), fd, limit, over);
}

WriteFolder::WriteFolder(const std::string& path, FileOperations& ops) : ops_(&ops) {
    fd_ = UniqueFd(ops.OpenAt(AT_FDCWD, path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (!fd_) error_ = path.empty() ? ErrorOf(EINVAL) : LastError();
}

LoadedFile LoadFileAt(const WriteFolder& folder, std::string_view name, std::size_t limit) {
    Target target;
    LoadedFile file;
    if ((file.error = FindTarget(folder, name, LinkRule::Refuse, target))) return file;
    if (!target.exists) {
        file.status = LoadStatus::Missing;
        file.error = ErrorOf(ENOENT);
        return file;
    }
    if ((file.error = RefuseNonRegular(target.info))) return file;
    const UniqueFd fd(folder.Ops().OpenAt(target.folder, target.name.c_str(), kReadFlags | O_NOFOLLOW, 0));
    return LoadOpened(folder.Ops(), fd, limit, OverLimit::Refuse, &target.info);
}

std::error_code ReplaceFileAt(const WriteFolder& folder, std::string_view name, std::string_view bytes, LinkRule links) {
    Target target;
    if (const std::error_code error = FindTarget(folder, name, links, target)) return error;
    mode_t mode = NewFileMode(folder.Ops());
    if (target.exists) {
        if (const std::error_code refused = RefuseNonRegular(target.info)) return refused;
        if (const std::error_code refused = RefuseForeignOrLocked(target.info)) return refused;
        mode = target.info.st_mode & 0777;
    }
    return WriteReplacement(folder.Ops(), target.folder, target.name, bytes, mode);
}

std::error_code UpdateFileAt(const WriteFolder& folder, std::string_view name, std::size_t limit,
                             const FileUpdater& update) {
    const LoadedFile current = LoadFileAt(folder, name, limit);
    if (current.status == LoadStatus::Failed) return current.error;  // never replace what could not be read
    const FileUpdate made = update(current);
    if (made.error) return made.error;
    if (!made.bytes) {
        // Nothing to write; leftovers of killed writes go all the same.
        RemoveLeftoverTemporaries(folder.Fd(), folder.Ops());
        return {};
    }
    mode_t mode = NewFileMode(folder.Ops());
    if (current.status == LoadStatus::Loaded) {
        if (const std::error_code refused = RefuseForeignOrLocked(current.info)) return refused;
        mode = current.info.st_mode & 0777;
    }
    // The name was checked by the load: a plain name of this folder.
    return WriteReplacement(folder.Ops(), folder.Fd(), std::string(name), *made.bytes, mode);
}

std::error_code AppendToFileAt(const WriteFolder& folder, std::string_view name, std::string_view bytes,
                               std::size_t limit) {
    Target target;
    if (const std::error_code error = FindTarget(folder, name, LinkRule::Refuse, target)) return error;
    FileOperations& ops = folder.Ops();
    int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (target.exists) {
        if (const std::error_code refused = RefuseNonRegular(target.info)) return refused;
        if (const std::error_code refused = RefuseForeignOrLocked(target.info)) return refused;
    } else {
        flags |= O_CREAT | O_EXCL;
    }
    const UniqueFd fd(ops.OpenAt(target.folder, target.name.c_str(), flags, 0600));
    struct stat info {};
    if (!fd || ops.Stat(fd.get(), info) != 0) return LastError();
    if (target.exists && !SameFile(info, target.info)) return ErrorOf(EAGAIN);
    if (const std::error_code refused = RefuseNonRegular(info)) return refused;
    if (static_cast<std::uint64_t>(info.st_size) + bytes.size() > limit) return ErrorOf(EFBIG);
    if (const std::error_code error = WriteAll(ops, fd.get(), bytes)) return error;
    return ops.Sync(fd.get()) == 0 ? std::error_code() : LastError();
}

std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes, LinkRule links) {
    const auto [folder, name] = SplitFolderAndName(path);
    if (path.empty()) return ErrorOf(EINVAL);
    return ReplaceFileAt(WriteFolder(folder), name, bytes, links);
}

std::error_code UpdateFileContents(const std::string& path, std::size_t limit, const FileUpdater& update) {
    const auto [folder, name] = SplitFolderAndName(path);
    if (path.empty()) return ErrorOf(EINVAL);
    return UpdateFileAt(WriteFolder(folder), name, limit, update);
}

}  // namespace qm
