#include "ReportParser.h"

#include "CodePage.h"
#include "Failure.h"
#include "PackedText.h"
#include "ReportText.h"

#include <QHash>
#include <QLocale>
#include <QtAlgorithms>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ReportParser {
namespace {

// Longest piece of an unfitting line quoted in the reason.
constexpr int kQuotedLength = 60;

// What the code page's table says of each byte, looked up once instead of per character.
struct ByteClasses {
    const char16_t* characters = CodePage::decodeTable();
    std::array<bool, 256> space{};
    std::array<bool, 256> digit{};
    std::array<qint8, 256> decimal{}; // 0 to 9 for the characters '0' to '9', else -1

    ByteClasses() {
        for (int b = 0; b < 256; ++b) {
            const char16_t c = characters[b];
            space[size_t(b)] = QChar(c).isSpace();
            digit[size_t(b)] = QChar(c).isDigit();
            decimal[size_t(b)] = c >= u'0' && c <= u'9' ? qint8(c - u'0') : qint8(-1);
        }
    }
};

const ByteClasses& byteClasses() {
    static const ByteClasses classes;
    return classes;
}

// A fixed piece of the report's layout with its Windows-1251 bytes, so that a file's bytes are
// matched against it byte for byte. That is exact only where each of its characters comes from
// one byte and no other; a piece with any other character is matched through the table.
struct Pattern {
    QString text;
    QByteArray bytes;
    bool byBytes = true;

    explicit Pattern(const QString& piece)
        : text(piece) {
        const char16_t* table = byteClasses().characters;
        for (const QChar c : piece) {
            int byte = -1;
            int sources = 0;
            for (int b = 0; b < 256; ++b) {
                if (table[b] == c.unicode()) {
                    byte = b;
                    ++sources;
                }
            }
            if (sources != 1) {
                byBytes = false;
                bytes.clear();
                return;
            }
            bytes.append(char(byte));
        }
    }

    qsizetype size() const { return text.size(); }
};

// The pieces the report's writer puts in; a verdict is read with its trailing blanks cut.
const Pattern kStudent{ReportText::kStudent};
const Pattern kGroup{ReportText::kGroup};
const Pattern kSubject{ReportText::kSubject};
const Pattern kTest{ReportText::kTest};
const Pattern kDateTimeGap{ReportText::kDateTimeGap};
const Pattern kQuestion{ReportText::kQuestion};
const Pattern kRightVerdict{ReportText::kRightVerdict};
const Pattern kWrongVerdict{ReportText::kWrongVerdict};
const Pattern kTotal{ReportText::kTotal};
const Pattern kRight{ReportText::kRight};
const Pattern kWrong{ReportText::kWrong};
const Pattern kPercentEnd{ReportText::kPercentEnd};

// Whether the `n` bytes at `a` and `b` are the same. The layout's pieces are a few bytes long:
// two overlapping words compare them with hardly a branch, where a call or a loop costs more.
bool sameBytes(const unsigned char* a, const char* b, qsizetype n) {
    const auto word = [](const void* at, auto zero) {
        decltype(zero) value;
        std::memcpy(&value, at, sizeof value);
        return value;
    };
    if (n >= 8) {
        for (qsizetype i = 0; i + 8 < n; i += 8) {
            if (word(a + i, quint64()) != word(b + i, quint64()))
                return false;
        }
        return word(a + n - 8, quint64()) == word(b + n - 8, quint64());
    }
    if (n >= 4)
        return word(a, quint32()) == word(b, quint32()) &&
               word(a + n - 4, quint32()) == word(b + n - 4, quint32());
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != static_cast<unsigned char>(b[i]))
            return false;
    }
    return true;
}

// One line of a file's Windows-1251 bytes, read character by character through the code page's
// table: it compares exactly as its decoded text would, but only the fields a record keeps are
// ever decoded. Every byte is one character, so positions and lengths are the decoded text's.
class ByteLine {
public:
    ByteLine() = default;
    ByteLine(const ByteClasses& classes, const unsigned char* data, qsizetype size)
        : m_classes(&classes)
        , m_data(data)
        , m_size(size) {}

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    char16_t at(qsizetype i) const { return m_classes->characters[m_data[i]]; }
    bool isSpaceAt(qsizetype i) const { return m_classes->space[m_data[i]]; }
    bool isDigitAt(qsizetype i) const { return m_classes->digit[m_data[i]]; }
    int decimalAt(qsizetype i) const { return m_classes->decimal[m_data[i]]; }

