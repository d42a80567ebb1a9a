// Everything Form1 reaches outside itself, handed over at construction.
#pragma once

#include "app/app_paths.h"
#include "app/font_catalog.h"
#include "app/message_boxes.h"
#include "app/process_control.h"
#include "monitor/clock.h"
#include "monitor/notification_area.h"
#include "platform/device.h"

namespace qm {

struct Form1Seams {
    DriveProvider& drives;       // the drive slots (real disks or a simulated set)
    RightsProbe& rights;         // the administrator test
    MessageBoxes& messages;      // message boxes
    NotificationArea& tray;      // temperature icons of the notification area
    Clock& clock;                // local time of the history samples
    FontCatalog& fonts;          // the font database (Meiryo or not)
    ProcessControl& process;     // ending the program after the teardown
    AppPaths paths;              // program folder and settings file
};

}  // namespace qm
