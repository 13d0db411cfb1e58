#include "ExamKeeper.h"

#include "CodePage.h"
#include "ContentFolders.h"
#include "ContentPaths.h"
#include "ExamProtocol.h"
#include "Failure.h"
#include "FolderListing.h"
#include "PackedText.h"
#include "ReportFile.h"
#include "ReportText.h"
#include "Scoring.h"
#include "StudentName.h"
#include "TestFormat.h"
#include "TextLines.h"
#include "VariantCheck.h"

#include <QLocale>

#include <sys/stat.h>

namespace {

using namespace ExamProtocol;

// A request that does not follow the protocol: answered with INVALID, and the keeper stops.
struct ProtocolBreach {
    QString message;
};

// A refusal the student reads as a notice, not as an error.
struct Refusal {
    QStringList reply;
};

// Holds the keeper's file access for one request.
class FilesAccess {
public:
    explicit FilesAccess(const std::function<void(bool)>& access)
        : m_access(access) {
        if (m_access)
            m_access(true);
    }
    ~FilesAccess() {
        if (m_access)
            m_access(false);
    }
    FilesAccess(const FilesAccess&) = delete;
    FilesAccess& operator=(const FilesAccess&) = delete;

private:
    const std::function<void(bool)>& m_access;
};

void expectFields(const QStringList& fields, int count) {
    if (fields.size() != count)
        throw ProtocolBreach{QStringLiteral("%1 expects %2 fields, got %3")
                                 .arg(fields.first())
                                 .arg(count - 1)
                                 .arg(fields.size() - 1)};
}

bool hasControl(const QString& text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// Which version of the variant file was opened: its device, file number, size and time of
// change. A saved variant is a new file, so a resumed attempt finds out whether its questions
// are still the same ones, and nothing of the key can be worked out from it.
QString fingerprint(const QString& path) {
    struct stat status {};
    if (::stat(CodePage::nativePath(path).constData(), &status) != 0)
        return QString();
    return QStringLiteral("%1:%2:%3:%4.%5")
        .arg(quint64(status.st_dev))
        .arg(quint64(status.st_ino))
        .arg(qint64(status.st_size))
        .arg(qint64(status.st_mtim.tv_sec))
        .arg(qint64(status.st_mtim.tv_nsec));
}

} // namespace

ExamKeeper::ExamKeeper(QString contentDir, std::function<QDateTime()> clock,
                       std::function<void(bool)> filesAccess)
    : m_contentDir(std::move(contentDir))
    , m_clock(std::move(clock))
    , m_filesAccess(std::move(filesAccess)) {
    if (!m_contentDir.endsWith(QLatin1Char('/')))
        m_contentDir += QLatin1Char('/');
}

QByteArray ExamKeeper::handle(const QByteArray& request) {
    if (m_broken)
        return encode({QLatin1String(kInvalid), QStringLiteral("the keeper has stopped")});
    try {
        if (request.size() >= kMaxRequestLine)
            throw ProtocolBreach{QStringLiteral("request line too long")};
        const std::optional<QStringList> fields = decode(request);
        if (!fields || fields->isEmpty())
            throw ProtocolBreach{QStringLiteral("not a request line")};
        const QString& verb = fields->first();
        if (verb == QLatin1String(kList))
            return encode(list(*fields));
        if (verb == QLatin1String(kOpen))
            return encode(open(*fields));
        if (verb == QLatin1String(kFinish))
            return encode(finish(*fields));
        throw ProtocolBreach{QStringLiteral("unknown request")};
    } catch (const ProtocolBreach& breach) {
        m_broken = true;
        return encode({QLatin1String(kInvalid), breach.message});
    } catch (const Refusal& refusal) {
        return encode(refusal.reply);
    } catch (const Failure& failure) {
        return encode({QLatin1String(kError), failure.message()});
    }
}

// A subject is one of the folders the testing window lists, or none at all: an empty name
// gives the open failure a missing choice has always given.
QString ExamKeeper::checkedSubject(const QString& subject) const {
    if (subject.isEmpty())
        return subject;
    if (!ContentFolders::subjectNameProblem(subject).isEmpty())
        throw ProtocolBreach{QStringLiteral("not a subject name")};
    if (!FolderListing::subjectsAsRead(m_contentDir).contains(subject))
        throw Failure(QStringLiteral("Предмет «%1» не найден.").arg(subject));
    return subject;
}

QStringList ExamKeeper::list(const QStringList& fields) {
    expectFields(fields, 2);
    const FilesAccess access(m_filesAccess);
    const QString subject = checkedSubject(fields.at(1));
    QStringList reply{QLatin1String(kOk)};
    if (!subject.isEmpty())
        reply += FolderListing::children(ContentPaths::testsDir(m_contentDir, subject),
                                         QStringLiteral("*.txt"));
    return reply;
}

QStringList ExamKeeper::open(const QStringList& fields) {
    expectFields(fields, 5);
    const QString& name = fields.at(1);
    const QString& group = fields.at(2);
    const QString& variant = fields.at(4);
    if (name.isEmpty() || group.isEmpty())
        throw Failure(QStringLiteral("Не все параметры указаны"));
    QString problem = StudentName::problem(name);
    if (problem.isEmpty())
        problem = StudentName::groupProblem(group);
    if (problem.isEmpty() && hasControl(group))
        problem = QStringLiteral("Группа содержит управляющие символы. Исправьте группу.");
    if (!problem.isEmpty())
        throw Failure(problem);
    if (variant.contains(QLatin1Char('/')) || variant.startsWith(QLatin1Char('.')))
        throw ProtocolBreach{QStringLiteral("not a variant name")};

    const FilesAccess access(m_filesAccess);
    const QString subject = checkedSubject(fields.at(3));
    const QString folder = ContentPaths::testsDir(m_contentDir, subject);
    // A variant is what the variant list could offer, a "*.txt" name of the tests folder: no
    // other file kept there is ever opened for a student.
    if (!variant.isEmpty() && !FolderListing::matchesMask(variant, QStringLiteral("*.txt")))
        throw ProtocolBreach{QStringLiteral("not a variant name")};
    QStringList lines = TextLines::splitLines(
        TextLines::toEditorText(PackedText::OpenFromStream(folder + QLatin1Char('/') + variant)));
    const VariantCheck::Result check = VariantCheck::check(lines);
    if (!check.canRun())
        throw Refusal{{QLatin1String(kRefused), check.firstProblem()}};

    TestAttempt attempt;
    attempt.StudentName = name;
    attempt.GroupName = group;
    attempt.SubjectName = subject;
    attempt.VariantName = variant;
    TestFormat::ReadAndLoadTest(lines, attempt);
    QStringList reply{QLatin1String(kOk), QString::number(attempt.AnswerKey.size()),
                      fingerprint(folder + QLatin1Char('/') + variant)};
    for (int q = 0; q < attempt.questionCount(); ++q)
        reply += joinLines(TestFormat::questionLines(lines, attempt, q));
    m_attempt = std::move(attempt);
    m_opened = true;
    return reply;
}

QStringList ExamKeeper::finish(const QStringList& fields) {
    expectFields(fields, 4);
    if (!m_opened)
        throw ProtocolBreach{QStringLiteral("no variant is open")};
    const QString& localeName = fields.at(1);
    if (!isLocaleName(localeName))
        throw ProtocolBreach{QStringLiteral("not a locale name")};
    bool counted = false;
    const int count = fields.at(2).toInt(&counted);
    const std::optional<QByteArray> answers = answersFromText(fields.at(3));
    if (!counted || count != m_attempt.AnswerKey.size() || !answers || answers->size() != count)
        throw ProtocolBreach{QStringLiteral("answers do not fit the open variant")};

    TestAttempt& attempt = m_attempt;
    attempt.Answers = *answers;
    const QVector<bool> verdicts = Scoring::verdicts(attempt.AnswerKey, attempt.Answers);
    attempt.RightCount = Scoring::rightCount(verdicts);
    const QString report = ReportText::lines(attempt, verdicts, m_clock(), QLocale(localeName))
                               .join(QLatin1Char('\n')) +
                           QLatin1Char('\n');

    // The score leaves the keeper only with its report stored.
    const FilesAccess access(m_filesAccess);
    const QString folder = ContentPaths::reportsDir(m_contentDir, attempt.SubjectName);
    if (!ContentFolders::folderExists(folder))
        ContentFolders::createFolder(folder);
    const QString written =
        ReportFile::saveNew(folder, attempt.StudentName, TextLines::fromEditorText(report));
    if (written.isEmpty())
        return {QLatin1String(kFull)};
    return {QLatin1String(kOk), report};
}
