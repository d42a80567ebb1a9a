// Seams between the drive-data core and the operating system: the drive
// device, the disk geometry and the volumes of each physical drive.
//
// The core builds every command block itself; a realisation only carries a
// block to the drive and brings the answer back (SG_IO on Linux, the
// simulated drive set in tests and demos, DeviceIoControl on Windows).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "drives/command_block.h"
#include "drives/nvme_command.h"

namespace qm {

using DriveSlot = int;  // drive position 0..15
inline constexpr DriveSlot kSlotCount = 16;

// True for the drive positions 0..15; every other number names no drive.
constexpr bool IsValidSlot(DriveSlot slot) { return slot >= 0 && slot < kSlotCount; }

// The two kinds of drive a slot can hold: an ATA disk, reached with the
// S.M.A.R.T. command blocks, or an NVMe controller, reached with admin
// commands.
enum class DriveKind : std::uint8_t { Ata, Nvme };

// Which driver path a drive is reached through: the per-drive device of the
// NT family, or the one shared S.M.A.R.T. device of the 9x family that learns
// the drive from the drive-number byte of each command block.
enum class DriverFamily { Nt, Nine };

// One opened drive. Destroying it closes the handle; no handle outlives one
// read of the core.
class DriveHandle {
public:
    virtual ~DriveHandle() = default;

    // Driver version query. Returns false when the device is not a drive that
    // the S.M.A.R.T. interface can talk to.
    virtual bool SmartGetVersion() = 0;

    // Carries one command block to the drive. `out` is 16 bytes for
    // SendDriveCommand and 528 bytes for ReceiveDriveData, zero-filled by the
    // caller; on success a data-in answer carries the sector from byte 16.
    // Returns false when the drive or the driver refuses the command; `out`
    // may then hold anything the realisation wrote before it failed.
    virtual bool Exchange(ControlCode code, const CommandBlock& in, std::span<std::uint8_t> out) = 0;
};

// One opened NVMe controller. Destroying it closes the handle.
class NvmeHandle {
public:
    virtual ~NvmeHandle() = default;

    // Carries one admin command to the controller. `data` is the command's
    // data-in buffer, exactly as long as the command transfers (4096 bytes
    // for Identify, 512 for the health log); what it holds on entry does not
    // matter. On success it holds what the controller returned; a
    // realisation that carries only a leading part (the helper carries the
    // first 512 bytes of an Identify answer, which hold everything the
    // program reads) zero-fills the rest. Returns false when the command is
    // refused anywhere on the way (rights, the controller's status, a
    // timeout); `data` may then hold anything.
    virtual bool AdminCommand(const NvmeCommandBlock& command, std::span<std::uint8_t> data) = 0;
};

// What the system tells every user about an NVMe controller, without an
// admin command (Linux: sysfs and the controller's hwmon device).
struct NvmePublicInfo {
    std::string model;     // the bytes the system reports (its line end removed)
    std::string serial;
    std::string firmware;
    std::optional<std::int64_t> milliCelsius;  // the composite temperature, when known
    friend bool operator==(const NvmePublicInfo&, const NvmePublicInfo&) = default;
};

// The published DISK_GEOMETRY numbers (MediaType left out: nobody reads it),
// and the disk's exact size beside them, as DISK_GEOMETRY_EX carries it: the
// cylinders are whole ones only, so the size cannot be had from them.
struct DiskGeometry {
    std::int64_t cylinders = 0;
    std::uint32_t tracksPerCylinder = 0;
    std::uint32_t sectorsPerTrack = 0;
    std::uint32_t bytesPerSector = 0;
    std::uint64_t diskBytes = 0;  // the disk's size in bytes; 0 when unknown
    friend bool operator==(const DiskGeometry&, const DiskGeometry&) = default;
};

// The geometry every disk is published with, whatever its real layout.
inline constexpr std::uint32_t kTracksPerCylinder = 255;
inline constexpr std::uint32_t kSectorsPerTrack = 63;

// The published geometry of a disk of `bytes` bytes in sectors of
// `sectorSize` bytes: 255 tracks per cylinder, 63 sectors per track, whole
// cylinders only, and `bytes` as the exact size. All zero when either number
// is zero (no disk to describe).
constexpr DiskGeometry GeometryFromSize(std::uint64_t bytes, std::uint32_t sectorSize) {
    if (bytes == 0 || sectorSize == 0) return {};
    const std::uint64_t cylinderBytes = std::uint64_t{kTracksPerCylinder} * kSectorsPerTrack * sectorSize;
    return DiskGeometry{static_cast<std::int64_t>(bytes / cylinderBytes), kTracksPerCylinder, kSectorsPerTrack,
                        sectorSize, bytes};
}

// A drive's power mode as CHECK POWER MODE reports it: asleep with its
// spindle stopped, or awake (idle or active).
enum class PowerMode { Standby, Awake };

// The mode that the sector count returned by CHECK POWER MODE names: 00h and
// 01h (standby) and 40h (spindle stopped in the cache's low-power mode) are
// Standby; 80h-83h (idle), 41h and FFh (active or idle) and any other value
// are Awake, so only a drive that says it sleeps is left alone.
constexpr PowerMode PowerModeFromCount(std::uint8_t count) {
    return count == 0x00 || count == 0x01 || count == 0x40 ? PowerMode::Standby : PowerMode::Awake;
}

// Every drive position of the machine (or of a simulated drive set).
class DriveProvider {
public:
    virtual ~DriveProvider() = default;

