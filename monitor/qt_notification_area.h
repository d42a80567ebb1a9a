// The notification area of the desktop: one QSystemTrayIcon per drive slot.
// Where the desktop has no notification area (the offscreen platform, a bare
// X server), every add is refused and nothing is shown.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include "monitor/notification_area.h"
#include "monitor/program_icons.h"

namespace qm {

// The tooltip as the desktop is given it. A tooltip that merely looks like
// HTML is shown as HTML (and pictures named in it are loaded), so the text is
// escaped and wrapped as rich text instead: `tip` (UTF-8, lines joined by
// CR LF, LF or CR) is shown literally, line for line, blanks kept, and
// nothing in it can become a tag, an entity or a file to load.
QString TrayTooltipHtml(std::string_view tip);

enum class TrayAvailability {
    Desktop,  // icons only where the desktop has a notification area
    Assumed,  // icons are always made (tests, benchmarks); without a notification area nothing is seen
};

class QtNotificationArea final : public QObject, public NotificationArea {
    Q_OBJECT
public:
    explicit QtNotificationArea(TrayAvailability availability = TrayAvailability::Desktop);
    ~QtNotificationArea() override;

    // Add and modify hand the desktop only what changed since the slot's
    // last picture and tooltip: an unchanged record costs nothing.
    bool AddIcon(const TrayIconRecord& record) override;
    bool ModifyIcon(const TrayIconRecord& record) override;
    bool DeleteIcon(DriveSlot slot) override;
    bool ShowMessage(DriveSlot slot, const std::string& title, const std::string& text, bool critical) override;
    // Asks the desktop each time: a notification area may come and go.
    bool Available() const override;

    // The menu every icon opens with the right button (set before icons are added).
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

    // The slot's icon; nullptr when it has none (or outside 0..15).
    QSystemTrayIcon* Icon(DriveSlot slot) const;
    // How many pictures and tooltips were handed to the desktop so far.
    int DesktopUpdates() const { return desktopUpdates_; }
    // The pictures drawn for the icons.
    const IconCache& Pictures() const { return pictures_; }

private:
    void Apply(QSystemTrayIcon& icon, const TrayIconRecord& record);

    TrayAvailability availability_;
    std::array<std::unique_ptr<QSystemTrayIcon>, kSlotCount> icons_;
    std::array<std::optional<TrayIconRecord>, kSlotCount> shown_;  // what each icon shows
    IconCache pictures_;
    int desktopUpdates_ = 0;
    QPointer<QMenu> contextMenu_;

signals:
    // Any of the icons was clicked (the icons are not told apart).
    void activated(QSystemTrayIcon::ActivationReason reason);
};

}  // namespace qm
