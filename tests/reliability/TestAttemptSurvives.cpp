// A test killed (SIGKILL) after its 7th answer is continued and finished: every answer counts.

#include "ContentPaths.h"
#include "support/TempContentTree.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSubject = QStringLiteral("Алгебра");
const QString kVariant = QStringLiteral("Итоговый.txt");

// Ten questions, right only with "A" for the first seven (before the kill), "B" for the rest.
QString variantText() {
    QString text = QStringLiteral("---\n");
    for (int k = 1; k <= 10; ++k)
        text += QStringLiteral("Вопрос %1\nA) да\nB) нет\n---\n").arg(k);
    return text + QStringLiteral("`A\n").repeated(7) + QStringLiteral("`B\n").repeated(3);
}

} // namespace

class TestAttemptSurvives : public QObject {
    Q_OBJECT

private slots:
    void killedInTheMiddleGoesOn();
};

void TestAttemptSurvives::killedInTheMiddleGoesOn() {
    TempContentTree tree;
    tree.makePacked(QStringLiteral("Content/") + kSubject + QStringLiteral("/Тесты/") + kVariant,
                    variantText());
    for (const char* program : {"normakurs-exam", "tests/attempt_driver"}) {
        const QString name = QString::fromLatin1(program).section(QLatin1Char('/'), -1);
        QVERIFY(QFile::copy(QStringLiteral(NORMAKURS_BUILD_DIR "/") + QLatin1String(program),
                            tree.programDir() + name));
    }
    QTemporaryDir state;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
    const QString driver = tree.programDir() + QStringLiteral("attempt_driver");
    QProcess first, second;
    first.setProcessEnvironment(environment);
    second.setProcessEnvironment(environment);
    first.start(driver, {kSubject, kVariant, QStringLiteral("Иван Петров"), QStringLiteral("ИС-21"),
                         QStringLiteral("--stay-after"), QStringLiteral("7")});
    while (!first.canReadLine())
        QVERIFY2(first.waitForReadyRead(60000), qPrintable(first.readAllStandardError()));
    QCOMPARE(first.readLine(), QByteArray("answered 7\n"));
    first.kill(); // SIGKILL: nothing of the program's own runs after it
    QVERIFY(first.waitForFinished());
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);
    QVERIFY(QFile::exists(state.path() + QStringLiteral("/normakurs/attempt")));

    second.start(driver, {QStringLiteral("--resume"), QStringLiteral("B")});
    QVERIFY(second.waitForFinished(60000));
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
    const QStringList report = QString::fromUtf8(second.readAllStandardOutput()).split('\n');
    for (int k = 1; k <= 10; ++k)
        QCOMPARE(report.value(4 + k), QStringLiteral("Вопрос № %1- Правильно ").arg(k));
    QCOMPARE(report.value(16), QStringLiteral("Правильно: 10    (100 %)"));
    QVERIFY(!QFile::exists(state.path() + QStringLiteral("/normakurs/attempt")));
    QVERIFY(QFile::exists(tree.contentDir() + kSubject +
                          QStringLiteral("/Тесты/Отчеты/Иван Петров(0)")));
}

QTEST_GUILESS_MAIN(TestAttemptSurvives)
#include "TestAttemptSurvives.moc"
