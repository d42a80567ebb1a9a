#include "monitor/drive_panel.h"

#include <algorithm>

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include "controls/image_list.h"
#include "controls/qt_text.h"
#include "controls/report_list.h"
#include "controls/status_pictures.h"
#include "controls/tab_control.h"
#include "monitor/temperature_box.h"

namespace qm {
namespace {

const ColumnRecord kAttributeColumns[] = {
    {QString(), 24, ColumnAlignment::Left},
    {QStringLiteral("ID"), 35, ColumnAlignment::Right},
    {QStringLiteral("属性名"), 170, ColumnAlignment::Left},
    {QStringLiteral("現在値"), 60, ColumnAlignment::Right},
    {QStringLiteral("限界値"), 60, ColumnAlignment::Right},
    {QStringLiteral("最悪値"), 60, ColumnAlignment::Right},
    {QStringLiteral("生の値"), 60, ColumnAlignment::Right},
};
constexpr int kRawColumn = 6;
const ColumnRecord kInfoColumns[] = {
    {QStringLiteral("ディスク情報"), 100, ColumnAlignment::Left},
    {QString(), 150, ColumnAlignment::Left},
};

QFrame* ListHost(QWidget* parent, const char* name) {
    auto* host = new QFrame(parent);
    host->setObjectName(QString::fromUtf8(name));
    host->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    return host;
}

}  // namespace

DrivePanel::DrivePanel(const QFont& detailFont, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("client"));
    tabHost_ = new QWidget(this);
    tabHost_->setObjectName(QStringLiteral("Picture5"));
    infoHost_ = ListHost(tabHost_, "Picture2");
    temperatureBox_ = new TemperatureBox(infoHost_);
    temperatureBox_->setObjectName(QStringLiteral("Picture9"));
    attributeHost_ = ListHost(tabHost_, "Picture8");

    detailFrame_ = new QGroupBox(QStringLiteral("S.M.A.R.T詳細情報"), this);
    detailFrame_->setObjectName(QStringLiteral("Frame2"));
    detailFrame_->setFont(detailFont);
    detail_ = new QPlainTextEdit(QStringLiteral("Text1"), detailFrame_);
    detail_->setObjectName(QStringLiteral("Label1"));
    detail_->setFont(detailFont);
    detail_->setReadOnly(true);
    detail_->setFrameShape(QFrame::NoFrame);
    QPalette palette = detail_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    detail_->setPalette(palette);

    // Over the frame's line like a second title, so the line makes room for it.
    status_ = new QLabel(detailFrame_);
    status_->setObjectName(QStringLiteral("readingStatus"));
    status_->setFont(detailFont);
    status_->setAutoFillBackground(true);
    status_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    status_->setTextFormat(Qt::PlainText);
    status_->hide();
}

DrivePanel::~DrivePanel() {
    // The children go after this body: nothing they report may reach the
    // half-destroyed panel, and the attribute list gives back the pictures first.
    DestroyControls();
}

void DrivePanel::CreateTabsAndLists(const ListStyle& style) {
    if (tabs_) return;
    tabs_ = new TabControl(tabHost_);
    tabs_->setObjectName(QStringLiteral("tabHandle"));
    tabs_->setFont(style.font);
    tabs_->lower();  // under the two list hosts, which lie over its page area
    tabs_->show();

    CreateStatusImages();
    attributeList_ = CreateList(attributeHost_, "attributeListHandle", style, true);
    attributeList_->SetImageList(statusImages_.get());
    attributeList_->InsertColumns(kAttributeColumns);
    infoList_ = CreateList(infoHost_, "infoListHandle", style, false);
    infoList_->InsertColumns(kInfoColumns);

    temperatureBox_->raise();
    StretchControls();
    FillInfoList(PlaceholderInfoRows());
}

void DrivePanel::CreateStatusImages() {
    statusImages_ = std::make_unique<McImgLst>();
    statusImages_->SetImageHeight(15);
    statusImages_->SetImageWidth(15);
    statusImages_->SetUseMaskColor(true);
    statusImages_->SetMaskColor(kStatusMaskColor);
    statusImages_->SetBackColor(QColor(Qt::white));
    for (int resource = kFirstStatusBitmap; resource <= kLastStatusBitmap; ++resource)
        statusImages_->AddImageResource(resource);
}

ReportList* DrivePanel::CreateList(QFrame* host, const char* name, const ListStyle& style, bool gridLines) {
    auto* list = new ReportList(host);
    list->setObjectName(QString::fromUtf8(name));
    list->SetGridLines(gridLines);
    list->SetFullRowSelect(true);
    list->setFont(style.font);
    list->SetRowHeight(style.rowHeight);
    list->SetHeaderHeight(style.headerHeight);
    connect(list, &ReportList::listItemChanged, this, &DrivePanel::ShowAttributeDescription);
    list->show();
    return list;
}

