// The Qt realisations of the window seams: message boxes, the save dialog,
// the desktop's launcher, the busy pointer, the font database and the end of
// the program; and the faces that stand in for the designed ones.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/font_catalog.h"
#include "app/process_control.h"
#include "commands/busy_indicator.h"
#include "commands/file_dialogs.h"
#include "commands/launcher.h"
#include "commands/message_boxes.h"

namespace qm {

// The width a message box needs for a window manager to show its whole
// caption beside the title bar's buttons.
int MessageBoxWidthForCaption(const QString& caption);

class QtMessageBoxes final : public MessageBoxes {
public:
    // Boxes are modal to `parent` alone once it is set (nullptr: application
    // modal), so the notification icons keep answering while one is open.
    void SetParent(QWidget* parent) { parent_ = parent; }
    // Shows a QMessageBox with `text` as plain text (CR LF line breaks become
    // plain line breaks), at least as wide as its caption needs.
    MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& caption,
                       const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

class QtFileDialogs final : public FileDialogs {
public:
    // The dialog is modal to `parent` alone once it is set (nullptr: no owner,
    // application modal).
    void SetParent(QWidget* parent) { parent_ = parent; }
    // A QFileDialog without an overwrite question.
    std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override;

private:
    QPointer<QWidget> parent_;
};

class QtLauncher final : public Launcher {
public:
    // QDesktopServices::openUrl with a file address or the web address.
    void OpenFile(const std::string& path) override;
    void OpenAddress(const std::string& address) override;
};

class QtBusyIndicator final : public BusyIndicator {
public:
    // The application's override cursor: the wait cursor, then restored.
    void Begin() override;
    void End() override;
};

class QtFontCatalog final : public FontCatalog {
public:
    // Asks QFontDatabase for the family.
    bool HasFamily(std::string_view family) override;
};

// Tells the font system which installed face stands in for each designed
// face (kFaceStandIns) that the font database does not have.
void InstallFaceStandIns();

class QtProcessControl final : public ProcessControl {
public:
    // Leaves every running event loop, so main() returns.
    void EndProcess() override;
};

}  // namespace qm
