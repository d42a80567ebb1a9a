// The one place where the main window's menu items meet their commands.
#pragma once

#include "app/main_menu.h"
#include "commands/command_context.h"

namespace qm {

class MainWindow;
class QtNotificationArea;

void ConnectMenuCommands(const MainMenu& menu, MainWindow& window, CommandContext& context);

// The notification icons: the right button opens the window's one-item
// pop-up menu on every icon, a click reaches the window. Before any icon is added.
void ConnectTrayIcons(QtNotificationArea& area, MainWindow& window);

}  // namespace qm
