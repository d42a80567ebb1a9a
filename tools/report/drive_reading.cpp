#include "tools/report/drive_reading.h"

#include <chrono>

#include "base/text.h"
#include "smart/power_mode.h"

namespace qm {

std::optional<DriveReading> ReadSlot(SmartReader& reader, DriveSlot slot, SleepingDrive sleeping,
                                     const UnixClock& clock) {
    DriveProvider& provider = reader.provider();
    DriveReading reading;
    reading.slot = slot;
    if (sleeping == SleepingDrive::LeaveAlone && DriveSleeps(provider, slot)) {
        reading.asleep = true;
        reading.kind = provider.KindOf(slot);
        if (reading.kind == DriveKind::Nvme) {
            if (const std::optional<NvmePublicInfo> info = provider.NvmeInfo(slot)) {
                reading.serial = TrimBlanks(info->serial);
            }
        }
    } else {
        reading.record = reader.ReadDrive(slot);
        if (!IsPresentDrive(reading.record)) return std::nullopt;
        reading.kind = reading.record.kind;
        reading.serial = TrimBlanks(reading.record.serialNumber);
        reading.geometry = provider.QueryDriveGeometry(slot);
        reading.volumes = provider.VolumesOf(slot);
    }
    reading.device = provider.DeviceName(slot);
    if (reading.device.empty()) reading.device = "slot" + std::to_string(slot);
    reading.readTime = clock();
    return reading;
}

std::vector<DriveReading> ReadSlots(SmartReader& reader, std::optional<DriveSlot> only, SleepingDrive sleeping,
                                    const UnixClock& clock) {
    std::vector<DriveReading> readings;
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        if (only && slot != *only) continue;
        if (std::optional<DriveReading> reading = ReadSlot(reader, slot, sleeping, clock)) {
            readings.push_back(std::move(*reading));
        }
    }
    return readings;
}

std::int64_t SystemUnixTime() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace qm
