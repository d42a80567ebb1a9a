// ログイン時に自動起動: switches the program's start at log-on.
#pragma once

#include <string_view>

#include "commands/command_context.h"

namespace qm {

// The menu item's caption names the moment the system starts programs.
#ifdef _WIN32
inline constexpr std::string_view kStartAtLogOnCaption = "Windows起動時に自動起動(&S)";
#else
inline constexpr std::string_view kStartAtLogOnCaption = "ログイン時に自動起動(&S)";
#endif

// Switches to the state the check mark does not show, in this order: the
// check mark (and the option held), "STARTUP" in the settings file ("Y" or
// "N"; a failed write is passed over like every settings write), the
// registration, the registry's confirmation. When the registration fails, the
// mark and "STARTUP" are put back, so they never claim what is not so, and the
// system's description of the failure is shown instead.
void SwitchStartAtLogOn(CommandContext& context);

}  // namespace qm
