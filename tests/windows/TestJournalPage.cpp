// The journal page of the teacher's window over a temporary content tree of reports: filters,
// sort order of numbers and dates, the count line, CSV through the save dialog, a double click
// that shows the report, "Обновить", progress with cancel, and the item analysis of a test.

#include "AnalysisView.h"
#include "ItemAnalysis.h"
#include "JournalCsv.h"
#include "JournalPage.h"
#include "ReportText.h"
#include "support/RecordingNavigation.h"
#include "support/RecordingServices.h"
#include "support/TempContentTree.h"
#include "support/WindowTestSupport.h"
#include "Unit5.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

Q_DECLARE_METATYPE(Qt::SortOrder)

namespace {

const QString kAlgebra = QStringLiteral("Алгебра");
const QString kPhysics = QStringLiteral("Физика");
const QString kV1 = QStringLiteral("Вариант 1.txt");
const QString kV2 = QStringLiteral("Вариант 2.txt");

// The text of a report as the testing window writes it; `verdicts` "1" right, "0" wrong.
QString reportText(const QString& student, const QString& group, const QString& subject,
                   const QString& test, const QString& date, const QString& verdicts) {
    QString text = QStringLiteral("Имя фамилия: %1\nГруппа: %2\nПредмет: %3\nТест: %4\n")
                       .arg(student, group, subject, test);
    text += date + QStringLiteral("     9:07:41\n");
    int right = 0;
    for (int k = 0; k < verdicts.size(); ++k) {
        const bool ok = verdicts.at(k) == QLatin1Char('1');
        right += ok;
        text += QStringLiteral("Вопрос № %1- %2 \n")
                    .arg(k + 1)
                    .arg(ok ? QStringLiteral("Правильно") : QStringLiteral("Неправильно"));
    }
    const int total = int(verdicts.size());
    text += QStringLiteral("Всего вопросов: %1\nПравильно: %2    (%3 %)\nНеправильно: %4\n")
                .arg(total)
                .arg(right)
                .arg(ReportText::percentText(right, total, QLocale::c()))
                .arg(total - right);
    return text;
}

// A date as the reports of this computer carry it.
QString shortDate(int year, int month, int day) {
    return QLocale::system().toString(QDate(year, month, day), QLocale::ShortFormat);
}

// The "Файл" column of the table, top to bottom.
QStringList shownFiles(const JournalPage* page) {
    QStringList files;
    for (const ReportRecord& row : page->shownRows())
        files.append(row.reportName);
    return files;
}

} // namespace

class TestJournalPage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fourthPageReadsWhenFirstShown();
    void filters_data();
    void filters();
    void testsFollowTheSubject();
    void sortOrder_data();
    void sortOrder();
    void csvSavedThroughDialog_data();
    void csvSavedThroughDialog();
    void csvReplaceRefused();
    void doubleClickShowsReport();
    void refreshReadsNewReports();
    void cancelledLoadKeepsRows();
    void analysisOfChosenTest_data();
    void analysisOfChosenTest();

private:
    void openJournal();
    void choose(QComboBox* box, const QString& text);

    std::unique_ptr<TempContentTree> m_content;
    std::unique_ptr<RecordingServices> m_services;
    RecordingNavigation m_navigation;
    JournalPage* m_page = nullptr;
};

void TestJournalPage::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    WindowTestSupport::quietOffscreenWarnings();
}

