// Disks that the kernel has put to sleep: runtime power management can
// suspend an idle disk (or NVMe controller), and any command sent to it
// (CHECK POWER MODE included) resumes it. Its state in sysfs can be read
// without waking it.
#pragma once

#include <filesystem>
#include <string_view>

#include "drives/linux/disk_names.h"

namespace qm {

// True when `sysfsRoot`/class/block/`blockName`/device/power/runtime_status
// reads "suspended" (a line break after it allowed). False when the file is
// missing or unreadable, says anything else, or `blockName` is not a plain
// name.
bool KernelSuspended(const std::filesystem::path& sysfsRoot, std::string_view blockName);

// The same for a disk of the slot map: an sd disk as above, an NVMe
// controller through class/nvme/NAME/device/power/runtime_status (the PCI
// function the kernel suspends).
bool KernelSuspended(const std::filesystem::path& sysfsRoot, DiskName disk);

}  // namespace qm
