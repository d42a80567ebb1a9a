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
    // The administrator test's answer: commands can reach the drives (always
    // for a simulated set). False: the program warns that it lacks the rights.
    bool mayReadDisks = false;
};

// With a folder: the simulated drive set in it (no provider when the folder
// or its drives.ini cannot be read); without: the real disks, reached
// directly when this process may send pass-through commands (CAP_SYS_RAWIO),
// otherwise through quillmoor-smart-helper when one beside the executable or
// in the installed helper folder holds its rights, otherwise directly again
// (reads then fail) with mayReadDisks false.
DriveSelection SelectDriveProvider(const std::optional<std::string>& simulateFolder);

}  // namespace qm
