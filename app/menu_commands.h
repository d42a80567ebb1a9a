// The one place where the main window's menu items meet their commands.
#pragma once

#include <QFont>

#include "app/main_menu.h"
#include "commands/command_context.h"

namespace qm {

class MainWindow;
class QtNotificationArea;

// The trend graph's face: the fixed-pitch Gothic at 9 points (12 pixels),
// whose 6-pixel half-width characters let a sample's time (16 of them) fit
// the 97 pixels left of the axis, and whose 13-pixel lines fit the rows'
// 15-pixel pitch.
QFont GraphFont();

void ConnectMenuCommands(const MainMenu& menu, MainWindow& window, CommandContext& context);

// The notification icons: the right button opens the window's one-item
// pop-up menu on every icon, a click reaches the window. Before any icon is added.
void ConnectTrayIcons(QtNotificationArea& area, MainWindow& window);

}  // namespace qm
