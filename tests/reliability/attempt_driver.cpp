// Takes a test through the testing window the way a student does, with the exam keeper that lies
// beside this program (copy both into a program folder to use that folder's keeper and course).
// Prints the report the window shows, or every error and notice, and exits 0 only when a report
// is shown.
//
//   attempt_driver SUBJECT VARIANT NAME GROUP   "A" for every question, then finish
//   attempt_driver SUBJECT VARIANT NAME GROUP --stay-after N
//                  "A" for the first N questions, then "answered N" on standard output, and the
//                  window stays until the program is killed (a crash in the middle of a test,
//                  or a look at the window on a real desktop)
//   attempt_driver --resume LETTER
//                  says "Да" to continuing an interrupted test, answers the questions from the
//                  one on screen to the last with LETTER, then finishes
//   attempt_driver --show
//                  shows the window with the desktop's own message boxes until it is killed,
//                  for a look at it

#include "ErrorGuard.h"
#include "support/RecordingServices.h"
#include "Unit3.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
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

QPushButton* button(QChar letter) {
    QPushButton* buttons[] = {Form3->btn1, Form3->btn2, Form3->btn3, Form3->btn4, Form3->btn5};
    return buttons[qBound(0, letter.unicode() - 'A', 4)];
}

int finish(const RecordingServices& services) {
    Form3->btn7->click();
    for (const RecordingServices::Box& box : services.errors + services.notices)
        std::fprintf(stderr, "%s\n", box.message.toUtf8().constData());
    const bool reported = Form3->state() == TForm3::State::Report;
    if (reported)
        std::fputs(Form3->mmo3->toPlainText().toUtf8().constData(), stdout);
    delete Form3;
    return reported ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2 && args.at(1) == QLatin1String("--show")) {
        Form3 = new TForm3();
        guarded([] { Form3->FormCreate(); });
        Form3->showForm();
        return app.exec();
    }
    const bool resumes = args.size() == 3 && args.at(1) == QLatin1String("--resume");
    const bool stays = args.size() == 7 && args.at(5) == QLatin1String("--stay-after");
    if (args.size() != 5 && !stays && !resumes) {
        std::fprintf(stderr, "usage: attempt_driver SUBJECT VARIANT NAME GROUP [--stay-after N]\n"
                             "       attempt_driver --resume LETTER\n");
        return 2;
    }
    RecordingServices services;
    Form3 = new TForm3();
    guarded([] { Form3->FormCreate(); });

    if (resumes) {
        services.yesNoAnswers.append(true);
        Form3->showForm();
        // The question comes once the window is on screen.
        QElapsedTimer waited;
        waited.start();
        while (services.questions.isEmpty() && waited.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (Form3->state() != TForm3::State::Testing) {
            std::fprintf(stderr, "no test to continue\n");
            return 1;
        }
        for (int i = Form3->attempt().CurQuest; i < Form3->lst1->count(); ++i)
            button(args.at(2).at(0))->click();
        return finish(services);
    }

    Form3->showForm();
    Form3->edt1->setText(args.at(3));
    Form3->edt2->setText(args.at(4));
    pick(Form3->cbb1, args.at(1));
    pick(Form3->cbb2, args.at(2));
    Form3->btn6->click();
    if (stays) {
        const int answers = args.at(6).toInt();
        for (int i = 0; i < answers; ++i)
            Form3->btn1->click();
        std::printf("answered %d\n", answers);
        std::fflush(stdout);
        return app.exec();
    }
    for (int i = 0; i < Form3->lst1->count(); ++i)
        Form3->btn1->click();
    return finish(services);
}
