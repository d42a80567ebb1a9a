#include "drives/linux/helper_drives.h"

#include <algorithm>
#include <system_error>

namespace qm {
namespace {

// The installed helper folder relative to the installed programs' folder,
// from the build's install layout ("../libexec/quillmoor" by default).
constexpr std::string_view kHelperFromBinDir = QM_HELPER_FROM_BINDIR;

bool Done(const std::optional<HelperAnswer>& answer) {
    return answer && answer->status == HelperStatus::Done;
}

class HelperDriveHandle final : public DriveHandle {
public:
    HelperDriveHandle(HelperConnection& connection, DriveSlot slot, DiskName disk)
        : connection_(connection), slot_(slot), disk_(disk) {}

    bool SmartGetVersion() override { return Done(connection_.Ask({HelperKind::Version, slot_, {}, disk_})); }

    // The helper's output lands in `out`, at most its size; a buffer smaller
    // than the exchange needs is refused without a request.
    bool Exchange(ControlCode code, const CommandBlock& in, std::span<std::uint8_t> out) override {
        const bool send = code == ControlCode::SendDriveCommand;
        if (!send && code != ControlCode::ReceiveDriveData) return false;
        const std::size_t needed = send ? kStatusOutputSize : kDataOutputSize;
        if (out.size() < needed) return false;
        const std::optional<HelperAnswer> answer =
            connection_.Ask({send ? HelperKind::Send : HelperKind::Receive, slot_, in, disk_});
        if (!answer) return false;
        std::copy_n(answer->payload.begin(), needed, out.begin());
        return answer->status == HelperStatus::Done;
    }

private:
    HelperConnection& connection_;
    DriveSlot slot_;
    DiskName disk_;
};

class HelperNvmeHandle final : public NvmeHandle {
public:
    HelperNvmeHandle(HelperConnection& connection, DriveSlot slot, DiskName disk)
        : connection_(connection), slot_(slot), disk_(disk) {}

    // The helper carries the first 512 bytes of the answer; the rest of
    // `data` stays zero. A buffer that is not the command's length is
    // refused without a request.
    bool AdminCommand(const NvmeCommandBlock& command, std::span<std::uint8_t> data) override {
        std::fill(data.begin(), data.end(), std::uint8_t{0});
        if (NvmeTransferLength(command) != data.size()) return false;
        const std::optional<HelperAnswer> answer = connection_.Ask({HelperKind::NvmeAdmin, slot_, {}, disk_, command});
        if (!Done(answer)) return false;
        std::copy_n(answer->payload.begin(), std::min(data.size(), kHelperNvmeDataSize), data.begin());
        return true;
    }

private:
    HelperConnection& connection_;
    DriveSlot slot_;
    DiskName disk_;
};

}  // namespace

std::vector<std::filesystem::path> HelperCandidates(const std::filesystem::path& executableFolder) {
    if (!executableFolder.is_absolute()) return {};  // never a helper found through the working folder
    const std::filesystem::path installed = (executableFolder / kHelperFromBinDir).lexically_normal();
    return {executableFolder / kHelperFileName, installed / kHelperFileName};
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

HelperDriveProvider::HelperDriveProvider(std::unique_ptr<HelperConnection> connection, LinuxDriveProvider local)
    : connection_(std::move(connection)), local_(std::move(local)) {}

bool HelperDriveProvider::HelperHasRights() {
    return Done(connection_->Ask({HelperKind::Rights, 0, {}}, kHelperRightsTimeout));
}

bool HelperDriveProvider::IsNtFamily(DriveSlot) { return true; }

DriveKind HelperDriveProvider::KindOf(DriveSlot slot) { return local_.KindOf(slot); }

std::optional<DiskName> HelperDriveProvider::SdDiskWithNode(DriveSlot slot) {
    if (local_.KindOf(slot) != DriveKind::Ata || !local_.HasNode(slot)) return std::nullopt;
    return local_.DiskOf(slot);
}

std::unique_ptr<DriveHandle> HelperDriveProvider::OpenDrive(DriveSlot slot, DriverFamily family) {
    if (family != DriverFamily::Nt || connection_->GivenUp()) return nullptr;
    const std::optional<DiskName> disk = SdDiskWithNode(slot);
    if (!disk) return nullptr;
    return std::make_unique<HelperDriveHandle>(*connection_, slot, *disk);
}

std::unique_ptr<NvmeHandle> HelperDriveProvider::OpenNvme(DriveSlot slot) {
    if (local_.KindOf(slot) != DriveKind::Nvme || !local_.HasNode(slot) || connection_->GivenUp()) return nullptr;
    return std::make_unique<HelperNvmeHandle>(*connection_, slot, *local_.DiskOf(slot));
}

std::optional<NvmePublicInfo> HelperDriveProvider::NvmeInfo(DriveSlot slot) { return local_.NvmeInfo(slot); }

std::optional<DiskGeometry> HelperDriveProvider::QueryDriveGeometry(DriveSlot slot) {
    if (local_.KindOf(slot) == DriveKind::Nvme) return local_.QueryDriveGeometry(slot);  // sysfs: no rights needed
    const std::optional<DiskName> disk = SdDiskWithNode(slot);
    if (!disk) return std::nullopt;
    const std::optional<HelperAnswer> answer = connection_->Ask({HelperKind::Geometry, slot, {}, *disk});
    if (!Done(answer)) return std::nullopt;
    return DecodeGeometry(answer->payload);
}

std::vector<std::string> HelperDriveProvider::VolumesOf(DriveSlot slot) { return local_.VolumesOf(slot); }

std::string HelperDriveProvider::DeviceName(DriveSlot slot) { return local_.DeviceName(slot); }

std::optional<PowerMode> HelperDriveProvider::QueryPowerMode(DriveSlot slot, const CommandBlock& query) {
    if (local_.KindOf(slot) == DriveKind::Nvme) return local_.QueryPowerMode(slot, query);  // sends nothing
    const std::optional<DiskName> disk = SdDiskWithNode(slot);
    if (!disk) return std::nullopt;
    if (local_.Suspended(slot)) return PowerMode::Standby;  // asking would resume it
    const std::optional<HelperAnswer> answer = connection_->Ask({HelperKind::PowerMode, slot, query, *disk});
    if (!Done(answer)) return std::nullopt;
    return answer->payload[0] == 0 ? PowerMode::Standby : PowerMode::Awake;
}

void HelperDriveProvider::Interrupt() { connection_->Interrupt(); }

std::unique_ptr<HelperDriveProvider> ConnectHelper(const std::vector<std::filesystem::path>& candidates,
                                                   std::chrono::milliseconds answerTimeout) {
    for (const std::filesystem::path& program : candidates) {
        auto provider = std::make_unique<HelperDriveProvider>(std::make_unique<HelperConnection>(program, answerTimeout));
        if (provider->HelperHasRights()) return provider;
    }
    return nullptr;
}

}  // namespace qm