    // Positions are always within the line here.
    ByteLine mid(qsizetype from) const {
        return ByteLine(*m_classes, m_data + from, m_size - from);
    }
    ByteLine mid(qsizetype from, qsizetype n) const {
        return ByteLine(*m_classes, m_data + from, n);
    }
    ByteLine left(qsizetype n) const { return ByteLine(*m_classes, m_data, n); }
    void chop(qsizetype n) { m_size -= n; }

    bool matchesAt(qsizetype from, const Pattern& pattern) const {
        const QString& text = pattern.text;
        if (from < 0 || m_size - from < text.size())
            return false;
        if (pattern.byBytes)
            return sameBytes(m_data + from, pattern.bytes.constData(), text.size());
        const char16_t* table = m_classes->characters;
        const char16_t* wanted = reinterpret_cast<const char16_t*>(text.constData());
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (table[m_data[from + i]] != wanted[i])
                return false;
        }
        return true;
    }
    bool startsWith(const Pattern& pattern) const { return matchesAt(0, pattern); }
    bool startsWith(char16_t c) const { return m_size > 0 && at(0) == c; }
    bool endsWith(const Pattern& pattern) const {
        return matchesAt(m_size - pattern.size(), pattern);
    }
    bool equals(const Pattern& pattern) const {
        return m_size == pattern.size() && matchesAt(0, pattern);
    }
    qsizetype indexOf(const Pattern& pattern) const {
        for (qsizetype from = 0; from + pattern.size() <= m_size; ++from) {
            if (matchesAt(from, pattern))
                return from;
        }
        return -1;
    }

    // Whether the line decodes to `text`.
    bool decodesTo(const QString& text) const {
        if (m_size != text.size())
            return false;
        const char16_t* table = m_classes->characters;
        const char16_t* wanted = reinterpret_cast<const char16_t*>(text.constData());
        for (qsizetype i = 0; i < m_size; ++i) {
            if (table[m_data[i]] != wanted[i])
                return false;
        }
        return true;
    }

    QString toString() const {
        QString text(m_size, Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        const char16_t* table = m_classes->characters;
        for (qsizetype i = 0; i < m_size; ++i)
            out[i] = table[m_data[i]];
        return text;
    }

private:
    const ByteClasses* m_classes = nullptr;
    const unsigned char* m_data = nullptr;
    qsizetype m_size = 0;
};

// The same questions of a decoded line, so that one parser reads both kinds.
char16_t charAt(QStringView line, qsizetype i) {
    return line.at(i).unicode();
}
bool isSpaceAt(QStringView line, qsizetype i) {
    return line.at(i).isSpace();
}
bool isDigitAt(QStringView line, qsizetype i) {
    return line.at(i).isDigit();
}
bool startsWith(QStringView line, const Pattern& pattern) {
    return line.startsWith(pattern.text);
}
bool startsWith(QStringView line, char16_t c) {
    return line.startsWith(QChar(c));
}
bool endsWith(QStringView line, const Pattern& pattern) {
    return line.endsWith(pattern.text);
}
bool equals(QStringView line, const Pattern& pattern) {
    return line == pattern.text;
}
qsizetype indexOf(QStringView line, const Pattern& pattern) {
    return line.indexOf(pattern.text);
}
char16_t charAt(const ByteLine& line, qsizetype i) {
    return line.at(i);
}
bool isSpaceAt(const ByteLine& line, qsizetype i) {
    return line.isSpaceAt(i);
}
template <typename Piece> bool startsWith(const ByteLine& line, const Piece& piece) {
    return line.startsWith(piece);
}
bool endsWith(const ByteLine& line, const Pattern& pattern) {
    return line.endsWith(pattern);
}
bool equals(const ByteLine& line, const Pattern& pattern) {
    return line.equals(pattern);
}
qsizetype indexOf(const ByteLine& line, const Pattern& pattern) {
    return line.indexOf(pattern);
}

template <typename Line> Line rightTrimmed(Line line) {
    while (!line.isEmpty() && isSpaceAt(line, line.size() - 1))
        line.chop(1);
    return line;
}

