// The desktop's file dialogs as the teacher's editor uses them: a name typed into either dialog
// is taken whether or not such a file exists.

#include "QtPlatformServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestFileDialogs : public QObject {
    Q_OBJECT

private slots:
    void typedNameIsTaken_data();
    void typedNameIsTaken();
};

void TestFileDialogs::typedNameIsTaken_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("exists");
    QTest::newRow("open, missing file") << false << false;
    QTest::newRow("open, existing file") << false << true;
    QTest::newRow("save, missing file") << true << false;
}

void TestFileDialogs::typedNameIsTaken() {
    QFETCH(bool, save);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("документ.txt"));
    if (exists)
        QVERIFY(QFile(name).open(QIODevice::WriteOnly));
    // Types the name and presses Enter in the file dialog shown; one still open is cancelled.
    QTimer answerer;
    answerer.callOnTimeout([&name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (auto* edit =
                dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr) {
            QTimer::singleShot(0, [] { // a "file not found" box, closed from its own loop
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->accept();
            });
            edit->setText(name);
            QTest::keyClick(edit, Qt::Key_Return);
        }
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
    answerer.start(10);
    QtPlatformServices services;
    const QString filter = QStringLiteral("Текст (*.txt)");
    QCOMPARE(save ? services.askSaveFileName(nullptr, dir.path(), filter, QStringLiteral("txt"))
                  : services.askOpenFileName(nullptr, dir.path(), filter),
             name);
}

QTEST_MAIN(TestFileDialogs)
#include "TestFileDialogs.moc"
