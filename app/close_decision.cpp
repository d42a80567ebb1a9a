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

bool HideWhenMinimised(std::string_view taskIconSetting, std::string_view taskBarSetting, int trayIconCount) {
    if (taskIconSetting == "N" || taskBarSetting == "Y" || trayIconCount == 0) return false;
    return true;
}

}  // namespace qm
