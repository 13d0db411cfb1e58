// The default error path: the full-stop rule, the application title as the boxes' caption, the
// guard that turns a failure into one error box, and failures while the windows are created.

#include "ApplicationTitle.h"
#include "ErrorGuard.h"
#include "Failure.h"
#include "Form.h"
#include "Forms.h"
#include "GuardedConnect.h"
#include "support/RecordingServices.h"
#include "support/TempContentTree.h"
#include "support/WindowTestSupport.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

// Also notes, for every error box, what start-up had reached when the box came up.
class StartupRecorder : public RecordingServices {
public:
    struct Moment {
        bool launcherExists = false;
        bool launcherVisible = false;
        QStringList existingWindows;
    };
    QList<Moment> errorMoments;

    void showError(const QString& title, const QString& message) override {
        Moment moment;
        moment.launcherExists = Form1 != nullptr;
        moment.launcherVisible = Form1 && Form1->isVisible();
        const QList<QWidget*> forms{Form1, Form2, Form3, Form4, Form5};
        for (int i = 0; i < forms.size(); ++i) {
            if (forms[i])
                moment.existingWindows.append(QStringLiteral("Form%1").arg(i + 1));
        }
        errorMoments.append(moment);
        RecordingServices::showError(title, message);
    }
};

// A window whose show and close handlers can be made to fail halfway.
class FailingForm : public Form {
public:
    FailingForm()
        : Form(QStringLiteral("Проба")) {}

    bool failInShow = false;
    bool failInClose = false;
    int handlerStarts = 0;
    int handlerEnds = 0;

protected:
    void FormShow() override { step(failInShow, "Show handler failed"); }
    void FormClose() override { step(failInClose, "Close handler failed"); }

private:
    void step(bool fail, const char* message) {
        ++handlerStarts;
        if (fail)
            throw Failure(QString::fromLatin1(message));
        ++handlerEnds;
    }
};

// A window with one button whose handler fails.
class FailingButtonWindow : public QWidget {
public:
    int calls = 0;
    void buttonClick() {
        ++calls;
        throw Failure(QStringLiteral("Файл не найден"));
    }
};

// The program's windows, each creation handler preceded by `step` with the window made.
std::vector<WindowMaker> windowsWithStep(std::function<void(Form& window)> step) {
    std::vector<WindowMaker> windows = programWindows();
    for (WindowMaker& maker : windows) {
        if (maker.create)
            maker.create = [step, create = maker.create](Form& window) {
                step(window);
                create(window);
            };
    }
    return windows;
}

// The boxes shown, each as "title: message".
QStringList texts(const QList<RecordingServices::Box>& boxes) {
    QStringList out;
    for (const RecordingServices::Box& box : boxes)
        out << box.title + QStringLiteral(": ") + box.message;
    return out;
}

// The one box the program shows for `message`; none for an empty one.
QStringList box(const QString& message) {
    return message.isEmpty() ? QStringList() : QStringList{applicationTitle() + ": " + message};
}

enum class Thrown { Nothing, Failure, FailureWithFullStop, RuntimeError, BadAlloc, Other };

} // namespace

Q_DECLARE_METATYPE(Thrown)

class TestErrorPath : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void withFullStop_data();
    void withFullStop();
    void titleFromExecutable_data();
    void titleFromExecutable();
    void applicationTitleIsTheExecutablesName();

    void boxCarriesTitle_data();
    void boxCarriesTitle();
    void guardedShowsOneErrorBox_data();
    void guardedShowsOneErrorBox();
    void failingButtonHandlerIsShown();
    void failingShowHandlerStillShowsWindow();
    void failingCloseHandlerStillHidesWindow();

    void creationFailureShownBeforeLauncher_data();
    void creationFailureShownBeforeLauncher();

private:
    std::unique_ptr<TempContentTree> m_content;
    std::unique_ptr<StartupRecorder> m_services;
};

void TestErrorPath::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    WindowTestSupport::quietOffscreenWarnings();
}

void TestErrorPath::init() {
    m_content = std::make_unique<TempContentTree>();
    QVERIFY(m_content->isValid());
    m_services = std::make_unique<StartupRecorder>();
}

void TestErrorPath::cleanup() {
    destroyForms();
    m_services.reset();
    m_content.reset();
}

