#include "commands/option_commands.h"

#include "commands/error_text.h"
#include "monitor/drive_view.h"
#include "monitor/icon_numbers.h"

namespace qm {
namespace {

// Stores the option switched the other way from its mark; on success sets the
// mark and the option held. Returns the new value, or nullopt when nothing
// switched.
std::optional<bool> SwitchOption(CommandContext& context, Option option) {
    const bool on = !context.window.IsOptionChecked(option);
    if (const std::error_code error = context.settings.WriteOption(option, on)) {
        ShowErrorMessage(context.messages, error);
        return std::nullopt;
    }
    context.window.SetOptionChecked(option, on);
    OptionValue(context.options, option) = on;
    return on;
}

}  // namespace

void ToggleTrayIcons(CommandContext& context) {
    const std::optional<bool> on = SwitchOption(context, Option::TrayIcons);
    if (!on) return;
    if (*on)
        context.monitor.AddTrayIcons();
    else
        context.monitor.RemoveTrayIcons();
}

void ToggleTaskbarIcon(CommandContext& context) {
    const std::optional<bool> on = SwitchOption(context, Option::TaskbarIcon);
    if (!on) return;
    if (*on) {
        const DriveViewContent& shown = context.window.ShownDrive();
        context.window.SetCaption(DriveCaption(shown.model, shown.volumes));
        context.window.UpdateTemperatures();  // its last step sets the window icon
    } else {
        context.window.SetCaption(std::string(kProductCaption));
        context.window.SetWindowIcon(kProgramIcon);
    }
}

void ToggleStartMinimised(CommandContext& context) { (void)SwitchOption(context, Option::StartMinimised); }

void ToggleDesktopAlerts(CommandContext& context) { (void)SwitchOption(context, Option::DesktopAlerts); }

}  // namespace qm
