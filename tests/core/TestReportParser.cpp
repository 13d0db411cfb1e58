// Reading a report's text back: well-formed reports as the testing window writes them, edited
// ones, cut-off ones, empty and foreign files.

#include "PackedText.h"
#include "ReportParser.h"
#include "ReportText.h"
#include "Scoring.h"
#include "support/TestHelpers.h"
#include "TestAttempt.h"
#include "TextLines.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime kWhen(QDate(2014, 3, 5), QTime(9, 7, 41));

// The report of 2 right of 3 with Russian settings, line by line as the testing window writes it.
QStringList writtenReport(const QLocale& locale = QLocale(QLocale::Russian, QLocale::Russia)) {
    TestAttempt attempt;
    attempt.StudentName = QStringLiteral("Иван Петров");
    attempt.GroupName = QStringLiteral("ИС-21");
    attempt.SubjectName = QStringLiteral("Алгоритмы");
    attempt.VariantName = QStringLiteral("Вариант 1.txt");
    attempt.AnswerKey = QByteArray("CDB");
    attempt.Answers = QByteArray("CAB");
    return ReportText::lines(attempt, Scoring::verdicts(attempt.AnswerKey, attempt.Answers), kWhen,
                             locale);
}

QStringList replaced(QStringList lines, int index, const QString& line) {
    lines[index] = line;
    return lines;
}

QStringList removed(QStringList lines, int index) {
    lines.removeAt(index);
    return lines;
}

QByteArray fileText(const QStringList& lines) {
    return TextLines::fromEditorText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

// Every field of a record, for comparing two records as a whole.
QString fieldsOf(const ReportRecord& r) {
    QStringList verdicts;
    for (const bool right : r.verdicts)
        verdicts << (right ? QStringLiteral("+") : QStringLiteral("-"));
    const auto count = [](const std::optional<int>& n) {
        return n ? QString::number(*n) : QStringLiteral("unset");
    };
    return QStringList{r.student,      r.group,          r.subject,         r.test,
                       r.date,         r.time,           count(r.total),    count(r.right),
                       count(r.wrong), r.percentWritten, verdicts.join(""), r.stateText()}
        .join(QStringLiteral(" | "));
}

// The file text with the line `index` (0-based) replaced by `bytes`.
QByteArray withLine(const QByteArray& text, int index, const QByteArray& bytes) {
    QList<QByteArray> lines = text.split('\n');
    lines[index] = bytes + '\r';
    return lines.join('\n');
}

} // namespace

using State = ReportRecord::State;
Q_DECLARE_METATYPE(ReportRecord::State)

class TestReportParser : public QObject {
    Q_OBJECT

private slots:
    void wellFormedFields() {
        ReportRecord record;
        record.subjectFolder = QStringLiteral("Алгоритмы");
        record.reportName = QStringLiteral("Иван Петров(0)");
        ReportParser::parseText(fileText(writtenReport()), record);
        QCOMPARE(record.state, State::Agrees);
        QCOMPARE(record.stateText(), QString());
        QCOMPARE(record.file(), QStringLiteral("Алгоритмы/Иван Петров(0)"));
        QCOMPARE(record.student, QStringLiteral("Иван Петров"));
        QCOMPARE(record.group, QStringLiteral("ИС-21"));
        QCOMPARE(record.subject, QStringLiteral("Алгоритмы"));
        QCOMPARE(record.test, QStringLiteral("Вариант 1.txt"));
        QCOMPARE(record.date, QStringLiteral("05.03.2014"));
        QCOMPARE(record.time, QStringLiteral("09:07:41"));
        QCOMPARE(record.total, std::optional<int>(3));
        QCOMPARE(record.right, std::optional<int>(2));
        QCOMPARE(record.wrong, std::optional<int>(1));
        QCOMPARE(record.verdicts, (QVector<bool>{true, false, true}));
        QCOMPARE(record.percentText(QLatin1Char(',')), QStringLiteral("66,7"));
    }

