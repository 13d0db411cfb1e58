// lab_writer: one computer of a lab finishing a test. Saves one report the way the testing
// window does, at the moment the test lets all writers go.
//
//   lab_writer FOLDER STUDENT WRITER BARRIER
//
// Prints "ready" once its report is made, then opens the named pipe BARRIER for reading: that
// blocks until the test opens the pipe's other end, which lets every waiting writer go at once.
// Then it saves and prints the path written. Exit status: 0 saved, 3 all report numbers taken,
// 1 the save failed (the reason on standard error), 2 wrong arguments.

#include "Failure.h"
#include "LabReport.h"
#include "ReportFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 4) {
        std::fputs("usage: lab_writer FOLDER STUDENT WRITER BARRIER\n", stderr);
        return 2;
    }
    const QByteArray text = LabReport::text(args.at(1), args.at(2).toInt());
    std::printf("ready\n");
    std::fflush(stdout);

    const int barrier = ::open(QFile::encodeName(args.at(3)).constData(), O_RDONLY | O_CLOEXEC);
    if (barrier < 0) {
        std::perror("lab_writer: barrier");
        return 2;
    }
    ::close(barrier);

    try {
        const QString written = ReportFile::saveNew(args.at(0), args.at(1), text);
        if (written.isEmpty())
            return 3;
        std::printf("%s\n", written.toUtf8().constData());
        return 0;
    } catch (const Failure& failure) {
        std::fprintf(stderr, "lab_writer: %s\n", failure.message().toUtf8().constData());
        return 1;
    }
}
