// editor_save: what "Сохранить файл" does with the teacher's text, in a program of its own, so
// that a test can watch its system calls from outside.
//
//   editor_save PATH TEXT_FILE
//
// TEXT_FILE holds the editor text as UTF-8 with "\n" breaks. Prints "saved" once the save has
// returned. Exit status: 0 saved, 1 the save failed (the reason on standard error), 2 wrong
// arguments.

#include "EditorFiles.h"
#include "Failure.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fputs("usage: editor_save PATH TEXT_FILE\n", stderr);
        return 2;
    }
    QFile textFile(args.at(1));
    if (!textFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "editor_save: cannot read %s\n", qPrintable(args.at(1)));
        return 2;
    }
    try {
        EditorFiles::savePacked(args.at(0), QString::fromUtf8(textFile.readAll()));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "editor_save: %s\n", failure.message().toUtf8().constData());
        return 1;
    }
    std::fputs("saved\n", stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
