// The editor's dialog filters, turned from "description|patterns" pairs into the file dialog's
// form.

#include "DialogFilter.h"

#include <QTest>

class TestDialogFilter : public QObject {
    Q_OBJECT

private slots:
    void toDialog_data();
    void toDialog();
};

void TestDialogFilter::toDialog_data() {
    QTest::addColumn<QString>("pairs");
    QTest::addColumn<QString>("dialog");

    QTest::newRow("open dialog, texts as they stand")
        << "изображения(.jpg,.jpeg,.png)|*.png, *.jpg, *.jepg|Все файлы|*.*"
        << "изображения(.jpg,.jpeg,.png) (*.png *.jpg *.jepg);;Все файлы (*)";
    QTest::newRow("save dialog") << "Тесты(.txt)|*.txt|Материалы(.html)|*.html"
                                 << "Тесты(.txt) (*.txt);;Материалы(.html) (*.html)";
    QTest::newRow("semicolons") << "Тексты|*.txt;*.html"
                                << "Тексты (*.txt *.html)";
    QTest::newRow("one pair") << "Все|*"
                              << "Все (*)";
    QTest::newRow("description without patterns is dropped") << "Тесты|*.txt|Лишнее"
                                                             << "Тесты (*.txt)";
    QTest::newRow("empty") << ""
                           << "";
}

void TestDialogFilter::toDialog() {
    QFETCH(QString, pairs);
    QFETCH(QString, dialog);
    QCOMPARE(DialogFilter::toDialog(pairs), dialog);
}

QTEST_APPLESS_MAIN(TestDialogFilter)
#include "TestDialogFilter.moc"