// Leading decimal digits of `text` as a count; `used` tells how many characters they took.
// Nine digits at most, so that no count overflows.
std::optional<int> leadingCount(const ByteLine& text, qsizetype& used) {
    used = 0;
    int value = 0;
    while (used < text.size() && used < 9) {
        const int digit = text.decimalAt(used);
        if (digit < 0)
            break;
        value = value * 10 + digit;
        ++used;
    }
    if (used == 0 || (used < text.size() && text.isDigitAt(used)))
        return std::nullopt;
    return value;
}

template <typename Line> std::optional<int> leadingCount(const Line& text, qsizetype& used) {
    used = 0;
    int value = 0;
    while (used < text.size() && used < 9 && charAt(text, used) >= u'0' &&
           charAt(text, used) <= u'9') {
        value = value * 10 + (charAt(text, used) - u'0');
        ++used;
    }
    if (used == 0 || (used < text.size() && isDigitAt(text, used)))
        return std::nullopt;
    return value;
}

// The whole of `text` as a count.
template <typename Line> std::optional<int> wholeCount(const Line& text) {
    qsizetype used = 0;
    const std::optional<int> value = leadingCount(text, used);
    if (!value || used != text.size())
        return std::nullopt;
    return value;
}

// A question line: "Вопрос № " k "- Правильно " or "- Неправильно ".
template <typename Line> bool readQuestion(Line line, int& number, bool& right) {
    if (!startsWith(line, kQuestion))
        return false;
    line = rightTrimmed(line.mid(kQuestion.size()));
    qsizetype used = 0;
    const std::optional<int> k = leadingCount(line, used);
    if (!k)
        return false;
    const Line verdict = line.mid(used);
    if (equals(verdict, kRightVerdict))
        right = true;
    else if (equals(verdict, kWrongVerdict))
        right = false;
    else
        return false;
    number = *k;
    return true;
}

// A field's text. Where the report read before holds the same text in that field (`before`),
// the record shares it rather than decoding a copy: a folder's reports mostly agree in subject
// and date, and often in more.
QString fieldText(QStringView piece, const QString*) {
    return piece.toString();
}
QString fieldText(const ByteLine& piece, const QString* before) {
    if (before && piece.decodesTo(*before))
        return *before;
    return piece.toString();
}

// "Правильно: " r "    (" percent " %)".
template <typename Line>
bool readRight(Line line, ReportRecord& record, const QString* percentBefore) {
    if (!startsWith(line, kRight))
        return false;
    line = rightTrimmed(line.mid(kRight.size()));
    qsizetype used = 0;
    const std::optional<int> right = leadingCount(line, used);
    if (!right)
        return false;
    Line rest = line.mid(used);
    qsizetype blanks = 0;
    while (blanks < rest.size() && charAt(rest, blanks) == u' ')
        ++blanks;
    rest = rest.mid(blanks);
    if (blanks == 0 || !startsWith(rest, u'(') || !endsWith(rest, kPercentEnd))
        return false;
    record.right = right;
    record.percentWritten =
        fieldText(rest.mid(1, rest.size() - 1 - kPercentEnd.size()), percentBefore);
    return true;
}

template <typename Line>
bool readCountLine(const Line& line, const Pattern& prefix, std::optional<int>& field) {
    if (!startsWith(line, prefix))
        return false;
    const std::optional<int> value = wholeCount(rightTrimmed(line.mid(prefix.size())));
    if (!value)
        return false;
    field = value;
    return true;
}

template <typename Line> QString quoted(const Line& line) {
    if (line.size() <= kQuotedLength)
        return QStringLiteral("«") + line.toString() + QStringLiteral("»");
    return QStringLiteral("«") + line.left(kQuotedLength).toString() + QStringLiteral("…»");
}

// The percent a report must hold for `right` of `total`, as the report writer words it. A
// journal asks for the same few pairs thousands of times; each is formatted once.
const QString& expectedPercent(int right, int total) {
    thread_local QHash<quint64, QString> known; // the journal reads on several threads
    const quint64 key = (quint64(quint32(right)) << 32) | quint32(total);
    auto found = known.constFind(key);
    if (found == known.constEnd()) {
        if (known.size() > 4096)
            known.clear(); // counts out of all proportion: keep the cache small
        found = known.insert(key, ReportText::percentText(right, total, QLocale::c()));
    }
    return *found;
}

