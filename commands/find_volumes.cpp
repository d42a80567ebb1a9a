#include "commands/find_volumes.h"

#include <array>

#include "commands/error_text.h"
#include "smart/drive_info.h"

namespace qm {

std::error_code UpdateDriveLetters(DriveMonitor& monitor, Settings& settings, BusyIndicator& busy) {
    const BusyScope busyPointer(busy);
    std::array<std::string, kSlotCount> found;
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot)
        found[static_cast<std::size_t>(slot)] = JoinVolumes(monitor.Reader().provider().VolumesOf(slot));
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const DriveIdentity& drive = monitor.Identities()[static_cast<std::size_t>(slot)];
        if (drive.model.empty()) continue;
        if (const std::error_code error =
                settings.WriteVolumes(drive.model, drive.serial, found[static_cast<std::size_t>(slot)]))
            return error;
    }
    monitor.RereadStoredVolumes();
    return {};
}

void FindVolumes(CommandContext& context) {
    context.messages.Show(MessageIcon::Exclamation, MessageButtons::Ok, std::string(kMessageCaption),
                          std::string(kFindVolumesWarning));
    if (const std::error_code error = UpdateDriveLetters(context.monitor, context.settings, context.busy))
        ShowErrorMessage(context.messages, error);
    context.window.RefreshDriveView();
}

}  // namespace qm