    void states_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("stateText");
        QTest::addColumn<int>("total"); // -1: not read
        QTest::addColumn<int>("right");

        const QStringList report = writtenReport();
        QTest::newRow("as written") << report << State::Agrees << QString() << 3 << 2;
        QTest::newRow("decimal point")
            << writtenReport(QLocale::c()) << State::Agrees << QString() << 3 << 2;
        QTest::newRow("blank lines after the last")
            << (report + QStringList{QString(), QString()}) << State::Agrees << QString() << 3 << 2;
        QTest::newRow("question line without its final blank")
            << replaced(report, 5, QStringLiteral("Вопрос № 1- Правильно")) << State::Agrees
            << QString() << 3 << 2;

        const QString disagrees = QStringLiteral("не сходится");
        QTest::newRow("right count raised")
            << replaced(report, 9, QStringLiteral("Правильно: 3    (66,6666666666667 %)"))
            << State::Disagrees << disagrees << 3 << 3;
        QTest::newRow("percent edited")
            << replaced(report, 9, QStringLiteral("Правильно: 2    (70 %)")) << State::Disagrees
            << disagrees << 3 << 2;
        QTest::newRow("percent rounded")
            << replaced(report, 9, QStringLiteral("Правильно: 2    (66,67 %)")) << State::Disagrees
            << disagrees << 3 << 2;
        QTest::newRow("wrong count edited")
            << replaced(report, 10, QStringLiteral("Неправильно: 0")) << State::Disagrees
            << disagrees << 3 << 2;
        QTest::newRow("verdict flipped")
            << replaced(report, 6, QStringLiteral("Вопрос № 2- Правильно ")) << State::Disagrees
            << disagrees << 3 << 2;
        QTest::newRow("last question removed")
            << removed(report, 7) << State::Disagrees << disagrees << 3 << 2;
        QTest::newRow("question numbers out of order")
            << replaced(report, 6, QStringLiteral("Вопрос № 5- Неправильно ")) << State::Disagrees
            << disagrees << 3 << 2;
        QTest::newRow("total edited") << replaced(report, 8, QStringLiteral("Всего вопросов: 4"))
                                      << State::Disagrees << disagrees << 4 << 2;