void TestErrorPath::withFullStop_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("latin letter") << "Stream read error"
                                  << "Stream read error.";
    QTest::newRow("cyrillic letter")
        << QStringLiteral("Не удалось открыть файл") << QStringLiteral("Не удалось открыть файл.");
    QTest::newRow("cyrillic yo") << QStringLiteral("Ещё") << QStringLiteral("Ещё.");
    QTest::newRow("digit") << "Code 42"
                           << "Code 42.";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("closing bracket") << "Folder (Content)"
                                     << "Folder (Content)";
    QTest::newRow("exclamation mark") << "Stop!"
                                      << "Stop!";
    QTest::newRow("empty") << QString() << QString();
    // Either side of "." in byte order.
    QTest::newRow("comma") << "a,"
                           << "a,";
    QTest::newRow("hyphen") << "a-"
                            << "a-";
    QTest::newRow("blank") << "a "
                           << "a ";
    QTest::newRow("slash") << "a/"
                           << "a/.";
    QTest::newRow("colon") << "a:"
                           << "a:.";
    QTest::newRow("question mark") << "a?"
                                   << "a?.";
    QTest::newRow("closing guillemet") << QStringLiteral("«а»") << QStringLiteral("«а».");
    QTest::newRow("only a full stop") << "."
                                      << ".";
}

void TestErrorPath::withFullStop() {
    QFETCH(QString, message);
    QFETCH(QString, shown);

    QCOMPARE(::withFullStop(message), shown);
}

void TestErrorPath::titleFromExecutable_data() {
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("title");

    // Cut at the first "."; the first character keeps its case, the rest go to lower case.
    QTest::newRow("capitals, two dots") << "TEXTBOOK.V2.EXE"
                                        << "Textbook";
    QTest::newRow("backslash folder") << "C:\\dir\\TEXTBOOK.EXE"
                                      << "Textbook";
    QTest::newRow("dot in folder") << "C:\\My.Dir\\TEXTBOOK.EXE"
                                   << "Textbook";
    QTest::newRow("slash folder") << "/usr/bin/Normakurs"
                                  << "Normakurs";
    QTest::newRow("slash folder, lower case") << "/usr/bin/normakurs"
                                              << "normakurs";
    QTest::newRow("no folder, no dot") << "normakurs"
                                       << "normakurs";
    QTest::newRow("one letter") << "a.b"
                                << "a";
    QTest::newRow("one capital") << "A.B"
                                 << "A";
    QTest::newRow("non-ASCII capital") << QStringLiteral("ÄBC.exe") << QStringLiteral("Äbc");
    QTest::newRow("cyrillic") << QStringLiteral("/opt/Курс/НОРМАКУРС.EXE")
                              << QStringLiteral("Нормакурс");
    QTest::newRow("mixed case") << "./NormaKurs.bin"
                                << "Normakurs";
    QTest::newRow("leading dot") << "/home/u/.hidden" << QString();
}

void TestErrorPath::titleFromExecutable() {
    QFETCH(QString, executable);
    QFETCH(QString, title);

    QCOMPARE(::titleFromExecutable(executable), title);
}

void TestErrorPath::applicationTitleIsTheExecutablesName() {
    QCOMPARE(applicationTitle(), ::titleFromExecutable(QCoreApplication::applicationFilePath()));
    QCOMPARE(applicationTitle(), QStringLiteral("Testerrorpath"));
}

void TestErrorPath::boxCarriesTitle_data() {
    QTest::addColumn<bool>("error"); // else a notice
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("error") << true << "Cannot open file"
                           << "Cannot open file."; // a full stop
    QTest::newRow("notice") << false << "Не все параметры указаны"
                            << "Не все параметры указаны";
}

void TestErrorPath::boxCarriesTitle() {
    QFETCH(bool, error);
    QFETCH(QString, message);
    QFETCH(QString, shown);

    (error ? reportFailure : showNotice)(message);
    QCOMPARE(texts(error ? m_services->errors : m_services->notices), box(shown));
    QCOMPARE(m_services->errors.size() + m_services->notices.size(), 1);
}

void TestErrorPath::guardedShowsOneErrorBox_data() {
    QTest::addColumn<Thrown>("thrown");
    QTest::addColumn<QString>("shown");

    QTest::newRow("nothing fails") << Thrown::Nothing << QString();
    QTest::newRow("Failure") << Thrown::Failure << "Stream read error.";
    QTest::newRow("Failure ending in a full stop") << Thrown::FailureWithFullStop << "Disk full.";
    QTest::newRow("std::runtime_error") << Thrown::RuntimeError << "Cannot create folder.";
    QTest::newRow("std::bad_alloc") << Thrown::BadAlloc << "Out of memory.";
    QTest::newRow("anything else") << Thrown::Other << "Error.";
}

