#include "bench/bare_smart_read.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>

namespace qm::bench {
namespace {

// ATA PASS-THROUGH (16) CDBs with the registers the program sends: protocol
// non-data (3) or PIO data-in (4); data-in: T_DIR, BYT_BLOK, T_LENGTH = 2.
constexpr std::uint8_t kEnable[16] = {0x85, 3 << 1, 0, 0, 0xD8, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0};
constexpr std::uint8_t kIdentify[16] = {0x85, 4 << 1, 0x0E, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0xA0, 0xEC, 0};
constexpr std::uint8_t kReadData[16] = {0x85, 4 << 1, 0x0E, 0, 0xD0, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0};
constexpr std::uint8_t kReadThresholds[16] = {0x85, 4 << 1, 0x0E, 0, 0xD1, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0};

bool Send(int fd, const std::uint8_t (&cdb)[16], bool dataIn) {
    std::uint8_t sector[512];
    std::uint8_t sense[32];
    sg_io_hdr_t hdr{};
    hdr.interface_id = 'S';
    hdr.dxfer_direction = dataIn ? SG_DXFER_FROM_DEV : SG_DXFER_NONE;
    hdr.cmd_len = sizeof cdb;
    hdr.mx_sb_len = sizeof sense;
    hdr.dxfer_len = dataIn ? sizeof sector : 0;
    hdr.dxferp = dataIn ? sector : nullptr;
    hdr.cmdp = const_cast<std::uint8_t*>(cdb);
    hdr.sbp = sense;
    hdr.timeout = 10000;
    return ::ioctl(fd, SG_IO, &hdr) == 0;
}

}  // namespace

bool BareSmartRead(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int version = 0;
    const bool ok = ::ioctl(fd, SG_GET_VERSION_NUM, &version) == 0 && Send(fd, kEnable, false) &&
                    Send(fd, kIdentify, true) && Send(fd, kReadData, true) && Send(fd, kReadThresholds, true);
    ::close(fd);
    return ok;
}

}  // namespace qm::bench