void TestJournalPage::init() {
    m_content = std::make_unique<TempContentTree>();
    QVERIFY(m_content->isValid());
    const auto report = [this](const QString& subject, const QString& name, const QString& text) {
        m_content->makePacked(QStringLiteral("Content/%1/Тесты/Отчеты/%2").arg(subject, name),
                              text);
    };
    // Algebra, variant 1: four attempts of four questions, right counts 4, 2, 3 and 1.
    report(kAlgebra, QStringLiteral("Анна Белова(0)"),
           reportText(QStringLiteral("Анна Белова"), QStringLiteral("ИС-21"), kAlgebra, kV1,
                      shortDate(2014, 3, 5), QStringLiteral("1111")));
    report(kAlgebra, QStringLiteral("Борис Волков(0)"),
           reportText(QStringLiteral("Борис Волков"), QStringLiteral("ИС-22"), kAlgebra, kV1,
                      shortDate(2015, 1, 12), QStringLiteral("1100")));
    report(kAlgebra, QStringLiteral("Вера Громова(0)"),
           reportText(QStringLiteral("Вера Громова"), QStringLiteral("ИС-21"), kAlgebra, kV1,
                      shortDate(2013, 2, 28), QStringLiteral("1110")));
    report(kAlgebra, QStringLiteral("Глеб Дёмин(0)"),
           reportText(QStringLiteral("Глеб Дёмин"), QStringLiteral("ИС-22"), kAlgebra, kV1,
                      QStringLiteral("вчера"), QStringLiteral("1000")));
    // Algebra, variant 2: one attempt with ten questions, nine right.
    report(kAlgebra, QStringLiteral("Анна Белова(1)"),
           reportText(QStringLiteral("Анна Белова"), QStringLiteral("ИС-21"), kAlgebra, kV2,
                      shortDate(2014, 3, 6), QStringLiteral("1111111110")));
    // Physics: an attempt and a file that is no report.
    report(kPhysics, QStringLiteral("Дина Ершова(0)"),
           reportText(QStringLiteral("Дина Ершова"), QStringLiteral("ИС-21"), kPhysics, kV1,
                      shortDate(2014, 4, 1), QStringLiteral("10")));
    m_content->makeFile(QStringLiteral("Content/Физика/Тесты/Отчеты/заметка"), "not packed");

    m_services = std::make_unique<RecordingServices>();
    WindowTestSupport::makeWindow(Form5);
    m_page = Form5->ts4;
    QVERIFY(m_page);
}

void TestJournalPage::cleanup() {
    WindowTestSupport::destroyWindow(Form5);
    m_page = nullptr;
    m_services.reset();
    m_content.reset();
}

void TestJournalPage::openJournal() {
    Form5->showForm();
    Form5->pgc1->setCurrentWidget(m_page);
    QVERIFY(m_page->isVisible());
    QVERIFY(m_page->isLoaded());
}

void TestJournalPage::choose(QComboBox* box, const QString& text) {
    const int index = text.isEmpty() ? 0 : box->findText(text);
    QVERIFY2(index >= 0, qPrintable(box->objectName() + QStringLiteral(": ") + text));
    box->setCurrentIndex(index);
}

void TestJournalPage::fourthPageReadsWhenFirstShown() {
    QCOMPARE(Form5->pgc1->count(), 4);
    QCOMPARE(Form5->pgc1->tabText(3), QStringLiteral("Журнал"));
    QCOMPARE(Form5->pgc1->widget(3), static_cast<QWidget*>(m_page));
    QVERIFY(!m_page->isLoaded());
    Form5->showForm(); // the editor in front: nothing read yet, and no controls made
    QVERIFY(!m_page->isLoaded());
    QVERIFY(!m_page->grdJournal);
    QVERIFY(!m_page->findChild<QWidget*>());
    openJournal();
    QCOMPARE(m_page->allRows().size(), 7);
    QCOMPARE(m_page->lblCount->text(), QStringLiteral("Показано 7 из 7"));
    for (QWidget* control :
         {static_cast<QWidget*>(m_page->cbbSubject), static_cast<QWidget*>(m_page->cbbGroup),
          static_cast<QWidget*>(m_page->cbbTest), static_cast<QWidget*>(m_page->edtSearch),
          static_cast<QWidget*>(m_page->btnRefresh), static_cast<QWidget*>(m_page->btnSaveCsv),
          static_cast<QWidget*>(m_page->grdJournal)}) {
        QVERIFY(!control->objectName().isEmpty());
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    }
}

