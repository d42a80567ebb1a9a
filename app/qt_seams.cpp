#include "app/qt_seams.h"

#include <algorithm>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

#include "app/list_face.h"
#include "app/modal_windows.h"
#include "controls/qt_text.h"

namespace qm {

namespace {

// Room beside a caption in a window manager's title bar: the window's icon
// and its buttons (minimise, maximise, close) with their gaps.
constexpr int kTitleBarRoom = 160;

// Widens a message box so that its caption fits in the window manager's title
// bar: QMessageBox sizes itself to its text and allows only a little room for
// the caption, and a window manager cuts the caption of a narrow box. The
// width is reserved by an empty row of the box's own layout, since the box
// fixes its size from that layout.
void WidenForCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    const int width = MessageBoxWidthForCaption(box.windowTitle());
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

}  // namespace

int MessageBoxWidthForCaption(const QString& caption) {
    QFont title = QApplication::font("QMdiSubWindowTitleBar");
    title.setBold(true);  // window managers draw the active caption bold
    return QFontMetrics(title).horizontalAdvance(caption) + kTitleBarRoom;
}

MessageAnswer QtMessageBoxes::Show(MessageIcon icon, MessageButtons buttons, const std::string& caption,
                                   const std::string& text) {
    QMessageBox box(parent_.data());
    box.setWindowTitle(QString::fromStdString(caption));
    // Messages carry drive and file text (a path, a model name): never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (parent_) MakeModalToParent(box);
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
    WidenForCaption(box);  // after the icon and the buttons, which lay the box out anew
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
    QFileDialog dialog(parent_.data(), QString(), QFile::decodeName(request.folder.c_str()));
    if (parent_) MakeModalToParent(dialog);
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