void TestErrorPath::guardedShowsOneErrorBox() {
    QFETCH(Thrown, thrown);
    QFETCH(QString, shown);

    int changedBefore = 0;
    bool reachedAfter = false;
    const bool ok = guarded([&] {
        ++changedBefore;
        switch (thrown) {
        case Thrown::Nothing:
            break;
        case Thrown::Failure:
            throw Failure(QStringLiteral("Stream read error"));
        case Thrown::FailureWithFullStop:
            throw Failure(QStringLiteral("Disk full."));
        case Thrown::RuntimeError:
            throw std::runtime_error("Cannot create folder");
        case Thrown::BadAlloc:
            throw std::bad_alloc();
        case Thrown::Other:
            throw 42;
        }
        reachedAfter = true;
    });

    QCOMPARE(ok, shown.isEmpty());
    // The rest of the handler is abandoned; what it changed before the failure stays changed.
    QCOMPARE(reachedAfter, shown.isEmpty());
    QCOMPARE(changedBefore, 1);
    QCOMPARE(texts(m_services->errors), box(shown));
    QVERIFY(m_services->notices.isEmpty());
}

void TestErrorPath::failingButtonHandlerIsShown() {
    FailingButtonWindow window;
    auto* button = new QPushButton(QStringLiteral("Открыть"), &window);
    onClick(button, &window, &FailingButtonWindow::buttonClick);
    window.show();

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(window.calls, 1);
    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(m_services->errors[0].title, applicationTitle());
    QCOMPARE(m_services->errors[0].message, QStringLiteral("Файл не найден."));

    // The program goes on: the next click runs the handler again.
    button->click();
    QCOMPARE(window.calls, 2);
    QCOMPARE(m_services->errors.size(), 2);
}

void TestErrorPath::failingShowHandlerStillShowsWindow() {
    FailingForm form;
    form.failInShow = true;
    form.showForm();

    QVERIFY(form.isVisible());
    QCOMPARE(form.handlerStarts, 1);
    QCOMPARE(form.handlerEnds, 0);
    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(m_services->errors[0].title, applicationTitle());
    QCOMPARE(m_services->errors[0].message, QStringLiteral("Show handler failed."));

    // Showing a window that is already visible does not run the show handler again.
    form.showForm();
    QCOMPARE(form.handlerStarts, 1);
    QCOMPARE(m_services->errors.size(), 1);
}

void TestErrorPath::failingCloseHandlerStillHidesWindow() {
    FailingForm form;
    form.showForm();
    QCOMPARE(form.handlerEnds, 1);
    form.failInClose = true;

    QVERIFY(form.close());
    QVERIFY(form.isHidden());
    QCOMPARE(form.handlerStarts, 2);
    QCOMPARE(form.handlerEnds, 1);
    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(m_services->errors[0].message, QStringLiteral("Close handler failed."));
}

void TestErrorPath::creationFailureShownBeforeLauncher_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("createdSoFar");

    QTest::newRow("nothing fails") << QString() << QStringList();
    QTest::newRow("textbook") << "Form2" << QStringList{"Form1", "Form2"};
    QTest::newRow("testing") << "Form3" << QStringList{"Form1", "Form2", "Form3"};
    QTest::newRow("teacher") << "Form5" << QStringList{"Form1", "Form2", "Form3", "Form4", "Form5"};
}

void TestErrorPath::creationFailureShownBeforeLauncher() {
    QFETCH(QString, failing);
    QFETCH(QStringList, createdSoFar);

    // Every creation step notes its window and checks that the windows before it exist and the
    // ones after it do not yet.
    QStringList steps;
    QStringList outOfOrder;
    createForms(windowsWithStep([&](Form& form) {
        const QString window = form.objectName();
        steps.append(window);
        const bool inOrder = (window == QLatin1String("Form2") && Form1 && !Form3) ||
                             (window == QLatin1String("Form3") && Form2 && !Form4) ||
                             (window == QLatin1String("Form5") && Form4);
        if (!inOrder)
            outOfOrder.append(window);
        if (window == failing)
            throw Failure(QStringLiteral("Content folder unreadable"));
    }));
    // Start-up shows the launcher once every window has been created.
    QVERIFY(Form1 && Form2 && Form3 && Form4 && Form5);
    Form1->showForm();

    QVERIFY(m_services->notices.isEmpty());
    QCOMPARE(texts(m_services->errors), box(failing.isEmpty() ? "" : "Content folder unreadable."));
    QCOMPARE(m_services->errorMoments.size(), m_services->errors.size());
    for (const StartupRecorder::Moment& moment : m_services->errorMoments) {
        QVERIFY(moment.launcherExists);
        QVERIFY(!moment.launcherVisible);
        QCOMPARE(moment.existingWindows, createdSoFar);
    }

    // Start-up went on: the creation steps after the failing one ran, in order.
    QCOMPARE(steps, (QStringList{"Form2", "Form3", "Form5"}));
    QVERIFY2(outOfOrder.isEmpty(), qPrintable(outOfOrder.join(QLatin1Char(' '))));
    QVERIFY(Form1->isVisible());
    QVERIFY(Form2->isHidden() && Form3->isHidden() && Form4->isHidden() && Form5->isHidden());
}

QTEST_MAIN(TestErrorPath)
#include "TestErrorPath.moc"
