// Chooses the drive realisation both programs run on: the simulated drive set
// of a folder, or the real disks of this system.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/device.h"

namespace qm {

// The drives a program runs on, or why there are none.
struct DriveSelection {
    std::unique_ptr<DriveProvider> provider;  // null when the drives cannot be used
    std::string error;                        // then: one line saying why, for standard error
    std::vector<std::string> warnings;        // what a simulated set ignored in its drives.ini
};

// With a folder: the simulated drive set in it (no provider when the folder
// or its drives.ini cannot be read); without: the real disks.
DriveSelection SelectDriveProvider(const std::optional<std::string>& simulateFolder);

// The administrator test that goes with the choice: simulated drives need no
// rights, so the test passes for them.
std::unique_ptr<RightsProbe> SelectRightsProbe(bool simulated);

}  // namespace qm
