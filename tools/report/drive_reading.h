// What quillmoor-report learns of a drive slot: one reading per present
// drive, made once and then printed as text, JSON or Prometheus metrics, so
// that every output shows the same values.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "drives/device.h"
#include "smart/drive_record.h"
#include "smart/smart_reader.h"

namespace qm {

// What a reading does with a drive that says it sleeps.
enum class SleepingDrive {
    Read,        // read it all the same (a person asked: the text report, --json)
    LeaveAlone,  // note that it sleeps and send it nothing more (--prometheus, the timer)
};

struct DriveReading {
    DriveSlot slot = 0;
    // The device's name as the system knows it (DriveProvider::DeviceName);
    // "slot" and the number where the system has none.
    std::string device;
    DriveKind kind = DriveKind::Ata;
    // Found asleep and left alone: `record` is empty, `serial` is what the
    // system tells without a command (an NVMe controller's sysfs), if anything.
    bool asleep = false;
    std::string serial;  // trimmed: the record's, or the system's for a drive left asleep
    DriveRecord record;
    std::optional<DiskGeometry> geometry;  // nullopt: the disk could not be opened for it
    std::vector<std::string> volumes;
    std::int64_t readTime = 0;  // when the slot was read, seconds since the Unix epoch
};

using UnixClock = std::function<std::int64_t()>;

// The reading of one slot; nullopt when it holds no drive that answers (a
// slot the text report leaves out). With SleepingDrive::LeaveAlone a drive
// that says it sleeps (DriveSleeps: a question that wakes nothing) is not
// read.
std::optional<DriveReading> ReadSlot(SmartReader& reader, DriveSlot slot, SleepingDrive sleeping,
                                     const UnixClock& clock);

// The readings of `only` (when given) or of every slot, in slot order.
std::vector<DriveReading> ReadSlots(SmartReader& reader, std::optional<DriveSlot> only, SleepingDrive sleeping,
                                    const UnixClock& clock);

// The seconds since the Unix epoch now.
std::int64_t SystemUnixTime();

}  // namespace qm
