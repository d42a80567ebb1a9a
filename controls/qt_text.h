// Text between the core (UTF-8 std::string) and the widgets (QString).
#pragma once

#include <string_view>

#include <QString>

#include "base/codepage.h"

namespace qm {

inline QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Text that came from a drive or a file, made safe to show (DisplayText): it
// can neither add lines nor turn the direction of the text around it.
inline QString ShownText(std::string_view text) { return Utf8(DisplayText(text)); }

}  // namespace qm
