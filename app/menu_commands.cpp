#include "app/menu_commands.h"

#include <QAction>

#include "app/main_window.h"

namespace qm {

void ConnectMenuCommands(const MainMenu& menu, MainWindow& window, CommandContext& context) {
    static_cast<void>(context);
    QObject::connect(menu.refresh, &QAction::triggered, &window, &MainWindow::RefreshDriveView);
    QObject::connect(menu.exit, &QAction::triggered, &window, &MainWindow::ExitProgram);
    QObject::connect(menu.trayExit, &QAction::triggered, &window, &MainWindow::ExitProgram);
    // The option items' check marks show the options held; a click would
    // tick them by itself, so until an option's command is wired its mark is
    // put back at once.
    for (const Option option : {Option::TrayIcons, Option::TaskbarIcon, Option::StartMinimised, Option::StartAtLogOn})
        QObject::connect(menu.OptionItem(option), &QAction::triggered, &window, &MainWindow::ShowOptionChecks);
}

}  // namespace qm
