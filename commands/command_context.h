// Everything a menu command works with, handed over once when the menus are
// wired: the main window, the drives it watches, the settings file and the
// options it holds, the program's places, and the platform seams the
// commands reach.
#pragma once

#include "commands/autostart.h"
#include "commands/busy_indicator.h"
#include "commands/file_dialogs.h"
#include "commands/launcher.h"
#include "commands/main_window_port.h"
#include "commands/message_boxes.h"
#include "commands/program_places.h"
#include "monitor/drive_monitor.h"
#include "settings/settings.h"

namespace qm {

struct CommandContext {
    MainWindowPort& window;
    DriveMonitor& monitor;
    Settings& settings;
    Options& options;        // the options the running program holds
    MessageBoxes& messages;
    FileDialogs& files;      // the save dialog
    Launcher& launcher;      // files and addresses handed to the desktop
    BusyIndicator& busy;     // the busy pointer
    AutostartRegistry& autostart;  // start at log-on
    const ProgramPlaces& places;
};

}  // namespace qm
