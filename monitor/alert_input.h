// What the alert rules are given about one read of the minute pass, taken
// from the record the read returned.
#pragma once

#include "monitor/alert_rules.h"
#include "smart/drive_record.h"

namespace qm {

// The rows with a rule of their own (the temperature, the watched counts,
// NVMe's critical warning) stay out of the state, so one fact is told once.
// A record that is not a present drive gives outcome Failed.
AlertInput AlertInputOf(const DriveRecord& record);

// The input of a pass that found the drive asleep.
AlertInput AsleepInput();

}  // namespace qm
