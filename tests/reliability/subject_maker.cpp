// subject_maker CONTENT_DIR NAME: what the teacher's "Создать" does for a subject name, in a
// program of its own so that a test can run it as another account. Exits 0 when the subject was
// created (what already existed is left as it is), 1 when the name was refused (the notice on
// standard error), 2 on wrong arguments.

#include "SubjectCreation.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fputs("usage: subject_maker CONTENT_DIR NAME\n", stderr);
        return 2;
    }
    const QString notice = SubjectCreation::create(args.at(0), args.at(1));
    if (!notice.isEmpty())
        std::fprintf(stderr, "subject_maker: %s\n", notice.toUtf8().constData());
    return notice.isEmpty() ? 0 : 1;
}