void TestJournalPage::filters_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("test");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("none") << QString() << QString() << QString() << QString()
                          << QStringList{"Анна Белова(0)",  "Анна Белова(1)", "Борис Волков(0)",
                                         "Вера Громова(0)", "Глеб Дёмин(0)",  "Дина Ершова(0)",
                                         "заметка"};
    QTest::newRow("subject") << kPhysics << QString() << QString() << QString()
                             << QStringList{"Дина Ершова(0)"};
    QTest::newRow("group") << QString() << QStringLiteral("ИС-22") << QString() << QString()
                           << QStringList{"Борис Волков(0)", "Глеб Дёмин(0)"};
    QTest::newRow("subject and test")
        << kAlgebra << QString() << kV2 << QString() << QStringList{"Анна Белова(1)"};
    QTest::newRow("all three") << kAlgebra << QStringLiteral("ИС-21") << kV1 << QString()
                               << QStringList{"Анна Белова(0)", "Вера Громова(0)"};
    QTest::newRow("search, any case")
        << QString() << QString() << QString() << QStringLiteral("аННа")
        << QStringList{"Анна Белова(0)", "Анна Белова(1)"};
    QTest::newRow("search and group")
        << QString() << QStringLiteral("ИС-21") << QString() << QStringLiteral("ов")
        << QStringList{"Анна Белова(0)", "Анна Белова(1)", "Вера Громова(0)", "Дина Ершова(0)"};
    QTest::newRow("nothing found")
        << QString() << QString() << QString() << QStringLiteral("Зоя") << QStringList{};
}

void TestJournalPage::filters() {
    QFETCH(QString, subject);
    QFETCH(QString, group);
    QFETCH(QString, test);
    QFETCH(QString, search);
    QFETCH(QStringList, files);
    openJournal();
    choose(m_page->cbbSubject, subject);
    choose(m_page->cbbGroup, group);
    choose(m_page->cbbTest, test);
    for (const QChar c : search) // typed key by key, as a keyboard would
        QTest::sendKeyEvent(QTest::Click, m_page->edtSearch, Qt::Key_unknown, QString(c),
                            Qt::NoModifier);

    QStringList shown = shownFiles(m_page);
    shown.sort();
    files.sort();
    QCOMPARE(shown, files);
    QCOMPARE(m_page->grdJournal->model()->rowCount(), files.size());
    QCOMPARE(m_page->lblCount->text(), QStringLiteral("Показано %1 из 7").arg(files.size()));
}

void TestJournalPage::testsFollowTheSubject() {
    openJournal();
    const auto items = [](const QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts.append(box->itemText(i));
        return texts;
    };
    QCOMPARE(items(m_page->cbbTest), (QStringList{"Все тесты", kV1, kV2}));
    choose(m_page->cbbSubject, kPhysics);
    QCOMPARE(items(m_page->cbbTest), (QStringList{"Все тесты", kV1}));
    choose(m_page->cbbTest, kV1);
    choose(m_page->cbbSubject, kAlgebra); // the test chosen is kept where the subject has it
    QCOMPARE(m_page->cbbTest->currentText(), kV1);
    QCOMPARE(shownFiles(m_page).size(), 4);
}

