// The desktop-notification seam: one notification per drive and reason,
// shown, updated in place and taken away by its key.
#pragma once

#include <string>

#include "drives/device.h"

namespace qm {

struct Notice {
    std::string key;        // the drive and the reason: a later notice with this key replaces it
    DriveSlot slot = 0;     // the drive its button brings up in the window
    bool critical = false;  // red: critical urgency; yellow: normal
    std::string summary;    // one line, plain text
    std::string body;       // plain text, lines joined by LF
    friend bool operator==(const Notice&, const Notice&) = default;
};

// Realised by the desktop's notification service (or, without one, the
// notification icon's balloon message), or by a recorder in tests.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    // Shows the notice, or updates in place the one shown with its key.
    virtual void Show(const Notice& notice) = 0;
    // Takes the notification of `key` away, if one is shown.
    virtual void Close(const std::string& key) = 0;
};

}  // namespace qm
