// report_writer: saves one report the way the testing window does, for tests that need several
// programs writing into one reports folder at the same moment.
//
//   report_writer FOLDER STUDENT TEXT_FILE [--start-at MSECS] [--file-size-limit BYTES]
//
// TEXT_FILE holds the report as UTF-8 with "\n" breaks; it is saved as Windows-1251 with CR LF.
// --start-at waits until that moment (milliseconds since the epoch) before saving, so that
// copies started one after another save together. --file-size-limit makes every write beyond
// that many bytes fail, as a full disk would.
//
// Prints the path written. Exit status: 0 saved, 3 all report numbers taken, 1 the save
// failed (the reason on standard error), 2 wrong arguments.

#include "Failure.h"
#include "ReportFile.h"
#include "TextLines.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

namespace {

int usage() {
    std::fputs("usage: report_writer FOLDER STUDENT TEXT_FILE [--start-at MSECS] "
               "[--file-size-limit BYTES]\n",
               stderr);
    return 2;
}

void waitUntil(qint64 moment) {
    for (;;) {
        const qint64 left = moment - QDateTime::currentMSecsSinceEpoch();
        if (left <= 0)
            return;
        if (left > 2)
            QThread::msleep(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 3)
        return usage();
    qint64 startAt = 0;
    qint64 sizeLimit = -1;
    for (qsizetype i = 3; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage();
        bool ok = false;
        const qint64 value = args.at(i + 1).toLongLong(&ok);
        if (!ok)
            return usage();
        if (args.at(i) == QLatin1String("--start-at"))
            startAt = value;
        else if (args.at(i) == QLatin1String("--file-size-limit"))
            sizeLimit = value;
        else
            return usage();
    }

    QFile textFile(args.at(2));
    if (!textFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "report_writer: cannot read %s\n", qPrintable(args.at(2)));
        return 2;
    }
    const QByteArray text = TextLines::fromEditorText(QString::fromUtf8(textFile.readAll()));

    if (sizeLimit >= 0) {
        std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit then fails with EFBIG
        rlimit limit{};
        limit.rlim_cur = static_cast<rlim_t>(sizeLimit);
        limit.rlim_max = static_cast<rlim_t>(sizeLimit);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            std::perror("report_writer: setrlimit");
            return 2;
        }
    }
    waitUntil(startAt);

    try {
        const QString written = ReportFile::saveNew(args.at(0), args.at(1), text);
        if (written.isEmpty()) {
            std::fputs("report_writer: all report numbers are taken\n", stderr);
            return 3;
        }
        std::printf("%s\n", written.toUtf8().constData());
        return 0;
    } catch (const Failure& failure) {
        std::fprintf(stderr, "report_writer: %s\n", failure.message().toUtf8().constData());
        return 1;
    }
}
