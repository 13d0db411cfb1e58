// The journal as CSV, both dialects byte for byte.

#include "JournalCsv.h"

#include <QTest>

namespace {

QVector<ReportRecord> rows() {
    ReportRecord quoted;
    quoted.subjectFolder = QStringLiteral("Алг");
    quoted.reportName = QStringLiteral("Петров(0)");
    quoted.student = QStringLiteral("Петров, \"Ваня\"\nмл.");
    quoted.group = QStringLiteral("ИС-21");
    quoted.subject = QStringLiteral("Алг");
    quoted.test = QStringLiteral("В1.txt");
    quoted.date = QStringLiteral("05.03.2014");
    quoted.time = QStringLiteral("9:07:41");
    quoted.total = 3;
    quoted.right = 2;
    quoted.wrong = 1;
    quoted.verdicts = {true, false, true};
    quoted.owner = 3999999; // no such account: its number

    ReportRecord broken;
    broken.subjectFolder = QStringLiteral("Алг");
    broken.reportName = QStringLiteral("x(0)");
    broken.student = QStringLiteral("x");
    broken.group = QStringLiteral("A;B");
    broken.state = ReportRecord::State::Unreadable;
    broken.reason = QStringLiteral("строка 3: «a,b»");
    return {quoted, broken};
}

QByteArray utf8(const char* text) {
    return QByteArray(text);
}

} // namespace

Q_DECLARE_METATYPE(JournalCsv::Dialect)

class TestJournalCsv : public QObject {
    Q_OBJECT

private slots:
    void bytes_data() {
        QTest::addColumn<JournalCsv::Dialect>("dialect");
        QTest::addColumn<bool>("perQuestion");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("rfc4180")
            << JournalCsv::Dialect::Rfc4180 << false
            << utf8("Файл,Имя фамилия,Учетная запись,Группа,Предмет,Тест,Дата,Время,"
                    "Правильно,Всего вопросов,Процент,Состояние\r\n"
                    "Алг/Петров(0),\"Петров, \"\"Ваня\"\"\nмл.\",3999999,ИС-21,Алг,"
                    "В1.txt,05.03.2014,9:07:41,2,3,66.7,\r\n"
                    "Алг/x(0),x,,A;B,,,,,,,,\"не читается: строка 3: «a,b»\""
                    "\r\n");
        QTest::newRow("excel-ru")
            << JournalCsv::Dialect::ExcelRu << false
            << utf8("\xEF\xBB\xBF"
                    "Файл;Имя фамилия;Учетная запись;Группа;Предмет;Тест;Дата;Время;"
                    "Правильно;Всего вопросов;Процент;Состояние\r\n"
                    "Алг/Петров(0);\"Петров, \"\"Ваня\"\"\nмл.\";3999999;ИС-21;Алг;"
                    "В1.txt;05.03.2014;9:07:41;2;3;66,7;\r\n"
                    "Алг/x(0);x;;\"A;B\";;;;;;;;не читается: строка 3: «a,b»"
                    "\r\n");
        QTest::newRow("rfc4180, one test")
            << JournalCsv::Dialect::Rfc4180 << true
            << utf8("Файл,Имя фамилия,Учетная запись,Группа,Предмет,Тест,Дата,Время,"
                    "Правильно,Всего вопросов,Процент,Состояние,В1,В2,В3\r\n"
                    "Алг/Петров(0),\"Петров, \"\"Ваня\"\"\nмл.\",3999999,ИС-21,Алг,"
                    "В1.txt,05.03.2014,9:07:41,2,3,66.7,,1,0,1\r\n"
                    "Алг/x(0),x,,A;B,,,,,,,,\"не читается: строка 3: «a,b»\",,,\r\n");
        QTest::newRow("excel-ru, one test")
            << JournalCsv::Dialect::ExcelRu << true
            << utf8("\xEF\xBB\xBF"
                    "Файл;Имя фамилия;Учетная запись;Группа;Предмет;Тест;Дата;Время;"
                    "Правильно;Всего вопросов;Процент;Состояние;В1;В2;В3\r\n"
                    "Алг/Петров(0);\"Петров, \"\"Ваня\"\"\nмл.\";3999999;ИС-21;Алг;"
                    "В1.txt;05.03.2014;9:07:41;2;3;66,7;;1;0;1\r\n"
                    "Алг/x(0);x;;\"A;B\";;;;;;;;не читается: строка 3: «a,b»;;;\r\n");
    }

