// The tab strip over the drives: a tab widget whose pages stay empty (the
// drive view's panes lie over its page area), one tab per drive labelled with
// the drive's model text. The mouse wheel does not switch tabs (every switch
// reads a drive).
#pragma once

#include <QString>
#include <QTabWidget>

namespace qm {

class TabControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    // Inserts a tab at `index` (appended when beyond the last) whose label is
    // `text` shown literally ("&" is not an access key). The first tab becomes
    // the selected one without a selectionChanged(). Returns the tab's index.
    int InsertTab(int index, const QString& text);

    // The selected tab's index; -1 without tabs.
    int SelectedIndex() const { return currentIndex(); }

    // Label of a tab as given to InsertTab; empty for an index without a tab.
    QString TabText(int index) const;

    // Starts reporting selection changes: from now on every change of the
    // selected tab, by mouse, keyboard or program, emits selectionChanged.
    void Hook();
    // Stops reporting them.
    void Unhook();
    bool IsHooked() const { return hooked_; }

signals:
    // The selected tab changed to `index` (only while hooked).
    void selectionChanged(int index);

protected:
    // Keeps wheel events away from the tab strip.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool hooked_ = false;
    QMetaObject::Connection connection_;
};

}  // namespace qm
