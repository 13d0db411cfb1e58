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

namespace {

class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(const QString& name)
        : m_name(name) {}

    bool typed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show)
            return false;
        if (auto* dialog = qobject_cast<QFileDialog*>(watched))
            QMetaObject::invokeMethod(
                this, [this, dialog] { answer(dialog); }, Qt::QueuedConnection);
        else if (auto* box = qobject_cast<QMessageBox*>(watched)) // "file not found"
            QMetaObject::invokeMethod(box, &QDialog::accept, Qt::QueuedConnection);
        return false;
    }

private:
    void answer(QFileDialog* dialog) {
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            edit->setText(m_name);
            QTest::keyClick(edit, Qt::Key_Return);
            typed = true;
        }
        if (dialog->isVisible())
            dialog->reject();
    }

    QString m_name;
};

} // namespace

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
    if (exists) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // Types the name and presses Enter once the dialog is shown; a dialog that refuses the name
    // is cancelled, so that the test ends with an empty answer instead of waiting for a person.
    DialogAnswer answerer(name);
    qApp->installEventFilter(&answerer);
    QtPlatformServices services;
    const QString filter = QStringLiteral("Текст (*.txt)");
    const QString answer =
        save ? services.askSaveFileName(nullptr, dir.path(), filter, QStringLiteral("txt"))
             : services.askOpenFileName(nullptr, dir.path(), filter);
    qApp->removeEventFilter(&answerer);
    QVERIFY(answerer.typed);
    QCOMPARE(answer, name);
}

QTEST_MAIN(TestFileDialogs)
#include "TestFileDialogs.moc"
