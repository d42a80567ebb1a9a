// A list in report style: columns with a header text, a width in pixels and
// left or right alignment, rows with one text per column, a small picture in
// the first column, optional grid lines and full-row selection. Every change
// of a row's text and every change of the selection is reported through
// listItemChanged(), the way the program learns that the user picked a row.
// A cell whose text does not fit its column shows it shortened with "…" and
// whole in a tooltip, as native report lists do.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include <QIcon>
#include <QString>
#include <QTableWidget>

#include "controls/image_list.h"

namespace qm {

enum class ColumnAlignment { Left, Right };

// A column as the program inserts it.
struct ColumnRecord {
    QString text;
    int width = 0;  // pixels
    ColumnAlignment format = ColumnAlignment::Left;
};

// A row as the program inserts it: its position, the first column's text and,
// for the attribute list, the picture index in the lent image list.
struct ItemRecord {
    int item = 0;
    QString text;
    std::optional<int> image;
};

class ReportList : public QTableWidget {
    Q_OBJECT
public:
    explicit ReportList(QWidget* parent = nullptr);

    // Grid lines between rows and columns (off at creation).
    void SetGridLines(bool on);
    // Selecting a row selects all its cells (on at creation).
    void SetFullRowSelect(bool on);

    // Inserts a column at `position` (appended when beyond the last).
    // Returns the new column's index.
    int InsertColumn(int position, const ColumnRecord& column);
    // Appends columns in one step (the header measures itself once, not once
    // per column), as InsertColumn at the end would one by one.
    void InsertColumns(std::span<const ColumnRecord> columns);

    // Inserts a row at record.item (appended when beyond the last row) with
    // the first column's text and picture; the other cells start empty.
    // Returns the new row's index, -1 when the list has no columns.
    int InsertItem(const ItemRecord& record);

    // Sets the text of one cell and reports listItemChanged(). Returns false
    // when the row or column does not exist.
    bool SetItem(int item, int subItem, const QString& text);

    // Lends the pictures for the first column; the list does not own them and
    // shows nothing once it is given nullptr.
    void SetImageList(const McImgLst* images);

    // Removes every row. Returns true.
    bool DeleteAllItems();

    // Indices of the selected rows, ascending.
    std::vector<int> SelectedRows() const;

    // Text of a cell; empty for a cell that does not exist.
    QString ItemText(int item, int subItem) const;
    // Picture index of a row; -1 when it has none or does not exist.
    int ItemImage(int item) const;
    int ItemCount() const { return rowCount(); }
    int ColumnCount() const { return columnCount(); }
    // Header text, width and alignment of a column.
    ColumnRecord Column(int column) const;

    // True when the cell's text is wider than the room its column gives it.
    bool IsCellTextCut(int item, int subItem) const;

    // Row and header heights in pixels.
    void SetRowHeight(int pixels);
    void SetHeaderHeight(int pixels);

signals:
    // A row's text or the selection changed.
    void listItemChanged();

protected:
    bool viewportEvent(QEvent* event) override;

private:
    Qt::Alignment CellAlignment(int column) const;
    void ApplyPicture(int row);

    const McImgLst* images_ = nullptr;
    std::vector<QIcon> icons_;  // one per picture of images_
    std::vector<ColumnAlignment> alignments_;
};

}  // namespace qm
