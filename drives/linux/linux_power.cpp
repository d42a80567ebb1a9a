#include "drives/linux/linux_power.h"

#include <string>

#include "drives/linux/sysfs_files.h"

namespace qm {
namespace {

bool Suspended(const std::filesystem::path& sysfsRoot, std::string_view classFolder, std::string_view name) {
    if (!IsPlainName(name)) return false;
    const auto status = ReadAttributeLine(sysfsRoot.native() + "/class/" + std::string(classFolder) + "/" +
                                          std::string(name) + "/device/power/runtime_status");
    return status == "suspended";
}

}  // namespace

bool KernelSuspended(const std::filesystem::path& sysfsRoot, std::string_view blockName) {
    return Suspended(sysfsRoot, "block", blockName);
}

bool KernelSuspended(const std::filesystem::path& sysfsRoot, DiskName disk) {
    const auto name = NodeName(disk);
    if (!name) return false;
    return Suspended(sysfsRoot, disk.diskClass == DiskClass::Nvme ? "nvme" : "block", *name);
}

}  // namespace qm
