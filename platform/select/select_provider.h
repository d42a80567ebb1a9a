// Chooses the drive realisation both programs run on: the simulated drive set
// of a folder, or the real disks of this system.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/device.h"

namespace qm {

// With a folder: the simulated drive set in it; without: the real disks.
// Returns nullptr and a message in `error` when the set cannot be loaded.
std::unique_ptr<DriveProvider> SelectDriveProvider(const std::optional<std::string>& simulateFolder,
                                                   std::string& error);

// The administrator test that goes with the choice: simulated drives need no
// rights, so the test passes for them.
std::unique_ptr<RightsProbe> SelectRightsProbe(bool simulated);

}  // namespace qm