void TestJournalPage::sortOrder_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("files");

    // Right counts 4, 2, 3, 1, 9 and 1: numbers, not text ("9" after "4"); equal ones by file;
    // the unreadable file, with nothing to sort by, last in either direction.
    QTest::newRow("right, ascending")
        << int(JournalCsv::Right) << Qt::AscendingOrder
        << QStringList{"Глеб Дёмин(0)",  "Дина Ершова(0)", "Борис Волков(0)", "Вера Громова(0)",
                       "Анна Белова(0)", "Анна Белова(1)", "заметка"};
    QTest::newRow("total, descending")
        << int(JournalCsv::Total) << Qt::DescendingOrder
        << QStringList{"Анна Белова(1)", "Анна Белова(0)", "Борис Волков(0)", "Вера Громова(0)",
                       "Глеб Дёмин(0)",  "Дина Ершова(0)", "заметка"};
    // 100, 50, 75, 25, 90 and 50 %: "100,0" is not the smallest.
    QTest::newRow("percent, ascending")
        << int(JournalCsv::Percent) << Qt::AscendingOrder
        << QStringList{"Глеб Дёмин(0)",  "Борис Волков(0)", "Дина Ершова(0)", "Вера Громова(0)",
                       "Анна Белова(1)", "Анна Белова(0)",  "заметка"};
    // 2013-02-28, 2014-03-05, 2014-03-06, 2014-04-01, 2015-01-12; then the dates that do not
    // parse ("" and "вчера") in text order.
    QTest::newRow("date, ascending")
        << int(JournalCsv::Date) << Qt::AscendingOrder
        << QStringList{"Вера Громова(0)", "Анна Белова(0)", "Анна Белова(1)", "Дина Ершова(0)",
                       "Борис Волков(0)", "заметка",        "Глеб Дёмин(0)"};
    QTest::newRow("date, descending")
        << int(JournalCsv::Date) << Qt::DescendingOrder
        << QStringList{"Борис Волков(0)", "Дина Ершова(0)", "Анна Белова(1)", "Анна Белова(0)",
                       "Вера Громова(0)", "заметка",        "Глеб Дёмин(0)"};
    QTest::newRow("name, text order")
        << int(JournalCsv::Student) << Qt::DescendingOrder
        << QStringList{"Дина Ершова(0)", "Глеб Дёмин(0)",  "Вера Громова(0)", "Борис Волков(0)",
                       "Анна Белова(0)", "Анна Белова(1)", "заметка"};
}

void TestJournalPage::sortOrder() {
    QFETCH(int, column);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, files);
    openJournal();
    m_page->grdJournal->sortByColumn(column, order);
    QCOMPARE(m_page->grdJournal->horizontalHeader()->sortIndicatorSection(), column);
    QCOMPARE(shownFiles(m_page), files);
    // The order holds when a filter changes what is shown.
    choose(m_page->cbbGroup, QStringLiteral("ИС-21"));
    QStringList kept;
    for (const QString& file : files) {
        if (shownFiles(m_page).contains(file))
            kept.append(file);
    }
    QCOMPARE(shownFiles(m_page), kept);
    QVERIFY(kept.size() < files.size());
}

void TestJournalPage::csvSavedThroughDialog_data() {
    QTest::addColumn<QString>("test");
    QTest::addColumn<bool>("perQuestion");
    QTest::newRow("every report") << QString() << false;
    QTest::newRow("one test, with its questions") << kV1 << true;
}