void DrivePanel::ReportTabChanges() {
    if (!tabs_ || tabs_->IsHooked()) return;
    tabs_->Hook();
    connect(tabs_, &TabControl::selectionChanged, this, &DrivePanel::tabSelected);
}

void DrivePanel::InsertTab(int index, const std::string& model) {
    if (!tabs_) return;
    const QSignalBlocker quiet(tabs_.data());  // the first tab's selection is no change
    tabs_->InsertTab(index, ShownText(model));
}

void DrivePanel::SelectTab(int index) {
    if (tabs_) tabs_->setCurrentIndex(index);
}

void DrivePanel::ShowDrive(const DriveViewContent& view) {
    if (attributeList_) attributeList_->DeleteAllItems();
    if (infoList_) infoList_->DeleteAllItems();
    detail_->clear();
    if (!view.present) return;
    FillInfoList(view.info);
    StoreAttributeRowIds(rowIds_, view.attributes);
    FillAttributeList(view.attributes);
}

void DrivePanel::FillInfoList(const std::vector<InfoRow>& rows) {
    if (!infoList_) return;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const int index = static_cast<int>(row);
        infoList_->InsertItem({index, Utf8(rows[row].label), std::nullopt});
        if (rows[row].value) infoList_->SetItem(index, 1, ShownText(*rows[row].value));
    }
}

void DrivePanel::FillAttributeList(const std::vector<AttributeListRow>& rows) {
    if (!attributeList_) return;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const int index = static_cast<int>(row);
        attributeList_->InsertItem({index, QString(), rows[row].status});
        for (int column = 1; column < 7; ++column)
            attributeList_->SetItem(index, column, Utf8(rows[row].cells[static_cast<std::size_t>(column)]));
    }
    // The raw column keeps its designed width unless a value needs more (the
    // 16-byte counters of an NVMe drive): no number is shown cut short.
    attributeList_->resizeColumnToContents(kRawColumn);
    if (attributeList_->columnWidth(kRawColumn) < kAttributeColumns[kRawColumn].width)
        attributeList_->setColumnWidth(kRawColumn, kAttributeColumns[kRawColumn].width);
}

void DrivePanel::ShowTemperature(const std::string& text) { temperatureBox_->Print(Utf8(text)); }

void DrivePanel::ShowStatus(const std::string& text) {
    const QString shown = Utf8(text);
    if (shown == status_->text() && status_->isVisible() == !shown.isEmpty()) return;
    status_->setText(shown);
    status_->setVisible(!shown.isEmpty());
    PlaceStatus();
}

void DrivePanel::PlaceStatus() {
    if (status_->text().isEmpty()) return;
    const QFontMetrics metrics(status_->font());
    const int width = std::min(metrics.horizontalAdvance(status_->text()) + 8, detailFrame_->width() / 2);
    status_->setGeometry(detailFrame_->width() - width - 8, 0, width, metrics.height());
}

void DrivePanel::ShowAttributeDescription() {
    if (!attributeList_) return;
    const std::vector<int> selected = attributeList_->SelectedRows();
    const QString text = Utf8(DescriptionText(selected, attributeList_->ItemCount(), rowIds_));
    // Every cell written while the lists are filled lands here; laying the
    // same text out again each time would cost more than the whole refill.
    if (detail_->toPlainText() != text) detail_->setPlainText(text);
}

void DrivePanel::MoveTemperatureBox(QPoint place) {
    temperatureBox_->move(infoHost_->contentsRect().topLeft() + place);
}

void DrivePanel::SetPaneGeometry(const PaneGeometry& panes) {
    tabHost_->setGeometry(panes.tabHost);
    infoHost_->setGeometry(panes.infoHost);
    attributeHost_->setGeometry(panes.attributeHost);
    detailFrame_->setGeometry(panes.detailFrame);
    detail_->setGeometry(panes.detailText);
    PlaceStatus();
    StretchControls();
}

void DrivePanel::StretchControls() {
    if (tabs_) tabs_->setGeometry(tabHost_->contentsRect());
    if (attributeList_) attributeList_->setGeometry(attributeHost_->contentsRect());
    if (infoList_) infoList_->setGeometry(infoHost_->contentsRect());
}

void DrivePanel::DestroyControls() {
    if (tabs_) {
        tabs_->Unhook();
        tabs_->disconnect(this);
        delete tabs_.data();
    }
    if (attributeList_) attributeList_->SetImageList(nullptr);
    statusImages_.reset();
    for (ReportList* list : {attributeList_.data(), infoList_.data()}) {
        if (list == nullptr) continue;
        list->disconnect(this);
        delete list;
    }
}

}  // namespace qm
