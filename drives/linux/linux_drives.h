// The drives of this Linux system: slot N is the block device /dev/sd + the
// N-th letter, reached with SG_IO and ATA PASS-THROUGH (16).
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "drives/device.h"
#include "drives/linux/linux_volumes.h"

namespace qm {

// Upper bound of every pass-through command; a drive that does not answer in
// this time has refused the command.
inline constexpr std::chrono::milliseconds kPassThroughTimeout{10'000};

// SG_IO interface version that the exchange needs (sg driver 3.0 and later).
inline constexpr int kMinSgVersion = 30000;

// Block device name of a slot: "sda" for slot 0 to "sdp" for slot 15;
// nullopt outside 0..15.
std::optional<std::string> BlockDeviceName(DriveSlot slot);

class LinuxDriveProvider final : public DriveProvider {
public:
    // `deviceDir` holds the sdX nodes ("/dev") and `sysfsRoot` is where sysfs
    // is mounted ("/sys"); tests point them at temporary folders.
    explicit LinuxDriveProvider(std::filesystem::path deviceDir = "/dev", LinuxVolumes volumes = LinuxVolumes(),
                                std::filesystem::path sysfsRoot = "/sys");

    // Always true: Linux has one path per drive, like the NT family.
    bool IsNtFamily(DriveSlot slot) override;

    // Opens the slot's node read-only and non-blocking (a read-only open never
    // makes udev re-probe the disk on close). nullptr for a slot outside 0..15,
    // a missing node, missing rights, and for the 9x path, which Linux lacks.
    // One open() is the only system call made.
    std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily family) override;

    // Size and logical sector size of the slot's disk (BLKGETSIZE64,
    // BLKSSZGET) turned into the published geometry (GeometryFromSize). Needs read permission on
    // the node (Linux has no query-only open); nullopt when it cannot be
    // opened, all zero when either query fails.
    std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) override;

    // Mount points of the slot's disk, in partition order.
    std::vector<std::string> VolumesOf(DriveSlot slot) override;

    // Standby without any command when the kernel has suspended the disk;
    // otherwise `query` sent as a register query (CK_COND) and the returned
    // sector count read as the mode.
    std::optional<PowerMode> QueryPowerMode(DriveSlot slot, const CommandBlock& query) override;

    // True when the kernel has suspended the slot's disk (KernelSuspended):
    // it sleeps, and any command would resume it. False outside 0..15.
    bool Suspended(DriveSlot slot) const;

    // True when the slot's node exists (asking needs no rights); a slot
    // without one has no drive. False outside 0..15.
    bool HasNode(DriveSlot slot) const;

    // Path of the slot's node; nullopt outside 0..15.
    std::optional<std::filesystem::path> DevicePath(DriveSlot slot) const;

private:
    std::filesystem::path deviceDir_;
    LinuxVolumes volumes_;
    std::filesystem::path sysfsRoot_;
};

}  // namespace qm
