// The option items of the tools menu: temperature icons in the notification
// area, the temperature as the window's taskbar icon, starting minimised and
// alerts on the desktop.
//
// The item's check mark is the authority: a command reads the mark as it was
// when the item was chosen and switches the option the other way. It stores
// the new value first; only when that succeeded does it set the mark and the
// option held and apply the option. A failed write switches nothing (mark,
// option held and file keep agreeing) and shows the cause in a message box.
#pragma once

#include "commands/command_context.h"

namespace qm {

// On: icons for every drive that reports a temperature now (recounted).
// Off: all sixteen icons removed.
void ToggleTrayIcons(CommandContext& context);

// On: the caption names the shown drive and a monitoring pass sets the window
// icon to its temperature. Off: the product caption and the program icon.
void ToggleTaskbarIcon(CommandContext& context);

// Stored only; the next start honours it.
void ToggleStartMinimised(CommandContext& context);

// Stored and held: the alerts of later passes are delivered (on) or only
// judged and kept, so that switching on again tells no old fact (off).
void ToggleDesktopAlerts(CommandContext& context);

}  // namespace qm
