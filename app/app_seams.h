// Everything the main window reaches outside itself, handed over at
// construction: the real realisations in the program, test ones in tests.
#pragma once

#include "app/font_catalog.h"
#include "app/process_control.h"
#include "commands/autostart.h"
#include "commands/busy_indicator.h"
#include "commands/file_dialogs.h"
#include "commands/launcher.h"
#include "commands/message_boxes.h"
#include "commands/program_places.h"
#include "monitor/clock.h"
#include "monitor/desktop_notifier.h"
#include "monitor/notification_area.h"
#include "drives/device.h"
#include "settings/settings.h"

namespace qm {

struct AppSeams {
    DriveProvider& drives;    // the drive slots (real disks or a simulated set)
    RightsProbe& rights;      // may this process read the disks?
    MessageBoxes& messages;   // message boxes
    NotificationArea& tray;   // temperature icons of the notification area
    DesktopNotifier& notifier;  // alerts on the desktop
    Clock& clock;             // the time of the history samples and the alerts
    FontCatalog& fonts;       // the font database
    ProcessControl& process;  // ending the program after the teardown
    Settings& settings;       // the settings file
    FileDialogs& files;       // the save dialog
    Launcher& launcher;       // files and addresses handed to the desktop
    BusyIndicator& busy;      // the busy pointer
    AutostartRegistry& autostart;  // start at log-on
    const ProgramPlaces& places;  // the program's file, its data and the save dialog's folder
};

}  // namespace qm
