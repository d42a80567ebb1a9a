#include "app/form1.h"

#include <cerrno>
#include <cstring>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>

#include "controls/report_list.h"
#include "controls/status_pictures.h"
#include "controls/tab_control.h"
#include "monitor/drive_letter_key.h"
#include "monitor/monitoring_pass.h"
#include "monitor/program_icons.h"
#include "monitor/temperature_box.h"
#include "platform/codepage.h"
#include "platform/inifile.h"
#include "smart/capacity.h"

namespace qm {

namespace {

constexpr std::string_view kLocation = "LOCATION";
constexpr std::string_view kSetting = "SETTING";
constexpr int kF5KeyCode = 116;
// Window positions beyond this many pixels from the origin are held there.
constexpr int kPositionLimit = 32767;

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect Pixels(const TwipRect& r) {
    return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width), TwipsToPixels(r.height));
}

// Design places of the controls the layout pass never moves.
constexpr TwipRect kTextLetterPlace{5280, 7080, 3375, 375};
constexpr TwipRect kTextSerialPlace{1680, 6960, 3375, 375};
constexpr TwipRect kTextkatasikiPlace{1680, 6480, 3375, 375};
constexpr TwipRect kPicture1Place{3000, 5640, 615, 615};
constexpr TwipRect kCommand1Place{8280, 5640, 975, 375};
constexpr TwipRect kCombo1Place{5160, 5640, 3090, 300};
constexpr int kPicture9LeftTwips = 1560;
constexpr int kPicture9DesignTopTwips = 2400;

}  // namespace

Form1::Form1(Form1Seams seams, QWidget* parent)
    : QMainWindow(parent),
      seams_(seams),
      reader_(seams_.drives),
      trayIcons_(seams_.tray),
      panes_(DesignPaneLayout()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Text(kProductCaption));
    SetWindowIconResource(kProgramIconResource);
    CreateMenus();
    CreateDesign();

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTimerInterval);
    connect(timer1_, &QTimer::timeout, this, &Form1::Timer1_Timer);
    timer1_->start();
}

Form1::~Form1() {
    // The children go after this body; nothing they report on the way may
    // reach the half-destroyed window, and the lists lose the borrowed pictures first.
    if (tab_) tab_->disconnect(this);
    for (ReportList* list : {attributeList_.data(), infoList_.data()}) {
        if (list == nullptr) continue;
        list->disconnect(this);
        list->SetImageList(nullptr);
    }
}

QFont Form1::DesignFont(std::string_view face, double points) const {
    QFont font(Text(face));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QAction* Form1::AddMenuItem(QMenu* menu, const char* name, const char* caption, bool checkable) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromUtf8(name));
    action->setCheckable(checkable);
    return action;
}

