// The teacher's window: "Импорт вопросов" fills the editor and says what was left out; the report
// and journal pages print what they show through the platform's print dialog.

#include "JournalPage.h"
#include "support/PdfText.h"
#include "support/RecordingServices.h"
#include "support/TempContentTree.h"
#include "support/WindowTestSupport.h"
#include "Unit5.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

const QString kBanks = QStringLiteral(NORMAKURS_TEST_DATA "/banks");

QString report(const QString& name, const QString& group, int right) {
    return QStringLiteral("Имя фамилия: %1\nГруппа: %2\nПредмет: Алгебра\nТест: Вариант 1.txt\n"
                          "05.03.2014     9:07:41\nВопрос № 1- %3 \nВсего вопросов: 1\n"
                          "Правильно: %4    (%5 %)\nНеправильно: %6\n")
        .arg(name, group, right ? QStringLiteral("Правильно") : QStringLiteral("Неправильно"))
        .arg(right)
        .arg(right * 100)
        .arg(1 - right);
}

QString goldenText(const QString& name) {
    QFile file(kBanks + QStringLiteral("/gift-escapes/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestTeacherBanks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void importControlKeepsTheOthersInPlace();
    void importBank_data();
    void importBank();
    void printReport_data();
    void printReport();
    void printJournal();

private:
    std::unique_ptr<TempContentTree> m_content;
    std::unique_ptr<RecordingServices> m_services;
};

void TestTeacherBanks::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    WindowTestSupport::quietOffscreenWarnings();
}

void TestTeacherBanks::init() {
    m_content = std::make_unique<TempContentTree>();
    QVERIFY(m_content->isValid());
    const QString reports = QStringLiteral("Content/Алгебра/Тесты/Отчеты/");
    m_content->makePacked(reports + QStringLiteral("Иван Петров(0)"),
                          report(QStringLiteral("Иван Петров"), QStringLiteral("ИС-21"), 1));
    m_content->makePacked(reports + QStringLiteral("Анна Белова(0)"),
                          report(QStringLiteral("Анна Белова"), QStringLiteral("ИС-22"), 0));
    m_services = std::make_unique<RecordingServices>();
    WindowTestSupport::makeWindow(Form5);
}

void TestTeacherBanks::cleanup() {
    WindowTestSupport::destroyWindow(Form5);
    m_services.reset();
    m_content.reset();
}

void TestTeacherBanks::importControlKeepsTheOthersInPlace() {
    Form5->showForm();
    QVERIFY(Form5->btnImport->isVisible());
    QCOMPARE(Form5->btn3->geometry(), QRect(0, 16, 121, 25));
    QCOMPARE(Form5->btn13->geometry(), QRect(0, 48, 121, 25));
    const QList<QWidget*> others{Form5->btn3, Form5->btn13, Form5->openfile,
                                 Form5->btn1, Form5->btn2,  Form5->mmo1};
    for (const QWidget* other : others)
        QVERIFY2(!Form5->btnImport->geometry().intersects(other->geometry()),
                 qPrintable(other->objectName()));
    // The report page's print button lies over the row of tabs, beside "Выход", covering no tab.
    Form5->pgc1->setCurrentWidget(Form5->ts2);
    QVERIFY(Form5->btnPrintReport->isVisible());
    QVERIFY(Form5->btnPrintReport->x() > Form5->Button1->geometry().right());
    Form5->pgc1->setCurrentWidget(Form5->ts1);
    QVERIFY(!Form5->btnPrintReport->isVisible());
}

void TestTeacherBanks::importBank_data() {
    QTest::addColumn<QByteArray>("bank"); // "" for a cancelled dialog
    QTest::addColumn<int>("errors");
    // Every golden bank is read in TestQuestionBank; the window takes one, with most left out.
    QTest::newRow("golden gift-escapes") << goldenText(QStringLiteral("bank.gift")).toUtf8() << 0;
    QTest::newRow("cancel") << QByteArray() << 0;
    QTest::newRow("empty bank") << QByteArray("\r\n") << 1;
    QTest::newRow("nothing fits") << QByteArray("Q\nA) one\nANSWER: A\n") << 1;
}

void TestTeacherBanks::importBank() {
    QFETCH(QByteArray, bank);
    QFETCH(int, errors);
    if (!bank.isEmpty())
        m_services->openAnswers = {m_content->makeFile(QStringLiteral("bank.gift"), bank)};
    Form5->mmo1->setPlainText(QStringLiteral("прежний текст"));
    QTest::mouseClick(Form5->btnImport, Qt::LeftButton);
    QCOMPARE(m_services->openCalls.size(), 1);
    QCOMPARE(m_services->openCalls.first().folder, m_content->contentDir());
    QCOMPARE(m_services->errors.size(), errors);
    if (errors || bank.isEmpty()) {
        QCOMPARE(m_services->notices.size(), 0);
        QCOMPARE(Form5->editorText(), QStringLiteral("прежний текст"));
        return;
    }
    QCOMPARE(Form5->editorText(), goldenText(QStringLiteral("variant.txt")));
    QVERIFY(Form5->lbl3->text().contains(QStringLiteral("строк с ключом"))); // checked at once
    QCOMPARE(m_services->notices.size(), 1);
    const QString said = m_services->notices.first().message;
    QVERIFY(said.startsWith(QStringLiteral("Импортировано вопросов: ")));
    for (const QString& skipped : goldenText(QStringLiteral("skipped.txt")).split('\n'))
        QVERIFY2(said.contains(skipped), qPrintable(skipped));
}

void TestTeacherBanks::printReport_data() {
    QTest::addColumn<QString>("answer"); // the PDF file chosen; "" for cancel
    QTest::addColumn<bool>("written");
    QTest::newRow("to a PDF file") << "отчёт.pdf" << true;
    QTest::newRow("over a PDF file") << "old.pdf" << true;
    QTest::newRow("into a missing folder") << "нет/отчёт.pdf" << false;
    QTest::newRow("cancelled") << "" << false;
}

void TestTeacherBanks::printReport() {
    QFETCH(QString, answer);
    QFETCH(bool, written);
    const QString pdf = m_content->path(answer);
    m_content->makeFile(QStringLiteral("old.pdf"), "old");
    Form5->showForm();
    Form5->pgc1->setCurrentWidget(Form5->ts2);
    QTest::mouseClick(Form5->btnPrintReport, Qt::LeftButton); // nothing open yet
    QCOMPARE(m_services->printCalls, 0);
    QCOMPARE(m_services->notices.size(), 1);

    QTreeWidgetItem* node = Form5->tv1->topLevelItem(0)->child(1); // Иван Петров(0)
    Form5->tv1->setCurrentItem(node);
    Form5->tv1Click();
    if (!answer.isEmpty())
        m_services->printAnswers = {pdf};
    QTest::mouseClick(Form5->btnPrintReport, Qt::LeftButton);
    QCOMPARE(m_services->printCalls, 1);
    // A file that cannot be made is said in the error box only.
    QCOMPARE(m_services->errors.size(), !answer.isEmpty() && !written ? 1 : 0);
    QCOMPARE(m_services->notices.size(), written ? 2 : 1);
    if (!written) {
        QVERIFY(!QFile::exists(m_content->path(QStringLiteral("нет"))));
        return;
    }
    QCOMPARE(m_services->notices.last().message,
             QStringLiteral("Сохранено в PDF: отчёт «Иван Петров(0)» — ") + pdf);
    const QString text = PdfText::text(pdf);
    QVERIFY2(!text.isNull(), "pdftotext (poppler-utils) is needed");
    QVERIFY(text.contains(QStringLiteral("Имя фамилия: Иван Петров")));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("Правильно: 1\\s+\\(100 %\\)"))));
    QCOMPARE(PdfText::pages(pdf), 1);
}

