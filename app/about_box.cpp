#include "app/about_box.h"

#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

#include "controls/qt_text.h"
#include "monitor/icon_numbers.h"
#include "monitor/program_icons.h"

namespace qm {
namespace {

constexpr QSize kLogoSize(187, 29);

// The logo: the program's name in white on a blue-grey band, with the
// words that say what it watches.
QPixmap Logo() {
    QPixmap logo(kLogoSize);
    QPainter painter(&logo);
    QLinearGradient band(0, 0, kLogoSize.width(), 0);
    band.setColorAt(0, QColor(0x20, 0x30, 0x50));
    band.setColorAt(1, QColor(0x5F, 0x73, 0x8C));
    painter.fillRect(logo.rect(), band);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QFont name(QStringLiteral("DejaVu Sans"));
    name.setBold(true);
    name.setPixelSize(17);
    painter.setFont(name);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, 110, kLogoSize.height()), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Quillmoor"));
    QFont words(QStringLiteral("DejaVu Sans"));
    words.setPixelSize(9);
    painter.setFont(words);
    painter.setPen(QColor(0xB0, 0xD8, 0xFF));
    painter.drawText(QRect(112, 0, kLogoSize.width() - 116, kLogoSize.height()), Qt::AlignVCenter | Qt::AlignRight,
                     QStringLiteral("S.M.A.R.T.\nmonitor"));
    return logo;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

}  // namespace

QString VersionText(int major, int minor, int revision) {
    return QStringLiteral("Ver. %1.%2.%3").arg(major).arg(minor).arg(revision);
}

AboutBox::AboutBox()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quillmoor") + Utf8("のﾊﾞｰｼﾞｮﾝ情報"));

    QLabel* icon = Label(this, "Image1");
    icon->setPixmap(QPixmap::fromImage(IconResourceImage(kProgramIcon).value_or(QImage())));
    icon->setFixedSize(32, 32);
    QLabel* version = Label(this, "lblVersion", VersionText(QM_VERSION_MAJOR, QM_VERSION_MINOR, QM_VERSION_REVISION));
    QLabel* title = Label(this, "lblTitle", QStringLiteral("Quillmoor"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    QLabel* logo = Label(this, "Picture1");
    logo->setPixmap(Logo());
    logo->setFixedSize(kLogoSize);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);  // Enter; Esc closes every dialog
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1);
    grid->addWidget(version, 0, 2);
    grid->addWidget(logo, 1, 1, 1, 2);
    grid->addWidget(ok, 0, 3, Qt::AlignTop);
    grid->setColumnStretch(2, 1);
    grid->setHorizontalSpacing(12);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

AboutBoxKeeper::~AboutBoxKeeper() { delete box_.data(); }

void AboutBoxKeeper::Show() {
    // A box that was just closed is on its way out (deleted on close): a new
    // one takes its place.
    if (!box_ || !box_->isVisible()) box_ = new AboutBox;
    box_->show();
    box_->raise();
    box_->activateWindow();
}

}  // namespace qm