void Form1::CreateMenus() {
    const auto addMenu = [this](const char* name, const char* caption) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromUtf8(name));
        menu->menuAction()->setObjectName(QString::fromUtf8(name));
        return menu;
    };

    QMenu* menufile = addMenu("menufile", "ファイル(&F)");
    AddMenuItem(menufile, "menukaki", "データ書き出し(&L)");
    connect(AddMenuItem(menufile, "menuend", "Quillmoor の終了(&E)"), &QAction::triggered, this,
            &Form1::ExitProgram);

    QMenu* menuedit = addMenu("menuedit", "編集(&E)");
    menuedit->menuAction()->setVisible(false);

    QMenu* menuhyouji = addMenu("menuhyouji", "表示(&V)");
    connect(AddMenuItem(menuhyouji, "menurehyouji", "再表示(&R)"), &QAction::triggered, this,
            &Form1::Combo1_Click);
    AddMenuItem(menuhyouji, "menugraph", "温度推移グラフ(&G)");
    AddMenuItem(menuhyouji, "menusaidai", "メーカー別属性最大値の確認");

    QMenu* menutool = addMenu("menutool", "ツール(&T)");
    // The option items' check marks show the options the program holds. A
    // click would tick them by itself; until their commands are wired, the
    // marks are put back to the options at once.
    for (const auto& [name, caption] : {std::pair{"menutask", "タスクトレイに温度アイコン表示(&T)"},
                                        std::pair{"menubar", "タスクバーに温度アイコン表示(&I)"},
                                        std::pair{"menumini", "起動時に最小化(&N)"},
                                        std::pair{"menustart", "Windows起動時に自動起動(&S)"}}) {
        connect(AddMenuItem(menutool, name, caption, true), &QAction::triggered, this, &Form1::ShowOptionChecks);
    }
    AddMenuItem(menutool, "menuletter", "ドライブレター取得(&D)");

    QMenu* menyuhelp = addMenu("menyuhelp", "ヘルプ(&H)");
    AddMenuItem(menyuhelp, "menuhelp", "ヘルプ(&H)");
    AddMenuItem(menyuhelp, "menuver", "バージョン情報(&V)");
    AddMenuItem(menyuhelp, "menusmart", "S.M.A.R.Tとは(&S)");
    AddMenuItem(menyuhelp, "menuhome", "作者ホームページ(&W)");

    // The notification icons' pop-up menu: part of the menus, never in the bar.
    menupop_ = addMenu("menupop", "ポップアップ");
    menupop_->menuAction()->setVisible(false);
    connect(AddMenuItem(menupop_, "menupopend", "Quillmoor の終了(&E)"), &QAction::triggered, this,
            &Form1::ExitProgram);
}

void Form1::CreateDesign() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    const auto hidden = [](QWidget* widget, const char* name, const TwipRect& place) {
        widget->setObjectName(QString::fromUtf8(name));
        widget->setGeometry(Pixels(place));
        widget->hide();
    };
    textLetter_ = new QLineEdit(Text(kLettersNotObtained), client_);
    hidden(textLetter_, "TextLetter", kTextLetterPlace);
    textSerial_ = new QLineEdit(client_);
    hidden(textSerial_, "TextSerial", kTextSerialPlace);
    textkatasiki_ = new QLineEdit(client_);
    hidden(textkatasiki_, "Textkatasiki", kTextkatasikiPlace);
    picture1_ = new QLabel(client_);
    hidden(picture1_, "Picture1", kPicture1Place);

    frame2_ = new QGroupBox(QStringLiteral("S.M.A.R.T詳細情報"), client_);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    frame2_->setFont(DesignFont(kMeiryoFace, 9));
    label1_ = new QPlainTextEdit(QStringLiteral("Text1"), frame2_);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFont(DesignFont(kMeiryoFace, 9));
    label1_->setReadOnly(true);
    label1_->setFrameShape(QFrame::NoFrame);
    QPalette palette = label1_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    label1_->setPalette(palette);

    command1_ = new QPushButton(QStringLiteral("再表示"), client_);
    hidden(command1_, "Command1", kCommand1Place);
    connect(command1_, &QPushButton::clicked, this, &Form1::Combo1_Click);
    combo1_ = new QComboBox(client_);
    hidden(combo1_, "Combo1", kCombo1Place);
    connect(combo1_, &QComboBox::activated, this, &Form1::Combo1_Click);

    picture5_ = new QWidget(client_);
    picture5_->setObjectName(QStringLiteral("Picture5"));
    picture2_ = new QFrame(picture5_);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picture9_ = new TemperatureBox(picture2_);
    picture9_->setObjectName(QStringLiteral("Picture9"));
    picture9_->move(picture2_->contentsRect().topLeft() +
                    QPoint(TwipsToPixels(kPicture9LeftTwips), TwipsToPixels(kPicture9DesignTopTwips)));
    picture8_ = new QFrame(picture5_);
    picture8_->setObjectName(QStringLiteral("Picture8"));
    picture8_->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    ApplyPanes();

    resize(TwipsToPixels(kDesignClientWidthTwips),
           TwipsToPixels(kDesignClientHeightTwips) + menuBar()->sizeHint().height());
}

