// Pictures of the window on the sample drive set, saved into the build folder
// for a look (form1-*.png), with checks that the window drew what it shows.
#include <QtTest>

#include <QDir>
#include <QTabBar>

#include "tests/app/main_window_harness.h"

namespace qm {

using test::MainWindowHarness;

namespace {
QString SavePicture(QWidget& widget, const QString& name) {
    const QString path = QDir(QStringLiteral(QM_SCREENSHOT_DIR)).filePath(name);
    widget.grab().save(path);
    return path;
}

// Pixels of the list's first column that are neither white nor grey: the status discs.
int ColouredPixels(const QImage& image) {
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.saturation() > 120 && c.value() > 80) ++coloured;
        }
    return coloured;
}
}  // namespace

class MainWindowScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void everySampleDrive() {
        MainWindowHarness harness;
        harness.Set("SETTING", "QM-HD1000A-QMA10H4K27Z1", "/ /home");
        MainWindow& form = harness.StartShown();
        QTabBar* bar = form.Panel().TabStrip()->tabBar();
        for (int tab = 0; tab < bar->count(); ++tab) {
            bar->setCurrentIndex(tab);
            harness.Settle();
            form.Panel().AttributeList()->selectRow(3);
            QCoreApplication::processEvents();
            const QString path = SavePicture(form, QStringLiteral("form1-tab%1.png").arg(tab));
            const QImage picture(path);
            QCOMPARE(picture.size(), form.size());
            // The status column shows coloured discs on every row.
            const QRect column = form.Panel().AttributeList()->geometry().translated(form.Panel().AttributeHost()->mapTo(&form, QPoint()));
            const QImage discs = picture.copy(column.x(), column.y() + 24, 24, 16 * 8);
            QVERIFY2(ColouredPixels(discs) > 8 * 40, qPrintable(path));
        }
    }

    void withoutDrives() {
        test::TestDriveSet set;
        MainWindowHarness harness(set.folder());
        MainWindow& form = harness.StartShown();
        SavePicture(form, QStringLiteral("form1-no-drive.png"));
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowScreenshotTest)
#include "main_window_screenshot_test.moc"
