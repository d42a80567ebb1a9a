// Modal windows (the trend graph, the message boxes, the save dialog) that
// never leave the user without a way on: each is modal to the main window
// only, so the notification icons keep answering while one is open; one
// that the window manager minimises comes back at once; and a click on an
// icon brings it to the front together with the main window.
#pragma once

#include <QObject>

class QWidget;

namespace qm {

// Makes `window` modal to its parent window alone (the main window), not to
// the whole program: the notification icons, windows of their own, keep
// taking clicks. Call before exec().
void MakeModalToParent(QWidget& window);

// Brings the open modal window, if there is one, back from minimised and in
// front of the main window.
void RaiseModalWindow();

// Installed on the application: a modal window that gets minimised (window
// managers offer the button even when the window asks for none) is put back
// at once, as it has no taskbar button of its own and the window it blocks
// takes no input.
class ModalWindowKeeper final : public QObject {
public:
    explicit ModalWindowKeeper(QObject* parent);
    ~ModalWindowKeeper() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qm
