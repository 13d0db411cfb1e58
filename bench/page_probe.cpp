// The first pages in the textbook, on a cold start: the program's real windows are made as at
// start-up, the textbook is shown, and after DELAY_MS (0: at once) a page of the topic tree is
// opened the way a click on it opens it; then a second page in the same tab. Prints the time
// from each click to the page's load-finished, in milliseconds:
//   page_probe DELAY_MS   ->   first_ms=... second_ms=...
#include "ErrorGuard.h"
#include "Fonts.h"
#include "Forms.h"
#include "Startup.h"
#include "TextbookTree.h"
#include "Unit2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidgetItem>

#include <cstdio>
#include <cstdlib>

namespace {

// Clicks the `index`th page of the first subject and waits for the page it opens; -1 on a
// time-out.
double openPage(int index) {
    QTreeWidgetItem* subject = Form2->tv1->topLevelItem(0);
    if (!subject || subject->childCount() <= index)
        return -1;
    QElapsedTimer clock;
    clock.start();
    Form2->tv1->setCurrentItem(subject->child(index));
    Form2->tv1Click();
    // The engine's view is found by its class: the program itself never links the engine.
    QWidget* view = nullptr;
    for (QWidget* child : Form2->findChildren<QWidget*>()) {
        if (qstrcmp(child->metaObject()->className(), "QWebEngineView") == 0 && child->isVisible())
            view = child;
    }
    if (!view)
        return -1;
    QEventLoop loop;
    QObject::connect(view, SIGNAL(loadFinished(bool)), &loop, SLOT(quit()));
    QTimer::singleShot(30000, &loop, [&loop] { loop.exit(1); });
    if (loop.exec() != 0)
        return -1;
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int delay = argc > 1 ? std::atoi(argv[1]) : 0;
    prepareToolkit();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Fonts::registerBundledFonts();
    QApplication::setFont(Fonts::tahomaBold(11));
    createForms();
    Form2->showForm();
    QEventLoop shown;
    QTimer::singleShot(delay, &shown, &QEventLoop::quit);
    shown.exec();
    const double first = openPage(0);
    const double second = openPage(1);
    std::printf("first_ms=%.1f second_ms=%.1f\n", first, second);
    std::fflush(stdout);
    destroyForms();
    return first < 0 || second < 0 ? 1 : 0;
}
