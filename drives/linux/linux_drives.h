// The drives of this Linux system. The slots are the whole disks of the slot
// map (disk_names.h): an ATA/SCSI disk /dev/sdX is reached with SG_IO and
// ATA PASS-THROUGH (16), an NVMe controller /dev/nvmeN with admin commands
// (linux_nvme.h).
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/unique_fd.h"
#include "drives/device.h"
#include "drives/linux/disk_names.h"
#include "drives/linux/linux_volumes.h"

namespace qm {

// Upper bound of every pass-through and admin command; a drive that does not
// answer in this time has refused the command.
inline constexpr std::chrono::milliseconds kPassThroughTimeout{10'000};

// SG_IO interface version that the exchange needs (sg driver 3.0 and later).
inline constexpr int kMinSgVersion = 30000;

class LinuxDriveProvider final : public DriveProvider {
public:
    // `deviceDir` holds the nodes ("/dev") and `sysfsRoot` is where sysfs is
    // mounted ("/sys"); tests point them at temporary folders. The slot map
    // is made from sysfs now and grows when a slot beyond it is asked for
    // (the first free slot: one look at sysfs per pass over the slots).
    explicit LinuxDriveProvider(std::filesystem::path deviceDir = "/dev", LinuxVolumes volumes = LinuxVolumes(),
                                std::filesystem::path sysfsRoot = "/sys");

    // A provider whose only drive is `disk` in `slot`, with a map that never
    // looks at sysfs: the privileged helper serves each request this way,
    // on the disk the request names.
    static LinuxDriveProvider ForDisk(DriveSlot slot, DiskName disk, std::filesystem::path deviceDir = "/dev",
                                      std::filesystem::path sysfsRoot = "/sys");

    // Always true: Linux has one path per drive, like the NT family.
    bool IsNtFamily(DriveSlot slot) override;

    // Nvme for a slot on an NVMe controller; Ata otherwise.
    DriveKind KindOf(DriveSlot slot) override;

    // Opens the slot's sd node read-only and non-blocking (a read-only open
    // never makes udev re-probe the disk on close). nullptr for a free slot,
    // an NVMe slot, a missing node, missing rights, and for the 9x path,
    // which Linux lacks. One open() is the only system call made.
    std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily family) override;

    // Opens the slot's NVMe controller node read-only; nullptr for any other
    // slot, a missing node and missing rights.
    std::unique_ptr<NvmeHandle> OpenNvme(DriveSlot slot) override;

    // sysfs's model, serial, firmware and hwmon temperature of the slot's
    // controller (no rights needed); nullopt for any other slot.
    std::optional<NvmePublicInfo> NvmeInfo(DriveSlot slot) override;

    // sd: size and logical sector size of the disk (BLKGETSIZE64,
    // BLKSSZGET) turned into the published geometry (GeometryFromSize);
    // needs read permission on the node (Linux has no query-only open);
    // nullopt when it cannot be opened, all zero when either query fails.
    // NVMe: the same numbers of its first namespace from sysfs (no rights
    // needed); nullopt without a namespace.
    std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) override;

    // The path of the slot's node ("/dev/sda", "/dev/nvme0"); empty for a
    // free slot.
    std::string DeviceName(DriveSlot slot) override;

    // Mount points of the slot's disk (of an NVMe controller's first
    // namespace), in partition order.
    std::vector<std::string> VolumesOf(DriveSlot slot) override;

    // Standby without any command when the kernel has suspended the disk;
    // otherwise, for an sd disk, `query` sent as a register query (CK_COND)
    // and the returned sector count read as the mode; for an NVMe controller
    // nothing is sent (nullopt).
    std::optional<PowerMode> QueryPowerMode(DriveSlot slot, const CommandBlock& query) override;

    // True when the kernel has suspended the slot's disk (KernelSuspended):
    // it sleeps, and any command would resume it. False for a free slot.
    bool Suspended(DriveSlot slot) const;

    // True when the slot's node exists (asking needs no rights); a slot
    // without one has no drive. False for a free slot.
    bool HasNode(DriveSlot slot) const;

    // The disk of a slot, as the map has it now; nullopt for a free slot.
    std::optional<DiskName> DiskOf(DriveSlot slot) const { return slots_.DiskOf(slot); }

    // Path of the slot's node; nullopt for a free slot.
    std::optional<std::filesystem::path> DevicePath(DriveSlot slot) const;

private:
    LinuxDriveProvider(std::filesystem::path deviceDir, LinuxVolumes volumes, std::filesystem::path sysfsRoot,
                       SlotMap slots, bool grows);
    // The slot's disk; asking for the first free slot looks for new disks.
    std::optional<DiskName> Disk(DriveSlot slot);
    // The slot's node opened read-only, when the slot's disk is of `diskClass`.
    UniqueFd OpenNode(DriveSlot slot, DiskClass diskClass);

    std::filesystem::path deviceDir_;
    LinuxVolumes volumes_;
    std::filesystem::path sysfsRoot_;
    SlotMap slots_;
    bool grows_ = true;
};

}  // namespace qm
