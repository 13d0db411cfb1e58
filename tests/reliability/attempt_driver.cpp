// Takes one test through the testing window the way a student does, with the exam keeper that
// lies beside this program (copy it into an installed program folder to use that folder's
// keeper and course): name, group, subject, variant, "A" for every question, finish. Prints the
// report the window shows, or every error and notice, and exits 0 only when a report is shown.
//
//   attempt_driver SUBJECT VARIANT NAME GROUP [--stay-after ANSWERS]
//
// With --stay-after, the driver gives that many answers and then leaves the window on screen
// until it is killed, for a look at it on a real desktop.

#include "ErrorGuard.h"
#include "support/RecordingServices.h"
#include "Unit3.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdio>

namespace {

void pick(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool stays = args.size() == 7 && args.at(5) == QLatin1String("--stay-after");
    if (args.size() != 5 && !stays) {
        std::fprintf(stderr, "usage: attempt_driver SUBJECT VARIANT NAME GROUP "
                             "[--stay-after ANSWERS]\n");
        return 2;
    }
    RecordingServices services;
    Form3 = new TForm3();
    guarded([] { Form3->FormCreate(); });
    Form3->showForm();
    Form3->edt1->setText(args.at(3));
    Form3->edt2->setText(args.at(4));
    pick(Form3->cbb1, args.at(1));
    pick(Form3->cbb2, args.at(2));
    Form3->btn6->click();
    if (stays) {
        for (int i = 0; i < args.at(6).toInt(); ++i)
            Form3->btn1->click();
        return app.exec();
    }
    for (int i = 0; i < Form3->lst1->count(); ++i)
        Form3->btn1->click();
    Form3->btn7->click();
    for (const RecordingServices::Box& box : services.errors + services.notices)
        std::fprintf(stderr, "%s\n", box.message.toUtf8().constData());
    const bool reported = Form3->state() == TForm3::State::Report;
    if (reported)
        std::fputs(Form3->mmo3->toPlainText().toUtf8().constData(), stdout);
    delete Form3;
    return reported ? 0 : 1;
}
