// A test killed (SIGKILL) after its 7th answer is continued and finished: every answer counts.

#include "support/TempContentTree.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestAttemptSurvives : public QObject {
    Q_OBJECT

private slots:
    void killedInTheMiddleGoesOn();
};

void TestAttemptSurvives::killedInTheMiddleGoesOn() {
    // Ten questions, right only with "A" for the first seven (before the kill), "B" for the rest.
    QString variant = QStringLiteral("---\n");
    for (int k = 1; k <= 10; ++k)
        variant += QStringLiteral("Вопрос %1\nA) да\nB) нет\n---\n").arg(k);
    TempContentTree tree;
    tree.makePacked("Content/Алгебра/Тесты/Итоговый.txt",
                    variant + QString("`A\n").repeated(7) + QString("`B\n").repeated(3));
    QVERIFY(
        QFile::copy(NORMAKURS_BUILD_DIR "/normakurs-exam", tree.programDir() + "normakurs-exam"));
    QVERIFY(QFile::copy(NORMAKURS_BUILD_DIR "/tests/attempt_driver",
                        tree.programDir() + "attempt_driver"));
    QTemporaryDir state;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_STATE_HOME", state.path());
    const QString attempt = state.path() + "/normakurs/attempt";
    QProcess first, second;
    first.setProcessEnvironment(environment);
    second.setProcessEnvironment(environment);
    first.start(tree.programDir() + "attempt_driver",
                {"Алгебра", "Итоговый.txt", "Иван Петров", "ИС-21", "--stay-after", "7"});
    while (!first.canReadLine())
        QVERIFY2(first.waitForReadyRead(60000), qPrintable(first.readAllStandardError()));
    QCOMPARE(first.readLine(), QByteArray("answered 7\n"));
    first.kill(); // SIGKILL: nothing of the program's own runs after it
    QVERIFY(first.waitForFinished());
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);
    QVERIFY(QFile::exists(attempt));

    second.start(tree.programDir() + "attempt_driver", {"--resume", "B"});
    QVERIFY(second.waitForFinished(60000));
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
    const QStringList report = QString::fromUtf8(second.readAllStandardOutput()).split('\n');
    for (int k = 1; k <= 10; ++k)
        QCOMPARE(report.value(4 + k), QStringLiteral("Вопрос № %1- Правильно ").arg(k));
    QCOMPARE(report.value(16), QStringLiteral("Правильно: 10    (100 %)"));
    QVERIFY(!QFile::exists(attempt));
    QVERIFY(QFile::exists(tree.contentDir() + "Алгебра/Тесты/Отчеты/Иван Петров(0)"));
}

QTEST_GUILESS_MAIN(TestAttemptSurvives)
#include "TestAttemptSurvives.moc"
