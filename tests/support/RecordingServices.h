#pragma once

#include "PlatformServices.h"

#include <QStringList>

// Platform services for tests: records every box and document request, and answers dialogs
// and questions from queues that the test fills beforehand. Installs itself for its lifetime.
class RecordingServices : public PlatformServices {
public:
    struct Box {
        QString title;
        QString message;
    };

    RecordingServices();
    ~RecordingServices() override;

    void showError(const QString& title, const QString& message) override;
    void showNotice(const QString& title, const QString& message) override;
    bool askYesNo(const QString& title, const QString& question) override;
    QString askOpenFileName(QWidget* parent, const QString& folder, const QString& filter,
                            QString* selectedFilter = nullptr) override;
    QString askSaveFileName(QWidget* parent, const QString& folder, const QString& filter,
                            const QString& defaultSuffix) override;
    bool askPrinter(QWidget* parent, QPrinter& printer) override;
    void openDocument(const QString& path) override;

    QList<Box> errors;
    QList<Box> notices;
    QStringList questions;
    QStringList openedDocuments;

    // What the next dialogs and questions answer; an empty queue answers "cancel" / "no".
    QStringList openAnswers;
    QStringList saveAnswers;
    // The filter entry the user confirms in the next open dialogs; empty keeps the one given.
    QStringList openFilterAnswers;
    QList<bool> yesNoAnswers;
    // The PDF file the next print dialogs print to; an empty queue answers "cancel".
    QStringList printAnswers;
    int printCalls = 0;

    // What the dialogs were given.
    struct DialogCall {
        QString folder;
        QString filter;
        QString defaultSuffix;
        QString selectedFilter; // the entry selected as the dialog opened
    };
    QList<DialogCall> openCalls;
    QList<DialogCall> saveCalls;

private:
    PlatformServices* m_previous = nullptr;
};
