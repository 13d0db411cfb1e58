#include "ReportParser.h"

#include "Failure.h"
#include "PackedText.h"
#include "ReportText.h"
#include "TextLines.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <new>

namespace ReportParser {
namespace {

const QString kStudent = QStringLiteral("Имя фамилия: ");
const QString kGroup = QStringLiteral("Группа: ");
const QString kSubject = QStringLiteral("Предмет: ");
const QString kTest = QStringLiteral("Тест: ");
const QString kDateTimeGap = QStringLiteral("     ");
const QString kQuestion = QStringLiteral("Вопрос № ");
const QString kRightVerdict = QStringLiteral("- Правильно");
const QString kWrongVerdict = QStringLiteral("- Неправильно");
const QString kTotal = QStringLiteral("Всего вопросов: ");
const QString kRight = QStringLiteral("Правильно: ");
const QString kWrong = QStringLiteral("Неправильно: ");
const QString kPercentEnd = QStringLiteral(" %)");

// Longest piece of an unfitting line quoted in the reason.
constexpr int kQuotedLength = 60;

QStringView rightTrimmed(QStringView line) {
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    return line;
}

// Leading decimal digits of `text` as a count; `used` tells how many characters they took.
// Nine digits at most, so that no count overflows.
std::optional<int> leadingCount(QStringView text, qsizetype& used) {
    used = 0;
    int value = 0;
    while (used < text.size() && used < 9 && text.at(used) >= u'0' && text.at(used) <= u'9') {
        value = value * 10 + (text.at(used).unicode() - u'0');
        ++used;
    }
    if (used == 0 || (used < text.size() && text.at(used).isDigit()))
        return std::nullopt;
    return value;
}

// The whole of `text` as a count.
std::optional<int> wholeCount(QStringView text) {
    qsizetype used = 0;
    const std::optional<int> value = leadingCount(text, used);
    if (!value || used != text.size())
        return std::nullopt;
    return value;
}

// A question line: "Вопрос № " k "- Правильно " or "- Неправильно ".
bool readQuestion(QStringView line, int& number, bool& right) {
    if (!line.startsWith(kQuestion))
        return false;
    line = rightTrimmed(line.mid(kQuestion.size()));
    qsizetype used = 0;
    const std::optional<int> k = leadingCount(line, used);
    if (!k)
        return false;
    const QStringView verdict = line.mid(used);
    if (verdict == kRightVerdict)
        right = true;
    else if (verdict == kWrongVerdict)
        right = false;
    else
        return false;
    number = *k;
    return true;
}

// "Правильно: " r "    (" percent " %)".
bool readRight(QStringView line, ReportRecord& record) {
    if (!line.startsWith(kRight))
        return false;
    line = rightTrimmed(line.mid(kRight.size()));
    qsizetype used = 0;
    const std::optional<int> right = leadingCount(line, used);
    if (!right)
        return false;
    QStringView rest = line.mid(used);
    qsizetype blanks = 0;
    while (blanks < rest.size() && rest.at(blanks) == u' ')
        ++blanks;
    rest = rest.mid(blanks);
    if (blanks == 0 || !rest.startsWith(u'(') || !rest.endsWith(kPercentEnd))
        return false;
    record.right = right;
    record.percentWritten = rest.mid(1, rest.size() - 1 - kPercentEnd.size()).toString();
    return true;
}

bool readCountLine(QStringView line, const QString& prefix, std::optional<int>& field) {
    if (!line.startsWith(prefix))
        return false;
    const std::optional<int> value = wholeCount(rightTrimmed(line.mid(prefix.size())));
    if (!value)
        return false;
    field = value;
    return true;
}

QString quoted(QStringView line) {
    if (line.size() <= kQuotedLength)
        return QStringLiteral("«") + line.toString() + QStringLiteral("»");
    return QStringLiteral("«") + line.left(kQuotedLength).toString() + QStringLiteral("…»");
}

// The percent a report must hold for `right` of `total`, as the report writer words it. A
// journal asks for the same few pairs thousands of times; each is formatted once.
const QString& expectedPercent(int right, int total) {
    static QHash<quint64, QString> known;
    const quint64 key = (quint64(quint32(right)) << 32) | quint32(total);
    auto found = known.constFind(key);
    if (found == known.constEnd()) {
        if (known.size() > 4096)
            known.clear(); // counts out of all proportion: keep the cache small
        found = known.insert(key, ReportText::percentText(right, total, QLocale::c()));
    }
    return *found;
}

class Parser {
public:
    explicit Parser(ReportRecord& record)
        : m_record(record) {}

    void parse(const QVector<QStringView>& lines) {
        qsizetype count = lines.size();
        while (count > 0 && rightTrimmed(lines.at(count - 1)).isEmpty())
            --count; // blank lines after the last are no part of the layout
        if (count == 0) {
            unreadable(QStringLiteral("пустой текст"));
            return;
        }
        const QString* heads[] = {&kStudent, &kGroup, &kSubject, &kTest};
        QString* fields[] = {&m_record.student, &m_record.group, &m_record.subject, &m_record.test};
        for (int i = 0; i < 4; ++i) {
            if (i >= count) {
                missing(i, *heads[i]);
                return;
            }
            const QStringView line = lines.at(i);
            if (line.startsWith(*heads[i]))
                *fields[i] = line.mid(heads[i]->size()).toString();
            else
                misfit(i, line);
        }
        if (count <= 4) {
            missingDateTime();
            return;
        }
        const QStringView when = lines.at(4);
        const qsizetype gap = when.indexOf(kDateTimeGap);
        if (gap > 0) {
            m_record.date = when.left(gap).toString();
            m_record.time = when.mid(gap + kDateTimeGap.size()).toString();
        } else {
            misfit(4, when);
        }
        readBody(lines, count);
        if (m_record.state != ReportRecord::State::Unreadable)
            checkAgreement();
    }

private:
    enum class Phase { Questions, AfterTotal, AfterRight, Done };

