// quillmoor [--simulate FOLDER]: the main window on the real disks, or on the
// simulated drive set in FOLDER.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
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
#include "app/program_style.h"
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
    QApplication::setStyle(new qm::ProgramStyle);  // the application keeps it
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
    // A simulated set is read here (files only; a mistake ends the program
    // before its window). The real disks are opened by the drive worker on
    // its first request: the helper and its rights question never hold up
    // the window.
    std::unique_ptr<qm::DriveProvider> simulated;
    std::unique_ptr<qm::FixedRightsProbe> simulatedRights;
    qm::DeferredRealDrives realDisks;
    if (parsed.options->simulateFolder) {
        qm::DriveSelection set = qm::SelectDriveProvider(parsed.options->simulateFolder);
        if (!set.provider) {
            std::cerr << "quillmoor: " << set.error << "\n";
            return 2;
        }
        for (const std::string& warning : set.warnings) std::cerr << "quillmoor: " << warning << "\n";
        simulated = std::move(set.provider);
        simulatedRights = std::make_unique<qm::FixedRightsProbe>(set.mayReadDisks);
    }
    qm::DriveProvider& drives = simulated ? *simulated : static_cast<qm::DriveProvider&>(realDisks);
    qm::RightsProbe& rights = simulatedRights ? *simulatedRights : static_cast<qm::RightsProbe&>(realDisks);

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

    qm::MainWindow window(qm::AppSeams{drives, rights, messages, tray, clock, fonts, process, settings, files,
                                       launcher, busy, autostart, places});
    messages.SetParent(&window);
    files.SetParent(&window);
    qm::ConnectTrayIcons(tray, window);
    window.Start();
    window.ShowStarted();
    const int status = QApplication::exec();
    // A drive command stuck in the kernel cannot be cut short, and its thread
    // still holds the drives: the program ends here without destroying
    // anything. The settings file is complete (every write replaces it
    // whole) and the helper has been killed.
    if (!window.Monitor().Worker().Stop(qm::DriveWorker::kStopWait)) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
