// A stand-in for quillmoor-smart-helper in the tests: the same request
// handling, serving the simulated drive set in its own folder (drives.ini
// beside the executable) and holding every right. Tests copy it into a
// drive-set folder under the helper's name.
#include <unistd.h>

#include "drives/linux/helper_drives.h"
#include "drives/sim/sim_drives.h"
#include "tools/smart_helper/helper_request.h"

int main() {
    qm::SimDriveProvider set(qm::ExecutableFolder().string());
    qm::SameDrives drives(set);
    qm::ServeHelperRequests(STDIN_FILENO, STDOUT_FILENO, drives, true);
    return 0;
}