    // Lines 6 onwards: the question lines, then the three count lines in their order. A line
    // out of place or of another kind makes the report unreadable, but every line that can be
    // read still gives its field.
    void readBody(const QVector<QStringView>& lines, qsizetype count) {
        Phase phase = Phase::Questions;
        for (qsizetype i = 5; i < count; ++i) {
            const QStringView line = lines.at(i);
            int number = 0;
            bool right = false;
            if (readQuestion(line, number, right)) {
                if (phase != Phase::Questions) {
                    misfit(i, line);
                    continue;
                }
                if (m_record.verdicts.isEmpty())
                    m_record.verdicts.reserve(count - 5);
                m_record.verdicts.append(right);
                if (number != m_record.verdicts.size())
                    m_numberingBroken = true;
            } else if (!m_record.total && readCountLine(line, kTotal, m_record.total)) {
                advance(phase, Phase::Questions, Phase::AfterTotal, i, line);
            } else if (!m_record.right && readRight(line, m_record)) {
                advance(phase, Phase::AfterTotal, Phase::AfterRight, i, line);
            } else if (!m_record.wrong && readCountLine(line, kWrong, m_record.wrong)) {
                advance(phase, Phase::AfterRight, Phase::Done, i, line);
            } else {
                misfit(i, line);
            }
        }
        if (!m_record.total)
            missing(count, kTotal);
        else if (!m_record.right)
            missing(count, kRight);
        else if (!m_record.wrong)
            missing(count, kWrong);
    }

    // A count line read in phase `expected` moves on to `next`; read anywhere else it is out
    // of place.
    void advance(Phase& phase, Phase expected, Phase next, qsizetype index, QStringView line) {
        if (phase != expected)
            misfit(index, line);
        phase = std::max(phase, next);
    }

    void checkAgreement() {
        const int total = *m_record.total;
        const int right = *m_record.right;
        const int rightLines = int(m_record.verdicts.count(true));
        // The percent the report must hold for its own counts, with either separator.
        QString written = m_record.percentWritten;
        written.replace(QLatin1Char(','), QLatin1Char('.'));
        const bool agrees = !m_numberingBroken && m_record.verdicts.size() == total &&
                            rightLines == right && *m_record.wrong == total - right &&
                            written == expectedPercent(right, total);
        m_record.state = agrees ? ReportRecord::State::Agrees : ReportRecord::State::Disagrees;
    }

    void unreadable(const QString& reason) {
        if (m_record.state == ReportRecord::State::Unreadable)
            return; // the first misfit is the one reported
        m_record.state = ReportRecord::State::Unreadable;
        m_record.reason = reason;
    }

    void misfit(qsizetype index, QStringView line) {
        unreadable(QStringLiteral("строка %1: %2").arg(index + 1).arg(quoted(line)));
    }

    void missing(qsizetype index, const QString& head) {
        unreadable(QStringLiteral("строка %1: нет «%2…»").arg(index + 1).arg(head));
    }

    void missingDateTime() { unreadable(QStringLiteral("строка 5: нет даты и времени")); }

    ReportRecord& m_record;
    bool m_numberingBroken = false;
};

void resetFields(ReportRecord& record) {
    const QString subjectFolder = record.subjectFolder;
    const QString reportName = record.reportName;
    record = ReportRecord();
    record.subjectFolder = subjectFolder;
    record.reportName = reportName;
}

} // namespace

void parseLines(const QStringList& lines, ReportRecord& record) {
    resetFields(record);
    QVector<QStringView> views;
    views.reserve(lines.size());
    for (const QString& line : lines)
        views.append(line);
    Parser(record).parse(views);
}

void parseText(const QByteArray& text, ReportRecord& record) {
    resetFields(record);
    const QString decoded = TextLines::toEditorText(text); // one "\n" per break
    QVector<QStringView> views;
    views.reserve(64); // a report of up to 56 questions without growing
    const QStringView all(decoded);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = all.indexOf(u'\n', start);
        if (end < 0) {
            views.append(all.mid(start));
            break;
        }
        views.append(all.mid(start, end - start));
        start = end + 1;
    }
    Parser(record).parse(views);
}

void parseFile(const QString& path, ReportRecord& record) {
    QByteArray text;
    try {
        text = PackedText::OpenFromStream(path, kReportCapacity);
    } catch (const Failure& failure) {
        resetFields(record);
        record.state = ReportRecord::State::Unreadable;
        record.reason = failure.message();
        return;
    } catch (const std::bad_alloc&) {
        resetFields(record);
        record.state = ReportRecord::State::Unreadable;
        record.reason = QStringLiteral("Out of memory");
        return;
    }
    parseText(text, record);
}

} // namespace ReportParser
