// Everything a menu command works with, handed over once when the menus are
// wired: the main window, the drives it watches, the settings file and the
// options it holds, and the platform seams the commands reach.
#pragma once

#include "commands/main_window_port.h"
#include "commands/message_boxes.h"
#include "monitor/drive_monitor.h"
#include "platform/settings.h"

namespace qm {

struct CommandContext {
    MainWindowPort& window;
    DriveMonitor& monitor;
    Settings& settings;
    Options& options;        // the options the running program holds
    MessageBoxes& messages;
};

}  // namespace qm
