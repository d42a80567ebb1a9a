#include "controls/image_list.h"

#include <QPainter>

#include "controls/status_pictures.h"

namespace qm {

int McImgLst::AddImage(const QString& fileName) {
    QImage bitmap;
    if (!bitmap.load(fileName)) return -1;
    return AddBitmap(bitmap);
}

int McImgLst::AddImageResource(int resourceNumber) {
    const auto bitmap = StatusBitmap(resourceNumber);
    if (!bitmap) return -1;
    return AddBitmap(*bitmap);
}

int McImgLst::AddBitmap(const QImage& bitmap) {
    if (bitmap.isNull() || width_ <= 0 || height_ <= 0) return -1;
    if (bitmap.width() < width_ || bitmap.height() < height_) return -1;
    const QImage source = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = maskColor_.rgb() & 0x00FFFFFFu;
    const int first = ImageCount();
    for (int left = 0; left + width_ <= source.width() && ImageCount() < kMaxPictureCount; left += width_) {
        QImage picture = source.copy(left, 0, width_, height_);
        if (useMaskColor_) {
            for (int y = 0; y < picture.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
                for (int x = 0; x < picture.width(); ++x)
                    if ((line[x] & 0x00FFFFFFu) == key) line[x] = qRgba(0, 0, 0, 0);
            }
        }
        images_.push_back(std::move(picture));
    }
    return ImageCount() > first ? first : -1;
}

bool McImgLst::Draw(int index, QPainter& painter, int x, int y) const {
    if (images_.empty() || index < 0 || index >= ImageCount()) return false;
    if (backColor_) painter.fillRect(x, y, width_, height_, *backColor_);
    painter.drawImage(x, y, images_[static_cast<std::size_t>(index)]);
    return true;
}

QPixmap McImgLst::Picture(int index) const {
    if (index < 0 || index >= ImageCount()) return {};
    QImage composed(width_, height_, QImage::Format_ARGB32);
    composed.fill(Qt::transparent);
    QPainter painter(&composed);
    Draw(index, painter, 0, 0);
    painter.end();
    return QPixmap::fromImage(composed);
}

void McImgLst::SetImageWidth(int width) {
    if (width < 1 || width > kMaxPictureSide) return;
    width_ = width;
    images_.clear();
}

void McImgLst::SetImageHeight(int height) {
    if (height < 1 || height > kMaxPictureSide) return;
    height_ = height;
    images_.clear();
}

void McImgLst::SetImageCount(int count) {
    if (count < 0 || count > kMaxPictureCount) return;
    while (ImageCount() > count) images_.pop_back();
    while (ImageCount() < count) {
        QImage blank(width_, height_, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        images_.push_back(std::move(blank));
    }
}

}  // namespace qm
