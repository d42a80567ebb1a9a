#include "base/file_operations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace qm {

int FileOperations::OpenAt(int folder, const char* name, int flags, mode_t mode) {
    return ::openat(folder, name, flags, mode);
}

int FileOperations::Stat(int fd, struct stat& info) { return ::fstat(fd, &info); }

int FileOperations::StatAt(int folder, const char* name, struct stat& info) {
    return ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW);
}

ssize_t FileOperations::ReadLink(int fd, char* buffer, std::size_t size) { return ::readlinkat(fd, "", buffer, size); }

ssize_t FileOperations::Read(int fd, void* buffer, std::size_t size) { return ::read(fd, buffer, size); }

ssize_t FileOperations::Write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }

int FileOperations::ChangeMode(int fd, mode_t mode) { return ::fchmod(fd, mode); }

int FileOperations::Sync(int fd) { return ::fsync(fd); }

int FileOperations::Lock(int fd, int operation) { return ::flock(fd, operation); }

int FileOperations::RenameAt(int fromFolder, const char* from, int toFolder, const char* to) {
    return ::renameat(fromFolder, from, toFolder, to);
}

int FileOperations::UnlinkAt(int folder, const char* name) { return ::unlinkat(folder, name, 0); }

bool FileOperations::ListFolder(int folder, std::vector<std::string>& names) {
    // A descriptor of its own, so the listing starts at the first entry and
    // leaves the caller's descriptor alone.
    const int own = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) return false;
    struct CloseListing {
        void operator()(DIR* listing) const { ::closedir(listing); }
    };
    const std::unique_ptr<DIR, CloseListing> listing(::fdopendir(own));
    if (!listing) {
        ::close(own);
        return false;
    }
    names.clear();
    while (const dirent* entry = ::readdir(listing.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.emplace_back(entry->d_name);
    }
    return true;
}

mode_t FileOperations::CreationMask() {
    struct CloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    const std::unique_ptr<std::FILE, CloseFile> status(std::fopen("/proc/self/status", "re"));
    char line[256];
    while (status && std::fgets(line, sizeof line, status.get()) != nullptr) {
        unsigned mask = 0;
        if (std::sscanf(line, "Umask: %o", &mask) == 1) return static_cast<mode_t>(mask & 0777);
    }
    return 022;
}

std::error_code WriteAll(FileOperations& ops, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ops.Write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return std::error_code(errno, std::generic_category());
        if (put == 0) return std::make_error_code(std::errc::io_error);
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

FileOperations& SystemFileOperations() {
    static FileOperations system;
    return system;
}

}  // namespace qm
