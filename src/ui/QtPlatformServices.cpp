#include "QtPlatformServices.h"

#include "CodePage.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QUrl>

namespace {

void centreOnScreen(QWidget& box) {
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
}

void runBox(QMessageBox::Icon icon, const QString& title, const QString& message) {
    QMessageBox box(icon, title, message, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    centreOnScreen(box);
    box.exec();
}

} // namespace

void QtPlatformServices::showError(const QString& title, const QString& message) {
    runBox(QMessageBox::Critical, title, message);
}

void QtPlatformServices::showNotice(const QString& title, const QString& message) {
    runBox(QMessageBox::NoIcon, title, message);
}

bool QtPlatformServices::askYesNo(const QString& title, const QString& question) {
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::Yes | QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    centreOnScreen(box);
    return box.exec() == QMessageBox::Yes;
}

QString QtPlatformServices::askOpenFileName(QWidget* parent, const QString& folder,
                                            const QString& filter, QString* selectedFilter) {
    // Any name is taken, a typed one of a missing file too: opening it then fails with the
    // reader's own message. The desktop's own dialogs insist on an existing file, so ours is used.
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

QString QtPlatformServices::askSaveFileName(QWidget* parent, const QString& folder,
                                            const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // The caller asks before replacing a file, so the dialog must not ask as well.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void QtPlatformServices::openDocument(const QString& path) {
    // By the file's bytes on disk: a presentation whose name (or folder's name) is in
    // Windows-1251 bytes is handed over as those bytes, or the desktop would find nothing.
    QDesktopServices::openUrl(CodePage::fileUrl(path));
}

bool QtPlatformServices::askPrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
