// What closing the main window means, and whether a minimised window hides.
#pragma once

#include "settings/settings.h"

namespace qm {

enum class WindowState { Normal, Minimised, Maximised };

enum class CloseAction {
    Minimise,  // keep running behind the notification icons; the close is cancelled
    TearDown,  // take the window down and end the program
};

struct CloseDecision {
    bool savePlacement = false;  // only a normal window's placement is saved
    CloseAction action = CloseAction::TearDown;
    friend bool operator==(const CloseDecision&, const CloseDecision&) = default;
};

// The close request: an exit command always ends the program; otherwise a
// window that is not minimised while icons are shown (trayIconCount > 0) is
// minimised instead; everything else ends the program.
CloseDecision DecideClose(WindowState state, bool exitRequested, int trayIconCount);

// After minimising: hide the window (leaving only the notification icons)
// unless the icon option is stored as off, the taskbar option as on, or no
// icon is shown. An option never stored counts as neither.
bool HideWhenMinimised(const Options& options, int trayIconCount);

}  // namespace qm
