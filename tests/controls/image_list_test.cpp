// McImgLst: picture size, key-colour transparency, background colour, adding
// and drawing pictures.
#include <QtTest>

#include <QPainter>
#include <QTemporaryDir>

#include "controls/image_list.h"
#include "controls/status_pictures.h"

namespace qm {

namespace {
const QColor kMagenta(0xFF, 0x00, 0xFF);

// A 16 x 16 bitmap: magenta with one blue pixel at (5, 5).
QImage KeyedBitmap(int width = 16) {
    QImage image(width, 16, QImage::Format_RGB32);
    image.fill(kMagenta);
    image.setPixelColor(5, 5, QColor(0, 0, 255));
    return image;
}
}  // namespace

class ImageListTest : public QObject {
    Q_OBJECT
private slots:
    void startsEmptyWithSixteenPixelPictures() {
        McImgLst list;
        QCOMPARE(list.ImageWidth(), 16);
        QCOMPARE(list.ImageHeight(), 16);
        QCOMPARE(list.ImageCount(), 0);
        QVERIFY(!list.UseMaskColor());
        QCOMPARE(list.MaskColor(), QColor(0, 0, 0));
        QVERIFY(!list.BackColor().has_value());
    }

    void sizeReadsBackAndDiscardsPictures() {
        McImgLst list;
        list.SetImageWidth(15);
        list.SetImageHeight(15);
        QCOMPARE(list.ImageWidth(), 15);
        QCOMPARE(list.ImageHeight(), 15);
        QCOMPARE(list.AddImageResource(101), 0);
        QCOMPARE(list.ImageCount(), 1);
        list.SetImageHeight(15);
        QCOMPARE(list.ImageCount(), 0);
        // Sizes that would exhaust memory are refused.
        list.SetImageWidth(0);
        list.SetImageHeight(100000);
        QCOMPARE(list.ImageWidth(), 15);
        QCOMPARE(list.ImageHeight(), 15);
    }

    void statusBitmapsBecomePicturesZeroToThree() {
        McImgLst list;
        list.SetImageHeight(15);
        list.SetImageWidth(15);
        list.SetUseMaskColor(true);
        list.SetMaskColor(kMagenta);
        for (int resource = 101; resource <= 104; ++resource) QCOMPARE(list.AddImageResource(resource), resource - 101);
        QCOMPARE(list.ImageCount(), 4);
        QCOMPARE(list.AddImageResource(105), -1);
        QCOMPARE(list.AddImageResource(100), -1);
        QCOMPARE(list.ImageCount(), 4);
        QCOMPARE(list.Picture(0).size(), QSize(15, 15));
    }

    void aWideBitmapGivesOnePicturePerWidth() {
        McImgLst list;
        list.SetImageWidth(15);
        list.SetImageHeight(15);
        QCOMPARE(list.AddBitmap(KeyedBitmap(16)), 0);  // 16 wide: one picture of 15
        QCOMPARE(list.AddBitmap(KeyedBitmap(45)), 1);  // three pictures
        QCOMPARE(list.ImageCount(), 4);
        QCOMPARE(list.AddBitmap(QImage(10, 10, QImage::Format_RGB32)), -1);  // too small
        QCOMPARE(list.AddBitmap(QImage()), -1);
    }

    void maskColourBecomesTransparentOnlyWhenAsked() {
        McImgLst masked;
        masked.SetUseMaskColor(true);
        masked.SetMaskColor(kMagenta);
        masked.AddBitmap(KeyedBitmap());
        const QImage maskedPicture = masked.Picture(0).toImage();
        QCOMPARE(maskedPicture.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(maskedPicture.pixelColor(5, 5), QColor(0, 0, 255));

        McImgLst plain;
        plain.SetMaskColor(kMagenta);
        plain.AddBitmap(KeyedBitmap());
        QCOMPARE(plain.Picture(0).toImage().pixelColor(0, 0), kMagenta);  // magenta stays visible
    }

    void backColourFillsTheTransparentParts() {
        McImgLst list;
        list.SetUseMaskColor(true);
        list.SetMaskColor(kMagenta);
        list.SetBackColor(QColor(Qt::white));
        list.AddBitmap(KeyedBitmap());
        const QImage picture = list.Picture(0).toImage();
        QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::white));
        QCOMPARE(picture.pixelColor(5, 5), QColor(0, 0, 255));
    }

    void drawNeedsAPicture() {
        QImage canvas(40, 40, QImage::Format_ARGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        McImgLst list;
        QVERIFY(!list.Draw(0, painter, 0, 0));
        list.SetUseMaskColor(true);
        list.SetMaskColor(kMagenta);
        list.AddBitmap(KeyedBitmap());
        QVERIFY(!list.Draw(1, painter, 0, 0));
        QVERIFY(!list.Draw(-1, painter, 0, 0));
        QVERIFY(list.Draw(0, painter, 10, 20));
        painter.end();
        QCOMPARE(canvas.pixelColor(15, 25), QColor(0, 0, 255));
        QCOMPARE(canvas.pixelColor(10, 20), QColor(Qt::black));  // transparent: the canvas shows
    }

    void addImageLoadsAFile() {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("two.png"));
        QVERIFY(KeyedBitmap(32).save(file));
        McImgLst list;
        QCOMPARE(list.AddImage(file), 0);
        QCOMPARE(list.ImageCount(), 2);
        QCOMPARE(list.AddImage(folder.filePath(QStringLiteral("missing.png"))), -1);
        QFile junk(folder.filePath(QStringLiteral("junk.png")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
        junk.close();
        QCOMPARE(list.AddImage(junk.fileName()), -1);
        QCOMPARE(list.ImageCount(), 2);
    }

    void imageCountGrowsAndShrinks() {
        McImgLst list;
        list.AddBitmap(KeyedBitmap());
        list.SetImageCount(3);
        QCOMPARE(list.ImageCount(), 3);
        QCOMPARE(list.Picture(2).toImage().pixelColor(0, 0).alpha(), 0);
        list.SetImageCount(1);
        QCOMPARE(list.ImageCount(), 1);
        list.SetImageCount(-1);
        QCOMPARE(list.ImageCount(), 1);
    }
};

}  // namespace qm

QTEST_MAIN(qm::ImageListTest)
#include "image_list_test.moc"
