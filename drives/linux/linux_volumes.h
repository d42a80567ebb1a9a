// Volumes of a physical drive on Linux: the mount points of its partitions,
// found through sysfs (which partitions a disk has, and their device numbers)
// and the mount table of this process.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A block device number, "major:minor" in sysfs and in the mount table.
struct DeviceNumber {
    unsigned major = 0;
    unsigned minor = 0;
    friend bool operator==(const DeviceNumber&, const DeviceNumber&) = default;
};

// Parses "8:1" (surrounding white space allowed). nullopt for anything else.
std::optional<DeviceNumber> ParseDeviceNumber(std::string_view text);

// Undoes the octal escapes of the mount table ("\040" is a blank). Escapes of
// control characters (below 0x20, and 0x7f) stay as they are, so that a mount
// point can never carry a line break into a list, a settings file or a log.
std::string DecodeMountField(std::string_view field);

class LinuxVolumes {
public:
    explicit LinuxVolumes(std::filesystem::path sysfsRoot = "/sys",
                          std::filesystem::path mountInfo = "/proc/self/mountinfo");

    // Mount points of the disk `blockName` ("sda"): the disk itself first, if
    // it is mounted without a partition table, then its mounted partitions in
    // partition-number order; one (the first listed) mount point per device.
    // Empty when nothing is mounted, the disk is unknown, `blockName` is not a
    // plain name, or the files cannot be read.
    std::vector<std::string> MountPointsOf(std::string_view blockName) const;

private:
    std::filesystem::path sysfsRoot_;
    std::filesystem::path mountInfo_;
};

}  // namespace qm
