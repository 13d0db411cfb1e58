#pragma once

#include "ExamChannel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The testing window's side of the talk with the exam keeper: one call a request, replies
// turned into results, and every error the keeper reports thrown as a Failure with its text.
class ExamClient {
public:
    explicit ExamClient(std::unique_ptr<ExamChannel> channel);

    // The variants of a subject, as the variant list shows them.
    QStringList variants(const QString& subject);

    struct Opened {
        QString refusal;              // why the variant cannot run; empty when it can
        int keys = 0;                 // number of key entries, so of answer slots
        QString version;              // which version of the variant file was opened
        QList<QStringList> questions; // each question's lines, as shown
    };
    Opened open(const QString& name, const QString& group, const QString& subject,
                const QString& variant);

    struct Finished {
        bool full = false; // every report number of this name is taken: nothing stored
        QString report;    // the stored report's text, lines ended by "\n"
    };
    Finished finish(const QString& localeName, const QByteArray& answers);

private:
    QStringList request(const QStringList& fields);

    std::unique_ptr<ExamChannel> m_channel;
};
