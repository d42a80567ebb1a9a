// Chooses the drive realisation both programs run on: the simulated drive set
// of a folder, or the real disks of this system.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "drives/device.h"

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
// or its drives.ini cannot be read); without: this system's real disks as
// OpenRealDrives (drives/real_drives.h) reaches them, or an error on a
// system without a drive realisation.
DriveSelection SelectDriveProvider(const std::optional<std::string>& simulateFolder);

// The real disks as OpenRealDrives reaches them, opened on first use by the
// thread that reads them: the rights question and the start of the
// privileged helper (which may wait seconds for its answer) happen there,
// never while the program starts. It is also the administrator test, whose
// answer opens them too. On a system without a drive realisation no slot has
// a drive and the test answers false.
class DeferredRealDrives final : public DriveProvider, public RightsProbe {
public:
    bool IsAdministrator() override;
    bool IsNtFamily(DriveSlot slot) override;
    std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily family) override;
    DriveKind KindOf(DriveSlot slot) override;
    std::unique_ptr<NvmeHandle> OpenNvme(DriveSlot slot) override;
    std::optional<NvmePublicInfo> NvmeInfo(DriveSlot slot) override;
    std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) override;
    std::string DeviceName(DriveSlot slot) override;
    std::vector<std::string> VolumesOf(DriveSlot slot) override;
    std::optional<PowerMode> QueryPowerMode(DriveSlot slot, const CommandBlock& query) override;
    // Passed on once the disks are open; disks that open after it are
    // interrupted as they open. Any thread.
    void Interrupt() override;

private:
    // The opened disks (nullptr on a system without a realisation).
    DriveProvider* Opened();

    std::once_flag once_;
    std::mutex mutex_;  // guards provider_ after the opening, and interrupted_
    std::unique_ptr<DriveProvider> provider_;
    bool mayReadDisks_ = false;
    bool interrupted_ = false;
};

}  // namespace qm
