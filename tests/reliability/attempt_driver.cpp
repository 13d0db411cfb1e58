// Takes a test through the testing window as a student does, with the keeper beside this program.
// Prints the report shown (errors and notices to standard error); exits 0 only with a report.
//   SUBJECT VARIANT NAME GROUP [--stay-after N]  "A" to every question, then finish; or to N
//       questions only, then prints "answered N" and stays until killed
//   --resume LETTER  says "Да" to continuing, answers the rest with LETTER, then finishes

#include "ErrorGuard.h"
#include "support/RecordingServices.h"
#include "Unit3.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool resumes = args.size() == 3 && args.at(1) == QLatin1String("--resume");
    const bool stays = args.size() == 7 && args.at(5) == QLatin1String("--stay-after");
    if (args.size() != 5 && !stays && !resumes) {
        std::fprintf(stderr, "usage: attempt_driver SUBJECT VARIANT NAME GROUP [--stay-after N]\n"
                             "       attempt_driver --resume LETTER\n");
        return 2;
    }
    RecordingServices services;
    if (resumes)
        services.yesNoAnswers.append(true);
    Form3 = new TForm3();
    guarded([] { Form3->FormCreate(); });
    Form3->makeControls(); // driven without being shown
    Form3->showForm();
    if (resumes) {
        // The question comes once the window is on screen.
        for (QDeadlineTimer deadline(30000);
             services.questions.isEmpty() && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (Form3->state() != TForm3::State::Testing) {
            std::fprintf(stderr, "no test to continue\n");
            return 1;
        }
    } else {
        Form3->edt1->setText(args.at(3));
        Form3->edt2->setText(args.at(4));
        for (auto [combo, text] : {std::pair{Form3->cbb1, args.at(1)}, {Form3->cbb2, args.at(2)}}) {
            combo->setCurrentIndex(combo->findText(text));
            emit combo->activated(combo->currentIndex());
        }
        Form3->btn6->click();
    }
    QPushButton* const answer[] = {Form3->btn1, Form3->btn2, Form3->btn3, Form3->btn4, Form3->btn5};
    const int letter = resumes ? args.at(2).at(0).unicode() - 'A' : 0;
    const int last = stays ? args.at(6).toInt() : Form3->lst1->count();
    for (int i = Form3->attempt().CurQuest; i < last; ++i)
        answer[qBound(0, letter, 4)]->click();
    if (stays) {
        std::printf("answered %d\n", last);
        std::fflush(stdout);
        return app.exec();
    }
    Form3->btn7->click();
    for (const RecordingServices::Box& box : services.errors + services.notices)
        std::fprintf(stderr, "%s\n", box.message.toUtf8().constData());
    const bool reported = Form3->state() == TForm3::State::Report;
    if (reported)
        std::fputs(Form3->mmo3->toPlainText().toUtf8().constData(), stdout);
    delete Form3;
    return reported ? 0 : 1;
}
