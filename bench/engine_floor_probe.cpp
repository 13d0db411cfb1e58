// The floor for the first pages: a minimal program whose button, pressed after DELAY_MS, makes
// one engine view and loads a page in it; then a second page in the same view. Prints the time
// from each press to the page's load-finished, in milliseconds:
//   engine_floor_probe DELAY_MS FIRST_PAGE SECOND_PAGE   ->   first_ms=... second_ms=...
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

double load(QWebEngineView& view, const QString& page, const QElapsedTimer& clock) {
    QEventLoop loop;
    QObject::connect(&view, &QWebEngineView::loadFinished, &loop, [&loop] { loop.quit(); });
    QTimer::singleShot(30000, &loop, [&loop] { loop.exit(1); });
    view.setUrl(QUrl::fromLocalFile(page));
    if (loop.exec() != 0)
        return -1;
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(1364, 747);
    QPushButton button(QStringLiteral("Открыть"), &window);
    window.show();
    QEventLoop shown;
    QTimer::singleShot(std::atoi(argv[1]), &shown, &QEventLoop::quit);
    shown.exec();

    QElapsedTimer clock;
    clock.start();
    auto* view = new QWebEngineView(&window);
    view->setGeometry(200, 0, 1164, 698);
    view->show();
    const double first = load(*view, QString::fromLocal8Bit(argv[2]), clock);
    clock.restart();
    const double second = load(*view, QString::fromLocal8Bit(argv[3]), clock);
    std::printf("first_ms=%.1f second_ms=%.1f\n", first, second);
    std::fflush(stdout);
    delete view;
    return first < 0 || second < 0 ? 1 : 0;
}
