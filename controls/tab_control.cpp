#include "controls/tab_control.h"

#include <algorithm>

#include <QEvent>
#include <QTabBar>

namespace qm {

namespace {
constexpr char kLabelProperty[] = "qmLabel";
}

TabControl::TabControl(QWidget* parent) : QTabWidget(parent) {
    setDocumentMode(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
    tabBar()->setExpanding(false);
    tabBar()->installEventFilter(this);
    // Like a native tab control, the strip takes the focus when a tab is
    // clicked, so that the arrow keys go on from there.
    tabBar()->setFocusPolicy(Qt::StrongFocus);
    setFocusPolicy(Qt::StrongFocus);
}

bool TabControl::eventFilter(QObject* watched, QEvent* event) {
    // The strip would step through the tabs with the wheel; the wheel is
    // swallowed here, so only clicks and keys select drives.
    if (watched == tabBar() && event->type() == QEvent::Wheel) return true;
    return QTabWidget::eventFilter(watched, event);
}

int TabControl::InsertTab(int index, const QString& text) {
    auto* page = new QWidget();
    page->setProperty(kLabelProperty, text);
    QString shown = text;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return insertTab(std::clamp(index, 0, count()), page, shown);
}

QString TabControl::TabText(int index) const {
    const QWidget* page = widget(index);
    return page != nullptr ? page->property(kLabelProperty).toString() : QString();
}

void TabControl::Hook() {
    if (hooked_) return;
    connection_ = connect(this, &QTabWidget::currentChanged, this, &TabControl::selectionChanged);
    hooked_ = true;
}

void TabControl::Unhook() {
    if (!hooked_) return;
    disconnect(connection_);
    hooked_ = false;
}

}  // namespace qm