void TestJournalPage::csvSavedThroughDialog() {
    QFETCH(QString, test);
    QFETCH(bool, perQuestion);
    openJournal();
    choose(m_page->cbbSubject, kAlgebra);
    choose(m_page->cbbTest, test);
    m_page->grdJournal->sortByColumn(JournalCsv::Percent, Qt::DescendingOrder);
    const QString path = m_content->path(QStringLiteral("journal.csv"));
    m_services->saveAnswers = {path};
    QTest::mouseClick(m_page->btnSaveCsv, Qt::LeftButton);

    QCOMPARE(m_services->saveCalls.size(), 1);
    QCOMPARE(m_services->saveCalls.first().folder, m_content->contentDir());
    QCOMPARE(m_services->saveCalls.first().defaultSuffix, QStringLiteral("csv"));
    QVERIFY(m_services->errors.isEmpty());
    const QByteArray saved = m_content->readFile(QStringLiteral("journal.csv"));
    QCOMPARE(saved,
             JournalCsv::write(m_page->shownRows(), JournalCsv::Dialect::ExcelRu, perQuestion));
    QVERIFY(saved.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(saved.count("\r\n"), m_page->shownRows().size() + 1);
    QCOMPARE(saved.contains(QStringLiteral(";В4").toUtf8()), perQuestion);
    // The table's order: the best percent first.
    QCOMPARE(m_page->shownRows().first().reportName, QStringLiteral("Анна Белова(0)"));
    QVERIFY(saved.indexOf("Анна Белова(0)") < saved.indexOf("Глеб Дёмин(0)"));
}

void TestJournalPage::csvReplaceRefused() {
    openJournal();
    m_content->makeFile(QStringLiteral("old.csv"), "old");
    m_services->saveAnswers = {m_content->path(QStringLiteral("old.csv"))};
    m_services->yesNoAnswers = {false};
    QTest::mouseClick(m_page->btnSaveCsv, Qt::LeftButton);
    QCOMPARE(m_services->questions.size(), 1);
    QCOMPARE(m_content->readFile(QStringLiteral("old.csv")), QByteArray("old"));
    // Cancelled in the dialog: no question, no file.
    QTest::mouseClick(m_page->btnSaveCsv, Qt::LeftButton);
    QCOMPARE(m_services->saveCalls.size(), 2);
    QCOMPARE(m_services->questions.size(), 1);
}

void TestJournalPage::doubleClickShowsReport() {
    openJournal();
    m_page->edtSearch->setText(QStringLiteral("Борис"));
    QCOMPARE(m_page->grdJournal->model()->rowCount(), 1);
    QTableView* table = m_page->grdJournal;
    const QModelIndex cell = table->model()->index(0, 1);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualRect(cell).center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                       table->visualRect(cell).center());
    QCOMPARE(Form5->pgc1->currentWidget(), Form5->ts2);
    QCOMPARE(Form5->mmo2->toPlainText(),
             reportText(QStringLiteral("Борис Волков"), QStringLiteral("ИС-22"), kAlgebra, kV1,
                        shortDate(2015, 1, 12), QStringLiteral("1100")));
    QVERIFY(m_services->errors.isEmpty());

    // A report gone since the load: the error box of the report page, the view as it was.
    const QString before = Form5->mmo2->toPlainText();
    Form5->pgc1->setCurrentWidget(m_page);
    QVERIFY(QFile::remove(
        m_content->path(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Борис Волков(0)"))));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualRect(cell).center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                       table->visualRect(cell).center());
    QCOMPARE(m_services->errors.size(), 1);
    QVERIFY(m_services->errors.first().message.contains(QStringLiteral("Борис Волков(0)")));
    QCOMPARE(Form5->mmo2->toPlainText(), before);
}

void TestJournalPage::refreshReadsNewReports() {
    openJournal();
    const int treeNodes = Form5->tv1->topLevelItem(0)->childCount();
    m_content->makePacked(QStringLiteral("Content/Физика/Тесты/Отчеты/Ева Жукова(0)"),
                          reportText(QStringLiteral("Ева Жукова"), QStringLiteral("ИС-23"),
                                     kPhysics, kV1, shortDate(2014, 4, 2), QStringLiteral("11")));
    Form5->pgc1->setCurrentWidget(Form5->ts1);
    Form5->pgc1->setCurrentWidget(m_page); // showing the page again reads nothing
    QCOMPARE(m_page->lblCount->text(), QStringLiteral("Показано 7 из 7"));
    QTest::mouseClick(m_page->btnRefresh, Qt::LeftButton);
    QCOMPARE(m_page->lblCount->text(), QStringLiteral("Показано 8 из 8"));
    QVERIFY(m_page->cbbGroup->findText(QStringLiteral("ИС-23")) > 0);
    QCOMPARE(Form5->tv1->topLevelItem(0)->childCount(), treeNodes); // the tree stays
}

void TestJournalPage::cancelledLoadKeepsRows() {
    // A page of its own that shows its progress as soon as it starts to read.
    JournalPage page([this] { return m_content->contentDir(); }, [](const QString&) {}, nullptr, 0);
    page.show();
    QVERIFY(page.isLoaded());
    QCOMPARE(page.lblCount->text(), QStringLiteral("Показано 7 из 7"));
    m_content->makePacked(QStringLiteral("Content/Физика/Тесты/Отчеты/Ева Жукова(0)"),
                          reportText(QStringLiteral("Ева Жукова"), QStringLiteral("ИС-23"),
                                     kPhysics, kV1, shortDate(2014, 4, 2), QStringLiteral("11")));
    int maximum = -1;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = page.findChild<QProgressDialog*>(QStringLiteral("dlgJournalProgress"));
        QVERIFY(dialog);
        maximum = dialog->maximum();
        dialog->cancel();
    });
    QTest::mouseClick(page.btnRefresh, Qt::LeftButton);
    QCOMPARE(maximum, 8);
    QVERIFY(!page.findChild<QProgressDialog*>(QStringLiteral("dlgJournalProgress")));
    QCOMPARE(page.lblCount->text(), QStringLiteral("Показано 7 из 7 (обновление прервано)"));
    QCOMPARE(page.cbbGroup->findText(QStringLiteral("ИС-23")), -1);

    // Not cancelled: the dialog goes as the load ends, and every report is there.
    QTest::mouseClick(page.btnRefresh, Qt::LeftButton);
    QCOMPARE(page.lblCount->text(), QStringLiteral("Показано 8 из 8"));
    QVERIFY(!page.findChild<QProgressDialog*>(QStringLiteral("dlgJournalProgress")));
}

void TestJournalPage::analysisOfChosenTest_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("test");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QVector<double>>("histogram");
    QTest::addColumn<QVector<double>>("shares");

    // 100, 50, 75 and 25 %: bins 20–30, 50–60, 70–80 and the last, which holds 100 %.
    QTest::newRow("four attempts")
        << kAlgebra << kV1 << 4 << QVector<double>{0, 0, 1, 0, 0, 1, 0, 1, 0, 1}
        << QVector<double>{1.0, 0.75, 0.5, 0.25};
    QTest::newRow("one attempt") << kAlgebra << kV2 << 0 << QVector<double>{} << QVector<double>{};
    QTest::newRow("no test chosen")
        << kAlgebra << QString() << 0 << QVector<double>{} << QVector<double>{};
}

