#include "bench/bare_nvme_read.h"

#include <fcntl.h>
#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>

namespace qm::bench {
namespace {

bool Admin(int fd, std::uint8_t opcode, std::uint32_t nsid, std::uint32_t cdw10, void* data, std::uint32_t length) {
    nvme_admin_cmd command{};
    command.opcode = opcode;
    command.nsid = nsid;
    command.addr = reinterpret_cast<std::uintptr_t>(data);
    command.data_len = length;
    command.cdw10 = cdw10;
    command.timeout_ms = 10000;
    return ::ioctl(fd, NVME_IOCTL_ADMIN_CMD, &command) == 0;
}

}  // namespace

bool BareNvmeRead(const char* path) {
    alignas(4096) static std::uint8_t identify[4096];
    alignas(512) static std::uint8_t log[512];
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = Admin(fd, 0x06, 0, 0x01, identify, sizeof identify) &&
                    Admin(fd, 0x02, 0xFFFFFFFF, 127u << 16 | 0x02, log, sizeof log);
    ::close(fd);
    return ok;
}

}  // namespace qm::bench
