// The one place where the main window's menu items meet their commands.
#pragma once

#include "app/main_menu.h"
#include "commands/command_context.h"

namespace qm {

class MainWindow;

void ConnectMenuCommands(const MainMenu& menu, MainWindow& window, CommandContext& context);

}  // namespace qm