void Form1::ApplyPanes() {
    picture5_->setGeometry(Pixels(panes_.picture5));
    picture2_->setGeometry(Pixels(panes_.picture2));
    picture8_->setGeometry(Pixels(panes_.picture8));
    frame2_->setGeometry(Pixels(panes_.frame2));
    label1_->setGeometry(Pixels(panes_.label1));
}

void Form1::StretchNativeControls() {
    if (tab_) tab_->setGeometry(picture5_->contentsRect());
    if (attributeList_) attributeList_->setGeometry(picture8_->contentsRect());
    if (infoList_) infoList_->setGeometry(picture2_->contentsRect());
}

std::string Form1::GetINIValue(std::string_view key, std::string_view section) const {
    return ReadIniValue(seams_.paths.settingsFile, section, key).value_or("ERROR");
}

bool Form1::SetINIValue(std::string_view value, std::string_view key, std::string_view section) {
    return !WriteIniValue(seams_.paths.settingsFile, section, key, value);
}

void Form1::Form_Load() {
    if (loaded_ || tornDown_) return;
    loaded_ = true;

    // 1. Administrator warning; the start-up goes on either way.
    if (!seams_.rights.IsAdministrator())
        seams_.messages.Show(MessageIcon::Stop, MessageButtons::Ok, std::string(kMessageCaption),
                             std::string(kAdministratorWarning));

    // 2. Placement.
    ApplySavedPlacement();

    // 3. Options: "Y", "N" or "ERROR" (key missing).
    taskIconSetting_ = GetINIValue("TASKICON", kSetting);
    taskBarSetting_ = GetINIValue("TASKBAR", kSetting);
    startMinSetting_ = GetINIValue("STARTMIN", kSetting);
    startUpSetting_ = GetINIValue("STARTUP", kSetting);

    // 4. Drive selector: list position = slot, nothing selected yet.
    {
        const QSignalBlocker blocker(combo1_);
        for (const std::string_view name : SlotNames) combo1_->addItem(Text(name));
        combo1_->setCurrentIndex(-1);
    }

    // 5. Tab control over the whole of Picture5, under the two list hosts.
    tab_ = new TabControl(picture5_);
    tab_->setObjectName(QStringLiteral("tabHandle"));
    tab_->setGeometry(picture5_->contentsRect());
    tab_->setFont(QApplication::font());
    tab_->lower();
    tab_->show();

    // 6. Status pictures: 15 x 15, magenta transparent, white behind.
    statusImages_ = std::make_unique<McImgLst>();
    statusImages_->SetImageHeight(15);
    statusImages_->SetImageWidth(15);
    statusImages_->SetUseMaskColor(true);
    statusImages_->SetMaskColor(kStatusMaskColor);
    statusImages_->SetBackColor(QColor(Qt::white));
    for (int resource = kFirstStatusBitmap; resource <= kLastStatusBitmap; ++resource)
        statusImages_->AddImageResource(resource);

    // 8, 9. The lists' face and the temperature box's place.
    face_ = ChooseListFace(seams_.fonts.HasFamily("Meiryo") || seams_.fonts.HasFamily(kMeiryoFace));
    picture9_->move(picture2_->contentsRect().topLeft() +
                    QPoint(TwipsToPixels(kPicture9LeftTwips), TwipsToPixels(face_.picture9TopTwips)));

    // 10. The lists' font: 12 pixels, default weight.
    listFont_ = QFont(Text(face_.face));
    listFont_.setStyleHint(QFont::SansSerif);
    listFont_.setPixelSize(12);
    listFont_.setWeight(QFont::Normal);

    // 11. Attribute list in Picture8: grid lines, full-row selection, status pictures.
    attributeList_ = new ReportList(picture8_);
    attributeList_->setObjectName(QStringLiteral("attributeListHandle"));
    attributeList_->setGeometry(picture8_->contentsRect());
    attributeList_->SetImageList(statusImages_.get());
    attributeList_->SetGridLines(true);
    attributeList_->SetFullRowSelect(true);
    attributeList_->setFont(listFont_);
    attributeList_->SetRowHeight(face_.rowHeight);
    attributeList_->SetHeaderHeight(face_.headerHeight);
    attributeList_->show();

    // 12.
    tab_->setFont(listFont_);

    // 13. Information list in Picture2, under the temperature box.
    infoList_ = new ReportList(picture2_);
    infoList_->setObjectName(QStringLiteral("infoListHandle"));
    infoList_->setGeometry(picture2_->contentsRect());
    infoList_->SetGridLines(false);
    infoList_->SetFullRowSelect(true);
    infoList_->setFont(listFont_);
    infoList_->SetRowHeight(face_.rowHeight);
    infoList_->SetHeaderHeight(face_.headerHeight);
    infoList_->show();
    picture9_->raise();

    // 14. Columns, hooks, placeholder rows.
    const ColumnRecord attributeColumns[] = {
        {QString(), 24, ColumnAlignment::Left},          {QStringLiteral("ID"), 35, ColumnAlignment::Right},
        {QStringLiteral("属性名"), 170, ColumnAlignment::Left}, {QStringLiteral("現在値"), 60, ColumnAlignment::Right},
        {QStringLiteral("限界値"), 60, ColumnAlignment::Right}, {QStringLiteral("最悪値"), 60, ColumnAlignment::Right},
        {QStringLiteral("生の値"), 60, ColumnAlignment::Right},
    };
    for (int position = 0; position < 7; ++position)
        attributeList_->InsertColumn(position, attributeColumns[position]);
    infoList_->InsertColumn(0, {QStringLiteral("ディスク情報"), 100, ColumnAlignment::Left});
    infoList_->InsertColumn(1, {QString(), 150, ColumnAlignment::Left});
    connect(attributeList_, &ReportList::listItemChanged, this, &Form1::ShowAttributeDescription);
    connect(infoList_, &ReportList::listItemChanged, this, &Form1::ShowAttributeDescription);
    FillPlaceholderRows();

    // 15. Drive scan: one tab per identified drive, each mapped to its slot.
    DriveScan scan = ScanDrives(reader_, [this](const std::string& key) { return GetINIValue(key, kSetting); });
    tabDriveMap_ = std::move(scan.tabDriveMap);
    slotIdentity_ = std::move(scan.slotIdentity);
    slotDriveLetters_ = std::move(scan.slotDriveLetters);
    for (std::size_t index = 0; index < tabDriveMap_.size(); ++index)
        tab_->InsertTab(static_cast<int>(index), Text(DisplayText(tabDriveMap_[index].model)));

    // 16. From now on tab changes select drives.
    tab_->Hook();
    connect(tab_, &TabControl::selectionChanged, this, &Form1::OnTabSelectionChanged);

    // 17. The first drive.
    if (const auto slot = SlotOfTab(tabDriveMap_, 0)) SelectSlot(*slot);

    // 18. Saved options.
    if (taskIconSetting_ == "Y") AddTrayIcons();
    if (startMinSetting_ == "Y") setWindowState(windowState() | Qt::WindowMinimized);
    ShowOptionChecks();

    // 19. The history starts here (the first drive's pass above is overwritten later).
    history_.ResetPositions();
}

