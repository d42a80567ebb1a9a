#include "drives/select/select_provider.h"

#include "drives/real_drives.h"
#include "drives/sim/sim_drives.h"

namespace qm {

DriveSelection SelectDriveProvider(const std::optional<std::string>& simulateFolder) {
    DriveSelection selection;
    if (simulateFolder) {
        auto set = std::make_unique<SimDriveProvider>(*simulateFolder);
        if (!set->ok()) {
            selection.error = set->error();
            return selection;
        }
        selection.warnings = set->warnings();
        selection.provider = std::move(set);
        selection.mayReadDisks = true;  // simulated drives need no rights
        return selection;
    }
    RealDrives real = OpenRealDrives();
    if (!real.provider) selection.error = "this system has no drive realisation; use --simulate FOLDER";
    selection.provider = std::move(real.provider);
    selection.mayReadDisks = real.mayReadDisks;
    return selection;
}

DriveProvider* DeferredRealDrives::Opened() {
    std::call_once(once_, [this] {
        RealDrives real = OpenRealDrives();
        const std::lock_guard lock(mutex_);
        provider_ = std::move(real.provider);
        mayReadDisks_ = real.mayReadDisks;
        if (interrupted_ && provider_) provider_->Interrupt();
    });
    return provider_.get();  // fixed once call_once has returned
}

bool DeferredRealDrives::IsAdministrator() {
    Opened();
    return mayReadDisks_;
}

bool DeferredRealDrives::IsNtFamily(DriveSlot slot) {
    DriveProvider* drives = Opened();
    return drives == nullptr || drives->IsNtFamily(slot);
}

std::unique_ptr<DriveHandle> DeferredRealDrives::OpenDrive(DriveSlot slot, DriverFamily family) {
    DriveProvider* drives = Opened();
    return drives != nullptr ? drives->OpenDrive(slot, family) : nullptr;
}

DriveKind DeferredRealDrives::KindOf(DriveSlot slot) {
    DriveProvider* drives = Opened();
    return drives != nullptr ? drives->KindOf(slot) : DriveKind::Ata;
}

std::unique_ptr<NvmeHandle> DeferredRealDrives::OpenNvme(DriveSlot slot) {
    DriveProvider* drives = Opened();
    return drives != nullptr ? drives->OpenNvme(slot) : nullptr;
}

std::optional<NvmePublicInfo> DeferredRealDrives::NvmeInfo(DriveSlot slot) {
    DriveProvider* drives = Opened();
    return drives != nullptr ? drives->NvmeInfo(slot) : std::nullopt;
}

std::optional<DiskGeometry> DeferredRealDrives::QueryDriveGeometry(DriveSlot slot) {
    DriveProvider* drives = Opened();
    return drives != nullptr ? drives->QueryDriveGeometry(slot) : std::nullopt;
}

std::string DeferredRealDrives::DeviceName(DriveSlot slot) {
    DriveProvider* drives = Opened();
    return drives != nullptr ? drives->DeviceName(slot) : std::string{};
}

std::vector<std::string> DeferredRealDrives::VolumesOf(DriveSlot slot) {
    DriveProvider* drives = Opened();
    return drives != nullptr ? drives->VolumesOf(slot) : std::vector<std::string>{};
}

std::optional<PowerMode> DeferredRealDrives::QueryPowerMode(DriveSlot slot, const CommandBlock& query) {
    DriveProvider* drives = Opened();
    return drives != nullptr ? drives->QueryPowerMode(slot, query) : std::nullopt;
}

void DeferredRealDrives::Interrupt() {
    const std::lock_guard lock(mutex_);
    interrupted_ = true;
    if (provider_) provider_->Interrupt();
}

}  // namespace qm
