#include "app/menu_commands.h"

#include <QAction>

#include "app/main_window.h"
#include "commands/export_csv.h"
#include "commands/find_volumes.h"
#include "commands/start_at_log_on.h"

namespace qm {

void ConnectMenuCommands(const MainMenu& menu, MainWindow& window, CommandContext& context) {
    const auto run = [&context](void (*command)(CommandContext&)) { return [&context, command] { command(context); }; };
    QObject::connect(menu.exportCsv, &QAction::triggered, &window, run(ExportCsv));
    QObject::connect(menu.findVolumes, &QAction::triggered, &window, run(FindVolumes));
    // A click has ticked the item already; the command decides from the mark
    // as it was.
    QObject::connect(menu.startAtLogOn, &QAction::triggered, &window, [&window, &context](bool checked) {
        window.SetOptionChecked(Option::StartAtLogOn, !checked);
        SwitchStartAtLogOn(context);
    });
    QObject::connect(menu.refresh, &QAction::triggered, &window, &MainWindow::RefreshDriveView);
    QObject::connect(menu.exit, &QAction::triggered, &window, &MainWindow::ExitProgram);
    QObject::connect(menu.trayExit, &QAction::triggered, &window, &MainWindow::ExitProgram);
    // The option items' check marks show the options held; a click would
    // tick them by itself, so until an option's command is wired its mark is
    // put back at once.
    for (const Option option : {Option::TrayIcons, Option::TaskbarIcon, Option::StartMinimised})
        QObject::connect(menu.OptionItem(option), &QAction::triggered, &window, &MainWindow::ShowOptionChecks);
}

}  // namespace qm
