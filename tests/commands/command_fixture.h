// A command context without a window: a drive set served like --simulate, a
// settings file in a temporary folder, the monitor's start-up scan done, a
// stand-in for the main window, and the recording seams. The commands ask
// the monitor's worker; Settle delivers its answers as the window would.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "commands/command_context.h"
#include "drives/sim/sim_drives.h"
#include "tests/commands/recorders.h"
#include "tests/monitor/recorders.h"
#include "tests/monitor/test_drive_set.h"

namespace qm::test {

// The main window as the commands see it: the slot and view it is told to
// show, option marks, and counts of what it was asked to do.
class RecordingWindowPort final : public MainWindowPort {
public:
    DriveSlot SelectedSlot() const override { return slot; }
    const DriveViewContent& ShownDrive() const override { return shown; }
    void RefreshDriveView() override {
        ++refreshes;
        if (onRefresh) onRefresh();
    }
    void UpdateTemperatures() override { ++passes; }
    bool IsOptionChecked(Option option) const override { return checks.count(option) != 0 && checks.at(option); }
    void SetOptionChecked(Option option, bool checked) override { checks[option] = checked; }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetWindowIcon(int resource) override { icon = resource; }

    DriveSlot slot = -1;
    DriveViewContent shown;
    std::map<Option, bool> checks;
    std::string caption = "Quillmoor Ver1.2.0";
    int icon = 0;
    int refreshes = 0;
    int passes = 0;
    std::function<void()> onRefresh;
};

class CommandFixture {
public:
    explicit CommandFixture(const std::string& driveFolder = SamplesFolder())
        : sim(driveFolder, SimRecording::On), settings(settingsFolder.file("Quillmoor.ini")),
          monitor(sim, rights, settings, tray) {
        monitor.ScanDrives(nullptr, nullptr);
        Settle();
    }

    // Delivers the worker's answers until nothing is out.
    void Settle() { EXPECT_TRUE(monitor.DeliverUntilIdle(std::chrono::seconds(10))); }

    // Shows the slot's drive as the window would.
    void Show(DriveSlot slot) {
        window.slot = slot;
        monitor.ViewDrive(slot, {}, [this](const DriveViewContent& view, const PassReport&) { window.shown = view; });
        Settle();
    }

    SimDriveProvider sim;
    FixedRights rights;
    TempFolder settingsFolder;
    Settings settings;
    RecordingNotificationArea tray;
    DriveMonitor monitor;
    Options options;
    RecordingWindowPort window;
    RecordingMessageBoxes messages;
    RecordingFileDialogs files;
    RecordingLauncher launcher;
    RecordingBusyIndicator busy;
    TempFolder programFolder;
    TempFolder configFolder;
    XdgAutostart autostart{AutostartFolder(configFolder.path().string()), programFolder.file("quillmoor")};
    ProgramPlaces places{programFolder.file("quillmoor"), programFolder.path().string(), programFolder.path().string()};
    CommandContext context{window, monitor, settings, options, messages, files, launcher, busy, autostart, places};
};

}  // namespace qm::test
