// The main window's placement in the settings file. Restores the stored
// frame before the first show, and knows the frame of the normal window only
// once the window manager has placed it: before the first exposure the frame
// is a guess (no decoration, often at 0,0), and a guess is never stored.
#pragma once

#include <optional>
#include <system_error>

#include <QObject>
#include <QRect>
#include <QSize>

#include "settings/settings.h"

class QWidget;

namespace qm {

class WindowPlacement : public QObject {
    Q_OBJECT
public:
    WindowPlacement(QWidget& window, Settings& settings);

    // Before the first show: the stored left and top place the frame; the
    // stored width and height are the frame's outer size, which is reached
    // once the window manager tells the decoration's size. A value that is
    // missing or not a number leaves that property as it is; a size that is
    // not positive is refused; no window grows beyond the desktop.
    void Restore();

    // True once the window manager has placed the shown window.
    bool IsPlaced() const { return placed_; }

    // The frame of the normal window as last placed; nullopt before the
    // window was placed.
    std::optional<QRect> NormalFrame() const { return normalFrame_; }

    // Stores NormalFrame in one rewrite of the settings file. Stores nothing
    // (and succeeds) while it is unknown, or, with skipUnchanged, when it is
    // what this window stored last.
    std::error_code Save(bool skipUnchanged);

signals:
    // The window manager placed the window, or gave it the restored outer
    // size: its frame is real from now on.
    void placed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnExposed();
    void OnGeometryDelivered();
    void OnStateChanged(Qt::WindowStates oldState);
    void RememberFrame();
    bool IsNormal() const;

    QWidget& window_;
    Settings& settings_;
    bool placed_ = false;
    bool awaitingNormalFrame_ = false;      // back to normal, no geometry delivered since
    std::optional<QSize> pendingOuterSize_;  // a stored outer size waiting for the decoration's size
    std::optional<QRect> normalFrame_;
    std::optional<PixelRect> lastSaved_;
};

}  // namespace qm
