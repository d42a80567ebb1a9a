#include "app/main_window.h"

#include <algorithm>
#include <chrono>

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QTimer>

#include "app/close_decision.h"
#include "app/list_face.h"
#include "app/menu_commands.h"
#include "app/modal_windows.h"
#include "commands/error_text.h"
#include "controls/qt_text.h"
#include "monitor/answer_pump.h"
#include "monitor/drive_panel.h"
#include "monitor/icon_numbers.h"
#include "monitor/reading_status.h"

namespace qm {
namespace {

// The rights warning says what to do on the system the program was built for:
// run it as administrator on Windows; on Linux the installed helper lacks its
// file capabilities (or is missing), which one command as root fixes.
#ifdef _WIN32
constexpr std::string_view kRightsWarning =
    "Quillmoor は管理者権限で実行してください\r\n\r\n"
    "（簡易的に実行するにはファイルを右クリック「管理者として実行(A)...」を選択してください）";
#else
constexpr std::string_view kRightsWarning =
    "Quillmoor にはディスクの S.M.A.R.T. 情報を読む権限がありません\r\n\r\n"
    "（補助プログラム quillmoor-smart-helper が見つからないか、権限が与えられていません。"
    "libexec/quillmoor にある quillmoor-smart-helper に root で"
    "「setcap cap_sys_rawio,cap_dac_read_search,cap_sys_admin+ep quillmoor-smart-helper」を実行してください）";
#endif

constexpr Qt::WindowStates kNotNormal = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

QFont DesignFont(std::string_view face, double points) {
    QFont font(Utf8(face));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.width, r.height); }

PaneGeometry ToPaneGeometry(const PanePlaces& places) {
    return PaneGeometry{ToQRect(places.tabHost), ToQRect(places.infoHost), ToQRect(places.attributeHost),
                        ToQRect(places.detailFrame), ToQRect(places.detailText)};
}

}  // namespace

MainWindow::MainWindow(AppSeams seams, QWidget* parent)
    : QMainWindow(parent),
      seams_(seams),
      monitor_(seams_.drives, seams_.rights, seams_.settings, seams_.tray),
      commands_{*this,        monitor_,        seams_.settings, options_, seams_.messages,
                seams_.files, seams_.launcher, seams_.busy,     seams_.autostart, seams_.places} {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Utf8(kProductCaption));
    SetWindowIconResource(kProgramIcon);
    CreateMenus();
    CreateDrivePanel();
    CreateMonitoringTimer();
    CreateShortcuts();
    placement_ = new WindowPlacement(*this, seams_.settings);
    connect(placement_, &WindowPlacement::placed, this, &MainWindow::SavePlacementAfterResize);
    new ModalWindowKeeper(this);
    new AnswerPump(monitor_, [this] { UpdateReadingStatus(); }, this);
}

MainWindow::~MainWindow() {
    // Before the pump and the widgets go: no answer arrives any more.
    monitor_.Worker().Stop(DriveWorker::kStopWait);
}

void MainWindow::CreateMenus() {
    menu_ = CreateMainMenu(*menuBar());
    ConnectMenuCommands(menu_, *this, commands_);
}

void MainWindow::CreateDrivePanel() {
    panel_ = new DrivePanel(DesignFont(kMeiryoFace, 9), this);
    setCentralWidget(panel_);
    panel_->SetPaneGeometry(ToPaneGeometry(layout_.Places()));
    panel_->MoveTemperatureBox(QPoint(kTemperatureBoxLeft, kTemperatureBoxDesignTop));
    connect(panel_, &DrivePanel::tabSelected, this, &MainWindow::OnTabSelected);
    resize(kDesignClientWidth, kDesignClientHeight + menuBar()->sizeHint().height());
}

void MainWindow::CreateMonitoringTimer() {
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kMonitoringInterval);
    connect(timer_, &QTimer::timeout, this, &MainWindow::UpdateTemperatures);
    timer_->start();

    tabHold_ = new QTimer(this);
    tabHold_->setSingleShot(true);
    tabHold_->setInterval(kTabHold);
    connect(tabHold_, &QTimer::timeout, this, [this] {
        monitor_.StopHoldingTabs();
        if (!monitor_.Tabs().empty()) ShowFirstDrive();
    });
    readingCheck_ = new QTimer(this);
    readingCheck_->setInterval(250);
    connect(readingCheck_, &QTimer::timeout, this, &MainWindow::UpdateReadingStatus);
}