        QTest::newRow("cut after the questions")
            << report.mid(0, 8) << State::Unreadable
            << QStringLiteral("не читается: строка 9: нет «Всего вопросов: …»") << -1 << -1;
        QTest::newRow("cut before the wrong line")
            << report.mid(0, 10) << State::Unreadable
            << QStringLiteral("не читается: строка 11: нет «Неправильно: …»") << 3 << 2;
        QTest::newRow("cut after the header")
            << report.mid(0, 2) << State::Unreadable
            << QStringLiteral("не читается: строка 3: нет «Предмет: …»") << -1 << -1;
        QTest::newRow("cut before the date")
            << report.mid(0, 4) << State::Unreadable
            << QStringLiteral("не читается: строка 5: нет даты и времени") << -1 << -1;
        QTest::newRow("garbled line keeps the counts after it")
            << replaced(report, 6, QStringLiteral("Вопрос № два")) << State::Unreadable
            << QStringLiteral("не читается: строка 7: «Вопрос № два»") << 3 << 2;
        QTest::newRow("first misfit is the reason")
            << replaced(replaced(report, 1, QStringLiteral("Group: x")), 8,
                        QStringLiteral("Всего вопросов: три"))
            << State::Unreadable << QStringLiteral("не читается: строка 2: «Group: x»") << -1 << 2;
        QTest::newRow("date without its gap")
            << replaced(report, 4, QStringLiteral("05.03.2014 09:07:41")) << State::Unreadable
            << QStringLiteral("не читается: строка 5: «05.03.2014 09:07:41»") << 3 << 2;
        QTest::newRow("negative count")
            << replaced(report, 10, QStringLiteral("Неправильно: -1")) << State::Unreadable
            << QStringLiteral("не читается: строка 11: «Неправильно: -1»") << 3 << 2;
        QTest::newRow("line after the last")
            << (report + QStringList{QStringLiteral("Оценка: 5")}) << State::Unreadable
            << QStringLiteral("не читается: строка 12: «Оценка: 5»") << 3 << 2;
        QTest::newRow("empty text") << QStringList() << State::Unreadable
                                    << QStringLiteral("не читается: пустой текст") << -1 << -1;
        QTest::newRow("foreign text, long line quoted short")
            << QStringList{QString(80, QLatin1Char('x'))} << State::Unreadable
            << (QStringLiteral("не читается: строка 1: «") + QString(60, QLatin1Char('x')) +
                QStringLiteral("…»"))
            << -1 << -1;
    }

    void states() {
        QFETCH(QStringList, lines);
        QFETCH(State, state);
        QFETCH(QString, stateText);
        QFETCH(int, total);
        QFETCH(int, right);
        ReportRecord record;
        ReportParser::parseLines(lines, record);
        QCOMPARE(record.state, state);
        QCOMPARE(record.stateText(), stateText);
        QCOMPARE(record.total.value_or(-1), total);
        QCOMPARE(record.right.value_or(-1), right);
        // The fields before any damage are always kept.
        if (lines.size() > 0 && lines.at(0).startsWith(QStringLiteral("Имя фамилия: ")))
            QCOMPARE(record.student, QStringLiteral("Иван Петров"));
    }

    // A file's bytes are read without being decoded first: every text gives the record its
    // decoded lines give, byte for byte of the code page, whatever its breaks.
    void bytesReadAsTheirDecodedLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<State>("state");

        const QByteArray report = fileText(writtenReport());
        const QByteArray question = "\xc2\xee\xef\xf0\xee\xf1 \xb9 1- "; // "Вопрос № 1- "
        QByteArray everyByte;
        for (int b = 0x80; b < 0x100; ++b)
            everyByte += char(b);
        QTest::newRow("as written") << report << State::Agrees;
        QTest::newRow("LF breaks") << QByteArray(report).replace("\r\n", "\n") << State::Agrees;
        QTest::newRow("CR breaks") << QByteArray(report).replace("\r\n", "\r") << State::Agrees;
        QTest::newRow("mixed breaks, none at the end")
            << QByteArray(report).replace("\r\n", "\n").replace("\n\xc2", "\r\xc2").chopped(1)
            << State::Agrees;
        QTest::newRow("CR CR LF is a blank line")
            << QByteArray(report).replace("\r\n\xc2", "\r\r\n\xc2") << State::Unreadable;
        QTest::newRow("zero byte ends the text")
            << withLine(report, 7, question.left(6) + '\0' + "x") << State::Unreadable;
        QTest::newRow("verdict followed by NBSP and tab")
            << withLine(report, 5, question + "\xcf\xf0\xe0\xe2\xe8\xeb\xfc\xed\xee\xa0\t")
            << State::Agrees;
        QTest::newRow("verdict followed by an unassigned byte")
            << withLine(report, 5, question + "\xcf\xf0\xe0\xe2\xe8\xeb\xfc\xed\xee\x98")
            << State::Unreadable;
        QTest::newRow("every upper byte in the test name")
            << withLine(report, 3, "\xd2\xe5\xf1\xf2: " + everyByte) << State::Agrees;
        QTest::newRow("every upper byte in the group")
            << withLine(report, 1, everyByte) << State::Unreadable;
        QTest::newRow("ten digits in a question number")
            << withLine(report, 5, question.left(11) + "0123456789- x") << State::Unreadable;
        QTest::newRow("long foreign line quoted short")
            << withLine(report, 0, QByteArray(100, '\xe6')) << State::Unreadable;
        QTest::newRow("decimal point") << fileText(writtenReport(QLocale::c())) << State::Agrees;
        QTest::newRow("percent with a blank")
            << QByteArray(report).replace("66,6666666666667 %", "66,6666666666667  %")
            << State::Disagrees;
        QTest::newRow("date without its gap")
            << QByteArray(report).replace("     ", "    ") << State::Unreadable;
        // Lines of 13 to 20 bytes move the breaks over every place of a 16-byte block.
        QByteArray shifting;
        for (int n = 13; n <= 20; ++n)
            shifting += QByteArray(n, 'a') + (n % 2 ? "\r\n" : "\n");
        QTest::newRow("breaks at every place of a block") << shifting << State::Unreadable;
        QTest::newRow("only breaks") << QByteArray("\r\n\n\r\r\n") << State::Unreadable;
        QTest::newRow("empty") << QByteArray() << State::Unreadable;
    }

    void bytesReadAsTheirDecodedLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(State, state);
        ReportRecord fromBytes;
        ReportParser::parseText(bytes, fromBytes);
        ReportRecord fromLines;
        ReportParser::parseLines(TextLines::toEditorText(bytes).split(QLatin1Char('\n')),
                                 fromLines);
        QCOMPARE(fieldsOf(fromBytes), fieldsOf(fromLines));
        QCOMPARE(fromBytes.state, state);
        if (state == State::Agrees) { // every row that agrees is the written report
            QCOMPARE(fromBytes.verdicts, (QVector<bool>{true, false, true}));
            QCOMPARE(fromBytes.wrong, std::optional<int>(1));
        }
    }

    void files_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("stateText");

        const QByteArray whole = TestHelpers::packedInMemory(fileText(writtenReport()));

        QTest::newRow("packed report") << whole << QString();
        QTest::newRow("cut-off packed file")
            << whole.left(whole.size() / 2) << QStringLiteral("не читается: Stream read error");
        QTest::newRow("zero bytes")
            << QByteArray() << QStringLiteral("не читается: Stream read error");
        QTest::newRow("empty packed text") << TestHelpers::packedInMemory(QByteArray())
                                           << QStringLiteral("не читается: пустой текст");
        QTest::newRow("plain text file")
            << fileText(writtenReport()) << QStringLiteral("не читается: Error");
    }

    void files() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, stateText);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Иван Петров(0)"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        ReportRecord record;
        ReportParser::parseFile(path, record);
        QCOMPARE(record.stateText(), stateText);
    }

    void missingFileNamesItsPath() {
        QTemporaryDir dir;
        ReportRecord record;
        record.reportName = QStringLiteral("gone");
        ReportParser::parseFile(dir.filePath(QStringLiteral("gone")), record);
        QCOMPARE(record.state, State::Unreadable);
        QVERIFY2(record.reason.startsWith(QStringLiteral("Cannot open file \"")) &&
                     record.reason.contains(dir.filePath(QStringLiteral("gone"))),
                 qPrintable(record.reason));
        QCOMPARE(record.reportName, QStringLiteral("gone"));
    }

    void percentColumn_data() {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("percent");
        QTest::newRow("2 of 3") << 2 << 3 << QStringLiteral("66,7");
        QTest::newRow("1 of 3") << 1 << 3 << QStringLiteral("33,3");
        QTest::newRow("half up, 1 of 16") << 1 << 16 << QStringLiteral("6,3"); // 6.25
        QTest::newRow("half up, 1 of 80") << 1 << 80 << QStringLiteral("1,3"); // 1.25
        QTest::newRow("1 of 8") << 1 << 8 << QStringLiteral("12,5");
        QTest::newRow("whole") << 3 << 3 << QStringLiteral("100,0");
        QTest::newRow("none right") << 0 << 5 << QStringLiteral("0,0");
        QTest::newRow("no questions") << 0 << 0 << QString();
    }

    void percentColumn() {
        QFETCH(int, right);
        QFETCH(int, total);
        QFETCH(QString, percent);
        ReportRecord record;
        record.right = right;
        record.total = total;
        QCOMPARE(record.percentText(QLatin1Char(',')), percent);
    }
};

QTEST_GUILESS_MAIN(TestReportParser)
#include "TestReportParser.moc"
