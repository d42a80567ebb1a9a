// The program's widget style: the platform's, with one picture drawn instead
// of read from a file.
#pragma once

#include <QProxyStyle>

namespace qm {

// The menu bar's overflow button (shown only when the menus do not fit) gets
// a drawn chevron. Every menu bar asks for that picture when it is built;
// read from its file, it would have every image format plugin loaded to
// recognise the file before the window could first appear.
class ProgramStyle final : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace qm
