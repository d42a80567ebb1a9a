// Chooses the drive realisation both programs run on: the simulated drive set
// of a folder, or the real disks of this system.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drives/device.h"

namespace qm {

// The drives a program runs on, or why there are none.
struct DriveSelection {
    std::unique_ptr<DriveProvider> provider;  // null when the drives cannot be used
    std::string error;                        // then: one line saying why, for standard error
    std::vector<std::string> warnings;        // what a simulated set ignored in its drives.ini
    // The administrator test's answer: commands can reach the drives (always
    // for a simulated set). False: the program warns that it lacks the rights.
    bool mayReadDisks = false;
};

// With a folder: the simulated drive set in it (no provider when the folder
// or its drives.ini cannot be read); without: this system's real disks as
// OpenRealDrives (drives/real_drives.h) reaches them, or an error on a
// system without a drive realisation.
DriveSelection SelectDriveProvider(const std::optional<std::string>& simulateFolder);

}  // namespace qm
