#include "app/modal_windows.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace qm {
namespace {

void BringBack(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace

void MakeModalToParent(QWidget& window) { window.setWindowModality(Qt::WindowModal); }

void RaiseModalWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) BringBack(*modal);
}

ModalWindowKeeper::ModalWindowKeeper(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

ModalWindowKeeper::~ModalWindowKeeper() { qApp->removeEventFilter(this); }

bool ModalWindowKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && window->isModal() && window->isMinimized()) {
            // After the state change has been handled: the window system may
            // still be minimising it.
            QTimer::singleShot(0, window, [guarded = QPointer<QWidget>(window)] {
                if (guarded && guarded->isMinimized()) BringBack(*guarded);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace qm
