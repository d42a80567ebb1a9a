// Test realisations for the menu commands: message boxes with a scripted
// answer, and a main window that only records what the commands ask of it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "commands/main_window_port.h"
#include "commands/message_boxes.h"

namespace qm::test {

class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        MessageIcon icon;
        MessageButtons buttons;
        std::string caption;
        std::string text;
    };
    MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& caption,
                       const std::string& text) override {
        shown.push_back({icon, buttons, caption, text});
        if (onShow) onShow();  // what happens while the box is open
        return answer;
    }
    std::vector<Shown> shown;
    std::function<void()> onShow;
    MessageAnswer answer = MessageAnswer::Ok;
};

class RecordingWindowPort final : public MainWindowPort {
public:
    DriveSlot SelectedSlot() const override { return selected; }
    const DriveViewContent& ShownDrive() const override { return shown; }
    void RefreshDriveView() override { ++refreshes; }
    void UpdateTemperatures() override { ++passes; }
    bool IsOptionChecked(Option option) const override { return checked.count(option) && checked.at(option); }
    void SetOptionChecked(Option option, bool on) override { checked[option] = on; }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetWindowIcon(int resource) override { icon = resource; }

    DriveSlot selected = -1;
    DriveViewContent shown;
    std::map<Option, bool> checked;
    std::string caption = "Quillmoor Ver1.2.0";
    int icon = 0;
    int refreshes = 0;
    int passes = 0;
};

}  // namespace qm::test
