#pragma once

#include "ExamChannel.h"

#include <QProcess>
#include <QString>

// The exam keeper as a program of its own, spoken to over its standard input and output. It
// starts with the first request and is told to end (its input closed) when this goes.
class KeeperProcess : public ExamChannel {
public:
    explicit KeeperProcess(QString program);
    ~KeeperProcess() override;

    QByteArray exchange(const QByteArray& request) override;

private:
    QString m_program;
    QProcess m_process;
};
