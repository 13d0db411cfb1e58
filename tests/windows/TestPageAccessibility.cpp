// Pages for a screen reader, on a real X11 display: a course page and the help page, shown in
// the program's browser view, read back through the toolkit's accessibility interfaces (what
// the desktop's screen reader walks) while the desktop's accessibility status says a reader or
// other assistive technology is on; and no page tree at all while it says none is.
//
// The toolkit reads that status once, at start, so every case is a run of its own: this test
// starts itself on a private session bus whose accessibility status is set first, and the run
// prints what it could read of the page.

#include "BrowserView.h"
#include "support/CarriedOverCourse.h"
#include "support/TempContentTree.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowTestSupport.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>

namespace {

constexpr int kTimeout = 60000;

// The names and values of every node below `node`, depth first.
void collect(QAccessibleInterface* node, QStringList& texts, int depth = 0) {
    if (!node || depth > 64)
        return;
    for (QAccessible::Text kind : {QAccessible::Name, QAccessible::Value}) {
        const QString text = node->text(kind).simplified();
        if (!text.isEmpty() && !texts.contains(text))
            texts.append(text);
    }
    for (int i = 0; i < node->childCount(); ++i)
        collect(node->child(i), texts, depth + 1);
}

bool containsAll(const QStringList& texts, const QStringList& wanted) {
    for (const QString& text : wanted) {
        if (!texts.contains(text))
            return false;
    }
    return true;
}

// The run that reads one page: shows `path` in a browser view, waits until the engine has
// rendered `shown`, gives the page's accessibility tree time to arrive (all of `readable`), and
// prints whether the toolkit's accessibility was active, then every text it could read.
int readPage(int argc, char** argv) {
    prepareEngineSandbox();
    QApplication app(argc, argv);
    const QString path = QString::fromUtf8(argv[2]);
    const QStringList readable = QString::fromUtf8(argv[3]).split(QLatin1Char('|'));
    QWidget holder;
    holder.resize(800, 600);
    BrowserView browser(&holder, &holder);
    browser.place(0, 0, 800, 600);
    holder.show();
    QWebEngineView* view = WindowTestSupport::webView(&browser);
    bool loaded = false;
    QObject::connect(view, &QWebEngineView::loadFinished, [&] { loaded = true; });
    browser.navigate(path);
    QElapsedTimer waited;
    waited.start();
    QString rendered;
    while (waited.elapsed() < kTimeout && !rendered.contains(readable.first())) {
        QTest::qWait(100);
        if (loaded)
            view->page()->toPlainText([&](const QString& text) { rendered = text; });
    }
    QStringList texts;
    waited.restart();
    while (waited.elapsed() < 5000 && !containsAll(texts, readable)) {
        QTest::qWait(100);
        texts.clear();
        collect(QAccessible::queryAccessibleInterface(view), texts);
    }
    std::printf("rendered=%d\nactive=%d\n%s\n", int(rendered.contains(readable.first())),
                int(QAccessible::isActive()), texts.join(QLatin1Char('\n')).toUtf8().constData());
    return 0;
}

} // namespace

class TestPageAccessibility : public QObject {
    Q_OBJECT

private slots:
    void pageReadAloud_data();
    void pageReadAloud();
};

void TestPageAccessibility::pageReadAloud_data() {
    QTest::addColumn<QString>("status"); // the property of org.a11y.Status set true; "" for none
    QTest::addColumn<QString>("page");   // below the program folder
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("readable");

    const QString subject = QStringLiteral("Content/") + CarriedOverCourse::kSubject;
    const QString intro = subject + QStringLiteral("/Тема 1. Введение.html");
    const QStringList introTexts{
        QStringLiteral("Введение в электротехнику"), // heading
        QStringLiteral("Электрический ток — упорядоченное движение заряженных частиц."),
        QStringLiteral("Напряжение"),      // table cell
        QStringLiteral("Законы Кирхгофа"), // link
    };
    QTest::newRow("no assistive technology") << QString() << intro << introTexts << false;
    QTest::newRow("screen reader on")
        << QStringLiteral("ScreenReaderEnabled") << intro << introTexts << true;
    QTest::newRow("assistive technology enabled, packed page")
        << QStringLiteral("IsEnabled") << subject + QStringLiteral("/Тема 2. Законы Кирхгофа.html")
        << QStringList{QStringLiteral("Законы Кирхгофа"),
                       QStringLiteral("Сумма токов, сходящихся в узле, равна нулю."),
                       QStringLiteral("Лекция о законах")}
        << true;
    QTest::newRow("help page, screen reader on")
        << QStringLiteral("ScreenReaderEnabled") << QStringLiteral("Source/help.html")
        << QStringList{QStringLiteral("Нормакурс: справка"), QStringLiteral("1. Главное окно"),
                       QStringLiteral("Работа с учебником")}
        << true;
}

void TestPageAccessibility::pageReadAloud() {
    QFETCH(QString, status);
    QFETCH(QString, page);
    QFETCH(QStringList, texts);
    QFETCH(bool, readable);

    TempContentTree folder;
    QVERIFY(folder.isValid());
    QVERIFY(CarriedOverCourse::makeIn(folder.programDir()));
    QFile help(QStringLiteral(NORMAKURS_SOURCE_DIR "/sample/Source/help.html"));
    QVERIFY(help.open(QIODevice::ReadOnly));
    folder.makeFile(QStringLiteral("Source/help.html"), help.readAll());

    // The status is set on the run's own session bus before the run starts, as the desktop's
    // screen reader sets it.
    const QString start = QStringLiteral(
        "if [ -n \"$A11Y_STATUS\" ]; then dbus-send --session --print-reply --dest=org.a11y.Bus "
        "/org/a11y/bus org.freedesktop.DBus.Properties.Set string:org.a11y.Status "
        "string:\"$A11Y_STATUS\" variant:boolean:true >/dev/null || exit 3; fi; exec \"$@\"");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("A11Y_STATUS"), status);
    QProcess run;
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.start(QStringLiteral("dbus-run-session"),
              {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"), start,
               QStringLiteral("sh"), QCoreApplication::applicationFilePath(),
               QStringLiteral("--read-page"), folder.path(page), texts.join(QLatin1Char('|'))});
    QVERIFY(run.waitForFinished(3 * kTimeout));
    QCOMPARE(run.exitCode(), 0);
    // What the run printed, after whatever the bus's own daemons print there.
    QStringList lines = QString::fromUtf8(run.readAllStandardOutput()).split('\n');
    while (!lines.isEmpty() && !lines.first().startsWith(QLatin1String("rendered=")))
        lines.removeFirst();
    QCOMPARE(lines.value(0), QStringLiteral("rendered=1"));
    QCOMPARE(lines.value(1), QStringLiteral("active=%1").arg(int(readable)));
    for (const QString& text : texts)
        QVERIFY2(lines.contains(text) == readable,
                 qPrintable(text + QStringLiteral(" among: ") + lines.mid(2).join(" / ")));
}

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--read-page") == 0)
        return readPage(argc, argv);
    prepareEngineSandbox();
    QApplication app(argc, argv);
    TestPageAccessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPageAccessibility.moc"
