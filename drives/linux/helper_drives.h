// The drives of this Linux system reached through quillmoor-smart-helper, for
// a program that may not send pass-through or NVMe admin commands itself.
// Every command block, NVMe admin command, version query, sd geometry and sd
// power-mode question becomes one request to the helper, naming the slot's
// disk of this process's slot map; the slot map, the volumes, the kernel's
// suspend state, whether a slot has a device node at all and what sysfs says
// about an NVMe controller (identity, temperature, namespace size) need no
// rights and are read in this process, so an empty slot costs no request.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "drives/device.h"
#include "drives/linux/helper_connection.h"
#include "drives/linux/linux_drives.h"

namespace qm {

inline constexpr std::string_view kHelperFileName = "quillmoor-smart-helper";

// Where a program in `executableFolder` looks for the helper, in order:
// beside itself, then in the installed helper folder relative to it
// ("../libexec/quillmoor" with the default install layout). None for a
// folder that is empty or relative.
std::vector<std::filesystem::path> HelperCandidates(const std::filesystem::path& executableFolder);

// The folder of this process's executable (/proc/self/exe); empty when the
// kernel does not say.
std::filesystem::path ExecutableFolder();

class HelperDriveProvider final : public DriveProvider {
public:
    // `local` serves what needs no rights: the volumes and the kernel's
    // suspend state.
    explicit HelperDriveProvider(std::unique_ptr<HelperConnection> connection,
                                 LinuxDriveProvider local = LinuxDriveProvider());

    // True when the helper answers Rights with Done (within
    // kHelperRightsTimeout): it runs, speaks the protocol and holds the
    // rights it needs.
    bool HelperHasRights();

    // Always true: one path per drive, as on the NT family.
    bool IsNtFamily(DriveSlot slot) override;
    // The local slot map's answer.
    DriveKind KindOf(DriveSlot slot) override;
    // A handle for a slot on an sd disk that has a device node, on the NT
    // path, while the helper has not been given up on; each call on it is
    // one request. nullptr otherwise.
    std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily family) override;
    // The same for a slot on an NVMe controller.
    std::unique_ptr<NvmeHandle> OpenNvme(DriveSlot slot) override;
    // sysfs, read in this process.
    std::optional<NvmePublicInfo> NvmeInfo(DriveSlot slot) override;
    // sd: the helper's geometry; nullopt without a node, or when the helper
    // cannot open the disk or fails. NVMe: sysfs, read in this process.
    std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) override;
    std::vector<std::string> VolumesOf(DriveSlot slot) override;
    // The local slot map's node path.
    std::string DeviceName(DriveSlot slot) override;
    // nullopt without a node; Standby without a request when the kernel has
    // suspended the disk; otherwise, for an sd disk, the helper's answer to
    // `query` (an NVMe controller is never asked).
    std::optional<PowerMode> QueryPowerMode(DriveSlot slot, const CommandBlock& query) override;
    // Kills the helper (HelperConnection::Interrupt): a request waiting on it
    // fails at once, and no helper starts again.
    void Interrupt() override;

private:
    // The slot's sd disk when its node exists; nullopt otherwise.
    std::optional<DiskName> SdDiskWithNode(DriveSlot slot);

    std::unique_ptr<HelperConnection> connection_;
    LinuxDriveProvider local_;
};

// The first helper among `candidates` that starts and says it holds its
// rights, as a provider; nullptr when none does (missing, not executable,
// installed without its capabilities, broken). Each try waits at most
// kHelperRightsTimeout (or `answerTimeout`, when shorter) for the answer.
std::unique_ptr<HelperDriveProvider> ConnectHelper(const std::vector<std::filesystem::path>& candidates,
                                                   std::chrono::milliseconds answerTimeout = kHelperAnswerTimeout);

}  // namespace qm
