// The real disks on Linux: SG_IO in this process when it holds
// CAP_SYS_RAWIO, otherwise quillmoor-smart-helper when one beside the
// executable or in the installed helper folder holds its rights.
#include "drives/real_drives.h"

#include "drives/linux/helper_drives.h"
#include "drives/linux/linux_drives.h"
#include "drives/linux/linux_rights.h"

namespace qm {

RealDrives OpenRealDrives() {
    if (LinuxRightsProbe().IsAdministrator()) return {std::make_unique<LinuxDriveProvider>(), true};
    if (auto helper = ConnectHelper(HelperCandidates(ExecutableFolder()))) return {std::move(helper), true};
    return {std::make_unique<LinuxDriveProvider>(), false};
}

}  // namespace qm
