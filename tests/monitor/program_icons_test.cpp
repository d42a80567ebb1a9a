// The icon resources found by number: program picture, notification and
// window number icons.
#include <QtTest>

#include "monitor/program_icons.h"

namespace qm {

class ProgramIconsTest : public QObject {
    Q_OBJECT
private slots:
    void resourcesExistExactlyForTheirNumbers_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("side");  // 0: no such resource
        QTest::newRow("program file") << 1 << 32;
        QTest::newRow("2") << 2 << 0;
        QTest::newRow("99") << 99 << 0;
        QTest::newRow("window") << 100 << 32;
        QTest::newRow("tray 0") << 101 << 16;
        QTest::newRow("tray 41") << 142 << 16;
        QTest::newRow("tray 77") << 178 << 16;
        QTest::newRow("tray question mark") << 179 << 16;
        QTest::newRow("180") << 180 << 0;
        QTest::newRow("200") << 200 << 0;
        QTest::newRow("window 1") << 201 << 32;
        QTest::newRow("window 45") << 245 << 32;
        QTest::newRow("window 87") << 287 << 32;
        QTest::newRow("288") << 288 << 0;
        QTest::newRow("negative") << -1 << 0;
    }
    void resourcesExistExactlyForTheirNumbers() {
        QFETCH(int, number);
        QFETCH(int, side);
        const auto image = IconResourceImage(number);
        QCOMPARE(image.has_value(), side != 0);
        QCOMPARE(IconResource(number).has_value(), side != 0);
        if (image) QCOMPARE(image->size(), QSize(side, side));
    }

    void everyNumberHasItsOwnPicture() {
        QSet<QByteArray> seen;
        for (int number = 201; number <= 287; ++number) {
            const QImage image = IconResourceImage(number)->convertToFormat(QImage::Format_ARGB32);
            const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
            QVERIFY2(!seen.contains(bytes), qPrintable(QString::number(number)));
            seen.insert(bytes);
        }
        QVERIFY(*IconResourceImage(142) != *IconResourceImage(143));
        QVERIFY(*IconResourceImage(179) != *IconResourceImage(178));
    }

    void theCacheDrawsEachNumberOnce() {
        IconCache cache;
        const auto first = cache.Icon(142);
        QVERIFY(first.has_value());
        QCOMPARE(cache.DrawCount(), 1);
        for (int pass = 0; pass < 10; ++pass) QCOMPARE(cache.Icon(142)->cacheKey(), first->cacheKey());
        QCOMPARE(cache.DrawCount(), 1);
        QVERIFY(cache.Icon(245).has_value());
        QCOMPARE(cache.DrawCount(), 2);
        QVERIFY(!cache.Icon(180).has_value());  // no such resource: nothing drawn, nothing kept
        QVERIFY(!cache.Icon(180).has_value());
        QCOMPARE(cache.DrawCount(), 2);
        QCOMPARE(first->pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 IconResourceImage(142)->convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    void numberIconsHaveDarkDigitsOnALightTile() {
        const QImage image = *IconResourceImage(245);
        int dark = 0;
        int light = 0;
        for (int y = 8; y < 28; ++y)
            for (int x = 2; x < 30; ++x) (image.pixelColor(x, y).lightness() < 100 ? dark : light)++;
        QVERIFY(dark > 30);
        QVERIFY(light > dark);
    }
};

}  // namespace qm

QTEST_MAIN(qm::ProgramIconsTest)
#include "program_icons_test.moc"
