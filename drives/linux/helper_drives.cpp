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
    HelperDriveHandle(HelperConnection& connection, DriveSlot slot) : connection_(connection), slot_(slot) {}

    bool SmartGetVersion() override { return Done(connection_.Ask({HelperKind::Version, slot_, {}})); }

    // The helper's output lands in `out`, at most its size; a buffer smaller
    // than the exchange needs is refused without a request.
    bool Exchange(ControlCode code, const CommandBlock& in, std::span<std::uint8_t> out) override {
        const bool send = code == ControlCode::SendDriveCommand;
        if (!send && code != ControlCode::ReceiveDriveData) return false;
        const std::size_t needed = send ? kStatusOutputSize : kDataOutputSize;
        if (out.size() < needed) return false;
        const std::optional<HelperAnswer> answer =
            connection_.Ask({send ? HelperKind::Send : HelperKind::Receive, slot_, in});
        if (!answer) return false;
        std::copy_n(answer->payload.begin(), needed, out.begin());
        return answer->status == HelperStatus::Done;
    }

private:
    HelperConnection& connection_;
    DriveSlot slot_;
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

std::unique_ptr<DriveHandle> HelperDriveProvider::OpenDrive(DriveSlot slot, DriverFamily family) {
    if (family != DriverFamily::Nt || !local_.HasNode(slot) || connection_->GivenUp()) return nullptr;
    return std::make_unique<HelperDriveHandle>(*connection_, slot);
}

std::optional<DiskGeometry> HelperDriveProvider::QueryDriveGeometry(DriveSlot slot) {
    if (!local_.HasNode(slot)) return std::nullopt;
    const std::optional<HelperAnswer> answer = connection_->Ask({HelperKind::Geometry, slot, {}});
    if (!Done(answer)) return std::nullopt;
    return DecodeGeometry(answer->payload);
}

std::vector<std::string> HelperDriveProvider::VolumesOf(DriveSlot slot) { return local_.VolumesOf(slot); }

std::optional<PowerMode> HelperDriveProvider::QueryPowerMode(DriveSlot slot, const CommandBlock& query) {
    if (!local_.HasNode(slot)) return std::nullopt;
    if (local_.Suspended(slot)) return PowerMode::Standby;  // asking would resume it
    const std::optional<HelperAnswer> answer = connection_->Ask({HelperKind::PowerMode, slot, query});
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
