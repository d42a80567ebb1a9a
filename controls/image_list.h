// McImgLst: a list of equally sized small pictures with transparency by a
// key colour, as the attribute list uses for its status marks.
#pragma once

#include <optional>
#include <vector>

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>

class QPainter;

namespace qm {

class McImgLst {
public:
    // Limits that keep a wrong size or count from exhausting memory.
    static constexpr int kMaxPictureSide = 256;
    static constexpr int kMaxPictureCount = 4096;

    // An empty list of 16 x 16 pictures, no mask colour, no background colour.
    McImgLst() = default;

    // Loads a picture file and adds it (see AddBitmap). Returns the index of
    // the first picture added; -1 when the file cannot be read or is too small.
    int AddImage(const QString& fileName);

    // Adds one of the program's status bitmaps (101..104, see
    // status_pictures.h). Returns the index; -1 for an unknown number.
    int AddImageResource(int resourceNumber);

    // Cuts the bitmap into pictures of the list's size, left to right, from
    // its top rows (a 16 x 16 bitmap gives one 15 x 15 picture: its top-left
    // corner). With UseMaskColor, pixels of MaskColor become transparent.
    // Returns the index of the first picture; -1 when none fits.
    int AddBitmap(const QImage& bitmap);

    // Draws picture `index` at (x, y): transparent parts in BackColor when one
    // is set. Returns false, drawing nothing, when the list is empty or the
    // index is not in it.
    bool Draw(int index, QPainter& painter, int x, int y) const;

    // Picture `index` as the lists show it (BackColor under transparent parts
    // when set); a null pixmap for an index outside the list.
    QPixmap Picture(int index) const;

    // Picture size. Changing either discards every picture in the list; a
    // size outside 1..kMaxPictureSide is refused and changes nothing.
    int ImageWidth() const { return width_; }
    void SetImageWidth(int width);
    int ImageHeight() const { return height_; }
    void SetImageHeight(int height);

    // Number of pictures. Growing adds fully transparent pictures; shrinking
    // drops the last ones; a count outside 0..kMaxPictureCount is refused.
    int ImageCount() const { return static_cast<int>(images_.size()); }
    void SetImageCount(int count);

    // Background colour for transparent parts; nullopt: drawn transparently.
    std::optional<QColor> BackColor() const { return backColor_; }
    void SetBackColor(std::optional<QColor> colour) { backColor_ = colour; }

    bool UseMaskColor() const { return useMaskColor_; }
    void SetUseMaskColor(bool use) { useMaskColor_ = use; }
    QColor MaskColor() const { return maskColor_; }
    void SetMaskColor(QColor colour) { maskColor_ = colour; }

private:
    int width_ = 16;
    int height_ = 16;
    bool useMaskColor_ = false;
    QColor maskColor_{0, 0, 0};
    std::optional<QColor> backColor_;
    std::vector<QImage> images_;  // ARGB, transparency already applied
};

}  // namespace qm
