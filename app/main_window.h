// The main window: one tab per drive, the disk information, the attribute
// table with its health marks, the explanation of the selected attribute and
// the current temperature, refreshed once a minute.
//
// The window builds itself from create…() helpers, runs the start-up as a
// short list of named steps, and shows what DriveMonitor computes; its menu
// commands live in commands/ and are wired in one place (menu_commands.cpp).
#pragma once

#include <optional>
#include <string_view>

#include <QMainWindow>
#include <QSystemTrayIcon>

#include "app/app_seams.h"
#include "app/close_decision.h"
#include "app/main_menu.h"
#include "app/window_layout.h"
#include "app/window_placement.h"
#include "commands/command_context.h"
#include "commands/main_window_port.h"
#include "monitor/drive_monitor.h"
#include "monitor/program_icons.h"

class QTimer;

namespace qm {

class DrivePanel;

class MainWindow : public QMainWindow, public MainWindowPort {
    Q_OBJECT
public:
    static constexpr int kMonitoringInterval = 60000;  // ms

    // Builds the designed window (every pane and menu; the minute timer
    // running). The drives are not looked at before Start().
    explicit MainWindow(AppSeams seams, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up, once: warn about missing rights, restore the placement,
    // read the options, build the tabs and lists, scan the drives and show
    // the first, apply the saved options.
    void Start();
    // Shows the started window (minimised when the options ask for it, and
    // then possibly hidden behind the notification icons).
    void ShowStarted();

    // MainWindowPort.
    DriveSlot SelectedSlot() const override { return selectedSlot_; }
    const DriveViewContent& ShownDrive() const override { return shownDrive_; }
    void RefreshDriveView() override;
    void UpdateTemperatures() override;
    bool IsOptionChecked(Option option) const override;
    void SetOptionChecked(Option option, bool checked) override;
    void SetCaption(const std::string& caption) override;
    void SetWindowIcon(int resource) override { SetWindowIconResource(resource); }

    // Shows the drive of a slot (-1: none).
    void SelectSlot(DriveSlot slot);
    // Both exit commands: the close that follows is a real exit, and the
    // window goes back to the normal state first so that its placement is saved.
    void ExitProgram();
    // A notification icon was clicked: a left click brings the window back,
    // and a modal window open over it to the front.
    void OnTrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    // Sets the option items' check marks from the options held.
    void ShowOptionChecks();

    // For the program's wiring and for tests.
    DriveMonitor& Monitor() { return monitor_; }
    const Options& HeldOptions() const { return options_; }
    DrivePanel& Panel() const { return *panel_; }
    const MainMenu& Menu() const { return menu_; }
    QTimer& MonitoringTimer() const { return *timer_; }
    WindowPlacement& Placement() { return *placement_; }
    bool ExitRequested() const { return exitRequested_; }
    bool TornDown() const { return tornDown_; }
    // The window icon's resource number (100: the program picture; 200 + t
    // in taskbar mode).
    int WindowIconResource() const { return windowIconResource_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Construction.
    void CreateMenus();
    void CreateDrivePanel();
    void CreateMonitoringTimer();
    void CreateShortcuts();
    // Start-up steps.
    void WarnAboutRights();
    void ReadOptions();
    void BuildTabsAndLists();
    void ScanDrives();
    void ApplyOptions();
    // The layout pass: panes follow the client area, a normal window's
    // placement is stored, a minimised one may hide behind its icons.
    void LayOut();
    void SavePlacementAfterResize();
    void OnTabSelected(int index);
    bool SetWindowIconResource(int resource);
    void ComeBackWithoutIcons();
    WindowState State() const;
    void TearDown();

    AppSeams seams_;
    DriveMonitor monitor_;
    Options options_;
    CommandContext commands_;
    MainMenu menu_;
    DrivePanel* panel_ = nullptr;
    QTimer* timer_ = nullptr;
    WindowPlacement* placement_ = nullptr;
    PaneLayout layout_;
    IconCache windowIcons_;
    int windowIconResource_ = 0;

    DriveSlot selectedSlot_ = -1;
    DriveViewContent shownDrive_;
    bool started_ = false;
    bool exitRequested_ = false;
    bool tornDown_ = false;
    bool reportingPlacementError_ = false;
    bool hiddenBehindIcons_ = false;
    bool comingBack_ = false;  // brought back from an icon, not yet active
};

}  // namespace qm
