#include "monitor/drive_monitor.h"

#include "smart/capacity.h"

namespace qm {

void DriveMonitor::ScanDrives() {
    tabs_.clear();
    identities_ = {};
    volumes_ = {};
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const DriveRecord record = reader_.ProbeDrive(slot);
        std::string model = TrimBlanks(record.modelNumber);
        if (!IsPresentDrive(record) || model.empty()) continue;
        const auto s = static_cast<std::size_t>(slot);
        identities_[s] = {model, TrimBlanks(record.serialNumber)};
        volumes_[s] = settings_.ReadVolumes(identities_[s].model, identities_[s].serial);
        tabs_.push_back({std::move(model), slot});
    }
}

std::optional<DriveSlot> DriveMonitor::SlotOfTab(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= tabs_.size()) return std::nullopt;
    return tabs_[static_cast<std::size_t>(index)].slot;
}

void DriveMonitor::RereadStoredVolumes() {
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const DriveRecord record = reader_.ProbeDrive(slot);
        const std::string model = TrimBlanks(record.modelNumber);
        if (!IsPresentDrive(record) || model.empty()) continue;
        volumes_[static_cast<std::size_t>(slot)] = settings_.ReadVolumes(model, TrimBlanks(record.serialNumber));
    }
}

DriveViewContent DriveMonitor::ViewDrive(DriveSlot slot) {
    const DriveRecord record = IsValidSlot(slot) ? reader_.ReadDrive(slot) : DriveRecord{};
    if (!IsPresentDrive(record)) return BuildDriveView(record, std::nullopt, std::nullopt);
    const std::optional<std::string> capacity = DriveCapacityText(reader_.provider(), slot);
    return BuildDriveView(record, capacity, settings_.ReadVolumes(record.modelNumber, record.serialNumber));
}

MonitoringPassResult DriveMonitor::RunPass(const LocalTime& now, DriveSlot selected) {
    tray_.AddWhenAreaAppears(reader_, volumes_);
    return RunMonitoringPass(reader_, tray_, history_, now, selected, volumes_);
}

}  // namespace qm
