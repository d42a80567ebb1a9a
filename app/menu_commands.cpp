#include "app/menu_commands.h"

#include <QAction>

#include "app/about_box.h"
#include "app/list_face.h"
#include "app/main_window.h"
#include "commands/export_csv.h"
#include "commands/find_volumes.h"
#include "commands/help_commands.h"
#include "commands/option_commands.h"
#include "commands/start_at_log_on.h"
#include "controls/qt_text.h"
#include "graph/graph_window.h"
#include "monitor/qt_notification_area.h"

namespace qm {
namespace {

using Command = void (*)(CommandContext&);

void ConnectCommand(QAction* item, MainWindow& window, CommandContext& context, Command command) {
    QObject::connect(item, &QAction::triggered, &window, [&context, command] { command(context); });
}

// Qt ticks a checkable item before it reports the click. The mark is put back
// first, so that the command decides from the mark as it was and sets it itself.
void ConnectOptionCommand(QAction* item, MainWindow& window, CommandContext& context, Command command) {
    QObject::connect(item, &QAction::triggered, &window, [item, &context, command](bool checked) {
        item->setChecked(!checked);
        command(context);
    });
}

}  // namespace

QFont GraphFont() {
    QFont font(Utf8(kFixedGothicFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

void ConnectMenuCommands(const MainMenu& menu, MainWindow& window, CommandContext& context) {
    ConnectCommand(menu.exportCsv, window, context, ExportCsv);
    QObject::connect(menu.exit, &QAction::triggered, &window, &MainWindow::ExitProgram);

    QObject::connect(menu.refresh, &QAction::triggered, &window, &MainWindow::RefreshDriveView);
    QObject::connect(menu.graph, &QAction::triggered, &window, [&window] {
        ShowTemperatureGraph(window.Monitor().History(), window.SelectedSlot(), GraphFont(), &window);
    });
    ConnectCommand(menu.makerMaxima, window, context, OpenMakerMaxima);

    ConnectOptionCommand(menu.trayIcons, window, context, ToggleTrayIcons);
    ConnectOptionCommand(menu.taskbarIcon, window, context, ToggleTaskbarIcon);
    ConnectOptionCommand(menu.startMinimised, window, context, ToggleStartMinimised);
    ConnectOptionCommand(menu.desktopAlerts, window, context, ToggleDesktopAlerts);
    ConnectOptionCommand(menu.startAtLogOn, window, context, SwitchStartAtLogOn);
    ConnectCommand(menu.findVolumes, window, context, FindVolumes);

    ConnectCommand(menu.help, window, context, OpenHelp);
    auto* about = new AboutBoxKeeper(&window);
    about->setObjectName(QStringLiteral("aboutBoxKeeper"));
    QObject::connect(menu.about, &QAction::triggered, about, &AboutBoxKeeper::Show);
    ConnectCommand(menu.whatIsSmart, window, context, OpenSmartArticle);
    ConnectCommand(menu.homePage, window, context, OpenHomePage);

    QObject::connect(menu.trayExit, &QAction::triggered, &window, &MainWindow::ExitProgram);
}

void ConnectTrayIcons(QtNotificationArea& area, MainWindow& window) {
    area.SetContextMenu(window.Menu().trayPopup);
    QObject::connect(&area, &QtNotificationArea::activated, &window, &MainWindow::OnTrayIconActivated);
}

}  // namespace qm