void Form1::FillPlaceholderRows() {
    const std::vector<InfoRow> rows = PlaceholderInfoRows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const int index = static_cast<int>(row);
        infoList_->InsertItem({index, Text(rows[row].label), std::nullopt});
        if (rows[row].value) infoList_->SetItem(index, 1, Text(*rows[row].value));
    }
}

void Form1::ShowAfterLoad() {
    // A start-up that minimised the window behind its icons has already hidden
    // it; showing it would put it on the taskbar for a moment.
    if (!(State() == WindowState::Minimised && HideWhenMinimised(taskIconSetting_, taskBarSetting_, trayIcons_.Count())))
        show();
    Form_Resize();
}

void Form1::ShowOptionChecks() {
    const std::pair<const char*, const std::string*> items[] = {{"menutask", &taskIconSetting_},
                                                                {"menubar", &taskBarSetting_},
                                                                {"menumini", &startMinSetting_},
                                                                {"menustart", &startUpSetting_}};
    for (const auto& [name, setting] : items) MenuItem(name)->setChecked(*setting == "Y");
}

void Form1::ApplySavedPlacement() {
    const QRect available = QGuiApplication::primaryScreen() != nullptr
                                ? QGuiApplication::primaryScreen()->availableVirtualGeometry()
                                : QRect(0, 0, 1920, 1080);
    const auto read = [this](std::string_view key) -> std::optional<int> {
        const auto twips = ParsePlacementValue(GetINIValue(key, kLocation));
        if (!twips) return std::nullopt;
        return TwipsToPixels(*twips);
    };
    if (const auto left = read("LEFT")) move(std::clamp(*left, -kPositionLimit, kPositionLimit), pos().y());
    if (const auto top = read("TOP")) move(pos().x(), std::clamp(*top, -kPositionLimit, kPositionLimit));
    // Width and height are the outer size; a size that is not positive is refused,
    // and no window grows beyond the desktop.
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    QSize outer = frameGeometry().size();
    bool sized = false;
    if (const auto width = read("WIDTH"); width && *width > 0) {
        outer.setWidth(std::min(*width, std::max(available.width(), 1)));
        sized = true;
    }
    if (const auto height = read("HEIGHT"); height && *height > 0) {
        outer.setHeight(std::min(*height, std::max(available.height(), 1)));
        sized = true;
    }
    if (sized) {
        resize(outer - frameExtra);
        pendingOuterSize_ = outer;
    }
}

