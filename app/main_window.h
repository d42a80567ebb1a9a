// The main window: one tab per drive, the disk information, the attribute
// table with its health marks, the explanation of the selected attribute and
// the current temperature, refreshed once a minute.
//
// The window builds itself from create…() helpers, runs the start-up as a
// short list of named steps, and shows what DriveMonitor computes; its menu
// commands live in commands/ and are wired in one place (menu_commands.cpp).
// It never waits on a drive: every read is asked of the monitor's worker and
// shown when the answer comes (AnswerPump brings it to this thread).
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

    // The start-up, once: restore the placement, read the options, build the
    // tabs and lists, apply the saved options; then, from the event loop (so
    // after ShowStarted), ask the rights question (the warning comes with its
    // answer) and start the drive scan (tabs come as the drives answer; the
    // first drive is shown, and the icons added, once the scan is over or has
    // taken kTabHold). Never waits on a drive.
    void Start();
    // Shows the started window (minimised when the options ask for it, and
    // then possibly hidden behind the notification icons).
    void ShowStarted();

    // How long drives that answered wait for a slower slot before them
    // before their tabs come (and the first drive is shown) all the same.
    static constexpr int kTabHold = 500;  // ms

    // MainWindowPort. RefreshDriveView asks for a fresh view of the selected
    // drive and one pass over the others; UpdateTemperatures asks for one
    // pass. Both return at once; the answers are shown as they come.
    DriveSlot SelectedSlot() const override { return selectedSlot_; }
    const DriveViewContent& ShownDrive() const override { return shownDrive_; }
    void RefreshDriveView() override;
    void UpdateTemperatures() override;
    bool IsOptionChecked(Option option) const override;
    void SetOptionChecked(Option option, bool checked) override;
    void SetCaption(const std::string& caption) override;
    void SetWindowIcon(int resource) override { SetWindowIconResource(resource); }

    // Shows the drive of a slot (-1: none): its last view at once (empty when
    // it has none), then the fresh one when the drive has answered.
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
    void AskRights();
    void ReadOptions();
    void BuildTabsAndLists();
    void ScanDrives();
    void ApplyOptions();
    // Answers.
    // Asks for a view of the selected drive, which stands for its pass read
    // too, and a pass over the other drives.
    void AskView(Advance advance);
    void OnTabFound(int index, const DriveTab& tab);
    void ShowFirstDrive();
    void ShowDriveView(DriveSlot slot, const DriveViewContent& view, const std::vector<int>& temperatures);
    void ShowSelectedTemperatures(const std::vector<int>& temperatures);
    void OnPassReport(const PassReport& report);
    void OnIconsAdded();
    // The status line: what the window waits for, once it has waited a moment.
    void UpdateReadingStatus();
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
    QTimer* tabHold_ = nullptr;       // single shot: drives that answered stop waiting for slower ones
    QTimer* readingCheck_ = nullptr;  // while the window waits: the status line follows the wait
    WindowPlacement* placement_ = nullptr;
    PaneLayout layout_;
    IconCache windowIcons_;
    int windowIconResource_ = 0;

    DriveSlot selectedSlot_ = -1;
    DriveSlot shownSlot_ = -1;  // the drive whose view the lists show (-1: none or the placeholders)
    DriveViewContent shownDrive_;
    bool started_ = false;
    bool firstDriveShown_ = false;  // the start-up has shown the first drive (or found none)
    bool startUpIcons_ = false;     // the start-up's icons are being added
    bool exitRequested_ = false;
    bool tornDown_ = false;
    bool reportingPlacementError_ = false;
    bool hiddenBehindIcons_ = false;
    bool comingBack_ = false;  // brought back from an icon, not yet active
};

}  // namespace qm