void TestTeacherBanks::printJournal() {
    JournalPage page([this] { return m_content->contentDir(); }, [](const QString&) {});
    page.show();
    QVERIFY(page.isLoaded());
    page.edtSearch->setText(QStringLiteral("Белова"));
    auto* print = page.findChild<QPushButton*>(QStringLiteral("btnPrint"));
    QVERIFY(print);
    QTest::mouseClick(print, Qt::LeftButton); // cancelled in the dialog
    QCOMPARE(m_services->printCalls, 1);
    QCOMPARE(m_services->notices.size(), 0);

    const QString pdf = m_content->path(QStringLiteral("ведомость.pdf"));
    m_services->printAnswers = {pdf};
    QTest::mouseClick(print, Qt::LeftButton);
    QCOMPARE(m_services->errors.size(), 0);
    QCOMPARE(m_services->notices.size(), 1);
    QVERIFY(m_services->notices.first().message.startsWith(
        QStringLiteral("Сохранено в PDF: ведомость, отчётов 1, средний процент 0")));
    const QString text = PdfText::text(pdf);
    QVERIFY(text.contains(QStringLiteral("Анна Белова")));
    QVERIFY(!text.contains(QStringLiteral("Иван Петров"))); // filtered out
    QVERIFY(text.contains(
        QRegularExpression(QStringLiteral("Белова\\s+ИС-22\\s+05.03.2014\\s+0\\s*/\\s*1\\s"))));
    QCOMPARE(PdfText::pages(pdf), 1);
    QCOMPARE(PdfText::images(pdf), 0);

    // With a test chosen, its item analysis follows on a page of its own, with both charts.
    page.edtSearch->clear();
    page.cbbSubject->setCurrentIndex(page.cbbSubject->findText(QStringLiteral("Алгебра")));
    page.cbbTest->setCurrentIndex(page.cbbTest->findText(QStringLiteral("Вариант 1.txt")));
    m_services->printAnswers = {pdf};
    QTest::mouseClick(print, Qt::LeftButton);
    QVERIFY(m_services->notices.last().message.contains(
        QStringLiteral("ведомость с анализом вопросов, отчётов 2")));
    const QString withAnalysis = PdfText::text(pdf);
    QCOMPARE(PdfText::pages(pdf), 2);
    QVERIFY(
        withAnalysis.split(QLatin1Char('\f')).value(1).contains(QStringLiteral("Анализ вопросов")));
    QVERIFY(withAnalysis.contains(QStringLiteral("«Вариант 1.txt», Алгебра: попыток 2")));
    QCOMPARE(PdfText::images(pdf), 2);

    // No rows shown: nothing to print, and the teacher is told so.
    page.edtSearch->setText(QStringLiteral("нет такого"));
    const int notices = int(m_services->notices.size());
    QTest::mouseClick(print, Qt::LeftButton);
    QCOMPARE(m_services->printCalls, 3);
    QCOMPARE(m_services->notices.size(), notices + 1);
}

QTEST_MAIN(TestTeacherBanks)
#include "TestTeacherBanks.moc"
