#include "app/window_placement.h"

#include <algorithm>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QWindowStateChangeEvent>

namespace qm {
namespace {

// Window positions beyond this many pixels from the origin are held there.
constexpr int kPositionLimit = 32767;

bool IsNormalState(Qt::WindowStates state) {
    return !(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

}  // namespace

WindowPlacement::WindowPlacement(QWidget& window, Settings& settings)
    : QObject(&window), window_(window), settings_(settings) {
    window_.installEventFilter(this);
}

bool WindowPlacement::IsNormal() const { return IsNormalState(window_.windowState()); }

void WindowPlacement::Restore() {
    const StoredPlacement stored = settings_.ReadPlacement();
    QPoint position = window_.pos();
    if (stored.left) position.setX(std::clamp(*stored.left, -kPositionLimit, kPositionLimit));
    if (stored.top) position.setY(std::clamp(*stored.top, -kPositionLimit, kPositionLimit));
    if (position != window_.pos()) window_.move(position);

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen != nullptr ? screen->availableVirtualGeometry() : QRect(0, 0, 1920, 1080);
    QSize outer = window_.frameGeometry().size();
    if (stored.width && *stored.width > 0) outer.setWidth(std::min(*stored.width, std::max(desktop.width(), 1)));
    if (stored.height && *stored.height > 0) outer.setHeight(std::min(*stored.height, std::max(desktop.height(), 1)));
    if (outer == window_.frameGeometry().size()) return;
    // Until the decoration is known the frame is as large as the window.
    window_.resize(outer);
    pendingOuterSize_ = outer;
}

void WindowPlacement::RememberFrame() {
    // Right after a return to normal the frame may still be the minimised or
    // maximised one; it counts again once the window system delivers geometry.
    if (placed_ && !awaitingNormalFrame_ && window_.isVisible()) normalFrame_ = window_.frameGeometry();
}

std::error_code WindowPlacement::Save(bool skipUnchanged) {
    if (IsNormal()) RememberFrame();
    if (!normalFrame_) return {};
    const PixelRect frame{normalFrame_->x(), normalFrame_->y(), normalFrame_->width(), normalFrame_->height()};
    if (skipUnchanged && lastSaved_ == frame) return {};
    if (const std::error_code error = settings_.WritePlacement(frame)) return error;
    lastSaved_ = frame;
    return {};
}

void WindowPlacement::OnExposed() {
    if (placed_ || !window_.windowHandle() || !window_.windowHandle()->isExposed()) return;
    if (pendingOuterSize_) {
        const QSize decoration = window_.frameGeometry().size() - window_.size();
        const QSize inner = *pendingOuterSize_ - decoration;
        pendingOuterSize_.reset();
        if (!decoration.isEmpty() && inner.width() > 0 && inner.height() > 0 && inner != window_.size()) {
            window_.resize(inner);  // placed when the window system delivers it
            awaitingNormalFrame_ = true;
            return;
        }
    }
    placed_ = true;
    RememberFrame();
    emit placed();
}

void WindowPlacement::OnGeometryDelivered() {
    if (!IsNormal()) return;
    if (!placed_ && awaitingNormalFrame_ && window_.windowHandle() && window_.windowHandle()->isExposed()) {
        awaitingNormalFrame_ = false;
        placed_ = true;
        RememberFrame();
        emit placed();
        return;
    }
    awaitingNormalFrame_ = false;
    RememberFrame();
}

void WindowPlacement::OnStateChanged(Qt::WindowStates oldState) {
    const bool wasNormal = IsNormalState(oldState);
    if (wasNormal && !IsNormal())
        RememberFrame();  // the window system has not moved the frame yet
    else if (!wasNormal && IsNormal())
        awaitingNormalFrame_ = true;
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        switch (event->type()) {
            case QEvent::Show:
                if (window_.windowHandle()) window_.windowHandle()->installEventFilter(this);
                break;
            case QEvent::Move:
            case QEvent::Resize: OnGeometryDelivered(); break;
            case QEvent::WindowStateChange:
                OnStateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
                break;
            default: break;
        }
    } else if (watched == window_.windowHandle() && event->type() == QEvent::Expose) {
        // The window handles the exposure first; afterwards the frame is known.
        const bool handled = QObject::eventFilter(watched, event);
        OnExposed();
        return handled;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace qm
