#include "RecordingServices.h"

#include <QPrinter>

RecordingServices::RecordingServices()
    : m_previous(&services()) {
    setServices(this);
}

RecordingServices::~RecordingServices() {
    setServices(nullptr);
}

void RecordingServices::showError(const QString& title, const QString& message) {
    errors.append(Box{title, message});
}

void RecordingServices::showNotice(const QString& title, const QString& message) {
    notices.append(Box{title, message});
}

bool RecordingServices::askYesNo(const QString&, const QString& question) {
    questions.append(question);
    return yesNoAnswers.isEmpty() ? false : yesNoAnswers.takeFirst();
}

QString RecordingServices::askOpenFileName(QWidget*, const QString& folder, const QString& filter,
                                           QString* selectedFilter) {
    openCalls.append(
        DialogCall{folder, filter, QString(), selectedFilter ? *selectedFilter : QString()});
    const QString confirmed =
        openFilterAnswers.isEmpty() ? QString() : openFilterAnswers.takeFirst();
    if (selectedFilter && !confirmed.isEmpty())
        *selectedFilter = confirmed;
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString RecordingServices::askSaveFileName(QWidget*, const QString& folder, const QString& filter,
                                           const QString& defaultSuffix) {
    saveCalls.append(DialogCall{folder, filter, defaultSuffix, QString()});
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

bool RecordingServices::askPrinter(QWidget*, QPrinter& printer) {
    ++printCalls;
    if (printAnswers.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printAnswers.takeFirst());
    return true;
}

void RecordingServices::openDocument(const QString& path) {
    openedDocuments.append(path);
}
