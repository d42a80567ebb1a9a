#include "app/close_decision.h"

namespace qm {

CloseDecision DecideClose(WindowState state, bool exitRequested, int trayIconCount) {
    CloseDecision decision;
    decision.savePlacement = state == WindowState::Normal;
    if (!exitRequested && trayIconCount > 0 && state != WindowState::Minimised)
        decision.action = CloseAction::Minimise;
    else
        decision.action = CloseAction::TearDown;
    return decision;
}

bool HideWhenMinimised(const Options& options, int trayIconCount) {
    return !IsOff(options.trayIcons) && !IsOn(options.taskbarIcon) && trayIconCount > 0;
}

}  // namespace qm
