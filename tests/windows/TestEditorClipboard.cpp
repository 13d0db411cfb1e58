// The editor's clipboard accessor: what it puts and reads, and when it may empty the clipboard
// (only while the clipboard still holds its own text).

#include "EditorClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QTest>

namespace {

QClipboard* clipboard() {
    return QGuiApplication::clipboard();
}

} // namespace

class TestEditorClipboard : public QObject {
    Q_OBJECT

private slots:
    void init();

    void putReplacesEverything();
    void putEmptyLeavesEmptyText();
    void textOfEmptyClipboard();
    void emptiesOwnText_data();
    void emptiesOwnText();
    void leavesWhatOthersPutThere_data();
    void leavesWhatOthersPutThere();
    void nothingPutNothingEmptied();
};

void TestEditorClipboard::init() {
    clipboard()->clear();
}

void TestEditorClipboard::putReplacesEverything() {
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    data->setHtml(QStringLiteral("<b>старое</b>"));
    clipboard()->setMimeData(data);

    EditorClipboard accessor;
    accessor.put(QStringLiteral("новое\nв две строки"));
    const QMimeData* now = clipboard()->mimeData();
    QVERIFY(now);
    QVERIFY(!now->hasImage());
    QVERIFY(!now->hasHtml());
    QCOMPARE(clipboard()->text(), QStringLiteral("новое\nв две строки"));
    QCOMPARE(accessor.text(), QStringLiteral("новое\nв две строки"));
    QVERIFY(accessor.holdsOurText());
}

void TestEditorClipboard::putEmptyLeavesEmptyText() {
    clipboard()->setText(QStringLiteral("было"));
    EditorClipboard accessor;
    accessor.put(QString());
    QCOMPARE(clipboard()->text(), QString());
    QCOMPARE(accessor.text(), QString());
}

void TestEditorClipboard::textOfEmptyClipboard() {
    EditorClipboard accessor;
    QCOMPARE(accessor.text(), QString());
    auto* data = new QMimeData;
    data->setImageData(QImage(2, 2, QImage::Format_RGB32));
    clipboard()->setMimeData(data);
    QCOMPARE(accessor.text(), QString());
}

void TestEditorClipboard::emptiesOwnText_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("text") << "скопировано";
    QTest::newRow("empty text") << "";
}

void TestEditorClipboard::emptiesOwnText() {
    QFETCH(QString, text);
    EditorClipboard accessor;
    accessor.put(QStringLiteral("первое"));
    accessor.put(text);
    QVERIFY(accessor.emptyIfOurs());
    QVERIFY(!clipboard()->mimeData() || !clipboard()->mimeData()->hasText());
    QCOMPARE(clipboard()->text(), QString());
    // Once emptied, it is no longer ours to empty.
    QVERIFY(!accessor.emptyIfOurs());
}

void TestEditorClipboard::leavesWhatOthersPutThere_data() {
    QTest::addColumn<QString>("other"); // what someone else copies after our put; empty: an image

    QTest::newRow("other text") << "из другой программы";
    QTest::newRow("the same text, copied again elsewhere") << "наш текст";
    QTest::newRow("an image") << "";
}

void TestEditorClipboard::leavesWhatOthersPutThere() {
    QFETCH(QString, other);
    EditorClipboard accessor;
    accessor.put(QStringLiteral("наш текст"));
    if (other.isEmpty()) {
        auto* data = new QMimeData;
        data->setImageData(QImage(3, 3, QImage::Format_RGB32));
        clipboard()->setMimeData(data);
    } else {
        clipboard()->setText(other);
    }
    QVERIFY(!accessor.holdsOurText());
    QVERIFY(!accessor.emptyIfOurs());
    if (other.isEmpty())
        QVERIFY(clipboard()->mimeData()->hasImage());
    else
        QCOMPARE(clipboard()->text(), other);
}

void TestEditorClipboard::nothingPutNothingEmptied() {
    clipboard()->setText(QStringLiteral("чужое"));
    EditorClipboard accessor;
    QVERIFY(!accessor.emptyIfOurs());
    QCOMPARE(clipboard()->text(), QStringLiteral("чужое"));
}

QTEST_MAIN(TestEditorClipboard)
#include "TestEditorClipboard.moc"
