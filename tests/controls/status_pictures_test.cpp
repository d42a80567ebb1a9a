// The four status bitmaps: green, yellow and red discs and the question mark.
#include <QtTest>

#include "controls/status_pictures.h"

namespace qm {

class StatusPicturesTest : public QObject {
    Q_OBJECT
private slots:
    void onlyNumbers101To104Exist() {
        QVERIFY(!StatusBitmap(100).has_value());
        QVERIFY(!StatusBitmap(105).has_value());
        for (int number = 101; number <= 104; ++number) QCOMPARE(StatusBitmap(number)->size(), QSize(16, 16));
    }

    void discsHaveTheirColourInTheMiddle_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("hue");  // degrees
        QTest::newRow("green") << 101 << 120;
        QTest::newRow("yellow") << 102 << 55;
        QTest::newRow("red") << 103 << 0;
    }
    void discsHaveTheirColourInTheMiddle() {
        QFETCH(int, number);
        QFETCH(int, hue);
        const QImage bitmap = *StatusBitmap(number);
        const QColor middle = bitmap.pixelColor(8, 9);
        const int difference = std::abs(middle.hsvHue() - hue);
        QVERIFY2(std::min(difference, 360 - difference) < 20, qPrintable(QString::number(middle.hsvHue())));
        QCOMPARE(bitmap.pixelColor(0, 0), kStatusMaskColor);
    }

    void everyPictureLiesInTheTopLeftFifteenPixels() {
        for (int number = 101; number <= 104; ++number) {
            const QImage bitmap = *StatusBitmap(number);
            int drawn = 0;
            for (int i = 0; i < 16; ++i) {
                QCOMPARE(bitmap.pixelColor(15, i), kStatusMaskColor);
                QCOMPARE(bitmap.pixelColor(i, 15), kStatusMaskColor);
            }
            for (int y = 0; y < 15; ++y)
                for (int x = 0; x < 15; ++x)
                    if (bitmap.pixelColor(x, y) != kStatusMaskColor) ++drawn;
            QVERIFY2(drawn > 40, qPrintable(QString::number(number)));
        }
    }

    void questionMarkIsBlackWithAGreyOutline() {
        const QImage bitmap = *StatusBitmap(104);
        int black = 0;
        int grey = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QColor colour = bitmap.pixelColor(x, y);
                if (colour == QColor(0, 0, 0)) ++black;
                if (colour == QColor(0x80, 0x80, 0x80)) ++grey;
            }
        }
        QVERIFY(black > 20);
        QVERIFY(grey > 20);
    }
};

}  // namespace qm

QTEST_MAIN(qm::StatusPicturesTest)
#include "status_pictures_test.moc"
