// バージョン情報: the about box frmAbout (the program's icon, title and
// version, its logo and an OK button that Enter and Esc both press), and the
// keeper that lets only one exist at a time.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

namespace qm {

// "Ver. " and the version's three numbers ("Ver. 1.2.1").
QString VersionText(int major, int minor, int revision);

class AboutBox final : public QDialog {
    Q_OBJECT
public:
    // A small fixed dialog without an owner, deleted when closed.
    AboutBox();
};

// Shows the about box without making it modal, so the main window stays
// usable; while one is open, showing it again only brings it forward. An open
// box goes when the keeper goes.
class AboutBoxKeeper final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~AboutBoxKeeper() override;
    void Show();
    AboutBox* Box() const { return box_; }

private:
    QPointer<AboutBox> box_;
};

}  // namespace qm
