#include "base/temporary_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace qm {
namespace {

constexpr std::size_t kNameLimit = 255;  // NAME_MAX of the file systems Linux uses
constexpr std::string_view kEarlierIniSuffix = ".ini.tmp";

std::error_code LastError() { return std::error_code(errno != 0 ? errno : EIO, std::generic_category()); }

bool IsUniquePart(std::string_view text) {
    if (text.size() != kTemporaryUniqueLength) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

std::string UniquePart() {
    static std::atomic<std::uint64_t> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t mix = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                        (static_cast<std::uint64_t>(::getpid()) << 20) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL);
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string unique;
    for (std::size_t i = 0; i < kTemporaryUniqueLength; ++i) {
        unique += kDigits[mix % 36];
        mix /= 36;
    }
    return unique;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The descriptor of `name` when it is a regular file of this user, the same
// file the name still leads to; otherwise an empty one.
UniqueFd OpenOwnRegularFile(FileOperations& ops, int folder, const std::string& name) {
    struct stat named {};
    if (ops.StatAt(folder, name.c_str(), named) != 0 || !S_ISREG(named.st_mode) || named.st_uid != ::geteuid()) return {};
    UniqueFd fd(ops.OpenAt(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    struct stat opened {};
    if (!fd || ops.Stat(fd.get(), opened) != 0 || !SameFile(named, opened)) return {};
    return fd;
}

}  // namespace

std::string TemporaryName(std::string_view target, std::string_view unique) {
    const std::size_t room = kNameLimit - 2 - unique.size() - kTemporarySuffix.size();
    std::size_t cut = std::min(target.size(), room);
    // Between two characters of a UTF-8 name, so the temporary's name stays readable.
    while (cut > 0 && cut < target.size() && (static_cast<unsigned char>(target[cut]) & 0xC0) == 0x80) --cut;
    std::string name = ".";
    name.append(target.substr(0, cut)).append(".").append(unique).append(kTemporarySuffix);
    return name;
}

bool IsTemporaryName(std::string_view name) {
    const std::size_t unique = kTemporaryUniqueLength;
    if (name.size() >= 2 + unique + kTemporarySuffix.size() && name.front() == '.' && name.ends_with(kTemporarySuffix)) {
        const std::size_t end = name.size() - kTemporarySuffix.size();
        return name[end - unique - 1] == '.' && IsUniquePart(name.substr(end - unique, unique));
    }
    if (name.size() < kEarlierIniSuffix.size() + unique) return false;
    const std::size_t suffixAt = name.size() - unique - kEarlierIniSuffix.size();
    return name.substr(suffixAt, kEarlierIniSuffix.size()) == kEarlierIniSuffix &&
           IsUniquePart(name.substr(name.size() - unique));
}

std::size_t RemoveLeftoverTemporaries(int folder, FileOperations& ops) {
    std::vector<std::string> names;
    if (!ops.ListFolder(folder, names)) return 0;
    std::size_t removed = 0;
    for (const std::string& name : names) {
        if (!IsTemporaryName(name)) continue;
        const UniqueFd fd = OpenOwnRegularFile(ops, folder, name);
        // A writer holds its temporary locked; a file system without locks
        // gives no answer, and the file stays.
        if (!fd || ops.Lock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        struct stat opened {}, named {};
        if (ops.Stat(fd.get(), opened) != 0 || ops.StatAt(folder, name.c_str(), named) != 0 || !SameFile(opened, named))
            continue;
        if (ops.UnlinkAt(folder, name.c_str()) == 0) ++removed;
    }
    return removed;
}

TemporaryFile::TemporaryFile(FileOperations& ops, int folder, std::string_view target) : ops_(ops), folder_(folder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TemporaryName(target, UniquePart());
        if (CreateAndLock(name)) return;
        if (errno != EEXIST) {
            error_ = LastError();
            return;
        }
    }
    error_ = std::make_error_code(std::errc::file_exists);
}

bool TemporaryFile::CreateAndLock(const std::string& name) {
    UniqueFd fd(ops_.OpenAt(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) return false;
    // Locked until renamed, so that no sweep takes it for a leftover. A
    // sweep that came between the creation and the lock has removed it: the
    // name no longer leads to this file, and another name is tried.
    static_cast<void>(ops_.Lock(fd.get(), LOCK_EX));
    struct stat mine {}, named {};
    if (ops_.Stat(fd.get(), mine) != 0) return false;
    if (ops_.StatAt(folder_, name.c_str(), named) != 0 || !SameFile(mine, named)) {
        errno = EEXIST;
        return false;
    }
    fd_ = std::move(fd);
    name_ = name;
    return true;
}

TemporaryFile::~TemporaryFile() {
    // Removed while still locked, then closed.
    if (!name_.empty()) ops_.UnlinkAt(folder_, name_.c_str());
}

std::error_code TemporaryFile::WriteAll(std::string_view bytes) { return qm::WriteAll(ops_, fd_.get(), bytes); }

std::error_code TemporaryFile::SyncAndRenameOver(std::string_view target) {
    if (ops_.Sync(fd_.get()) != 0) return LastError();
    const std::string to(target);
    if (ops_.RenameAt(folder_, name_.c_str(), folder_, to.c_str()) != 0) return LastError();
    name_.clear();
    return {};
}

}  // namespace qm
