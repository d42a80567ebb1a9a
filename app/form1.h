// Form1, the main window: one tab per drive, the disk-information list, the
// attribute list with its health marks, the explanation of the selected
// attribute and the current temperature, refreshed once a minute.
//
// The window reads widgets, calls the logic of monitor/ and app/, and writes
// widgets; everything it reaches outside itself comes through Form1Seams.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QSize>

#include "app/close_decision.h"
#include "app/drive_tabs.h"
#include "app/form1_seams.h"
#include "app/list_face.h"
#include "app/window_layout.h"
#include "controls/image_list.h"
#include "controls/report_list.h"
#include "controls/tab_control.h"
#include "monitor/drive_view.h"
#include "monitor/program_icons.h"
#include "monitor/temperature_box.h"
#include "monitor/temperature_history.h"
#include "monitor/tray_icons.h"
#include "smart/smart_reader.h"

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace qm {

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr std::string_view kProductCaption = "Quillmoor Ver1.2.0";
    static constexpr std::string_view kMessageCaption = "Quillmoor";
    static constexpr std::string_view kAdministratorWarning =
        "Quillmoor は管理者権限で実行してください\r\n\r\n"
        "（簡易的に実行するにはファイルを右クリック「管理者として実行(A)...」を選択してください）";
    static constexpr int kTimerInterval = 60000;  // ms

    // Builds the designed window (every control and menu; Timer1 running).
    // The drives are not looked at before Form_Load.
    explicit Form1(Form1Seams seams, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up, once: administrator warning, placement and options from
    // the settings file, the tab strip and the lists, the drive scan, the
    // first drive shown, the saved options, the history positions reset.
    void Form_Load();
    // Shows the window after the start-up (minimised when the start-up asked
    // for it, then laid out; possibly hidden behind the notification icons).
    void ShowAfterLoad();

    // Settings file access: a missing file, section or key reads "ERROR".
    std::string GetINIValue(std::string_view key, std::string_view section) const;
    // Returns false when nothing was written.
    bool SetINIValue(std::string_view value, std::string_view key, std::string_view section);

    // The drive view: reads the selected slot afresh and refills both lists,
    // the hidden identity boxes and (taskbar mode) the caption, then runs one
    // monitoring pass.
    void Combo1_Click();
    // One monitoring pass over the sixteen slots (see monitor/monitoring_pass.h);
    // updates the temperature box and, in taskbar mode, the window icon.
    void UpdateTemperatures();
    // Timer1's tick: one monitoring pass.
    void Timer1_Timer();
    // The layout pass: panes and lists follow the client area; a normal
    // window's placement is saved; a minimised one may hide.
    void Form_Resize();
    // The close request. Returns true when the close is cancelled (the window
    // was minimised instead); otherwise the window is torn down and the
    // program ends.
    bool Form_QueryUnload();
    // The window's key handler (it sees every key first): F5 (116) re-shows
    // the selected drive; the shift state is ignored.
    void Form_KeyDown(int keyCode);
    // The exit commands: exit requested, window back to normal, closed.
    void ExitProgram();
    // Shows the explanation of the selected attribute row in Label1.
    void ShowAttributeDescription();
    // A mouse event of a temperature icon: 1 (left) restores the window,
    // 2 (right) opens the pop-up menu, anything else does nothing.
    void Picture1_MouseMove(int button);

    // Combo1's list index: the slot shown (-1: none).
    int SelectedSlot() const;
    // Sets Combo1's list index and runs the drive view for it.
    void SelectSlot(int slot);

    // State the start-up creates and other commands share.
    const std::vector<TabMapRow>& TabDriveMap() const { return tabDriveMap_; }
    const std::array<SlotIdentityRow, kSlotCount>& SlotIdentity() const { return slotIdentity_; }
    const std::array<std::string, kSlotCount>& SlotDriveLetters() const { return slotDriveLetters_; }
    void SetSlotDriveLetters(DriveSlot slot, const std::string& letters);
    const AttributeRowIds& RowIds() const { return attributeRowIds_; }
    const TemperatureHistory& History() const { return history_; }
    TrayIcons& Tray() { return trayIcons_; }
    const TrayIcons& Tray() const { return trayIcons_; }
    const McImgLst* StatusImages() const { return statusImages_.get(); }
    const std::string& TaskIconSetting() const { return taskIconSetting_; }
    const std::string& TaskBarSetting() const { return taskBarSetting_; }
    const std::string& StartMinSetting() const { return startMinSetting_; }
    const std::string& StartUpSetting() const { return startUpSetting_; }
    void SetTaskIconSetting(const std::string& value) { taskIconSetting_ = value; }
    void SetTaskBarSetting(const std::string& value) { taskBarSetting_ = value; }
    void SetStartMinSetting(const std::string& value) { startMinSetting_ = value; }
    void SetStartUpSetting(const std::string& value) { startUpSetting_ = value; }
    // Sets the check marks of the option items (menutask, menubar, menumini,
    // menustart) from the options held: ticked for "Y", otherwise not.
    void ShowOptionChecks();
    bool ExitRequested() const { return exitRequested_; }
    std::optional<int> LastTemperature() const { return lastTemperature_; }
    const ListFace& Face() const { return face_; }
    const QFont& ListFont() const { return listFont_; }
    const PaneLayout& Panes() const { return panes_; }
    bool TornDown() const { return tornDown_; }
    WindowState State() const;
    const std::string& SettingsFile() const { return seams_.paths.settingsFile; }

    // The window icon's resource number (100: the program picture;
    // 200 + t: the temperature t in taskbar mode). Sets it when the resource
    // exists and returns false otherwise (the icon stays).
    int WindowIconResource() const { return windowIconResource_; }
    bool SetWindowIconResource(int resourceNumber);

    // The controls (nullptr for the native ones before Form_Load and after the teardown).
    TabControl* TabHandle() const { return tab_; }
    ReportList* AttributeList() const { return attributeList_; }
    ReportList* InfoList() const { return infoList_; }
    TemperatureBox* Picture9() const { return picture9_; }
    QPlainTextEdit* Label1() const { return label1_; }
    QLineEdit* TextLetter() const { return textLetter_; }
    QLineEdit* TextSerial() const { return textSerial_; }
    QLineEdit* Textkatasiki() const { return textkatasiki_; }
    QComboBox* Combo1() const { return combo1_; }
    QTimer* Timer1() const { return timer1_; }
    QWidget* Picture5() const { return picture5_; }
    QFrame* Picture2() const { return picture2_; }
    QFrame* Picture8() const { return picture8_; }
    QGroupBox* Frame2() const { return frame2_; }
    // A menu item by its name ("menuend", "menutask", ...); nullptr if unknown.
    QAction* MenuItem(std::string_view name) const;
    QMenu* PopupMenu() const { return menupop_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateDesign();
    void CreateMenus();
    QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption, bool checkable = false);
    void ApplySavedPlacement();
    // Four LOCATION entries: LEFT, TOP, WIDTH, HEIGHT in twips, as text.
    using PlacementEntries = std::array<std::pair<std::string, std::string>, 4>;
    // Writes the last normal placement (LEFT, TOP, WIDTH and HEIGHT in twips)
    // in one rewrite of the settings file; skipUnchanged: nothing is written
    // when the texts are those this window stored last. Returns 0, or the
    // error number of the failed write.
    int SavePlacement(bool skipUnchanged);
    // Remembers the frame of the shown window as its normal placement (the
    // caller knows the window is, or was until now, in the normal state).
    void RememberNormalFrame();
    // A move or resize arrived: in the normal state the frame is current again.
    void NoteDeliveredGeometry();
    void CorrectOuterSize();
    void ApplyPanes();
    void StretchNativeControls();
    void FillPlaceholderRows();
    void OnTabSelectionChanged(int index);
    void AddTrayIcons();
    void TearDown();
    void InstallKeyPreview();
    QFont DesignFont(std::string_view face, double points) const;

    Form1Seams seams_;
    SmartReader reader_;
    TrayIcons trayIcons_;
    TemperatureHistory history_;
    AttributeRowIds attributeRowIds_{};

    std::vector<TabMapRow> tabDriveMap_;
    std::array<SlotIdentityRow, kSlotCount> slotIdentity_;
    std::array<std::string, kSlotCount> slotDriveLetters_;
    std::string taskIconSetting_ = "N";
    std::string taskBarSetting_ = "N";
    std::string startMinSetting_ = "N";
    std::string startUpSetting_ = "N";
    bool exitRequested_ = false;
    bool loaded_ = false;
    bool tornDown_ = false;
    bool keyPreviewInstalled_ = false;
    bool reportingPlacementError_ = false;
    std::optional<int> lastTemperature_;
    int windowIconResource_ = 0;
    ListFace face_;
    QFont listFont_;
    PaneLayout panes_;
    std::optional<QSize> pendingOuterSize_;  // a saved outer size waiting for the frame's size
    std::optional<QRect> lastNormalFrame_;   // the frame last seen in the normal state
    bool awaitingNormalFrame_ = false;       // back to normal, but no geometry delivered since
    std::optional<PlacementEntries> lastSavedPlacement_;  // what this window stored last
    IconCache windowIcons_;

    std::unique_ptr<McImgLst> statusImages_;

    // Design controls.
    QWidget* client_ = nullptr;
    QLineEdit* textLetter_ = nullptr;
    QLineEdit* textSerial_ = nullptr;
    QLineEdit* textkatasiki_ = nullptr;
    QTimer* timer1_ = nullptr;
    QLabel* picture1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QPlainTextEdit* label1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QWidget* picture5_ = nullptr;
    QFrame* picture2_ = nullptr;
    TemperatureBox* picture9_ = nullptr;
    QFrame* picture8_ = nullptr;
    QMenu* menupop_ = nullptr;

    // The controls the start-up creates (tabHandle, attributeListHandle, infoListHandle).
    QPointer<TabControl> tab_;
    QPointer<ReportList> attributeList_;
    QPointer<ReportList> infoList_;
};

}  // namespace qm
