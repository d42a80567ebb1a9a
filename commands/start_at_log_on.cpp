#include "commands/start_at_log_on.h"

#include "commands/error_text.h"

namespace qm {
namespace {

void SetState(CommandContext& context, bool on) {
    context.window.SetOptionChecked(Option::StartAtLogOn, on);
    context.options.startAtLogOn = on;
    (void)context.settings.WriteOption(Option::StartAtLogOn, on);
}

}  // namespace

void SwitchStartAtLogOn(CommandContext& context) {
    const bool on = !context.window.IsOptionChecked(Option::StartAtLogOn);
    SetState(context, on);
    const std::error_code error = on ? context.autostart.Register() : context.autostart.Unregister();
    if (error) {
        SetState(context, !on);
        ShowErrorMessage(context.messages, error);
        return;
    }
    const std::string_view confirmation = on ? context.autostart.RegisteredText() : context.autostart.UnregisteredText();
    context.messages.Show(MessageIcon::Information, MessageButtons::Ok, std::string(kMessageCaption),
                          std::string(confirmation));
}

}  // namespace qm
