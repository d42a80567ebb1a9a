// quillmoor [--simulate FOLDER]: the main window on the real disks, or on the
// simulated drive set in FOLDER.
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

#include "app/fixed_rights_probe.h"
#include "app/main_window.h"
#include "app/menu_commands.h"
#include "app/qt_seams.h"
#include "commands/autostart.h"
#include "commands/program_places.h"
#include "monitor/clock.h"
#include "monitor/qt_notification_area.h"
#include "drives/select/command_line.h"
#include "drives/select/select_provider.h"
#include "settings/settings.h"

namespace {

constexpr char kUsage[] = "usage: quillmoor [--simulate FOLDER]\n";

}  // namespace

int main(int argc, char** argv) {
    // A request for help is answered before Qt looks for a display, so it
    // works on a terminal without one. A command line with Qt's own options
    // (such as -platform) is read again once QApplication has taken them out.
    if (const qm::CommandLineResult early = qm::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        early.options && early.options->help) {
        std::cout << kUsage;
        return 0;
    }

    QApplication application(argc, argv);
    // Closing the window may only minimise it; the program ends through its
    // exit sequence, not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    // The program speaks Japanese whatever the locale, Qt's own dialogs
    // (the save dialog, the message boxes' buttons) too.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    qm::InstallFaceStandIns();

    const qm::CommandLineResult parsed = qm::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "quillmoor: " << parsed.error << "\n" << kUsage;
        return 2;
    }
    const qm::DriveSelection drives = qm::SelectDriveProvider(parsed.options->simulateFolder);
    if (!drives.provider) {
        std::cerr << "quillmoor: " << drives.error << "\n";
        return 2;
    }
    for (const std::string& warning : drives.warnings) std::cerr << "quillmoor: " << warning << "\n";
    qm::FixedRightsProbe rights(drives.mayReadDisks);

    qm::QtMessageBoxes messages;
    qm::QtNotificationArea tray;
    qm::SystemClock clock;
    qm::QtFontCatalog fonts;
    qm::QtProcessControl process;
    qm::QtFileDialogs files;
    qm::QtLauncher launcher;
    qm::QtBusyIndicator busy;
    const std::string programFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    qm::Settings settings(qm::ResolveSettingsFile(programFolder));
    settings.RemoveLeftovers();  // of a run that was killed while it wrote
    const qm::ProgramPlaces places = qm::PlacesOf(
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(), programFolder,
        qm::InspectProgramFolder(programFolder),
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).toStdString());

    qm::XdgAutostart autostart(qm::AutostartFolder(qm::ProcessConfigHome()), places.executable);

    qm::MainWindow window(qm::AppSeams{*drives.provider, rights, messages, tray, clock, fonts, process, settings, files,
                                       launcher, busy, autostart, places});
    messages.SetParent(&window);
    files.SetParent(&window);
    qm::ConnectTrayIcons(tray, window);
    window.Start();
    window.ShowStarted();
    return QApplication::exec();
}