void MainWindow::CreateShortcuts() {
    // F5 reads the drive again wherever the focus is in the window, whatever
    // the shift state (a shortcut matches its modifiers exactly, so each
    // combination is listed).
    auto* refresh = new QAction(this);
    refresh->setObjectName(QStringLiteral("refreshKey"));
    QList<QKeySequence> keys;
    for (const int shift : {0, 1})
        for (const int control : {0, 1})
            for (const int alt : {0, 1}) {
                Qt::KeyboardModifiers modifiers;
                modifiers.setFlag(Qt::ShiftModifier, shift).setFlag(Qt::ControlModifier, control).setFlag(Qt::AltModifier, alt);
                keys << QKeySequence(QKeyCombination(modifiers, Qt::Key_F5));
            }
    refresh->setShortcuts(keys);
    refresh->setShortcutContext(Qt::WindowShortcut);
    connect(refresh, &QAction::triggered, this, &MainWindow::RefreshDriveView);
    addAction(refresh);
}

void MainWindow::Start() {
    if (started_ || tornDown_) return;
    started_ = true;
    placement_->Restore();
    ReadOptions();
    BuildTabsAndLists();
    ApplyOptions();
    // The drives are asked once the window has been shown (ShowStarted comes
    // next): the worker's threads start after it, not while it is built.
    QTimer::singleShot(0, this, [this] {
        if (tornDown_) return;
        AskRights();
        ScanDrives();
    });
    // The history starts here; a sample the first drive's pass took above is
    // overwritten ten minutes later.
    monitor_.History().ResetPositions();
}

void MainWindow::AskRights() {
    monitor_.AskRights([this](bool mayReadDisks) {
        if (mayReadDisks || tornDown_) return;
        seams_.messages.Show(MessageIcon::Stop, MessageButtons::Ok, std::string(kMessageCaption),
                             std::string(kRightsWarning));
    });
}

void MainWindow::ReadOptions() { options_ = seams_.settings.ReadOptions(); }

void MainWindow::BuildTabsAndLists() {
    const ListFace face = ChooseListFace(seams_.fonts.HasFamily("Meiryo") || seams_.fonts.HasFamily(kMeiryoFace));
    ListStyle style{QFont(Utf8(face.face)), face.rowHeight, face.headerHeight};
    style.font.setStyleHint(QFont::SansSerif);
    style.font.setPixelSize(12);
    style.font.setWeight(QFont::Normal);
    panel_->CreateTabsAndLists(style);
    panel_->MoveTemperatureBox(QPoint(kTemperatureBoxLeft, face.temperatureBoxTop));
}

void MainWindow::ScanDrives() {
    panel_->ReportTabChanges();
    monitor_.ScanDrives([this](int index, const DriveTab& tab) { OnTabFound(index, tab); },
                        [this] { ShowFirstDrive(); });
    if (monitor_.Scanning()) tabHold_->start();
    UpdateReadingStatus();
}

void MainWindow::OnTabFound(int index, const DriveTab& tab) {
    if (tornDown_) return;
    panel_->InsertTab(index, tab.model);
    // Past the hold, the first drive that answers is shown at once.
    if (!tabHold_->isActive()) ShowFirstDrive();
}

void MainWindow::ShowFirstDrive() {
    if (firstDriveShown_ || tornDown_) return;
    firstDriveShown_ = true;
    tabHold_->stop();
    // A drive the user chose meanwhile stays.
    if (selectedSlot_ == -1) {
        if (const auto first = monitor_.SlotOfTab(0)) {
            selectedSlot_ = *first;
            // The history starts after this pass: its samples are overwritten.
            AskView(Advance::No);
        }
    }
    if (IsOn(options_.trayIcons)) {
        startUpIcons_ = true;
        monitor_.AddTrayIcons([this] { OnIconsAdded(); });
    }
    UpdateReadingStatus();
}

void MainWindow::OnIconsAdded() {
    if (!startUpIcons_ || tornDown_) return;
    startUpIcons_ = false;
    ComeBackWithoutIcons();
}

void MainWindow::ApplyOptions() {
    if (IsOn(options_.startMinimised)) setWindowState(windowState() | Qt::WindowMinimized);
    ShowOptionChecks();
}

