// The teacher's window: "Импорт вопросов" fills the editor and says what was left out; the report
// and journal pages print what they show through the platform's print dialog.

#include "JournalPage.h"
#include "support/PdfText.h"
#include "support/TestHelpers.h"
#include "support/WindowFixture.h"
#include "TextLines.h"
#include "Unit5.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kGolden = QStringLiteral(NORMAKURS_TEST_DATA "/banks/gift-escapes/");

QString report(const QString& name, const QString& group, int right) {
    return QStringLiteral("Имя фамилия: %1\nГруппа: %2\nПредмет: Алгебра\nТест: Вариант 1.txt\n"
                          "05.03.2014     9:07:41\nВопрос № 1- %3 \nВсего вопросов: 1\n"
                          "Правильно: %4    (%5 %)\nНеправильно: %6\n")
        .arg(name, group, right ? QStringLiteral("Правильно") : QStringLiteral("Неправильно"),
             QString::number(right), QString::number(right * 100), QString::number(1 - right));
}

void row(const char* name, const QString& page, const QString& answer, int prints,
         const QStringList& said, int errors = 0, const QStringList& shows = {}, int pages = -1,
         int images = -1) {
    QTest::newRow(name) << page << answer << prints << said << errors << shows << pages << images;
}

} // namespace

class TestTeacherBanks : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { prepareApplication(); }
    void init();
    void cleanup() { stopFixture(); }

    void importControlKeepsTheOthersInPlace();
    void answered_data();
    void answered();

private:
    QStringList notices() const {
        QStringList said;
        for (const RecordingServices::Box& box : m_services->notices)
            said << box.message;
        return said;
    }
};

void TestTeacherBanks::init() {
    QVERIFY(startFixture());
    const QString reports = QStringLiteral("Content/Алгебра/Тесты/Отчеты/");
    m_content->makePacked(reports + "Иван Петров(0)", report("Иван Петров", "ИС-21", 1));
    m_content->makePacked(reports + "Анна Белова(0)", report("Анна Белова", "ИС-22", 0));
    makeWindow(Form5);
}

void TestTeacherBanks::importControlKeepsTheOthersInPlace() {
    Form5->showForm();
    QVERIFY(Form5->btnImport->isVisible());
    QCOMPARE(Form5->btn3->geometry(), QRect(0, 16, 121, 25));
    QCOMPARE(Form5->btn13->geometry(), QRect(0, 48, 121, 25));
    for (const QWidget* other : QList<QWidget*>{Form5->btn3, Form5->btn13, Form5->openfile,
                                                Form5->btn1, Form5->btn2, Form5->mmo1})
        QVERIFY2(!Form5->btnImport->geometry().intersects(other->geometry()),
                 qPrintable(other->objectName()));
    // The report page's print button lies over the row of tabs, beside "Выход", covering no tab.
    Form5->pgc1->setCurrentWidget(Form5->ts2);
    QVERIFY(Form5->btnPrintReport->isVisible());
    QVERIFY(Form5->btnPrintReport->x() > Form5->Button1->geometry().right());
    Form5->pgc1->setCurrentWidget(Form5->ts1);
    QVERIFY(!Form5->btnPrintReport->isVisible());
}