void TestJournalPage::analysisOfChosenTest() {
    QFETCH(QString, subject);
    QFETCH(QString, test);
    QFETCH(int, questions);
    QFETCH(QVector<double>, histogram);
    QFETCH(QVector<double>, shares);
    openJournal();
    choose(m_page->cbbSubject, subject);
    choose(m_page->cbbTest, test);
    AnalysisView* analysis = m_page->analysis;
    QCOMPARE(analysis->grdQuestions->rowCount(), questions);
    QCOMPARE(analysis->histogramBars(), histogram);
    QCOMPARE(analysis->difficultyBars(), shares);
    const QString summary = analysis->lblSummary->text();
    if (test.isEmpty()) {
        QVERIFY2(summary.contains(QStringLiteral("Выберите предмет и тест")), qPrintable(summary));
    } else if (questions == 0) {
        QVERIFY2(summary.contains(ItemAnalysis::notEnoughAttemptsText()), qPrintable(summary));
        QVERIFY2(summary.contains(QStringLiteral("попыток 1")), qPrintable(summary));
    } else {
        QVERIFY2(summary.contains(QStringLiteral("попыток 4")), qPrintable(summary));
        QVERIFY2(summary.contains(QStringLiteral("KR-20")), qPrintable(summary));
        QCOMPARE(analysis->grdQuestions->item(0, 0)->text(), QStringLiteral("1"));
        // Question 1 is right in every attempt: too easy.
        QCOMPARE(analysis->grdQuestions->item(0, 6)->text(),
                 ItemAnalysis::flagText(ItemAnalysis::Flag::TooEasy));
        QVERIFY(analysis->chvHistogram->isVisible());
    }
}

QTEST_MAIN(TestJournalPage)
#include "TestJournalPage.moc"
