#include "platform/select/select_provider.h"

#include "platform/sim/sim_drives.h"
#if defined(QM_HAVE_REAL_DRIVES)
#include "platform/linux/helper_drives.h"
#include "platform/linux/linux_drives.h"
#include "platform/linux/linux_rights.h"
#endif

namespace qm {

DriveSelection SelectDriveProvider(const std::optional<std::string>& simulateFolder) {
    DriveSelection selection;
    if (simulateFolder) {
        auto set = std::make_unique<SimDriveProvider>(*simulateFolder);
        if (!set->ok()) {
            selection.error = set->error();
            return selection;
        }
        selection.warnings = set->warnings();
        selection.provider = std::move(set);
        selection.mayReadDisks = true;  // simulated drives need no rights
        return selection;
    }
#if defined(QM_HAVE_REAL_DRIVES)
    if (LinuxRightsProbe().IsAdministrator()) {
        selection.provider = std::make_unique<LinuxDriveProvider>();
        selection.mayReadDisks = true;
    } else if (auto helper = ConnectHelper(HelperCandidates(ExecutableFolder()))) {
        selection.provider = std::move(helper);
        selection.mayReadDisks = true;
    } else {
        selection.provider = std::make_unique<LinuxDriveProvider>();
    }
#else
    selection.error = "this system has no drive realisation; use --simulate FOLDER";
#endif
    return selection;
}

}  // namespace qm