void TestTeacherBanks::answered_data() {
    QTest::addColumn<QString>("page"); // "import", "report", or the journal's "subject/test/search"
    QTest::addColumn<QString>("answer");   // the bank's text or the PDF file chosen; "" for cancel
    QTest::addColumn<int>("prints");       // print dialogs opened
    QTest::addColumn<QStringList>("said"); // every notice, "@" for the PDF file
    QTest::addColumn<int>("errors");
    // The editor's text after an import; after a print, patterns in the PDF's text ("!": absent).
    QTest::addColumn<QStringList>("shows");
    QTest::addColumn<int>("pages"); // -1: no PDF
    QTest::addColumn<int>("images");
    // Every golden bank is read in TestQuestionBank; the window takes one, with most left out.
    const QStringList old{QStringLiteral("прежний текст")};
    row("import golden gift-escapes", "import",
        QString::fromUtf8(TestHelpers::readAll(kGolden + "bank.gift")), 0,
        {"Импортировано вопросов: 5 из 13; пропущено: 8 — " +
         TextLines::splitLines(TestHelpers::readAll(kGolden + "skipped.txt")).join("; ")},
        0, {QString::fromUtf8(TestHelpers::readAll(kGolden + "variant.txt"))});
    row("import cancelled", "import", "", 0, {}, 0, old);
    row("import empty bank", "import", "\r\n", 0, {}, 1, old);
    row("import, nothing fits", "import", "Q\nA) one\nANSWER: A\n", 0, {}, 1, old);
    const QString nothingOpen = QStringLiteral("Печатать нечего: откройте отчёт щелчком в дереве");
    const QStringList saved{nothingOpen, "Сохранено в PDF: отчёт «Иван Петров(0)» — @"};
    const QStringList report{"Имя фамилия: Иван Петров", "Правильно: 1\\s+\\(100 %\\)"};
    row("report to a PDF file", "report", "отчёт.pdf", 1, saved, 0, report, 1, 0);
    row("report over a PDF file", "report", "old.pdf", 1, saved, 0, report, 1, 0);
    // A file that cannot be made is said in the error box only.
    row("report into a missing folder", "report", "нет/отчёт.pdf", 1, {nothingOpen}, 1);
    row("report cancelled", "report", "", 1, {nothingOpen});
    const QString all = QStringLiteral("Все предметы/Все тесты/");
    const QString sheet = "Сохранено в PDF: ведомость%1, отчётов %2, средний процент %3 — @";
    row("journal cancelled", all + "Белова", "", 1, {});
    row("journal filtered", all + "Белова", "ведомость.pdf", 1,
        {sheet.arg("").arg(1).arg(QLocale().toString(0.0, 'f', 1))}, 0,
        {"Анна Белова", "!Иван Петров", "Белова\\s+ИС-22\\s+05\\.03\\.2014\\s+0\\s*/\\s*1\\s"}, 1,
        0);
    // With a test chosen, its item analysis follows on a page of its own, with both charts.
    row("journal with analysis", "Алгебра/Вариант 1.txt/", "ведомость.pdf", 1,
        {sheet.arg(" с анализом вопросов").arg(2).arg(QLocale().toString(50.0, 'f', 1))}, 0,
        {"\\f[^\\f]*Анализ вопросов", "«Вариант 1\\.txt», Алгебра: попыток 2"}, 2, 2);
    row("journal without rows", all + "нет такого", "ведомость.pdf", 0,
        {"Нет строк для ведомости: фильтры не оставили ни одного отчёта"});
}

void TestTeacherBanks::answered() {
    QFETCH(QString, page);
    QFETCH(QString, answer);
    QFETCH(int, prints);
    QFETCH(QStringList, said);
    QFETCH(int, errors);
    QFETCH(QStringList, shows);
    QFETCH(int, pages);
    QFETCH(int, images);
    const bool import = page == QLatin1String("import");
    const QString pdf = m_content->path(import ? QString() : answer);
    m_content->makeFile(QStringLiteral("old.pdf"), "old");
    JournalPage journal([this] { return m_content->contentDir(); }, [](const QString&) {});
    QPushButton* button = Form5->btnPrintReport;
    if (import) {
        if (!answer.isEmpty())
            m_services->openAnswers = {m_content->makeFile("bank.gift", answer.toUtf8())};
        Form5->mmo1->setPlainText(QStringLiteral("прежний текст"));
        button = Form5->btnImport;
    } else if (page == QLatin1String("report")) {
        Form5->showForm();
        Form5->pgc1->setCurrentWidget(Form5->ts2);
        QTest::mouseClick(button, Qt::LeftButton);                         // nothing open yet
        Form5->tv1->setCurrentItem(Form5->tv1->topLevelItem(0)->child(1)); // Иван Петров(0)
        Form5->tv1Click();
    } else {
        journal.show();
        QVERIFY(journal.isLoaded());
        journal.cbbSubject->setCurrentIndex(journal.cbbSubject->findText(page.section('/', 0, 0)));
        journal.cbbTest->setCurrentIndex(journal.cbbTest->findText(page.section('/', 1, 1)));
        journal.edtSearch->setText(page.section('/', 2));
        QVERIFY((button = journal.findChild<QPushButton*>(QStringLiteral("btnPrint"))));
    }
    if (!import && !answer.isEmpty())
        m_services->printAnswers = {pdf};
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_services->printCalls, prints);
    QCOMPARE(m_services->errors.size(), errors);
    QCOMPARE(notices(), said.replaceInStrings(QStringLiteral("@"), pdf));
    QVERIFY(!QFile::exists(m_content->path(QStringLiteral("нет"))));
    QCOMPARE(PdfText::pages(pdf), pages);
    QCOMPARE(PdfText::images(pdf), images);
    if (import) {
        QCOMPARE(m_services->openCalls.size(), 1);
        QCOMPARE(m_services->openCalls.first().folder, m_content->contentDir());
        QCOMPARE(Form5->editorText(), shows.value(0));
        // The status line reads the new text at once.
        QCOMPARE(Form5->lbl3->text().contains(QStringLiteral("строк с ключом")), !said.isEmpty());
        return;
    }
    const QString text = PdfText::text(pdf);
    for (const QString& shown : shows) {
        const bool absent = shown.startsWith(QLatin1Char('!'));
        QVERIFY2(text.contains(QRegularExpression(shown.mid(absent))) != absent, qPrintable(shown));
    }
}

QTEST_MAIN(TestTeacherBanks)
#include "TestTeacherBanks.moc"
