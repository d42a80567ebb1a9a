// The main window on test realisations of every seam: a drive set from a
// folder (with slots the test can take away), a fixed rights answer, recorded
// message boxes, notification area and program end, a fixed clock and font
// list, and a settings file in a temporary folder. The window reads the
// drives through its worker; Settle lets the answers come in, as they do
// while the program waits for events.
#pragma once

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QtTest>

#include <QAction>

#include "app/fixed_rights_probe.h"
#include "app/main_window.h"
#include "app/qt_seams.h"
#include "controls/report_list.h"
#include "controls/tab_control.h"
#include "monitor/drive_panel.h"
#include "monitor/temperature_box.h"
#include "ini/inifile.h"
#include "drives/sim/sim_drives.h"
#include "tests/commands/recorders.h"
#include "tests/monitor/gated_drives.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm::test {

class FixedFontCatalog final : public FontCatalog {
public:
    bool HasFamily(std::string_view family) override {
        return std::any_of(families.begin(), families.end(), [&](const std::string& name) {
            return QString::fromStdString(name).compare(QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size())),
                                                        Qt::CaseInsensitive) == 0;
        });
    }
    std::vector<std::string> families;
};

class RecordingProcessControl final : public ProcessControl {
public:
    void EndProcess() override { ++ended; }
    int ended = 0;
};

// Passes every call on to the drive set, except for slots the test removed.
// The worker's threads call it; the test reads and changes it in between.
class RemovableDrives final : public DriveProvider {
public:
    explicit RemovableDrives(DriveProvider& inner) : inner_(inner) {}
    bool IsNtFamily(DriveSlot slot) override { return inner_.IsNtFamily(slot); }
    std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily family) override {
        {
            const std::lock_guard lock(mutex_);
            ++opens_[slot];
        }
        return Removed(slot) ? nullptr : inner_.OpenDrive(slot, family);
    }
    std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) override {
        return Removed(slot) ? std::nullopt : inner_.QueryDriveGeometry(slot);
    }
    std::vector<std::string> VolumesOf(DriveSlot slot) override { return inner_.VolumesOf(slot); }
    std::optional<PowerMode> QueryPowerMode(DriveSlot slot, const CommandBlock& query) override {
        return Removed(slot) ? std::nullopt : inner_.QueryPowerMode(slot, query);
    }
    void Interrupt() override { inner_.Interrupt(); }

    void Remove(DriveSlot slot) {
        const std::lock_guard lock(mutex_);
        removed_.insert(slot);
    }
    int Opens(DriveSlot slot) const {
        const std::lock_guard lock(mutex_);
        const auto found = opens_.find(slot);
        return found == opens_.end() ? 0 : found->second;
    }
    DriveKind KindOf(DriveSlot slot) override { return inner_.KindOf(slot); }
    std::unique_ptr<NvmeHandle> OpenNvme(DriveSlot slot) override {
        {
            const std::lock_guard lock(mutex_);
            ++opens_[slot];
        }
        return Removed(slot) ? nullptr : inner_.OpenNvme(slot);
    }
    std::optional<NvmePublicInfo> NvmeInfo(DriveSlot slot) override {
        return Removed(slot) ? std::nullopt : inner_.NvmeInfo(slot);
    }

private:
    bool Removed(DriveSlot slot) const {
        const std::lock_guard lock(mutex_);
        return removed_.count(slot) != 0;
    }

    DriveProvider& inner_;
    mutable std::mutex mutex_;
    std::set<DriveSlot> removed_;
    std::map<DriveSlot, int> opens_;
};

class MainWindowHarness {
public:
    explicit MainWindowHarness(const std::string& driveFolder = SamplesFolder())
        : sim(driveFolder), gated(sim), drives(gated), settingsFile(settingsFolder.file("Quillmoor.ini")), settings(settingsFile) {
        InstallFaceStandIns();  // the faces the program uses
    }

    // Writes one settings value before (or while) the window runs.
    void Set(std::string_view section, std::string_view key, std::string_view value) {
        QVERIFY(!WriteIniValue(settingsFile, section, key, value));
    }
    // The stored text; "ERROR" when the key is missing.
    std::string Get(std::string_view section, std::string_view key) const {
        return ReadIniValue(settingsFile, section, key).value_or("ERROR");
    }

    // Builds the window (not yet started), on `area` instead of the recorder
    // when one is given.
    MainWindow& Create(NotificationArea* area = nullptr) {
        form = std::make_unique<MainWindow>(AppSeams{drives, rights, messages, area ? *area : tray, clock, fonts, process,
                                                     settings, files, launcher, busy, autostart, places});
        return *form;
    }
    // Builds the window and runs its start-up, its drives' answers shown.
    MainWindow& Start() {
        Create();
        form->Start();
        Settle();
        return *form;
    }
    // Lets the window take the worker's answers until nothing is out.
    void Settle() {
        QCoreApplication::processEvents();  // what the window asks from its event loop
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!form->Monitor().Worker().Idle() && std::chrono::steady_clock::now() < deadline) {
            form->Monitor().Worker().WaitForAnswers(std::chrono::milliseconds(10));
            QCoreApplication::processEvents();
        }
        QVERIFY(form->Monitor().Worker().Idle());
    }
    // Start-up, then shown and laid out.
    MainWindow& StartShown() {
        Start();
        form->ShowStarted();
        if (!form->isMinimized() && form->isVisible()) {
            (void)QTest::qWaitForWindowExposed(form.get());
            form->activateWindow();  // as the desktop does: window shortcuts need an active window
            (void)QTest::qWaitForWindowActive(form.get());
        }
        return *form;
    }

    SimDriveProvider sim;
    GatedDrives gated;  // drives the test stalls
    RemovableDrives drives;
    FixedRightsProbe rights{true};
    RecordingMessageBoxes messages;
    RecordingNotificationArea tray;
    FixedClock clock;
    FixedFontCatalog fonts;
    RecordingProcessControl process;
    TempFolder settingsFolder;
    std::string settingsFile;
    Settings settings;
    RecordingFileDialogs files;
    RecordingLauncher launcher;
    RecordingBusyIndicator busy;
    TempFolder autostartFolder;
    XdgAutostart autostart{autostartFolder.path().string(), "/opt/quillmoor/bin/quillmoor"};
    ProgramPlaces places{"/opt/quillmoor/bin/quillmoor", "/opt/quillmoor/share/quillmoor", settingsFolder.path().string()};
    std::unique_ptr<MainWindow> form;
};

// A menu item of the window by its name ("menutask", ...).
inline QAction* Item(const QWidget& window, const char* name) {
    return window.findChild<QAction*>(QString::fromUtf8(name));
}

// Counts the events of one type that reach a widget while it lives.
class EventCounter final : public QObject {
public:
    EventCounter(QObject& watched, QEvent::Type type) : type_(type) { watched.installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == type_) ++count;
        return QObject::eventFilter(watched, event);
    }
    int count = 0;

private:
    QEvent::Type type_;
};

// Texts of one column of a list, top to bottom.
inline QStringList ColumnTexts(const ReportList& list, int column) {
    QStringList texts;
    for (int row = 0; row < list.ItemCount(); ++row) texts << list.ItemText(row, column);
    return texts;
}

}  // namespace qm::test
