// Test realisations of the command seams: message boxes and a save dialog
// with scripted answers, a launcher and a busy pointer that record what they
// were asked.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "commands/busy_indicator.h"
#include "commands/file_dialogs.h"
#include "commands/launcher.h"
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

class RecordingFileDialogs final : public FileDialogs {
public:
    std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    std::vector<SaveFileRequest> requests;
    std::optional<std::string> answer;  // nullopt: the user cancels
};

class RecordingLauncher final : public Launcher {
public:
    void OpenFile(const std::string& path) override { opened.push_back("file:" + path); }
    void OpenAddress(const std::string& address) override { opened.push_back("address:" + address); }
    std::vector<std::string> opened;  // "file:PATH" or "address:ADDRESS", in order
};

class RecordingBusyIndicator final : public BusyIndicator {
public:
    void Begin() override {
        ++depth;
        if (onBegin) onBegin();
    }
    void End() override { --depth; }
    int depth = 0;  // > 0 while the busy pointer shows
    std::function<void()> onBegin;
};

}  // namespace qm::test
