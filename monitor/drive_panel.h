// The drive view's widgets, the main window's whole client area: the tab
// strip over the drives (in its host pane), the disk-information list with
// the temperature box over its temperature row, the attribute list with its
// health marks, and the detail frame that explains the selected attribute.
//
// The panes exist from construction; the tab strip, the status pictures and
// the two lists are made by CreateTabsAndLists (the start-up) and taken down
// by DestroyControls (the shutdown). The panel shows what it is given; it
// reads no drive and keeps no state of its own beyond AttributeRowIds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "controls/report_list.h"
#include "controls/tab_control.h"
#include "monitor/drive_view.h"

class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;

namespace qm {

class McImgLst;
class TemperatureBox;

// The lists' font and the sizes that go with its face.
struct ListStyle {
    QFont font;
    int rowHeight = 0;          // pixels per list row
    int headerHeight = 0;       // pixels of a list's header
};

// Where the panes go, each in its parent's client area.
struct PaneGeometry {
    QRect tabHost;
    QRect infoHost;
    QRect attributeHost;
    QRect detailFrame;
    QRect detailText;
};

class DrivePanel : public QWidget {
    Q_OBJECT
public:
    // The panes, the detail frame (showing "Text1") and the temperature box;
    // `detailFont` is the frame's face. The window places them.
    explicit DrivePanel(const QFont& detailFont, QWidget* parent = nullptr);
    ~DrivePanel() override;

    // The tab strip over the whole tab host, the status pictures (15 x 15,
    // magenta transparent on white) and both lists with their columns, in the
    // lists' style; the information list gets its placeholder rows.
    void CreateTabsAndLists(const ListStyle& style);

    // From now on every change of the selected tab is reported through
    // tabSelected().
    void ReportTabChanges();
    // A tab for a drive at `index`, its label the model text (shown
    // literally). Inserting is no change of selection: the first tab becomes
    // the selected one, and a tab put before the selected one leaves that
    // one selected, without a tabSelected().
    void InsertTab(int index, const std::string& model);
    void SelectTab(int index);

    // Refills both lists from the view (both empty for a view without a
    // drive) and empties the detail text.
    void ShowDrive(const DriveViewContent& view);

    // Prints `text` (" --", " 45") into the temperature box.
    void ShowTemperature(const std::string& text);

    // The status line under the lists, on the right of the detail frame's
    // title (what the window waits for; empty: nothing shown).
    void ShowStatus(const std::string& text);

    void SetPaneGeometry(const PaneGeometry& panes);
    // Places the temperature box in the information list's host (its inner area).
    void MoveTemperatureBox(QPoint place);
    // Stretches the tab strip and the lists over their hosts.
    void StretchControls();

    // The shutdown: the tab strip, then the status pictures, then the
    // attribute list and the information list. Nothing is reported on the way.
    void DestroyControls();

    // The parts, for the window and for tests (the created controls are null
    // before CreateTabsAndLists and after DestroyControls).
    TabControl* TabStrip() const { return tabs_; }
    ReportList* AttributeList() const { return attributeList_; }
    ReportList* InfoList() const { return infoList_; }
    TemperatureBox* TemperatureDisplay() const { return temperatureBox_; }
    QPlainTextEdit* Detail() const { return detail_; }
    QGroupBox* DetailFrame() const { return detailFrame_; }
    QLabel* Status() const { return status_; }
    QWidget* TabHost() const { return tabHost_; }
    QFrame* InfoHost() const { return infoHost_; }
    QFrame* AttributeHost() const { return attributeHost_; }
    const McImgLst* StatusImages() const { return statusImages_.get(); }
    const AttributeRowIds& RowIds() const { return rowIds_; }

signals:
    // The user (or SelectTab) chose the tab at `index`.
    void tabSelected(int index);

private:
    void CreateStatusImages();
    ReportList* CreateList(QFrame* host, const char* name, const ListStyle& style, bool gridLines);
    void FillInfoList(const std::vector<InfoRow>& rows);
    void FillAttributeList(const std::vector<AttributeListRow>& rows);
    // Shows the explanation of the selected attribute row in the detail box.
    void ShowAttributeDescription();
    void PlaceStatus();

    QWidget* tabHost_ = nullptr;
    QFrame* infoHost_ = nullptr;
    QFrame* attributeHost_ = nullptr;
    TemperatureBox* temperatureBox_ = nullptr;
    QGroupBox* detailFrame_ = nullptr;
    QPlainTextEdit* detail_ = nullptr;
    QLabel* status_ = nullptr;

    std::unique_ptr<McImgLst> statusImages_;
    QPointer<TabControl> tabs_;
    QPointer<ReportList> attributeList_;
    QPointer<ReportList> infoList_;
    AttributeRowIds rowIds_{};
};

}  // namespace qm
