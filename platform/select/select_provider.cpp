#include "platform/select/select_provider.h"

#include "platform/sim/sim_drives.h"
#if defined(QM_HAVE_REAL_DRIVES)
#include "platform/linux/linux_drives.h"
#include "platform/linux/linux_rights.h"
#endif

namespace qm {
namespace {

class AlwaysAdministrator final : public RightsProbe {
public:
    bool IsAdministrator() override { return true; }
};

}  // namespace

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
        return selection;
    }
#if defined(QM_HAVE_REAL_DRIVES)
    selection.provider = std::make_unique<LinuxDriveProvider>();
#else
    selection.error = "this system has no drive realisation; use --simulate FOLDER";
#endif
    return selection;
}

std::unique_ptr<RightsProbe> SelectRightsProbe(bool simulated) {
#if defined(QM_HAVE_REAL_DRIVES)
    if (!simulated) return std::make_unique<LinuxRightsProbe>();
#endif
    (void)simulated;
    return std::make_unique<AlwaysAdministrator>();
}

}  // namespace qm
