#include "app/qt_seams.h"

#include <algorithm>

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>

#include "app/list_face.h"
#include "controls/qt_text.h"

namespace qm {

MessageAnswer QtMessageBoxes::Show(MessageIcon icon, MessageButtons buttons, const std::string& caption,
                                   const std::string& text) {
    QMessageBox box(parent_.data());
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (icon) {
        case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
        case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
        case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel: return MessageAnswer::Cancel;
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        default: return MessageAnswer::Ok;
    }
}

bool QtFontCatalog::HasFamily(std::string_view family) {
    const QString wanted = QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size()));
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(),
                       [&](const QString& name) { return name.compare(wanted, Qt::CaseInsensitive) == 0; });
}

void InstallFaceStandIns() {
    QtFontCatalog fonts;
    for (const FaceStandIn& standIn : kFaceStandIns)
        if (!fonts.HasFamily(standIn.designed)) QFont::insertSubstitution(Utf8(standIn.designed), Utf8(standIn.standIn));
}

void QtProcessControl::EndProcess() { QCoreApplication::exit(0); }

}  // namespace qm
