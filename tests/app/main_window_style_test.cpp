// The program's style: the platform's, but the menu bar's overflow picture is
// drawn (not read from a file), and the other pictures are the platform's.
#include <QtTest>

#include <QMenuBar>
#include <QToolButton>

#include "app/program_style.h"
#include "tests/app/main_window_harness.h"

namespace qm {

class MainWindowStyleTest : public QObject {
    Q_OBJECT
private slots:
    void theOverflowPictureIsDrawnAndTheRestIsThePlatforms() {
        auto* style = new ProgramStyle;
        QApplication::setStyle(style);
        const QIcon chevron = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        QCOMPARE(chevron.availableSizes(), QList<QSize>{QSize(16, 16)});
        QVERIFY(chevron.pixmap(16, 16).toImage() != style->baseStyle()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16, 16).toImage());
        QCOMPARE(style->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32).toImage(),
                 style->baseStyle()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32).toImage());

        // The menu bar of a window too narrow for its menus shows the drawn picture.
        test::MainWindowHarness harness;
        MainWindow& form = harness.StartShown();
        form.resize(120, form.height());
        QTRY_VERIFY(form.menuBar()->findChild<QToolButton*>() != nullptr &&
                    form.menuBar()->findChild<QToolButton*>()->isVisible());
        QCOMPARE(form.menuBar()->findChild<QToolButton*>()->icon().pixmap(16, 16).toImage(), chevron.pixmap(16, 16).toImage());
    }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowStyleTest)
#include "main_window_style_test.moc"
