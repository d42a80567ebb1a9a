#include "app/program_style.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace qm {
namespace {

// Two small arrows pointing right, in the text colour of the palette.
QIcon OverflowChevron(const QColor& colour) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(colour, 1.5));
    for (const int left : {4, 9}) {
        painter.drawLine(QPointF(left, 4), QPointF(left + 3.5, 8));
        painter.drawLine(QPointF(left + 3.5, 8), QPointF(left, 12));
    }
    return QIcon(picture);
}

}  // namespace

QIcon ProgramStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option, const QWidget* widget) const {
    if (standardIcon == SP_ToolBarHorizontalExtensionButton) {
        const QPalette palette = widget != nullptr ? widget->palette() : standardPalette();
        return OverflowChevron(palette.color(QPalette::ButtonText));
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

}  // namespace qm
