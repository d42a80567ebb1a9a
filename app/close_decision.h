// What closing the main window means, and whether a minimised window hides.
#pragma once

#include <string_view>

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
// unless the tray option is "N", the taskbar option is "Y", or no icon is shown.
bool HideWhenMinimised(std::string_view taskIconSetting, std::string_view taskBarSetting, int trayIconCount);

}  // namespace qm