// The percent as written equals the expected one, read with either decimal separator.
bool samePercent(const QString& written, const QString& expected) {
    if (written.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const QChar c = written.at(i) == QLatin1Char(',') ? QLatin1Char('.') : written.at(i);
        if (c != expected.at(i))
            return false;
    }
    return true;
}

// Reads lines of either kind: decoded text (QStringView) or a file's bytes (ByteLine).
template <typename Line> class Parser {
public:
    // `previous`, when given, is the record read just before, whose texts may be shared.
    explicit Parser(ReportRecord& record, const ReportRecord* previous = nullptr)
        : m_record(record)
        , m_previous(previous) {}

    template <typename Lines> void parse(const Lines& lines) {
        qsizetype count = lines.size();
        while (count > 0 && rightTrimmed(lines.at(count - 1)).isEmpty())
            --count; // blank lines after the last are no part of the layout
        if (count == 0) {
            unreadable(QStringLiteral("пустой текст"));
            return;
        }
        const Pattern* heads[] = {&kStudent, &kGroup, &kSubject, &kTest};
        QString* fields[] = {&m_record.student, &m_record.group, &m_record.subject, &m_record.test};
        QString ReportRecord::*fieldsBefore[] = {&ReportRecord::student, &ReportRecord::group,
                                                 &ReportRecord::subject, &ReportRecord::test};
        for (int i = 0; i < 4; ++i) {
            if (i >= count) {
                missing(i, heads[i]->text);
                return;
            }
            const Line line = lines.at(i);
            if (startsWith(line, *heads[i]))
                *fields[i] = fieldText(line.mid(heads[i]->size()), before(fieldsBefore[i]));
            else
                misfit(i, line);
        }
        if (count <= 4) {
            missingDateTime();
            return;
        }
        const Line when = lines.at(4);
        const qsizetype gap = indexOf(when, kDateTimeGap);
        if (gap > 0) {
            m_record.date = fieldText(when.left(gap), before(&ReportRecord::date));
            m_record.time =
                fieldText(when.mid(gap + kDateTimeGap.size()), before(&ReportRecord::time));
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
    template <typename Lines> void readBody(const Lines& lines, qsizetype count) {
        Phase phase = Phase::Questions;
        for (qsizetype i = 5; i < count; ++i) {
            const Line line = lines.at(i);
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
            } else if (!m_record.right &&
                       readRight(line, m_record, before(&ReportRecord::percentWritten))) {
                advance(phase, Phase::AfterTotal, Phase::AfterRight, i, line);
            } else if (!m_record.wrong && readCountLine(line, kWrong, m_record.wrong)) {
                advance(phase, Phase::AfterRight, Phase::Done, i, line);
            } else {
                misfit(i, line);
            }
        }
        if (!m_record.total)
            missing(count, kTotal.text);
        else if (!m_record.right)
            missing(count, kRight.text);
        else if (!m_record.wrong)
            missing(count, kWrong.text);
    }

    // A count line read in phase `expected` moves on to `next`; read anywhere else it is out
    // of place.
    void advance(Phase& phase, Phase expected, Phase next, qsizetype index, const Line& line) {
        if (phase != expected)
            misfit(index, line);
        phase = std::max(phase, next);
    }

    void checkAgreement() {
        const int total = *m_record.total;
        const int right = *m_record.right;
        const int rightLines = int(m_record.verdicts.count(true));
        // The percent the report must hold for its own counts, with either separator.
        const bool agrees = !m_numberingBroken && m_record.verdicts.size() == total &&
                            rightLines == right && *m_record.wrong == total - right &&
                            samePercent(m_record.percentWritten, expectedPercent(right, total));
        m_record.state = agrees ? ReportRecord::State::Agrees : ReportRecord::State::Disagrees;
    }

    void unreadable(const QString& reason) {
        if (m_record.state == ReportRecord::State::Unreadable)
            return; // the first misfit is the one reported
        m_record.state = ReportRecord::State::Unreadable;
        m_record.reason = reason;
    }

    void misfit(qsizetype index, const Line& line) {
        unreadable(QStringLiteral("строка %1: %2").arg(index + 1).arg(quoted(line)));
    }

    void missing(qsizetype index, const QString& head) {
        unreadable(QStringLiteral("строка %1: нет «%2…»").arg(index + 1).arg(head));
    }

    void missingDateTime() { unreadable(QStringLiteral("строка 5: нет даты и времени")); }

    const QString* before(QString ReportRecord::*field) const {
        return m_previous ? &(m_previous->*field) : nullptr;
    }

    ReportRecord& m_record;
    const ReportRecord* m_previous;
    bool m_numberingBroken = false;
};

void resetFields(ReportRecord& record) {
    ReportRecord fresh;
    fresh.subjectFolder = std::move(record.subjectFolder);
    fresh.reportName = std::move(record.reportName);
    fresh.owner = record.owner;
    record = std::move(fresh);
}

} // namespace

