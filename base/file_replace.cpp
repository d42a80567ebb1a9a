#include "base/file_replace.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "base/unique_fd.h"

namespace qm {
namespace {

std::error_code ErrorOf(int code) { return std::error_code(code, std::generic_category()); }
std::error_code LastError() { return ErrorOf(errno != 0 ? errno : EIO); }

// Opening without blocking and checking the type keeps a FIFO or a device
// from stalling the read.
std::error_code OpenRegularFile(const std::string& path, std::size_t limit, UniqueFd& fd, struct stat& info) {
    fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd || ::fstat(fd.get(), &info) != 0) return LastError();
    if (!S_ISREG(info.st_mode)) return ErrorOf(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > limit) return ErrorOf(EFBIG);
    return {};
}

// Reads to the end of the file, which may have grown since fstat: at most
// limit + 1 bytes, so that a file beyond the limit is seen as one. One byte
// more than the size fstat gave lets the read that finds the end use the
// same buffer; a size of 0 may be a file of /proc, whose size is unknown.
std::error_code ReadToEnd(int fd, std::size_t sizeHint, std::size_t limit, std::string& bytes) {
    bytes.resize(std::min(sizeHint == 0 ? 4095 : sizeHint, limit) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > limit) return ErrorOf(EFBIG);
            bytes.resize(std::min(bytes.size() + 4096, limit + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return LastError();
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    if (used > limit) return ErrorOf(EFBIG);
    bytes.resize(used);
    return {};
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::error_code WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return LastError();
        if (put == 0) return ErrorOf(EIO);
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

std::string UniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t mix = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                        (static_cast<std::uint64_t>(::getpid()) << 20) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL);
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 10; ++i) {
        suffix += kDigits[mix % 36];
        mix /= 36;
    }
    return suffix;
}

// A new file beside the target, removed again unless it was renamed into place.
// Each step reports the error of the call that failed, taken before any
// cleanup can change errno.
class TemporaryFile {
public:
    // Creates the file; Error() tells why when that failed. Created like any
    // new file (mode 0666 less the umask), exclusively, never through a link.
    explicit TemporaryFile(const std::string& target) {
        std::string prefix = target + ".tmp";
        error_ = ErrorOf(EEXIST);
        for (int attempt = 0; attempt < 100 && !fd_; ++attempt) {
            const std::string name = prefix + UniqueSuffix();
            UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
            if (fd) {
                fd_ = std::move(fd);
                name_ = name;
                error_.clear();
            } else if (errno == ENAMETOOLONG && prefix != FolderOf(target) + "/.ini.tmp") {
                prefix = FolderOf(target) + "/.ini.tmp";  // a long file name leaves no room for the suffix
            } else if (errno != EEXIST) {
                error_ = LastError();
                return;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        static_cast<void>(fd_.close());
        if (!name_.empty()) ::unlink(name_.c_str());
    }

    std::error_code Error() const { return error_; }
    int Fd() const { return fd_.get(); }

    // Flushes the file to the disk and closes it.
    std::error_code SyncAndClose() {
        const std::error_code synced = ::fsync(fd_.get()) == 0 ? std::error_code() : LastError();
        const std::error_code closed = fd_.close();
        return synced ? synced : closed;
    }

    // Renames the closed file over `target`; afterwards the object owns nothing.
    std::error_code RenameTo(const std::string& target) {
        if (::rename(name_.c_str(), target.c_str()) != 0) return LastError();
        name_.clear();
        return {};
    }

private:
    UniqueFd fd_;
    std::error_code error_;
    std::string name_;
};

// Gives the new file the permission bits and, where the writer may, the owner
// of the file it replaces.
std::error_code TakeOver(int fd, const struct stat& original) {
    if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
        // Best effort: only a privileged writer can hand the file back to
        // its owner, and the content matters more than the owner.
        const int ignored = ::fchown(fd, original.st_uid, original.st_gid);
        static_cast<void>(ignored);
    }
    return ::fchmod(fd, original.st_mode & 07777) == 0 ? std::error_code() : LastError();
}

}  // namespace

LoadedFile LoadRegularFile(const std::string& path, std::size_t limit) {
    LoadedFile file;
    UniqueFd fd;
    file.error = OpenRegularFile(path, limit, fd, file.info);
    if (!file.error) file.error = ReadToEnd(fd.get(), static_cast<std::size_t>(file.info.st_size), limit, file.bytes);
    if (!file.error) {
        file.status = LoadStatus::Loaded;
    } else if (file.error == std::errc::no_such_file_or_directory) {
        file.status = LoadStatus::Missing;
    }
    return file;
}

std::string ReplacementTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

std::error_code ReplaceFile(const std::string& target, std::string_view content, const struct stat* original) {
    TemporaryFile temp(target);
    if (const std::error_code error = temp.Error()) return error;
    if (original != nullptr) {
        if (const std::error_code error = TakeOver(temp.Fd(), *original)) return error;
    }
    if (const std::error_code error = WriteAll(temp.Fd(), content)) return error;
    if (const std::error_code error = temp.SyncAndClose()) return error;
    if (const std::error_code error = temp.RenameTo(target)) return error;
    // Make the rename itself durable; the new file is complete either way.
    const UniqueFd folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.get());
    return {};
}

std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::string target = ReplacementTarget(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) return ErrorOf(EISDIR);
        if (!S_ISREG(old.st_mode)) return ErrorOf(EINVAL);
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return LastError();
    }
    return ReplaceFile(target, bytes, exists ? &old : nullptr);
}

}  // namespace qm
