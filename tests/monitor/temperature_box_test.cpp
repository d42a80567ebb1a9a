// Picture9: the temperature printed over the fixed background picture.
#include <QtTest>

#include "monitor/temperature_box.h"

namespace qm {

class TemperatureBoxTest : public QObject {
    Q_OBJECT
private slots:
    void hasTheDesignedSizeAndFace() {
        TemperatureBox box;
        QCOMPARE(box.size(), QSize(96, 48));
        QCOMPARE(box.font().pointSizeF(), 26.25);
        QCOMPARE(box.font().family(), QStringLiteral("Verdana"));
        QCOMPARE(box.Text(), QString());
    }

    void backgroundIsAPinkFieldWithTheCelsiusSignAtTheRight() {
        const QImage background = TemperatureBox::Background();
        QCOMPARE(background.size(), QSize(96, 48));
        const QColor middle = background.pixelColor(30, 24);
        QVERIFY(middle.red() > 230 && middle.green() < 230 && middle.blue() > 200);  // pink
        // The right end carries dark strokes (the sign); the left half has none.
        int darkRight = 0;
        int darkLeft = 0;
        for (int y = 4; y < 44; ++y) {
            for (int x = 4; x < 92; ++x) {
                if (background.pixelColor(x, y).lightness() >= 120) continue;
                (x >= 64 ? darkRight : darkLeft)++;
            }
        }
        QVERIFY2(darkRight > 20, qPrintable(QString::number(darkRight)));
        QCOMPARE(darkLeft, 0);
    }

    void printReplacesTheTextAndDrawsIt() {
        TemperatureBox box;
        box.Print(QStringLiteral(" --"));
        QCOMPARE(box.Text(), QStringLiteral(" --"));
        box.Print(QStringLiteral(" 45"));
        QCOMPARE(box.Text(), QStringLiteral(" 45"));
        const QImage drawn = box.grab().toImage();
        const QImage background = TemperatureBox::Background();
        int changed = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if (drawn.pixelColor(x, y) != background.pixelColor(x, y)) ++changed;
        QVERIFY2(changed > 50, qPrintable(QString::number(changed)));  // digits were drawn
    }
};

}  // namespace qm

QTEST_MAIN(qm::TemperatureBoxTest)
#include "temperature_box_test.moc"