void MainWindow::ShowStarted() {
    // A window minimised behind its icons at start-up is never shown, not
    // even while the icons are still being read: showing it would put it on
    // the taskbar for a moment. If no icon comes, it comes back minimised.
    const bool iconsAwaited = IsOn(options_.trayIcons) && monitor_.Tray().AreaAvailable() &&
                              (!firstDriveShown_ || monitor_.AddingTrayIcons());
    const int icons = iconsAwaited ? std::max(1, monitor_.Tray().ShownCount()) : monitor_.Tray().ShownCount();
    if (!(State() == WindowState::Minimised && HideWhenMinimised(options_, icons))) show();
    hiddenBehindIcons_ = !isVisible();
    LayOut();
}

void MainWindow::ShowOptionChecks() {
    for (const Option option : {Option::TrayIcons, Option::TaskbarIcon, Option::StartMinimised, Option::StartAtLogOn})
        SetOptionChecked(option, IsOn(OptionValue(options_, option)));
}

bool MainWindow::IsOptionChecked(Option option) const { return menu_.OptionItem(option)->isChecked(); }

void MainWindow::SetOptionChecked(Option option, bool checked) { menu_.OptionItem(option)->setChecked(checked); }

void MainWindow::SetCaption(const std::string& caption) { setWindowTitle(WindowTitleText(caption)); }

void MainWindow::SelectSlot(DriveSlot slot) {
    if (tornDown_) return;
    selectedSlot_ = IsValidSlot(slot) ? slot : -1;
    // Its last values at once (a drive that stalls keeps them on show), the
    // fresh ones when it has answered. A drive never shown before is shown
    // when it answers; should it not answer at once, UpdateReadingStatus
    // empties the lists meanwhile.
    if (const DriveViewContent* last = monitor_.LastView(selectedSlot_))
        ShowDriveView(selectedSlot_, *last, monitor_.LastTemperatures(selectedSlot_));
    RefreshDriveView();
}

void MainWindow::OnTabSelected(int index) {
    if (const auto slot = monitor_.SlotOfTab(index)) SelectSlot(*slot);
}

void MainWindow::RefreshDriveView() {
    if (!tornDown_) AskView(Advance::Yes);
}

void MainWindow::AskView(Advance advance) {
    const PassMoment moment{seams_.clock.Now(), advance};
    const DriveSlot slot = selectedSlot_;
    monitor_.ViewDrive(slot, moment, [this, slot](const DriveViewContent& view, const PassReport& report) {
        if (!tornDown_ && slot == selectedSlot_) ShowDriveView(slot, view, report.temperatures);
    });
    monitor_.RunPass(moment, slot, [this](const PassReport& report) { OnPassReport(report); });
    UpdateReadingStatus();
}

void MainWindow::ShowDriveView(DriveSlot slot, const DriveViewContent& view, const std::vector<int>& temperatures) {
    shownSlot_ = slot;
    shownDrive_ = view;
    panel_->ShowDrive(shownDrive_);
    if (IsOn(options_.taskbarIcon)) SetCaption(DriveCaption(shownDrive_.model, shownDrive_.volumes));
    ShowSelectedTemperatures(temperatures);
}

void MainWindow::UpdateTemperatures() {
    if (tornDown_) return;
    monitor_.RunPass({seams_.clock.Now()}, kNoSlot, [this](const PassReport& report) { OnPassReport(report); });
    if (!IsValidSlot(selectedSlot_)) ShowSelectedTemperatures({});
    ComeBackWithoutIcons();
    UpdateReadingStatus();
}

void MainWindow::OnPassReport(const PassReport& report) {
    // A selected drive that sleeps was not read: its box keeps what it showed.
    if (tornDown_ || report.slot != selectedSlot_ || report.result == ReadResult::Asleep) return;
    ShowSelectedTemperatures(report.temperatures);
}

void MainWindow::ShowSelectedTemperatures(const std::vector<int>& temperatures) {
    panel_->ShowTemperature(TemperatureBoxText(temperatures));
    if (IsOn(options_.taskbarIcon)) {
        if (const auto icon = SelectedTaskbarIcon(temperatures)) SetWindowIconResource(*icon);
    }
}

