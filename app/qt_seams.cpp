#include "app/qt_seams.h"

#include <algorithm>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>
#include <QUrl>

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

std::optional<std::string> QtFileDialogs::AskSaveFileName(const SaveFileRequest& request) {
    QStringList filters;
    for (const std::string& filter : request.filters) filters << Utf8(filter);
    QFileDialog dialog(nullptr, QString(), QFile::decodeName(request.folder.c_str()));
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    if (request.selectedFilter < static_cast<std::size_t>(filters.size()))
        dialog.selectNameFilter(filters[static_cast<qsizetype>(request.selectedFilter)]);
    dialog.selectFile(Utf8(request.proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(QDir::toNativeSeparators(dialog.selectedFiles().constFirst())).toStdString();
}

void QtLauncher::OpenFile(const std::string& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

void QtLauncher::OpenAddress(const std::string& address) {
    QDesktopServices::openUrl(QUrl(Utf8(address), QUrl::StrictMode));
}

void QtBusyIndicator::Begin() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtBusyIndicator::End() { QApplication::restoreOverrideCursor(); }

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

void QtProcessControl::EndProcess() { QApplication::exit(0); }

}  // namespace qm
