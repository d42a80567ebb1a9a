// quillmoor-smart-helper: the one part of Quillmoor that holds the rights to
// send ATA pass-through and NVMe admin commands (installed with the file
// capabilities cap_sys_rawio, cap_dac_read_search and cap_sys_admin). It
// reads request records on its standard input, writes one answer record per
// request on its standard output (drives/linux/helper_protocol.h) and ends
// at the end of its input. It runs only the program's own read commands
// (helper_request.h) on /dev/sdX and /dev/nvmeN, names it builds itself from
// the disk class and number of the request, and opens and closes the device
// for every request.
//
// It trusts nothing it inherits: the environment is cleared and never read,
// the locale is never set, descriptors other than 0-2 are closed and 0-2 are
// made to exist, the signal mask is emptied and SIGPIPE ignored (a closed
// output ends the helper through the failed write), and it works from "/".
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <optional>

#include "drives/linux/linux_drives.h"
#include "drives/linux/linux_rights.h"
#include "tools/smart_helper/helper_request.h"

namespace {

constexpr int kSetupFailed = 125;
constexpr int kDescriptorLimitFallback = 65536;

// Descriptors 0-2 exist (on /dev/null when they were closed), so that no
// device the helper opens can take the place of its standard output; every
// other inherited descriptor is closed.
bool SanitizeDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        if (::open("/dev/null", O_RDWR) != fd) return false;  // open takes the lowest free number
    }
    if (::close_range(3, ~0U, 0) == 0) return true;
    rlimit limit{};
    const int last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                         ? static_cast<int>(std::min<rlim_t>(limit.rlim_cur, kDescriptorLimitFallback))
                         : kDescriptorLimitFallback;
    for (int fd = 3; fd < last; ++fd) ::close(fd);
    return true;
}

bool SanitizeProcess() {
    if (!SanitizeDescriptors()) return false;
    ::clearenv();
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return ::chdir("/") == 0;
}

// Each accepted request on the disk it names, in its slot, with nothing
// looked up in sysfs for the slot map.
class NamedDisks final : public qm::HelperDrives {
public:
    qm::DriveProvider& For(const qm::HelperRequest& request) override {
        current_.emplace(qm::LinuxDriveProvider::ForDisk(request.slot, request.disk));
        return *current_;
    }

private:
    std::optional<qm::LinuxDriveProvider> current_;
};

}  // namespace

int main() {
    if (!SanitizeProcess()) return kSetupFailed;
    // The rights are what the process was started with; they cannot change.
    const bool mayPassThrough = qm::MayServeAsHelper(::geteuid(), qm::EffectiveCapabilities());
    NamedDisks drives;
    qm::ServeHelperRequests(STDIN_FILENO, STDOUT_FILENO, drives, mayPassThrough);
    return 0;
}