void MainWindow::UpdateReadingStatus() {
    if (tornDown_) return;
    const auto now = std::chrono::steady_clock::now();
    const auto busySince = monitor_.Worker().BusySince(selectedSlot_);
    panel_->ShowStatus(ReadingStatusText(monitor_.ScanningSince(), busySince, now));
    // A drive that keeps the window waiting never shows another drive's values.
    if (busySince && now - *busySince >= kReadingNotice && shownSlot_ != selectedSlot_)
        ShowDriveView(selectedSlot_, DriveViewContent{}, {});
    const bool waiting = monitor_.Scanning() || monitor_.Worker().Busy(selectedSlot_);
    if (waiting && !readingCheck_->isActive()) readingCheck_->start();
    if (!waiting) readingCheck_->stop();
}

void MainWindow::ComeBackWithoutIcons() {
    // The notification area went away while the window hid behind its icons
    // (or no icon came): back on the taskbar, minimised, so that there is a
    // way back to it. Icons still being read may yet come.
    if (!hiddenBehindIcons_ || monitor_.Tray().ShownCount() > 0 || monitor_.AddingTrayIcons()) return;
    hiddenBehindIcons_ = false;
    showMinimized();
}

bool MainWindow::SetWindowIconResource(int resource) {
    if (resource == windowIconResource_) return true;  // shown already: nothing to tell the desktop
    const auto icon = windowIcons_.Icon(resource);
    if (!icon) return false;
    setWindowIcon(*icon);
    windowIconResource_ = resource;
    return true;
}

WindowState MainWindow::State() const {
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized) return WindowState::Minimised;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) return WindowState::Maximised;
    return WindowState::Normal;
}

void MainWindow::LayOut() {
    if (tornDown_) return;
    const WindowState state = State();
    // A minimised window has no client area: every size stays as it was.
    if (state != WindowState::Minimised)
        panel_->SetPaneGeometry(ToPaneGeometry(layout_.Resize(panel_->width(), panel_->height())));
    if (state == WindowState::Normal) SavePlacementAfterResize();
    if (state == WindowState::Minimised && comingBack_) {
        // Brought back from an icon, but the window system showed it minimised
        // (X11 keeps a hidden window's minimised start state when the window
        // manager reported the hiding as a return to normal): back to normal.
        setWindowState(windowState() & ~kNotNormal);
        return;
    }
    if (state == WindowState::Minimised && HideWhenMinimised(options_, monitor_.Tray().ShownCount())) {
        hide();
        hiddenBehindIcons_ = true;
    }
}

void MainWindow::SavePlacementAfterResize() {
    // Resizes that arrive while the error box is open do not open another one.
    if (reportingPlacementError_ || State() != WindowState::Normal) return;
    const std::error_code error = placement_->Save(/*skipUnchanged=*/true);
    if (!error) return;
    reportingPlacementError_ = true;
    ShowErrorMessage(seams_.messages, error);
    reportingPlacementError_ = false;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayOut();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) LayOut();
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) comingBack_ = false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    comingBack_ = false;
    if (tornDown_) return event->accept();
    const CloseDecision decision = DecideClose(State(), exitRequested_, monitor_.Tray().ShownCount());
    if (decision.savePlacement) (void)placement_->Save(/*skipUnchanged=*/false);  // not reported here
    if (decision.action == CloseAction::Minimise) {
        setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
        return event->ignore();
    }
    TearDown();
    event->accept();
}

void MainWindow::TearDown() {
    tornDown_ = true;
    timer_->stop();
    tabHold_->stop();
    readingCheck_->stop();
    panel_->DestroyControls();
    monitor_.RemoveAddedTrayIcons();
    // A read that hangs is not waited for: the worker ends the helper and
    // leaves a thread stuck in the kernel behind (main then ends the process
    // without running destructors).
    monitor_.Worker().Stop(DriveWorker::kStopWait);
    seams_.process.EndProcess();
}

void MainWindow::ExitProgram() {
    exitRequested_ = true;
    setWindowState(windowState() & ~kNotNormal);
    close();
    if (!tornDown_) seams_.process.EndProcess();
}

void MainWindow::OnTrayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    // The right button opens the icons' context menu (the pop-up) by itself.
    if (tornDown_ || reason != QSystemTrayIcon::Trigger) return;
    setWindowState(windowState() & ~kNotNormal);
    hiddenBehindIcons_ = false;
    comingBack_ = true;
    show();
    raise();
    activateWindow();
    // A modal window open over it (the graph, a message box, the save
    // dialog) comes to the front with it.
    RaiseModalWindow();
}

}  // namespace qm