void Form1::CorrectOuterSize() {
    // The window manager's frame is known only once the window is shown; the
    // saved size is the outer one, so the inner size is set again then.
    if (!pendingOuterSize_ || !isVisible()) return;
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    if (frameExtra.width() == 0 && frameExtra.height() == 0) return;  // no frame (yet)
    const QSize inner = *pendingOuterSize_ - frameExtra;
    pendingOuterSize_.reset();
    if (inner.width() > 0 && inner.height() > 0) resize(inner);
}

void Form1::RememberNormalFrame() {
    // Only a shown window has its real frame, and right after a return to
    // normal the frame may still be the minimised or maximised one.
    if (isVisible() && !awaitingNormalFrame_) lastNormalFrame_ = frameGeometry();
}

int Form1::SavePlacement(bool skipUnchanged) {
    // The frame last seen in the normal state: right after a change back to
    // normal the window system may not have delivered the normal geometry yet.
    if (State() == WindowState::Normal) RememberNormalFrame();
    const QRect frame = lastNormalFrame_.value_or(frameGeometry());
    const auto text = [](int pixels) { return PlacementText(static_cast<float>(pixels) * kTwipsPerPixel); };
    PlacementEntries entries = {{{"LEFT", text(frame.x())},
                                 {"TOP", text(frame.y())},
                                 {"WIDTH", text(frame.width())},
                                 {"HEIGHT", text(frame.height())}}};
    if (skipUnchanged && lastSavedPlacement_ == entries) return 0;
    // One rewrite of the file for all four keys: either all are stored or none.
    if (const std::error_code error = WriteIniValues(seams_.paths.settingsFile, kLocation, entries)) {
        return error.value();
    }
    lastSavedPlacement_ = std::move(entries);
    return 0;
}

WindowState Form1::State() const {
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized) return WindowState::Minimised;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) return WindowState::Maximised;
    return WindowState::Normal;
}

void Form1::Form_Resize() {
    if (tornDown_) return;
    const WindowState state = State();
    // A minimised window has no client area: every size stays as it was.
    if (state != WindowState::Minimised) {
        ApplyResizeFormulas(panes_, client_->width() * kTwipsPerPixel, client_->height() * kTwipsPerPixel);
        ApplyPanes();
    }
    StretchNativeControls();

    if (state == WindowState::Normal && !reportingPlacementError_) {
        if (const int error = SavePlacement(/*skipUnchanged=*/true); error != 0) {
            // Resize events that arrive while the box is open do not open another one.
            reportingPlacementError_ = true;
            seams_.messages.Show(MessageIcon::None, MessageButtons::Ok, std::string(kMessageCaption),
                                 FromSystemCodePage(std::string_view(std::strerror(error))));
            reportingPlacementError_ = false;
            return;
        }
    }
    if (state == WindowState::Minimised && HideWhenMinimised(taskIconSetting_, taskBarSetting_, trayIcons_.Count()))
        hide();
}