    void bytes() {
        QFETCH(JournalCsv::Dialect, dialect);
        QFETCH(bool, perQuestion);
        QFETCH(QByteArray, expected);
        QCOMPARE(JournalCsv::write(rows(), dialect, perQuestion), expected);
    }

    // One cell set in an otherwise empty row, written alike in both dialects: a text that a
    // spreadsheet reads as a formula gets an apostrophe in front, a count stays a number.
    void formulaCells_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cell");
        using namespace JournalCsv;
        QTest::newRow("name =") << int(Student) << QStringLiteral("=HYPERLINK(\"x\")")
                                << "\"'=HYPERLINK(\"\"x\"\")\"";
        QTest::newRow("name +") << int(Student) << QStringLiteral("+7 900") << "'+7 900";
        QTest::newRow("group -") << int(Group) << QStringLiteral("-2+3") << "'-2+3";
        QTest::newRow("test @") << int(Test) << QStringLiteral("@SUM(A1)") << "'@SUM(A1)";
        QTest::newRow("date, tab") << int(Date) << QStringLiteral("\t=1") << "'\t=1";
        QTest::newRow("time, carriage return")
            << int(Time) << QStringLiteral("\r=1") << "\"'\r=1\"";
        QTest::newRow("subject, separator")
            << int(Subject) << QStringLiteral("=a;b,c") << "\"'=a;b,c\"";
        QTest::newRow("file") << int(File) << QStringLiteral("-Алг") << "'-Алг/r";
        QTest::newRow("inside, not first") << int(Student) << QStringLiteral("Анна=Б") << "Анна=Б";
        QTest::newRow("line break first") << int(Student) << QStringLiteral("\n=1") << "\"\n=1\"";
        QTest::newRow("negative count") << int(Right) << QStringLiteral("-1") << "-1";
    }

    void formulaCells() {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, cell);
        ReportRecord row;
        row.subjectFolder = QStringLiteral("A");
        row.reportName = QStringLiteral("r");
        const QHash<int, QString*> fields{
            {JournalCsv::File, &row.subjectFolder}, {JournalCsv::Student, &row.student},
            {JournalCsv::Group, &row.group},        {JournalCsv::Subject, &row.subject},
            {JournalCsv::Test, &row.test},          {JournalCsv::Date, &row.date},
            {JournalCsv::Time, &row.time}};
        if (column == JournalCsv::Right)
            row.right = text.toInt();
        else
            *fields.value(column) = text;
        for (const auto& [dialect, separator] :
             {std::pair{JournalCsv::Dialect::Rfc4180, ','}, {JournalCsv::Dialect::ExcelRu, ';'}}) {
            QStringList cells(JournalCsv::ColumnCount);
            cells[JournalCsv::File] = QStringLiteral("A/r");
            cells[column] = cell;
            const QString written = QString::fromUtf8(JournalCsv::write({row}, dialect));
            QVERIFY2(written.endsWith(QLatin1String("\r\n") + cells.join(QLatin1Char(separator)) +
                                      QLatin1String("\r\n")),
                     qPrintable(written));
        }
    }

    void emptyJournalIsTheHeader() {
        QCOMPARE(JournalCsv::write({}, JournalCsv::Dialect::Rfc4180, true),
                 utf8("Файл,Имя фамилия,Учетная запись,Группа,Предмет,Тест,Дата,Время,"
                      "Правильно,Всего вопросов,Процент,Состояние\r\n"));
    }

    void dialectNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("dialect"); // -1: none
        QTest::newRow("excel-ru") << "excel-ru" << int(JournalCsv::Dialect::ExcelRu);
        QTest::newRow("rfc4180") << "rfc4180" << int(JournalCsv::Dialect::Rfc4180);
        QTest::newRow("other") << "excel" << -1;
        QTest::newRow("case matters") << "RFC4180" << -1;
    }

    void dialectNames() {
        QFETCH(QString, name);
        QFETCH(int, dialect);
        const std::optional<JournalCsv::Dialect> found = JournalCsv::dialectNamed(name);
        QCOMPARE(found ? int(*found) : -1, dialect);
    }
};

QTEST_GUILESS_MAIN(TestJournalCsv)
#include "TestJournalCsv.moc"
