// Disks that the kernel has put to sleep: runtime power management can
// suspend an idle disk, and any command sent to it (CHECK POWER MODE
// included) resumes it. Its state in sysfs can be read without waking it.
#pragma once

#include <filesystem>
#include <string_view>

namespace qm {

// True when `sysfsRoot`/class/block/`blockName`/device/power/runtime_status
// reads "suspended" (a line break after it allowed). False when the file is
// missing or unreadable, says anything else, or `blockName` is not a plain
// name.
bool KernelSuspended(const std::filesystem::path& sysfsRoot, std::string_view blockName);

}  // namespace qm
