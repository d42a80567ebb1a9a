#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

namespace qm {
namespace {

std::error_code Errno() { return std::error_code(errno != 0 ? errno : EIO, std::generic_category()); }

// The file a write of `path` reaches: the path itself, or the end of its
// chain of symbolic links.
std::filesystem::path WriteTarget(const std::string& path, std::error_code& error) {
    const std::filesystem::path given(path);
    if (!std::filesystem::is_symlink(given, error)) {
        error.clear();  // a missing file is written new
        return given;
    }
    return std::filesystem::canonical(given, error);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A new file beside `target` under a name of its own (short, so that a long
// target name cannot make it too long); -1 with errno set on failure.
int CreateBeside(const std::filesystem::path& target, std::filesystem::path& created) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = target.parent_path() /
                  (".qm-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp");
        const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes) {
    std::error_code error;
    const std::filesystem::path target = WriteTarget(path, error);
    if (error) return error;

    std::optional<mode_t> keptMode;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) return std::make_error_code(std::errc::is_a_directory);
        if (!S_ISREG(old.st_mode)) return std::make_error_code(std::errc::invalid_argument);
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return Errno();
        keptMode = old.st_mode & 07777;
    }

    std::filesystem::path temporary;
    const int fd = CreateBeside(target, temporary);
    if (fd < 0) return Errno();
    errno = 0;
    bool ok = WriteAll(fd, bytes) && (!keptMode || ::fchmod(fd, *keptMode) == 0) && ::fsync(fd) == 0;
    if (!ok) error = Errno();
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = Errno();
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = Errno();
    }
    if (!ok) ::unlink(temporary.c_str());
    return error;
}

}  // namespace qm
