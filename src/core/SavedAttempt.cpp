#include "SavedAttempt.h"

#include "DurableFile.h"
#include "ExamProtocol.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kMark = QStringLiteral("normakurs attempt 1");

QString& overriddenFolder() {
    static QString folder;
    return folder;
}

QString filePath() {
    return AttemptStore::folder() + QStringLiteral("/attempt");
}

} // namespace

bool SavedAttempt::operator==(const SavedAttempt& other) const {
    return contentDir == other.contentDir && student == other.student && group == other.group &&
           subject == other.subject && variant == other.variant && version == other.version &&
           answers == other.answers && current == other.current;
}

namespace AttemptStore {

QString folder() {
    if (!overriddenFolder().isEmpty())
        return overriddenFolder();
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/normakurs");
}

void setFolder(const QString& folder) {
    overriddenFolder() = folder;
}

void save(const SavedAttempt& attempt) {
    const QByteArray folderBytes = QFile::encodeName(folder());
    QDir().mkpath(folder());
    ::chmod(folderBytes.constData(), 0700);
    const QByteArray line =
        ExamProtocol::encode({kMark, attempt.contentDir, attempt.student, attempt.group,
                              attempt.subject, attempt.variant, attempt.version,
                              QString::fromLatin1(ExamProtocol::answersText(attempt.answers)),
                              QString::number(attempt.current)});
    DurableFile::replace(filePath(), [&line](QIODevice& device) { device.write(line); });
    ::chmod(QFile::encodeName(filePath()).constData(), 0600);
}

std::optional<SavedAttempt> load() {
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = file.read(ExamProtocol::kMaxRequestLine);
    if (!line.endsWith('\n'))
        return std::nullopt;
    const std::optional<QStringList> fields = ExamProtocol::decode(line.chopped(1));
    if (!fields || fields->size() != 9 || fields->first() != kMark)
        return std::nullopt;
    const std::optional<QByteArray> answers = ExamProtocol::answersFromText(fields->at(7));
    bool counted = false;
    const int current = fields->at(8).toInt(&counted);
    if (!answers || !counted || current < 0)
        return std::nullopt;
    return SavedAttempt{fields->at(1), fields->at(2), fields->at(3), fields->at(4),
                        fields->at(5), fields->at(6), *answers,      current};
}

void discard() {
    QFile::remove(filePath());
}

Claim::Claim() {
    QDir().mkpath(folder());
    const QByteArray lock = QFile::encodeName(folder() + QStringLiteral("/attempt.lock"));
    m_fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

Claim::~Claim() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace AttemptStore
