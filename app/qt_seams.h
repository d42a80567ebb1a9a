// The Qt realisations of the window seams: message boxes, the font database
// and the end of the program; and the faces that stand in for the designed ones.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/font_catalog.h"
#include "commands/message_boxes.h"
#include "app/process_control.h"

namespace qm {

class QtMessageBoxes final : public MessageBoxes {
public:
    // Boxes are modal to `parent` once it is set (nullptr: application modal).
    void SetParent(QWidget* parent) { parent_ = parent; }
    // Shows a QMessageBox; CR LF line breaks become plain line breaks.
    MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& caption,
                       const std::string& text) override;

private:
    QPointer<QWidget> parent_;
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
