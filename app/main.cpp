// quillmoor [--simulate FOLDER]: the main window on the real disks, or on the
// simulated drive set in FOLDER.
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/menu_commands.h"
#include "app/qt_seams.h"
#include "monitor/clock.h"
#include "monitor/qt_notification_area.h"
#include "platform/select/select_provider.h"
#include "platform/settings.h"

int main(int argc, char** argv) {
    // A request for help is answered before Qt looks for a display, so it
    // works on a terminal without one. A command line with Qt's own options
    // (such as -platform) is read again once QApplication has taken them out.
    if (const qm::CommandLineResult early = qm::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        early.options && early.options->help) {
        std::cout << qm::kUsage;
        return 0;
    }

    QApplication application(argc, argv);
    // Closing the window may only minimise it; the program ends through its
    // exit sequence, not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    qm::InstallFaceStandIns();

    const qm::CommandLineResult parsed = qm::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "quillmoor: " << parsed.error << "\n" << qm::kUsage;
        return 2;
    }
    std::string error;
    const auto drives = qm::SelectDriveProvider(parsed.options->simulateFolder, error);
    if (!drives) {
        std::cerr << "quillmoor: " << error << "\n";
        return 2;
    }
    const auto rights = qm::SelectRightsProbe(parsed.options->simulateFolder.has_value());

    qm::QtMessageBoxes messages;
    qm::QtNotificationArea tray;
    qm::SystemClock clock;
    qm::QtFontCatalog fonts;
    qm::QtProcessControl process;
    qm::Settings settings(qm::ResolveSettingsFile(QCoreApplication::applicationDirPath().toStdString()));

    qm::MainWindow window(qm::AppSeams{*drives, *rights, messages, tray, clock, fonts, process, settings});
    messages.SetParent(&window);
    qm::ConnectTrayIcons(tray, window);
    window.Start();
    window.ShowStarted();
    return QApplication::exec();
}
