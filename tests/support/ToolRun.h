#pragma once

// Runs a command-line tool of the project and hands back what it did.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun {
    int exitCode = -1; // -2 when it crashed
    QByteArray out;
    QString err;

    // Runs `program` with `arguments` (in `folder` when one is given); one that does not
    // finish in a minute is killed.
    static ToolRun of(const QString& program, const QStringList& arguments,
                      const QString& folder = QString()) {
        QProcess process;
        if (!folder.isEmpty())
            process.setWorkingDirectory(folder);
        process.start(program, arguments);
        ToolRun result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            result.err = QStringLiteral("<did not finish: %1>").arg(process.errorString());
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = process.readAllStandardOutput();
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
};
