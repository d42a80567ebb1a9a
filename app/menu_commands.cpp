#include "app/menu_commands.h"

#include <QAction>

#include "app/about_box.h"
#include "app/main_window.h"
#include "commands/export_csv.h"
#include "commands/find_volumes.h"
#include "commands/help_commands.h"
#include "commands/start_at_log_on.h"

namespace qm {

void ConnectMenuCommands(const MainMenu& menu, MainWindow& window, CommandContext& context) {
    const auto connect = [&](QAction* item, void (*command)(CommandContext&)) {
        QObject::connect(item, &QAction::triggered, &window, [&context, command] { command(context); });
    };
    connect(menu.exportCsv, ExportCsv);
    connect(menu.findVolumes, FindVolumes);
    connect(menu.help, OpenHelp);
    connect(menu.whatIsSmart, OpenSmartArticle);
    connect(menu.homePage, OpenHomePage);
    connect(menu.makerMaxima, OpenMakerMaxima);
    // A click has ticked the item already; the command decides from the mark
    // as it was.
    QObject::connect(menu.startAtLogOn, &QAction::triggered, &window, [&window, &context](bool checked) {
        window.SetOptionChecked(Option::StartAtLogOn, !checked);
        SwitchStartAtLogOn(context);
    });
    auto* about = new AboutBoxKeeper(&window);
    about->setObjectName(QStringLiteral("aboutBoxKeeper"));
    QObject::connect(menu.about, &QAction::triggered, about, &AboutBoxKeeper::Show);
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
