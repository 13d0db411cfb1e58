#include "Startup.h"

#include "ContentPaths.h"
#include "Fonts.h"
#include "Forms.h"
#include "LaterWork.h"
#include "Skin.h"
#include "Unit1.h"

#include <QApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QTranslator>

#include <unistd.h>

void prepareToolkit() {
    // Chromium refuses to start as root with its sandbox on: turn it off only in that case.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // No shared OpenGL context is asked for: it would make the toolkit create one at start-up,
    // tens of megabytes of graphics driver for a launcher that draws none. The browser engine,
    // loaded with the first page, makes the context it needs then.
}

namespace {

// Once the watched window has painted for the first time, does the work the windows kept for
// then, or (for start-up benchmarks) ends the event loop instead.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(bool quit)
        : m_quit(quit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            if (m_quit)
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            else
                QMetaObject::invokeMethod(qApp, &LaterWork::run, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_quit = false;
    bool m_seen = false;
};

} // namespace

int runNormakurs(int argc, char** argv, const StartupOptions& options) {
    if (!options.programDir.isEmpty())
        ContentPaths::setProgramDir(options.programDir);
    prepareToolkit();
    QApplication application(argc, argv);
    // Only the launcher ends the program; a hand-over must never end it by accident.
    QApplication::setQuitOnLastWindowClosed(false);

    // The program speaks Russian whatever the desktop's language: the toolkit's own words (the
    // buttons of message boxes and file dialogs) must too.
    QTranslator toolkitWords;
    if (toolkitWords.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&toolkitWords);

    Fonts::registerBundledFonts();
    QApplication::setFont(Fonts::tahomaBold(11));
    Skin::loadDeep(application, ContentPaths::ProgramDir());

    // Every folder is read before the launcher appears; putting the names in order and into the
    // trees waits until it has painted (each window does it itself when shown earlier).
    LaterWork::hold();
    createForms();
    QObject::connect(Form1, &TForm1::terminationRequested, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    FirstPaint firstPaint(options.quitAtFirstPaint);
    Form1->installEventFilter(&firstPaint);
    Form1->showForm();
    const int code = application.exec();
    LaterWork::drop();
    destroyForms();
    return code;
}
