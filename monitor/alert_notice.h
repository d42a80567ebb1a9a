// What a notification says about an alert: the drive (model and serial) and
// what changed, in Japanese, as plain text.
#pragma once

#include <string>
#include <string_view>

#include "monitor/alert_rules.h"
#include "monitor/desktop_notifier.h"

namespace qm {

// The drive an alert is about: its slot and its trimmed identity.
struct AlertDrive {
    DriveSlot slot = 0;
    std::string model;
    std::string serial;
};

// One key per drive and reason ("<model>-<serial>/<reason>").
std::string NoticeKey(const AlertDrive& drive, AlertReason reason);

// The notice of an event other than Clear.
Notice NoticeOf(const AlertEvent& event, const AlertDrive& drive);

}  // namespace qm
