// The real disks of this system. Each system's realisation folder
// (drives/linux/, drives/none/ where there is none) defines OpenRealDrives,
// and the build links the one that fits, so nothing above the drives names a
// system.
#pragma once

#include <memory>

#include "drives/device.h"

namespace qm {

struct RealDrives {
    std::unique_ptr<DriveProvider> provider;  // null: this system has no drive realisation
    // The administrator test's answer: commands can reach the drives. False:
    // the provider is there, but its reads will fail for want of rights.
    bool mayReadDisks = false;
};

// This system's disks, reached the best way this process can: directly when
// it may send the commands itself, otherwise through the privileged helper
// when one holds its rights, otherwise directly again with mayReadDisks false.
RealDrives OpenRealDrives();

}  // namespace qm