void parseLines(const QStringList& lines, ReportRecord& record) {
    resetFields(record);
    QVector<QStringView> views;
    views.reserve(lines.size());
    for (const QString& line : lines)
        views.append(line);
    Parser<QStringView>(record).parse(views);
}

namespace {

void parseBytes(const QByteArray& text, ReportRecord& record, const ReportRecord* previous) {
    resetFields(record);
    // The lines as TextLines::toEditorText and a split at "\n" would give them: CR LF, a lone
    // CR and a lone LF each end a line, a zero byte ends the text. The bytes stay undecoded.
    const ByteClasses& classes = byteClasses();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.constData());
    const void* zero = std::memchr(bytes, 0, size_t(text.size()));
    const qsizetype end = zero ? static_cast<const unsigned char*>(zero) - bytes : text.size();
    QVarLengthArray<ByteLine, 64> lines; // a report of up to 55 questions without the heap
    qsizetype start = 0;
    // A CR or LF at `at` ends the line that began at `start`, unless it is the LF of a CR LF
    // already taken.
    const auto lineBreak = [&](qsizetype at) {
        if (at < start)
            return;
        lines.append(ByteLine(classes, bytes + start, at - start));
        start = bytes[at] == '\r' && at + 1 < end && bytes[at + 1] == '\n' ? at + 2 : at + 1;
    };
    qsizetype i = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time, every CR and LF among them found at once.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= end; i += 16) {
        const __m128i piece = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        unsigned breaks = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(piece, cr), _mm_cmpeq_epi8(piece, lf))));
        while (breaks != 0) {
            lineBreak(i + qCountTrailingZeroBits(breaks));
            breaks &= breaks - 1;
        }
    }
#endif
    for (; i < end; ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n')
            lineBreak(i);
    }
    lines.append(ByteLine(classes, bytes + start, end - start));
    Parser<ByteLine>(record, previous).parse(lines);
}

} // namespace

void parseText(const QByteArray& text, ReportRecord& record) {
    parseBytes(text, record, nullptr);
}

namespace {

// Parses what `read` gives; a refusal of the packed-text reader is the reason of an unreadable
// record.
template <typename Read>
void parseRead(const Read& read, ReportRecord& record, const ReportRecord* previous = nullptr,
               PackedText::FileStatus* statusOut = nullptr) {
    QByteArray text;
    PackedText::FileStatus local;
    PackedText::FileStatus& status = statusOut ? *statusOut : local;
    status = PackedText::FileStatus();
    record.owner.reset();
    try {
        text = read(status);
    } catch (const Failure& failure) {
        if (status.found)
            record.owner = status.owner;
        resetFields(record);
        record.state = ReportRecord::State::Unreadable;
        record.reason = failure.message();
        return;
    } catch (const std::bad_alloc&) {
        if (status.found)
            record.owner = status.owner;
        resetFields(record);
        record.state = ReportRecord::State::Unreadable;
        record.reason = QStringLiteral("Out of memory");
        return;
    }
    record.owner = status.owner;
    parseBytes(text, record, previous);
}

} // namespace

void parseFile(const QString& path, ReportRecord& record) {
    parseRead(
        [&path](PackedText::FileStatus& status) {
            return PackedText::OpenFromStream(path, kReportCapacity, &status);
        },
        record);
}

void parseFile(PackedText::FolderReader& folder, const QString& name, ReportRecord& record,
               const ReportRecord* previous, PackedText::FileStatus* status) {
    parseRead(
        [&](PackedText::FileStatus& opened) {
            return folder.OpenFromStream(name, kReportCapacity, &opened);
        },
        record, previous, status);
}

} // namespace ReportParser
