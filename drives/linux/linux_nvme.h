// NVMe controllers on Linux: admin commands through NVME_IOCTL_ADMIN_CMD on
// the controller's node (/dev/nvmeN, opened read-only), and what sysfs tells
// every user about a controller without any command: identity, the
// composite temperature (its hwmon device), the first namespace's size, and
// whether runtime power management has suspended it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/unique_fd.h"
#include "drives/device.h"

namespace qm {

// One admin command on an opened controller node, with the program's
// pass-through timeout. True exactly when the ioctl reports success (0: the
// controller completed it with status 0); the controller has then written
// the whole buffer. A buffer whose size is not the command's transfer length
// (NvmeTransferLength) is refused without a call.
bool SendNvmeAdminCommand(int fd, const NvmeCommandBlock& block, std::span<std::uint8_t> data);

class LinuxNvmeHandle final : public NvmeHandle {
public:
    explicit LinuxNvmeHandle(UniqueFd fd) : fd_(std::move(fd)) {}
    bool AdminCommand(const NvmeCommandBlock& command, std::span<std::uint8_t> data) override;

private:
    UniqueFd fd_;
};

// sysfsRoot/class/nvme/CONTROLLER/{model,serial,firmware_rev} and the first
// hwmon*/temp1_input below it (millidegrees Celsius). nullopt when the
// controller's folder has none of the three names or `controller` is not a
// plain name.
std::optional<NvmePublicInfo> ReadNvmePublicInfo(const std::filesystem::path& sysfsRoot, std::string_view controller);

// The block device of the controller's namespace with the lowest number
// ("nvme0n1"), named as the head the system mounts: a multipath path
// ("nvme0c1n1") gives its head ("nvme0n1"). nullopt when it has none.
std::optional<std::string> FirstNamespace(const std::filesystem::path& sysfsRoot, std::string_view controller);

// The published geometry of block device `blockName` from sysfs (its size in
// 512-byte units and its logical block size); nullopt when unreadable.
std::optional<DiskGeometry> SysfsGeometry(const std::filesystem::path& sysfsRoot, std::string_view blockName);

}  // namespace qm
