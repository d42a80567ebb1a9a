// Text between the core (UTF-8 std::string) and the widgets (QString).
#pragma once

#include <string_view>

#include <QString>
#include <QStringList>

#include "base/codepage.h"

namespace qm {

inline QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Text that came from a drive or a file, made safe to show (DisplayText): it
// can neither add lines nor turn the direction of the text around it.
inline QString ShownText(std::string_view text) { return Utf8(DisplayText(text)); }

// Text from a drive or a file as a window title that shows it as it is: Qt
// takes "[*]" in a title for the place of the window's modified mark (and
// drops it), unless it is written twice.
inline QString WindowTitleText(std::string_view text) {
    return ShownText(text).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

// Text as the markup of a tooltip that shows it exactly as it is. Qt takes
// any tooltip text that looks like markup for rich text, so drive text such
// as "<img width=9000 height=9000 src=a>" or "<b>" would be rendered; here
// every character is escaped, line breaks (CR LF, CR, LF) stay line breaks
// and runs of blanks stay blanks.
inline QString PlainTextMarkup(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) line = line.toHtmlEscaped();
    return QStringLiteral("<p style='white-space:pre'>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
}

}  // namespace qm
