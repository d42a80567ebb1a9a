// ReportList: columns, rows, pictures, selection and change notification.
#include <QtTest>

#include <QHelpEvent>
#include <QLabel>
#include <QTextDocument>
#include <QToolTip>

#include <QHeaderView>
#include <QSignalSpy>

#include "controls/report_list.h"
#include "controls/status_pictures.h"

namespace qm {

class ReportListTest : public QObject {
    Q_OBJECT

    static void AddColumns(ReportList& list) {
        list.InsertColumn(0, {QString(), 24, ColumnAlignment::Left});
        list.InsertColumn(1, {QStringLiteral("ID"), 35, ColumnAlignment::Right});
        list.InsertColumn(2, {QStringLiteral("属性名"), 170, ColumnAlignment::Left});
    }

private slots:
    void columnsKeepTextWidthAndAlignment() {
        ReportList list;
        AddColumns(list);
        QCOMPARE(list.ColumnCount(), 3);
        QCOMPARE(list.Column(1).text, QStringLiteral("ID"));
        QCOMPARE(list.Column(1).width, 35);
        QCOMPARE(list.Column(1).format, ColumnAlignment::Right);
        QCOMPARE(list.Column(2).width, 170);
        QCOMPARE(list.Column(2).format, ColumnAlignment::Left);
        QCOMPARE(list.horizontalHeaderItem(1)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
        // A column inserted in front shifts the others.
        list.InsertColumn(0, {QStringLiteral("front"), 10, ColumnAlignment::Right});
        QCOMPARE(list.Column(2).text, QStringLiteral("ID"));
        QCOMPARE(list.Column(2).format, ColumnAlignment::Right);
        QCOMPARE(list.Column(99).text, QString());
    }

    void rowsHoldOneTextPerColumnAlignedLikeTheirColumn() {
        ReportList list;
        AddColumns(list);
        QCOMPARE(list.InsertItem({0, QStringLiteral("a"), std::nullopt}), 0);
        QCOMPARE(list.InsertItem({7, QStringLiteral("b"), std::nullopt}), 1);  // beyond the end: appended
        QCOMPARE(list.InsertItem({0, QStringLiteral("c"), std::nullopt}), 0);  // in front
        QVERIFY(list.SetItem(1, 1, QStringLiteral("194")));
        QVERIFY(!list.SetItem(3, 1, QStringLiteral("x")));
        QVERIFY(!list.SetItem(0, 3, QStringLiteral("x")));
        QVERIFY(!list.SetItem(-1, 0, QStringLiteral("x")));
        QCOMPARE(list.ItemCount(), 3);
        QCOMPARE(list.ItemText(0, 0), QStringLiteral("c"));
        QCOMPARE(list.ItemText(1, 0), QStringLiteral("a"));
        QCOMPARE(list.ItemText(1, 1), QStringLiteral("194"));
        QCOMPARE(list.ItemText(2, 0), QStringLiteral("b"));
        QCOMPARE(list.ItemText(9, 0), QString());
        QCOMPARE(list.item(1, 1)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
        QCOMPARE(list.item(1, 2)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
    }

    void aListWithoutColumnsTakesNoRows() {
        ReportList list;
        QCOMPARE(list.InsertItem({0, QStringLiteral("a"), std::nullopt}), -1);
        QCOMPARE(list.ItemCount(), 0);
    }

    void picturesComeFromTheLentImageList() {
        McImgLst images;
        images.SetImageWidth(15);
        images.SetImageHeight(15);
        images.SetUseMaskColor(true);
        images.SetMaskColor(kStatusMaskColor);
        for (int resource = 101; resource <= 104; ++resource) images.AddImageResource(resource);
        ReportList list;
        AddColumns(list);
        list.InsertItem({0, QString(), 2});
        QCOMPARE(list.ItemImage(0), 2);
        QVERIFY(list.item(0, 0)->icon().isNull());  // no list lent yet
        list.SetImageList(&images);
        QCOMPARE(list.iconSize(), QSize(15, 15));
        const QImage shown = list.item(0, 0)->icon().pixmap(15, 15).toImage();
        QCOMPARE(shown, images.Picture(2).toImage());
        list.InsertItem({1, QStringLiteral("no picture"), std::nullopt});
        QCOMPARE(list.ItemImage(1), -1);
        list.SetImageList(nullptr);
        QVERIFY(list.item(0, 0)->icon().isNull());
    }

    void everyTextChangeAndSelectionChangeIsReported() {
        ReportList list;
        AddColumns(list);
        QSignalSpy changed(&list, &ReportList::listItemChanged);
        list.InsertItem({0, QStringLiteral("a"), std::nullopt});
        list.InsertItem({1, QStringLiteral("b"), std::nullopt});
        list.InsertItem({2, QStringLiteral("c"), std::nullopt});
        QCOMPARE(changed.count(), 0);  // inserting is not a change
        list.SetItem(0, 1, QStringLiteral("1"));
        QCOMPARE(changed.count(), 1);
        list.selectRow(2);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(list.SelectedRows(), std::vector<int>{2});
        list.clearSelection();
        QCOMPARE(changed.count(), 3);
        QVERIFY(list.SelectedRows().empty());
    }

    void fullRowSelectionAndGridLines() {
        ReportList list;
        AddColumns(list);
        list.InsertItem({0, QStringLiteral("a"), std::nullopt});
        list.InsertItem({1, QStringLiteral("b"), std::nullopt});
        QVERIFY(!list.showGrid());
        list.SetGridLines(true);
        QVERIFY(list.showGrid());
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
        list.setCurrentCell(1, 2);
        QCOMPARE(list.selectedItems().size(), 3);  // the whole row
        QCOMPARE(list.SelectedRows(), std::vector<int>{1});
        list.SetFullRowSelect(false);
        list.clearSelection();
        list.setCurrentCell(0, 2);
        QCOMPARE(list.selectedItems().size(), 1);
        QCOMPARE(list.SelectedRows(), std::vector<int>{0});
    }

    void deleteAllItemsEmptiesTheListButKeepsColumns() {
        ReportList list;
        AddColumns(list);
        list.InsertItem({0, QStringLiteral("a"), std::nullopt});
        list.selectRow(0);
        QVERIFY(list.DeleteAllItems());
        QCOMPARE(list.ItemCount(), 0);
        QCOMPARE(list.ColumnCount(), 3);
        QVERIFY(list.SelectedRows().empty());
    }

    void everyRowSharesOnePicturePerIndex() {
        // A list refilled once a second for hours must not make new pictures
        // each time: every one would stay in the desktop's pixmap cache.
        McImgLst images;
        images.SetImageWidth(15);
        images.SetImageHeight(15);
        for (int resource = 101; resource <= 103; ++resource) images.AddImageResource(resource);
        ReportList list;
        list.InsertColumn(0, {QString(), 24, ColumnAlignment::Left});
        list.SetImageList(&images);
        const auto refill = [&list] {
            list.DeleteAllItems();
            for (int row = 0; row < 4; ++row) list.InsertItem({row, QString(), row % 2});
        };
        refill();
        const qint64 first = list.item(0, 0)->icon().cacheKey();
        QCOMPARE(list.item(2, 0)->icon().cacheKey(), first);
        QVERIFY(list.item(1, 0)->icon().cacheKey() != first);
        refill();
        QCOMPARE(list.item(0, 0)->icon().cacheKey(), first);
    }

    void aCutTextIsShownWholeInATooltip() {
        ReportList list;
        list.InsertColumn(0, {QStringLiteral("名前"), 60, ColumnAlignment::Left});
        list.InsertItem({0, QStringLiteral("short"), std::nullopt});
        // Drive text that looks like markup is shown as it is: never a picture
        // of 9000 × 9000 pixels, never bold.
        const QString hostile = QStringLiteral("<img width=9000 height=9000 src=a><b>far too long</b>");
        list.InsertItem({1, hostile, std::nullopt});
        list.resize(200, 120);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QVERIFY(!list.IsCellTextCut(0, 0));
        QVERIFY(list.IsCellTextCut(1, 0));
        const auto hover = [&list](int row) {
            const QPoint at = list.visualRect(list.model()->index(row, 0)).center();
            QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(list.viewport(), &help);
        };
        hover(1);
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        QCOMPARE(shown.toPlainText(), hostile);
        const QLabel* tip = nullptr;
        for (QWidget* widget : QApplication::allWidgets())
            if (widget->objectName() == QStringLiteral("qtooltip_label")) tip = qobject_cast<QLabel*>(widget);
        QVERIFY(tip != nullptr);
        QVERIFY(tip->sizeHint().height() < 100);
        hover(0);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void rowAndHeaderHeights() {
        ReportList list;
        AddColumns(list);
        list.SetRowHeight(16);
        list.SetHeaderHeight(20);
        list.InsertItem({0, QStringLiteral("a"), std::nullopt});
        QCOMPARE(list.rowHeight(0), 16);
        QCOMPARE(list.horizontalHeader()->height(), 20);
        // The fixed height is the header's hint: its texts are never measured for it.
        list.SetHeaderHeight(50);
        QCOMPARE(list.horizontalHeader()->sizeHint(), QSize(24 + 35 + 170, 50));
    }

    void columnsAppendedInOneStepAreAsIfInsertedOneByOne() {
        ReportList one;
        AddColumns(one);
        ReportList all;
        const ColumnRecord columns[] = {{QString(), 24, ColumnAlignment::Left},
                                        {QStringLiteral("ID"), 35, ColumnAlignment::Right},
                                        {QStringLiteral("属性名"), 170, ColumnAlignment::Left}};
        all.InsertColumns(columns);
        QCOMPARE(all.ColumnCount(), 3);
        for (int column = 0; column < 3; ++column) {
            QCOMPARE(all.Column(column).text, one.Column(column).text);
            QCOMPARE(all.Column(column).width, one.Column(column).width);
            QCOMPARE(all.Column(column).format, one.Column(column).format);
            QCOMPARE(all.horizontalHeaderItem(column)->textAlignment(), one.horizontalHeaderItem(column)->textAlignment());
        }
    }
};

}  // namespace qm

QTEST_MAIN(qm::ReportListTest)
#include "report_list_test.moc"
