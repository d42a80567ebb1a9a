// Cost of the main window on the sample drive set: the start-up up to the
// first shown window, one monitoring pass (without and with the temperature
// icons), and one refresh of the drive view.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>

#include "app/fixed_rights_probe.h"
#include "app/main_window.h"
#include "app/qt_seams.h"
#include "commands/autostart.h"
#include "monitor/clock.h"
#include "monitor/qt_notification_area.h"
#include "ini/inifile.h"
#include "drives/sim/sim_drives.h"

namespace {

class SilentMessageBoxes final : public qm::MessageBoxes {
public:
    qm::MessageAnswer Show(qm::MessageIcon, qm::MessageButtons, const std::string&, const std::string&) override {
        return qm::MessageAnswer::Ok;
    }
};

// A desktop without notification area, as on a bare display.
class NoNotificationArea final : public qm::NotificationArea {
public:
    bool AddIcon(const qm::TrayIconRecord&) override { return false; }
    bool ModifyIcon(const qm::TrayIconRecord&) override { return false; }
    bool DeleteIcon(qm::DriveSlot) override { return false; }
    bool ShowMessage(qm::DriveSlot, const std::string&, const std::string&, bool) override { return false; }
    bool Available() const override { return false; }
};

class NoNotifier final : public qm::DesktopNotifier {
public:
    void Show(const qm::Notice&) override {}
    void Close(const std::string&) override {}
};

class KeepRunning final : public qm::ProcessControl {
public:
    void EndProcess() override {}
};

// Everything the window needs, with the settings file in a temporary folder.
struct Bench {
    // withIcons: the notification icons and the taskbar icon are switched on,
    // on a notification area that takes every icon (the real one, told that
    // the desktop has a place for them).
    explicit Bench(bool withIcons = false) : drives(QM_SAMPLES_DIR), withIcons(withIcons) {
        if (withIcons) {
            static_cast<void>(qm::WriteIniValue(folder + "/Quillmoor.ini", "SETTING", "TASKICON", "Y"));
            static_cast<void>(qm::WriteIniValue(folder + "/Quillmoor.ini", "SETTING", "TASKBAR", "Y"));
        }
    }
    ~Bench() {
        std::error_code ignored;
        if (folder != "/tmp") std::filesystem::remove_all(folder, ignored);
    }
    std::unique_ptr<qm::MainWindow> Window() {
        qm::NotificationArea& area = withIcons ? static_cast<qm::NotificationArea&>(icons) : tray;
        return std::make_unique<qm::MainWindow>(
            qm::AppSeams{drives, rights, messages, area, notifier, clock, fonts, process, settings, files, launcher, busy, autostart, places});
    }

    qm::SimDriveProvider drives;
    qm::FixedRightsProbe rights{true};
    SilentMessageBoxes messages;
    NoNotificationArea tray;
    NoNotifier notifier;
    qm::QtNotificationArea icons{qm::TrayAvailability::Assumed};
    bool withIcons;
    qm::SystemClock clock;
    qm::QtFontCatalog fonts;
    KeepRunning process;
    qm::QtFileDialogs files;   // the menu commands are not run here
    qm::QtLauncher launcher;
    qm::QtBusyIndicator busy;
    qm::ProgramPlaces places;
    qm::XdgAutostart autostart{"", ""};
    std::string folder = TemporaryFolder();
    qm::Settings settings{folder + "/Quillmoor.ini"};

    static std::string TemporaryFolder() {
        char pattern[] = "/tmp/qm-bench-XXXXXX";
        return ::mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    }
};

void BM_MainWindowStartUpToFirstShownWindow(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        auto form = bench.Window();
        form->Start();
        form->ShowStarted();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(form->isVisible());
        state.PauseTiming();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MainWindowStartUpToFirstShownWindow)->Unit(benchmark::kMillisecond);

// A window that has run its start-up and is shown, as the user sees it.
auto ShownWindow(Bench& bench) {
    auto form = bench.Window();
    form->Start();
    form->ShowStarted();
    QCoreApplication::processEvents();
    return form;
}

void BM_MainWindowMonitoringPass(benchmark::State& state) {
    Bench bench;
    auto form = ShownWindow(bench);
    for (auto _ : state) {
        form->UpdateTemperatures();
    }
}
BENCHMARK(BM_MainWindowMonitoringPass)->Unit(benchmark::kMicrosecond);

void BM_MainWindowMonitoringPassWithIcons(benchmark::State& state) {
    Bench bench(/*withIcons=*/true);
    auto form = ShownWindow(bench);
    if (form->Monitor().Tray().Count() == 0) state.SkipWithError("no icon was added");
    for (auto _ : state) {
        form->UpdateTemperatures();
    }
    state.counters["desktop_updates"] = bench.icons.DesktopUpdates();
    state.counters["pictures_drawn"] = bench.icons.Pictures().DrawCount();
}
BENCHMARK(BM_MainWindowMonitoringPassWithIcons)->Unit(benchmark::kMicrosecond);

void BM_MainWindowDriveViewRefresh(benchmark::State& state) {
    Bench bench;
    auto form = ShownWindow(bench);
    for (auto _ : state) {
        form->RefreshDriveView();
    }
}
BENCHMARK(BM_MainWindowDriveViewRefresh)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
