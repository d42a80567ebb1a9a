#include "controls/report_list.h"

#include <algorithm>

#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include "controls/qt_text.h"

namespace qm {

namespace {
constexpr int kImageRole = Qt::UserRole + 1;

// The column header of a list. Its height is fixed (SetHeaderHeight), so its
// size hint does not measure the header texts: the views ask for it on every
// change of the columns and on every resize, and measuring would load the
// list's face long before anything is drawn with it.
class ListHeader final : public QHeaderView {
public:
    explicit ListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}
    QSize sizeHint() const override {
        if (minimumHeight() > 0 && minimumHeight() == maximumHeight()) return QSize(length(), minimumHeight());
        return QHeaderView::sizeHint();
    }
};

}  // namespace

ReportList::ReportList(QWidget* parent) : QTableWidget(parent) {
    setHorizontalHeader(new ListHeader(this));
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setIconSize(QSize(15, 15));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(0);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(this, &QTableWidget::itemSelectionChanged, this, &ReportList::listItemChanged);
}

void ReportList::SetGridLines(bool on) { setShowGrid(on); }

void ReportList::SetFullRowSelect(bool on) {
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

Qt::Alignment ReportList::CellAlignment(int column) const {
    const auto index = static_cast<std::size_t>(column);
    const bool right = index < alignments_.size() && alignments_[index] == ColumnAlignment::Right;
    return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

int ReportList::InsertColumn(int position, const ColumnRecord& column) {
    const int at = std::clamp(position, 0, columnCount());
    insertColumn(at);
    alignments_.insert(alignments_.begin() + at, column.format);
    auto* header = new QTableWidgetItem(column.text);
    header->setTextAlignment(CellAlignment(at));
    setHorizontalHeaderItem(at, header);
    setColumnWidth(at, std::max(0, column.width));
    for (int row = 0; row < rowCount(); ++row) {
        auto* cell = new QTableWidgetItem();
        cell->setTextAlignment(CellAlignment(at));
        setItem(row, at, cell);
    }
    return at;
}

void ReportList::InsertColumns(std::span<const ColumnRecord> columns) {
    const int first = columnCount();
    setColumnCount(first + static_cast<int>(columns.size()));
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const int at = first + static_cast<int>(k);
        alignments_.push_back(columns[k].format);
        auto* header = new QTableWidgetItem(columns[k].text);
        header->setTextAlignment(CellAlignment(at));
        setHorizontalHeaderItem(at, header);
        setColumnWidth(at, std::max(0, columns[k].width));
        for (int row = 0; row < rowCount(); ++row) {
            auto* cell = new QTableWidgetItem();
            cell->setTextAlignment(CellAlignment(at));
            setItem(row, at, cell);
        }
    }
}

int ReportList::InsertItem(const ItemRecord& record) {
    if (columnCount() == 0) return -1;
    const int at = std::clamp(record.item, 0, rowCount());
    insertRow(at);
    for (int column = 0; column < columnCount(); ++column) {
        auto* cell = new QTableWidgetItem(column == 0 ? record.text : QString());
        cell->setTextAlignment(CellAlignment(column));
        setItem(at, column, cell);
    }
    if (record.image) {
        item(at, 0)->setData(kImageRole, *record.image);
        ApplyPicture(at);
    }
    return at;
}

bool ReportList::SetItem(int row, int subItem, const QString& text) {
    QTableWidgetItem* cell = (row >= 0 && subItem >= 0) ? item(row, subItem) : nullptr;
    if (cell == nullptr) return false;
    cell->setText(text);
    emit listItemChanged();
    return true;
}

void ReportList::SetImageList(const McImgLst* images) {
    images_ = images;
    // One icon per picture, made once: every row that shows a picture shares
    // it, so refilling the list neither draws the picture again nor leaves a
    // new copy in the desktop's pixmap cache each time.
    icons_.clear();
    if (images_ != nullptr) {
        setIconSize(QSize(images_->ImageWidth(), images_->ImageHeight()));
        for (int index = 0; index < images_->ImageCount(); ++index) {
            QIcon icon;
            const QPixmap picture = images_->Picture(index);
            // The same picture in every state: a selected row keeps its colours.
            icon.addPixmap(picture, QIcon::Normal);
            icon.addPixmap(picture, QIcon::Selected);
            icons_.push_back(icon);
        }
    }
    for (int row = 0; row < rowCount(); ++row) ApplyPicture(row);
}

void ReportList::ApplyPicture(int row) {
    QTableWidgetItem* cell = item(row, 0);
    if (cell == nullptr) return;
    const QVariant index = cell->data(kImageRole);
    const bool shown = index.isValid() && index.toInt() >= 0 && index.toInt() < static_cast<int>(icons_.size());
    cell->setIcon(shown ? icons_[static_cast<std::size_t>(index.toInt())] : QIcon());
}

bool ReportList::DeleteAllItems() {
    clearSelection();
    setRowCount(0);
    return true;
}

std::vector<int> ReportList::SelectedRows() const {
    std::vector<int> rows;
    if (selectionModel() == nullptr) return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty()) {
        // Cell selection (full-row selection off): a row counts once any cell is selected.
        for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QString ReportList::ItemText(int row, int subItem) const {
    const QTableWidgetItem* cell = (row >= 0 && subItem >= 0) ? item(row, subItem) : nullptr;
    return cell != nullptr ? cell->text() : QString();
}

int ReportList::ItemImage(int row) const {
    const QTableWidgetItem* cell = row >= 0 ? item(row, 0) : nullptr;
    if (cell == nullptr) return -1;
    const QVariant index = cell->data(kImageRole);
    return index.isValid() ? index.toInt() : -1;
}

ColumnRecord ReportList::Column(int column) const {
    ColumnRecord record;
    if (column < 0 || column >= columnCount()) return record;
    if (const QTableWidgetItem* header = horizontalHeaderItem(column)) record.text = header->text();
    record.width = columnWidth(column);
    record.format = alignments_[static_cast<std::size_t>(column)];
    return record;
}

bool ReportList::IsCellTextCut(int row, int subItem) const {
    const QTableWidgetItem* cell = (row >= 0 && subItem >= 0) ? item(row, subItem) : nullptr;
    if (cell == nullptr || cell->text().isEmpty()) return false;
    // The item view keeps a margin on either side of the text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    int room = columnWidth(subItem) - 2 * margin;
    if (!cell->icon().isNull()) room -= iconSize().width() + 2 * margin;
    return QFontMetrics(font()).horizontalAdvance(cell->text()) > room;
}

bool ReportList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid() && IsCellTextCut(index.row(), index.column())) {
            // The cell's text as it is, never as markup.
            QToolTip::showText(help->globalPos(), PlainTextMarkup(ItemText(index.row(), index.column())), viewport(),
                               visualRect(index));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QTableWidget::viewportEvent(event);
}

void ReportList::SetRowHeight(int pixels) {
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(pixels);
}

void ReportList::SetHeaderHeight(int pixels) { horizontalHeader()->setFixedHeight(pixels); }

}  // namespace qm
