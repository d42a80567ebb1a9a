#include "app/menu_commands.h"

#include <QAction>

#include "app/main_window.h"
#include "app/list_face.h"
#include "commands/option_commands.h"
#include "controls/qt_text.h"
#include "graph/graph_window.h"
#include "monitor/qt_notification_area.h"

namespace qm {
namespace {

// Qt ticks a checkable item before it reports the click. The mark is put back
// first, so that the command decides from the mark as it was and sets it itself.
void ConnectOptionCommand(QAction* item, MainWindow& window, CommandContext& context,
                          void (*command)(CommandContext&)) {
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
    QObject::connect(menu.refresh, &QAction::triggered, &window, &MainWindow::RefreshDriveView);
    QObject::connect(menu.exit, &QAction::triggered, &window, &MainWindow::ExitProgram);
    QObject::connect(menu.graph, &QAction::triggered, &window, [&window] {
        ShowTemperatureGraph(window.Monitor().History(), window.SelectedSlot(), GraphFont(), &window);
    });
    QObject::connect(menu.trayExit, &QAction::triggered, &window, &MainWindow::ExitProgram);
    ConnectOptionCommand(menu.trayIcons, window, context, &ToggleTrayIcons);
    ConnectOptionCommand(menu.taskbarIcon, window, context, &ToggleTaskbarIcon);
    ConnectOptionCommand(menu.startMinimised, window, context, &ToggleStartMinimised);
    // The auto-start item's mark shows the option held; a click would tick it
    // by itself, so until its command is wired the mark is put back at once.
    QObject::connect(menu.startAtLogOn, &QAction::triggered, &window, &MainWindow::ShowOptionChecks);
}

void ConnectTrayIcons(QtNotificationArea& area, MainWindow& window) {
    area.SetContextMenu(window.Menu().trayPopup);
    QObject::connect(&area, &QtNotificationArea::activated, &window, &MainWindow::OnTrayIconActivated);
}

}  // namespace qm