    // The family test. Evaluated afresh for every open and every command block.
    // Real systems answer the same for every slot; the simulated set can answer
    // per slot.
    virtual bool IsNtFamily(DriveSlot slot) = 0;

    // Opens the device that serves `slot` on the given driver path. Returns
    // nullptr when it cannot be opened (no device, no rights).
    virtual std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily family) = 0;

    // The kind of drive in `slot`, known without a command. Ata for a slot
    // without a drive (its read then fails at the open, as before), and for
    // every slot of a realisation without NVMe drives. (The three NVMe calls
    // have no default, so that no realisation or wrapper can lose a kind of
    // drive by forgetting them.)
    virtual DriveKind KindOf(DriveSlot slot) = 0;

    // Opens the NVMe controller of `slot`. nullptr when the slot holds none
    // or it cannot be opened (no rights).
    virtual std::unique_ptr<NvmeHandle> OpenNvme(DriveSlot slot) = 0;

    // What the system tells every user about the slot's NVMe controller;
    // nullopt when the slot holds none or nothing can be read.
    virtual std::optional<NvmePublicInfo> NvmeInfo(DriveSlot slot) = 0;

    // Disk geometry of the slot's disk, asked from the disk driver (not from
    // the identity sector; for an NVMe controller, from its first
    // namespace). nullopt when the disk cannot be opened; an opened disk
    // whose query fails gives the all-zero geometry.
    virtual std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) = 0;

    // The name of the slot's device as the system knows it ("/dev/sda",
    // "/dev/nvme0"), for the machine-readable outputs; empty for a slot
    // without a device and for realisations that have no names.
    virtual std::string DeviceName(DriveSlot /*slot*/) { return {}; }

    // Names of the volumes on the slot's physical drive, in partition order
    // (mount points on Linux). Empty when it has none or cannot be asked.
    virtual std::vector<std::string> VolumesOf(DriveSlot slot) = 0;

    // The power mode of the slot's drive, asked without waking it. `query` is
    // the CHECK POWER MODE block the core built for the slot: a non-data
    // command whose answer is the sector count register the drive returns
    // (Linux: SG_IO with CK_COND; Windows: ATA pass-through, which returns
    // the registers in its output). A realisation that knows without asking
    // that the disk sleeps (Linux: the kernel has suspended it; Windows:
    // GetDevicePowerState) sends nothing; for an NVMe controller it sends
    // nothing at all (Standby when the system has suspended it, otherwise
    // nullopt: reading its health log wakes nothing).
    // nullopt when there is no drive, the command is refused or the registers
    // do not come back; the caller then reads the drive as usual. Realisations
    // that cannot ask keep this default.
    virtual std::optional<PowerMode> QueryPowerMode(DriveSlot /*slot*/, const CommandBlock& /*query*/) {
        return std::nullopt;
    }

    // The program is ending: ends at once what the drives wait on outside
    // this process (the privileged helper), so that a read waiting on it
    // returns (failed), and lets nothing new start there. The one call that
    // may come from another thread while a read runs. A command inside the
    // kernel cannot be cut short: realisations without anything outside the
    // process keep this default.
    virtual void Interrupt() {}
};

// The administrator test: can this process open the disks and send
// pass-through commands?
class RightsProbe {
public:
    virtual ~RightsProbe() = default;
    virtual bool IsAdministrator() = 0;
};

}  // namespace qm