void Form1::SelectSlot(int slot) {
    {
        const QSignalBlocker blocker(combo1_);
        combo1_->setCurrentIndex(slot >= 0 && slot < combo1_->count() ? slot : -1);
    }
    Combo1_Click();
}

int Form1::SelectedSlot() const { return combo1_->currentIndex(); }

void Form1::Combo1_Click() {
    if (tornDown_) return;
    if (attributeList_) attributeList_->DeleteAllItems();
    if (infoList_) infoList_->DeleteAllItems();

    const int slot = SelectedSlot();
    const DriveRecord record = (slot >= 0 && slot < kSlotCount) ? reader_.ReadDrive(slot) : DriveRecord{};

    textkatasiki_->clear();
    textSerial_->clear();
    label1_->clear();
    // Every drive starts without letters, so no caption shows another drive's volumes.
    textLetter_->setText(Text(kLettersNotObtained));

    if (record.driveType == 1) {
        const std::optional<std::string> capacity = DriveCapacityText(seams_.drives, slot);
        const std::string letters = GetINIValue(DriveLetterKey(record.modelNumber, record.serialNumber), kSetting);
        const DriveViewContent view = BuildDriveView(record, capacity, letters);
        // What the drive and the settings file say is shown without its
        // control characters; the caption is made from these two boxes.
        textkatasiki_->setText(Text(DisplayText(view.model)));
        textSerial_->setText(Text(view.serial));
        textLetter_->setText(Text(DisplayText(view.letters)));

        if (infoList_) {
            for (std::size_t row = 0; row < view.info.size(); ++row) {
                const int index = static_cast<int>(row);
                infoList_->InsertItem({index, Text(view.info[row].label), std::nullopt});
                if (view.info[row].value) infoList_->SetItem(index, 1, Text(DisplayText(*view.info[row].value)));
            }
        }
        StoreAttributeRowIds(attributeRowIds_, view.attributes);
        if (attributeList_) {
            for (std::size_t row = 0; row < view.attributes.size(); ++row) {
                const int index = static_cast<int>(row);
                const AttributeListRow& item = view.attributes[row];
                attributeList_->InsertItem({index, QString(), item.status});
                for (int column = 1; column < 7; ++column)
                    attributeList_->SetItem(index, column, Text(item.cells[static_cast<std::size_t>(column)]));
            }
        }
    }

    if (taskBarSetting_ == "Y")
        setWindowTitle(Text(DriveCaption(textkatasiki_->text().toStdString(), textLetter_->text().toStdString())));

    UpdateTemperatures();
}

void Form1::UpdateTemperatures() {
    if (tornDown_) return;
    picture9_->Print(QStringLiteral(" --"));
    const MonitoringPassResult result = RunMonitoringPass(reader_, trayIcons_, history_, seams_.clock.Now(),
                                                          SelectedSlot(), slotDriveLetters_);
    if (result.lastTemperature) lastTemperature_ = result.lastTemperature;
    picture9_->Print(Text(TemperatureBoxText(result.selectedTemperatures)));
    if (taskBarSetting_ == "Y") {
        if (const auto resource = TaskbarIconResource(result.selectedTemperatures))
            SetWindowIconResource(*resource);
    }
}

void Form1::Timer1_Timer() { UpdateTemperatures(); }

void Form1::ShowAttributeDescription() {
    if (!attributeList_) return;
    const std::vector<int> selected = attributeList_->SelectedRows();
    const QString text = Text(DescriptionText(selected, attributeList_->ItemCount(), attributeRowIds_));
    // Every cell written while the lists are filled lands here; laying the
    // same text out again each time would cost more than the whole refill.
    if (label1_->toPlainText() != text) label1_->setPlainText(text);
}

