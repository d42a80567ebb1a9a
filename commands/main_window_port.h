// What the menu commands ask of the main window. The window implements it;
// tests of the commands give a recording stand-in, so no window is needed.
#pragma once

#include <string>

#include "monitor/drive_view.h"
#include "drives/device.h"
#include "settings/settings.h"

namespace qm {

class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;

    // The slot on display; -1 when there is none.
    virtual DriveSlot SelectedSlot() const = 0;
    // What the drive view shows of that drive (model, serial, volumes).
    virtual const DriveViewContent& ShownDrive() const = 0;
    // Reads the selected drive afresh and shows it, then runs one pass.
    virtual void RefreshDriveView() = 0;
    // One monitoring pass.
    virtual void UpdateTemperatures() = 0;

    // The check mark of an option's menu item.
    virtual bool IsOptionChecked(Option option) const = 0;
    virtual void SetOptionChecked(Option option, bool checked) = 0;

    // The window's caption (text from a drive is shown made safe) and its
    // icon by resource number (icon_numbers.h).
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetWindowIcon(int resource) = 0;
};

}  // namespace qm
