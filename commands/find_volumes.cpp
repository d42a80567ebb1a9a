#include "commands/find_volumes.h"

#include <array>
#include <memory>

#include "commands/error_text.h"
#include "smart/drive_info.h"

namespace qm {
namespace {

// Stores what was found for every slot identified at start-up; the first
// failed write ends it.
std::error_code StoreVolumes(const DriveMonitor& monitor, Settings& settings,
                             const std::array<std::string, kSlotCount>& found) {
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const DriveIdentity& drive = monitor.Identities()[static_cast<std::size_t>(slot)];
        if (drive.model.empty()) continue;
        if (const std::error_code error = settings.WriteVolumes(drive.model, drive.serial, found[static_cast<std::size_t>(slot)]))
            return error;
    }
    return {};
}

}  // namespace

void UpdateDriveLetters(DriveMonitor& monitor, Settings& settings, BusyIndicator& busy,
                        std::function<void(std::error_code)> done) {
    struct Search {
        std::array<std::string, kSlotCount> found;
        int left = kSlotCount;
    };
    busy.Begin();
    auto search = std::make_shared<Search>();
    const auto answered = [&monitor, &settings, &busy, search, done](DriveSlot slot, const std::vector<std::string>& volumes) {
        if (IsValidSlot(slot)) search->found[static_cast<std::size_t>(slot)] = JoinVolumes(volumes);
        if (--search->left > 0) return;
        const std::error_code error = StoreVolumes(monitor, settings, search->found);
        busy.End();
        if (done) done(error);
        if (!error) monitor.RereadStoredVolumes();
    };
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const bool asked = monitor.Ask(slot, DriveQuestion::Volumes,
                                       [answered](const DriveAnswer& answer) { answered(answer.slot, answer.volumes); });
        if (!asked) answered(slot, {});
    }
}

void FindVolumes(CommandContext& context) {
    context.messages.Show(MessageIcon::Exclamation, MessageButtons::Ok, std::string(kMessageCaption),
                          std::string(kFindVolumesWarning));
    UpdateDriveLetters(context.monitor, context.settings, context.busy, [&context](std::error_code error) {
        if (error) ShowErrorMessage(context.messages, error);
        context.window.RefreshDriveView();
    });
}

}  // namespace qm
