#include "drives/linux/linux_drives.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "drives/linux/linux_nvme.h"
#include "drives/linux/linux_power.h"
#include "drives/linux/sat.h"
#include "base/unique_fd.h"

namespace qm {
namespace {

constexpr std::size_t kSenseBufferSize = 32;

// The node of a disk as a plain string: a path object would split it into
// components on every read.
std::optional<std::string> NodePath(const std::filesystem::path& deviceDir, std::optional<DiskName> disk) {
    const auto name = disk ? NodeName(*disk) : std::nullopt;
    if (!name) return std::nullopt;
    return deviceDir.native() + "/" + *name;
}

bool IsClass(const std::optional<DiskName>& disk, DiskClass diskClass) {
    return disk && disk->diskClass == diskClass;
}

UniqueFd OpenReadOnly(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

// One ATA PASS-THROUGH (16) command with SG_IO; `sector` receives the data of
// a data-in command (empty for non-data). What the kernel and the drive said.
sat::Outcome PassThrough(int fd, const sat::Cdb& cdb, std::span<std::uint8_t> sector) {
    std::array<std::uint8_t, kSenseBufferSize> sense{};
    sat::Cdb command = cdb;

    sg_io_hdr_t hdr{};
    hdr.interface_id = 'S';
    hdr.dxfer_direction = sector.empty() ? SG_DXFER_NONE : SG_DXFER_FROM_DEV;
    hdr.cmd_len = static_cast<unsigned char>(command.size());
    hdr.mx_sb_len = static_cast<unsigned char>(sense.size());
    hdr.dxfer_len = static_cast<unsigned int>(sector.size());
    hdr.dxferp = sector.empty() ? nullptr : sector.data();
    hdr.cmdp = command.data();
    hdr.sbp = sense.data();
    hdr.timeout = static_cast<unsigned int>(kPassThroughTimeout.count());

    sat::SgIoResult result;
    if (::ioctl(fd, SG_IO, &hdr) != 0) result.ioctlErrno = errno != 0 ? errno : EIO;
    result.scsiStatus = hdr.status;
    result.hostStatus = hdr.host_status;
    result.driverStatus = hdr.driver_status;
    result.resid = hdr.resid;
    result.sense = std::span<const std::uint8_t>(sense).first(std::min<std::size_t>(hdr.sb_len_wr, sense.size()));
    return sat::Interpret(result);
}

class LinuxDriveHandle final : public DriveHandle {
public:
    explicit LinuxDriveHandle(UniqueFd fd) : fd_(std::move(fd)) {}

    // True when the node takes SG_IO commands.
    bool SmartGetVersion() override {
        int version = 0;
        return ::ioctl(fd_.get(), SG_GET_VERSION_NUM, &version) == 0 && version >= kMinSgVersion;
    }

    // One ATA PASS-THROUGH (16) command; false when it is refused anywhere on
    // the way (bad arguments, ioctl, host adapter, driver, drive).
    bool Exchange(ControlCode code, const CommandBlock& in, std::span<std::uint8_t> out) override {
        const auto protocol = sat::ProtocolOf(code);
        if (!protocol || out.size() < sat::OutputLength(*protocol)) return false;

        const std::size_t length = sat::TransferLength(*protocol);
        // The sector lands in its place in the answer, without a copy.
        const std::span<std::uint8_t> data = length > 0 ? out.subspan(kDataOffset, length) : std::span<std::uint8_t>{};
        const sat::Outcome outcome = PassThrough(fd_.get(), sat::BuildCdb(*protocol, in), data);
        sat::AssembleOutput(*protocol, outcome, {}, out);  // the header
        // A refused command leaves no sector bytes, whatever the device moved.
        if (!outcome.accepted) std::fill(data.begin(), data.end(), std::uint8_t{0});
        return outcome.accepted;
    }

private:
    UniqueFd fd_;
};

}  // namespace

LinuxDriveProvider::LinuxDriveProvider(std::filesystem::path deviceDir, LinuxVolumes volumes,
                                       std::filesystem::path sysfsRoot)
    : LinuxDriveProvider(std::move(deviceDir), std::move(volumes), sysfsRoot, SlotMap(ListDisks(sysfsRoot)), true) {}

LinuxDriveProvider::LinuxDriveProvider(std::filesystem::path deviceDir, LinuxVolumes volumes,
                                       std::filesystem::path sysfsRoot, SlotMap slots, bool grows)
    : deviceDir_(std::move(deviceDir)), volumes_(std::move(volumes)), sysfsRoot_(std::move(sysfsRoot)),
      slots_(slots), grows_(grows) {}

LinuxDriveProvider LinuxDriveProvider::ForDisk(DriveSlot slot, DiskName disk, std::filesystem::path deviceDir,
                                               std::filesystem::path sysfsRoot) {
    LinuxVolumes volumes(sysfsRoot);
    return LinuxDriveProvider(std::move(deviceDir), std::move(volumes), std::move(sysfsRoot),
                              SlotMap::WithDiskIn(slot, disk), false);
}

std::optional<DiskName> LinuxDriveProvider::Disk(DriveSlot slot) {
    if (grows_ && IsValidSlot(slot) && static_cast<std::size_t>(slot) == slots_.size()) {
        slots_.Grow(ListDisks(sysfsRoot_));
    }
    return slots_.DiskOf(slot);
}

bool LinuxDriveProvider::IsNtFamily(DriveSlot) { return true; }

DriveKind LinuxDriveProvider::KindOf(DriveSlot slot) {
    return IsClass(Disk(slot), DiskClass::Nvme) ? DriveKind::Nvme : DriveKind::Ata;
}

std::optional<std::filesystem::path> LinuxDriveProvider::DevicePath(DriveSlot slot) const {
    const auto path = NodePath(deviceDir_, slots_.DiskOf(slot));
    if (!path) return std::nullopt;
    return std::filesystem::path(*path);
}

std::string LinuxDriveProvider::DeviceName(DriveSlot slot) {
    const auto path = DevicePath(slot);
    return path ? path->string() : std::string();
}

UniqueFd LinuxDriveProvider::OpenNode(DriveSlot slot, DiskClass diskClass) {
    const std::optional<DiskName> disk = Disk(slot);
    if (!IsClass(disk, diskClass)) return UniqueFd();
    const auto path = NodePath(deviceDir_, disk);
    return path ? OpenReadOnly(*path) : UniqueFd();
}

std::unique_ptr<DriveHandle> LinuxDriveProvider::OpenDrive(DriveSlot slot, DriverFamily family) {
    if (family != DriverFamily::Nt) return nullptr;
    UniqueFd fd = OpenNode(slot, DiskClass::Sd);
    return fd ? std::make_unique<LinuxDriveHandle>(std::move(fd)) : nullptr;
}

std::unique_ptr<NvmeHandle> LinuxDriveProvider::OpenNvme(DriveSlot slot) {
    UniqueFd fd = OpenNode(slot, DiskClass::Nvme);
    return fd ? std::make_unique<LinuxNvmeHandle>(std::move(fd)) : nullptr;
}

std::optional<NvmePublicInfo> LinuxDriveProvider::NvmeInfo(DriveSlot slot) {
    const std::optional<DiskName> disk = Disk(slot);
    if (!IsClass(disk, DiskClass::Nvme)) return std::nullopt;
    return ReadNvmePublicInfo(sysfsRoot_, *NodeName(*disk));
}

std::optional<DiskGeometry> LinuxDriveProvider::QueryDriveGeometry(DriveSlot slot) {
    const std::optional<DiskName> disk = Disk(slot);
    if (IsClass(disk, DiskClass::Nvme)) {
        const auto ns = FirstNamespace(sysfsRoot_, *NodeName(*disk));
        return ns ? SysfsGeometry(sysfsRoot_, *ns) : std::nullopt;
    }
    const auto path = NodePath(deviceDir_, disk);
    if (!path) return std::nullopt;
    const UniqueFd fd = OpenReadOnly(*path);
    if (!fd) return std::nullopt;
    std::uint64_t bytes = 0;
    int sectorSize = 0;
    if (::ioctl(fd.get(), BLKGETSIZE64, &bytes) != 0 || ::ioctl(fd.get(), BLKSSZGET, &sectorSize) != 0 ||
        sectorSize <= 0) {
        return DiskGeometry{};
    }
    return GeometryFromSize(bytes, static_cast<std::uint32_t>(sectorSize));
}

std::vector<std::string> LinuxDriveProvider::VolumesOf(DriveSlot slot) {
    const std::optional<DiskName> disk = Disk(slot);
    const auto name = disk ? NodeName(*disk) : std::nullopt;
    if (!name) return {};
    if (disk->diskClass == DiskClass::Nvme) {
        const auto ns = FirstNamespace(sysfsRoot_, *name);
        return ns ? volumes_.MountPointsOf(*ns) : std::vector<std::string>{};
    }
    return volumes_.MountPointsOf(*name);
}

std::optional<PowerMode> LinuxDriveProvider::QueryPowerMode(DriveSlot slot, const CommandBlock& query) {
    const std::optional<DiskName> disk = Disk(slot);
    const auto path = NodePath(deviceDir_, disk);
    if (!path) return std::nullopt;
    if (Suspended(slot)) return PowerMode::Standby;  // asking would resume it
    if (disk->diskClass != DiskClass::Sd) return std::nullopt;  // an NVMe read wakes nothing: read it
    const UniqueFd fd = OpenReadOnly(*path);
    if (!fd) return std::nullopt;
    const sat::Outcome outcome = PassThrough(fd.get(), sat::BuildRegisterQueryCdb(query), {});
    if (!outcome.accepted || !outcome.ataCount) return std::nullopt;
    return PowerModeFromCount(*outcome.ataCount);
}

bool LinuxDriveProvider::HasNode(DriveSlot slot) const {
    const auto path = NodePath(deviceDir_, slots_.DiskOf(slot));
    struct stat st {};
    return path && ::stat(path->c_str(), &st) == 0;
}

bool LinuxDriveProvider::Suspended(DriveSlot slot) const {
    const auto disk = slots_.DiskOf(slot);
    return disk && KernelSuspended(sysfsRoot_, *disk);
}

}  // namespace qm
