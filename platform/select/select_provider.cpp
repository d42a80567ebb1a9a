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

std::unique_ptr<DriveProvider> SelectDriveProvider(const std::optional<std::string>& simulateFolder,
                                                   std::string& error) {
    if (simulateFolder) return SimDriveProvider::Load(*simulateFolder, error);
#if defined(QM_HAVE_REAL_DRIVES)
    return std::make_unique<LinuxDriveProvider>();
#else
    error = "this system has no drive realisation; use --simulate FOLDER";
    return nullptr;
#endif
}

std::unique_ptr<RightsProbe> SelectRightsProbe(bool simulated) {
#if defined(QM_HAVE_REAL_DRIVES)
    if (!simulated) return std::make_unique<LinuxRightsProbe>();
#endif
    (void)simulated;
    return std::make_unique<AlwaysAdministrator>();
}

}  // namespace qm
