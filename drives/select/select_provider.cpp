#include "drives/select/select_provider.h"

#include "drives/real_drives.h"
#include "drives/sim/sim_drives.h"

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
    RealDrives real = OpenRealDrives();
    if (!real.provider) selection.error = "this system has no drive realisation; use --simulate FOLDER";
    selection.provider = std::move(real.provider);
    selection.mayReadDisks = real.mayReadDisks;
    return selection;
}

}  // namespace qm
