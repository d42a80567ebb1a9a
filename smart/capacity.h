// Disk capacity text from the disk driver's geometry.
#pragma once

#include <optional>
#include <string>

#include "drives/device.h"

namespace qm {

// Cylinders x tracks per cylinder x sectors per track x bytes per sector,
// written with two decimals in the largest fitting unit of powers of 1024
// (" KB", " MB", " GB", " TB"), digits grouped by thousands: "74.53 GB".
std::string FormatCapacity(const DiskGeometry& geometry);

// Capacity text of the slot's disk; nullopt when the disk cannot be opened.
std::optional<std::string> DriveCapacityText(DriveProvider& provider, DriveSlot slot);

}  // namespace qm
