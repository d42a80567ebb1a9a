// quillmoor-report --json: one JSON document for the drives read. Where
// smartctl's JSON has a name for the same thing, it is used (device,
// model_name, serial_number, firmware_version, user_capacity, temperature,
// ata_smart_attributes, nvme_smart_health_information_log); docs/JSON.md
// describes every member, with an example.
#pragma once

#include <array>
#include <span>
#include <string>

#include "tools/report/drive_reading.h"

namespace qm {

// The format's version, [major, minor]: a new member raises the minor, a
// changed or removed one the major.
inline constexpr std::array<int, 2> kJsonFormatVersion{1, 0};

// The document: json_format_version, the program's version
// (quillmoor.version, [major, minor, patch]) and one member of "drives" per
// reading, in slot order.
std::string JsonReport(std::span<const DriveReading> readings, const std::array<int, 3>& programVersion);

}  // namespace qm
