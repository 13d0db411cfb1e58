// The editor's keys: which combinations they are, and that they are taken from whichever
// control of their window has the focus while that window is active, and from nowhere else.

#include "EditorHotKeys.h"
#include "support/WidgetTestHelpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

using WidgetTestHelpers::PressCounter;

// A window with a line edit and a memo, like the teacher's window in small.
struct Window {
    QWidget widget;
    QLineEdit* edit = nullptr;
    QPlainTextEdit* memo = nullptr;

    Window() {
        auto* layout = new QVBoxLayout(&widget);
        edit = new QLineEdit(&widget);
        memo = new QPlainTextEdit(&widget);
        layout->addWidget(edit);
        layout->addWidget(memo);
        widget.resize(300, 200);
    }

    bool activate() {
        widget.show();
        QApplication::setActiveWindow(&widget);
        return QTest::qWaitForWindowActive(&widget);
    }
};

} // namespace

class TestEditorHotKeys : public QObject {
    Q_OBJECT

private slots:
    void idFor_data();
    void idFor();
    void takenFromEveryControl_data();
    void takenFromEveryControl();
    void otherCombinationsPassThrough_data();
    void otherCombinationsPassThrough();
    void notTakenWhileAnotherWindowIsActive();
    void notTakenAfterStop();
};

void TestEditorHotKeys::idFor_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("id");

    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << ctrl << int(EditorHotKeys::SelectAll);
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << ctrl << int(EditorHotKeys::Copy);
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << ctrl << int(EditorHotKeys::Paste);
    QTest::newRow("Ctrl+N") << int(Qt::Key_N) << ctrl << int(EditorHotKeys::New);
    QTest::newRow("Ctrl+R") << int(Qt::Key_R) << ctrl << int(EditorHotKeys::Reload);
    QTest::newRow("Ctrl+C, keypad flag aside")
        << int(Qt::Key_C) << int(ctrl | Qt::KeypadModifier) << int(EditorHotKeys::Copy);
    QTest::newRow("Ctrl+Shift+C") << int(Qt::Key_C) << int(ctrl | Qt::ShiftModifier) << -1;
    QTest::newRow("Ctrl+Alt+V") << int(Qt::Key_V) << int(ctrl | Qt::AltModifier) << -1;
    QTest::newRow("Ctrl+Meta+A") << int(Qt::Key_A) << int(ctrl | Qt::MetaModifier) << -1;
    QTest::newRow("C alone") << int(Qt::Key_C) << 0 << -1;
    QTest::newRow("Shift+V") << int(Qt::Key_V) << int(Qt::ShiftModifier) << -1;
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << ctrl << -1;
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << ctrl << -1;
}

void TestEditorHotKeys::idFor() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, id);
    QCOMPARE(EditorHotKeys::idFor(key, Qt::KeyboardModifiers(modifiers)), id);
}

void TestEditorHotKeys::takenFromEveryControl_data() {
    QTest::addColumn<bool>("inMemo");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("id");

    QTest::newRow("Ctrl+A in the line edit") << false << int(Qt::Key_A) << 0;
    QTest::newRow("Ctrl+C in the line edit") << false << int(Qt::Key_C) << 1;
    QTest::newRow("Ctrl+V in the line edit") << false << int(Qt::Key_V) << 2;
    QTest::newRow("Ctrl+N in the memo") << true << int(Qt::Key_N) << 3;
    QTest::newRow("Ctrl+R in the memo") << true << int(Qt::Key_R) << 4;
    QTest::newRow("Ctrl+V in the memo") << true << int(Qt::Key_V) << 2;
}

void TestEditorHotKeys::takenFromEveryControl() {
    QFETCH(bool, inMemo);
    QFETCH(int, key);
    QFETCH(int, id);

    Window window;
    QList<int> ids;
    EditorHotKeys keys(&window.widget, [&](int taken) { ids.append(taken); });
    keys.start();
    QVERIFY(window.activate());
    QWidget* target = inMemo ? static_cast<QWidget*>(window.memo) : window.edit;
    target->setFocus();
    PressCounter counter;
    target->installEventFilter(&counter);
    window.edit->setText(QStringLiteral("поле"));

    QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(ids, QList<int>{id});
    // The control never saw the press.
    QCOMPARE(counter.presses, 0);
    QCOMPARE(window.edit->text(), QStringLiteral("поле"));
    QCOMPARE(window.edit->selectedText(), QString());
}

void TestEditorHotKeys::otherCombinationsPassThrough_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");

    QTest::newRow("Ctrl+Shift+C") << int(Qt::Key_C) << int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("Ctrl+Alt+V") << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::AltModifier);
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier);
    QTest::newRow("plain letter") << int(Qt::Key_C) << 0;
}

void TestEditorHotKeys::otherCombinationsPassThrough() {
    QFETCH(int, key);
    QFETCH(int, modifiers);

    Window window;
    int taken = 0;
    EditorHotKeys keys(&window.widget, [&](int) { ++taken; });
    keys.start();
    QVERIFY(window.activate());
    window.memo->setFocus();
    PressCounter counter;
    window.memo->installEventFilter(&counter);
    QTest::keyClick(window.memo, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(taken, 0);
    QCOMPARE(counter.presses, 1);
}

void TestEditorHotKeys::notTakenWhileAnotherWindowIsActive() {
    Window ours;
    Window other;
    int taken = 0;
    EditorHotKeys keys(&ours.widget, [&](int) { ++taken; });
    keys.start();
    ours.widget.show();
    QVERIFY(other.activate());
    QVERIFY(QApplication::activeWindow() != &ours.widget);
    other.edit->setFocus();
    other.edit->setText(QStringLiteral("текст"));
    QTest::keyClick(other.edit, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(taken, 0);
    // The other window's control did its own select-all.
    QCOMPARE(other.edit->selectedText(), QStringLiteral("текст"));
    // A key sent straight to our control while another window is active is not taken either.
    QTest::keyClick(ours.memo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(taken, 0);
}

void TestEditorHotKeys::notTakenAfterStop() {
    Window window;
    int taken = 0;
    EditorHotKeys keys(&window.widget, [&](int) { ++taken; });
    keys.start();
    QVERIFY(keys.isStarted());
    keys.stop();
    QVERIFY(!keys.isStarted());
    QVERIFY(window.activate());
    window.edit->setFocus();
    window.edit->setText(QStringLiteral("своё"));
    QTest::keyClick(window.edit, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(taken, 0);
    QCOMPARE(window.edit->selectedText(), QStringLiteral("своё"));
}

QTEST_MAIN(TestEditorHotKeys)
#include "TestEditorHotKeys.moc"