void Form1::OnTabSelectionChanged(int index) {
    if (const auto slot = SlotOfTab(tabDriveMap_, index)) SelectSlot(*slot);
}

void Form1::AddTrayIcons() { trayIcons_.AddTrayIcons(reader_, slotDriveLetters_); }

void Form1::SetSlotDriveLetters(DriveSlot slot, const std::string& letters) {
    if (slot >= 0 && slot < kSlotCount) slotDriveLetters_[static_cast<std::size_t>(slot)] = letters;
}

bool Form1::SetWindowIconResource(int resourceNumber) {
    if (resourceNumber == windowIconResource_) return true;  // shown already: nothing to tell the desktop
    const auto icon = windowIcons_.Icon(resourceNumber);
    if (!icon) return false;
    setWindowIcon(*icon);
    windowIconResource_ = resourceNumber;
    return true;
}

QAction* Form1::MenuItem(std::string_view name) const {
    return findChild<QAction*>(Text(name));
}

bool Form1::Form_QueryUnload() {
    if (tornDown_) return false;
    const CloseDecision decision = DecideClose(State(), exitRequested_, trayIcons_.Count());
    if (decision.savePlacement) SavePlacement(/*skipUnchanged=*/false);  // failures are not reported here
    if (decision.action == CloseAction::Minimise) {
        setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
        return true;
    }
    TearDown();
    return false;
}

void Form1::TearDown() {
    tornDown_ = true;
    timer1_->stop();
    // The tab control, then the image list (taken from the list that borrows
    // it), then both lists, then the icons; then the program ends.
    // Each is disconnected first, so nothing reaches the window while it goes.
    if (tab_) {
        tab_->Unhook();
        tab_->disconnect(this);
        delete tab_.data();
    }
    if (attributeList_) attributeList_->SetImageList(nullptr);
    statusImages_.reset();
    for (ReportList* list : {attributeList_.data(), infoList_.data()}) {
        if (list == nullptr) continue;
        list->disconnect(this);
        delete list;
    }
    trayIcons_.RemoveAddedIcons();
    seams_.process.EndProcess();
}

void Form1::ExitProgram() {
    exitRequested_ = true;
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    close();
    if (!tornDown_) seams_.process.EndProcess();
}

void Form1::Form_KeyDown(int keyCode) {
    if (keyCode == kF5KeyCode) Combo1_Click();
}

void Form1::Picture1_MouseMove(int button) {
    if (tornDown_) return;
    if (button == 1) {
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
        show();
        raise();
        activateWindow();
    } else if (button == 2) {
        menupop_->popup(QCursor::pos());
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    if (Form_QueryUnload())
        event->ignore();
    else
        event->accept();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    NoteDeliveredGeometry();
    Form_Resize();
    CorrectOuterSize();
}

void Form1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    NoteDeliveredGeometry();
    CorrectOuterSize();
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        const bool wasNormal = !(old & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
        if (wasNormal && State() != WindowState::Normal) {
            RememberNormalFrame();  // the window system has not moved the frame yet
        } else if (!wasNormal && State() == WindowState::Normal) {
            awaitingNormalFrame_ = true;  // until the window system delivers the normal geometry
        }
        Form_Resize();
    }
}

void Form1::NoteDeliveredGeometry() {
    if (State() != WindowState::Normal) return;
    awaitingNormalFrame_ = false;
    RememberNormalFrame();
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    InstallKeyPreview();
    CorrectOuterSize();
}

void Form1::InstallKeyPreview() {
    if (keyPreviewInstalled_ || windowHandle() == nullptr) return;
    windowHandle()->installEventFilter(this);
    keyPreviewInstalled_ = true;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    // Every key of the window passes here before the control with the focus sees it.
    if (watched == windowHandle() && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F5) Form_KeyDown(kF5KeyCode);
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace qm
