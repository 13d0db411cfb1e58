// The journal read by several workers, and remembered in the user's cache: every row, in every
// field, is what a plain reading of the same files one after the other gives, whatever the tree
// holds (cut-off and foreign files, folders, names in Windows-1251 bytes) and whatever the cache
// holds (nothing, the last load, a changed tree, a damaged, moved or foreign cache file).

#include "ContentPaths.h"
#include "JournalCache.h"
#include "JournalCsv.h"
#include "PackedText.h"
#include "ReportJournal.h"
#include "ReportParser.h"
#include "support/TestHelpers.h"
#include "TextLines.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kAlgebra = QStringLiteral("Алгебра");
const QString kPhysics = QStringLiteral("Физика");

QByteArray packed(const QString& text) {
    return TestHelpers::packedInMemory(TextLines::fromEditorText(text));
}

QString reportText(int n, const QString& subject) {
    QString text = QStringLiteral("Имя фамилия: Студент %1\nГруппа: ИС-%2\nПредмет: %3\n"
                                  "Тест: Вариант %4.txt\n05.03.2014     9:07:%5\n")
                       .arg(n)
                       .arg(21 + n % 3)
                       .arg(subject)
                       .arg(n % 2 + 1)
                       .arg(n % 60, 2, 10, QLatin1Char('0'));
    const int total = 3 + n % 4;
    int right = 0;
    for (int k = 0; k < total; ++k) {
        const bool ok = (n + k) % 3 != 0;
        right += ok;
        text += QStringLiteral("Вопрос № %1- %2 \n")
                    .arg(k + 1)
                    .arg(ok ? QStringLiteral("Правильно") : QStringLiteral("Неправильно"));
    }
    const int tenths = int((2000 * right + total) / (2 * total));
    text += QStringLiteral("Всего вопросов: %1\nПравильно: %2    (%3,%4 %)\nНеправильно: %5\n")
                .arg(total)
                .arg(right)
                .arg(tenths / 10)
                .arg(tenths % 10)
                .arg(total - right);
    return text;
}

bool putFile(const QByteArray& path, const QByteArray& bytes) {
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Every field of every row, one line each.
QStringList described(const QVector<ReportRecord>& rows) {
    QStringList lines;
    const auto count = [](const std::optional<int>& n) {
        return n ? QString::number(*n) : QStringLiteral("-");
    };
    for (const ReportRecord& r : rows) {
        QString verdicts;
        for (bool v : r.verdicts)
            verdicts += v ? QLatin1Char('1') : QLatin1Char('0');
        lines << QStringList{r.file(),       r.ownerText(),  r.student,      r.group,
                             r.subject,      r.test,         r.date,         r.time,
                             count(r.total), count(r.right), count(r.wrong), r.percentWritten,
                             verdicts,       r.stateText()}
                     .join(QLatin1Char('|'));
    }
    return lines;
}

// The rows as a plain reading gives them: every entry by its whole path, one after the other.
QVector<ReportRecord> readOneByOne(const QString& content) {
    QVector<ReportRecord> rows;
    for (const ReportJournal::Entry& entry : ReportJournal::listEntries(content)) {
        ReportRecord& row = rows.emplace_back();
        row.subjectFolder = entry.subjectFolder;
        row.reportName = entry.reportName;
        ReportParser::parseFile(entry.path, row);
    }
    return rows;
}

void setModified(const QByteArray& path, const struct timespec& time) {
    const struct timespec times[2] = {time, time};
    QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
}

struct timespec modifiedOf(const QByteArray& path) {
    struct stat status {};
    ::stat(path.constData(), &status);
    return status.st_mtim;
}

enum Change {
    Nothing,
    TimeOnly,    // the same bytes, another time
    NewInode,    // the same bytes and time in a new file put in its place
    OtherSize,   // other bytes, the time put back as it was
    Removed,     // a report gone
    Added,       // a new report
    Damaged,     // the cache file cut in half
    Garbage,     // the cache file not one of ours
    Moved,       // the content folder under another name
    OthersWrite, // the cache file writable by the group
    OtherOwner,  // the cache file of another account
};

} // namespace

Q_DECLARE_METATYPE(Change)

class TestJournalLoad : public QObject {
    Q_OBJECT

private slots:
    void init();
    void parallelAsOneByOne_data();
    void parallelAsOneByOne();
    void cache_data();
    void cache();
    void cacheFileOfTheUser_data();
    void cacheFileOfTheUser();

private:
    QByteArray reportPath(const QString& subject, const QString& name) const {
        return QFile::encodeName(ContentPaths::reportsDir(m_content, subject) + QLatin1Char('/') +
                                 name);
    }
    // Rows equal a plain reading, and the progress told went up to the end in order.
    void checkLoad(const ReportJournal::Load& load);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_content;
    QString m_cacheFile;
    int m_unreadable = 0; // entries read from their files at every load
};

void TestJournalLoad::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_content = m_dir->filePath(QStringLiteral("Content")) + QLatin1Char('/');
    m_cacheFile = m_dir->filePath(QStringLiteral("cache/journal.cache"));
    // More reports than one worker reads in a row, in two subjects and one without reports.
    for (const QString& subject : {kAlgebra, kPhysics}) {
        QVERIFY(QDir().mkpath(ContentPaths::reportsDir(m_content, subject)));
        const int reports = subject == kAlgebra ? 45 : 7;
        for (int n = 0; n < reports; ++n)
            QVERIFY(putFile(reportPath(subject, QStringLiteral("Студент %1(0)").arg(n)),
                            packed(reportText(n, subject))));
    }
    QVERIFY(QDir().mkpath(m_content + QStringLiteral("Без отчетов/Тесты")));
    const QByteArray whole = packed(reportText(99, kAlgebra));
    QVERIFY(
        putFile(reportPath(kAlgebra, QStringLiteral("обрезан(0)")), whole.left(whole.size() / 2)));
    QVERIFY(putFile(reportPath(kAlgebra, QStringLiteral("заметка")), "not a report\r\n"));
    QVERIFY(putFile(reportPath(kAlgebra, QStringLiteral("пустой(0)")), QByteArray()));
    QVERIFY(QDir().mkpath(QFile::decodeName(reportPath(kPhysics, QStringLiteral("папка(0)")))));
    // A report copied from a Windows system: its name in Windows-1251 bytes.
    const QByteArray native = QFile::encodeName(ContentPaths::reportsDir(m_content, kPhysics)) +
                              "/\xCF\xE5\xF2\xF0\xEE\xE2(0)";
    QVERIFY(putFile(native, packed(reportText(7, kPhysics))));
    m_unreadable = 4; // the entries that are no report
}

void TestJournalLoad::checkLoad(const ReportJournal::Load& load) {
    QVERIFY(!load.cancelled);
    const QVector<ReportRecord> plain = readOneByOne(m_content);
    QCOMPARE(load.entries, int(plain.size()));
    QCOMPARE(described(load.rows), described(plain));
    for (const JournalCsv::Dialect dialect :
         {JournalCsv::Dialect::Rfc4180, JournalCsv::Dialect::ExcelRu})
        QCOMPARE(JournalCsv::write(load.rows, dialect, true),
                 JournalCsv::write(plain, dialect, true));
}

void TestJournalLoad::parallelAsOneByOne_data() {
    QTest::addColumn<bool>("withProgress");
    QTest::newRow("no progress") << false;
    QTest::newRow("progress told") << true;
}

void TestJournalLoad::parallelAsOneByOne() {
    QFETCH(bool, withProgress);
    QVector<int> told;
    ReportJournal::Progress progress;
    if (withProgress)
        progress = [&told](int done, int) {
            told << done;
            return true;
        };
    const ReportJournal::Load load = ReportJournal::load(m_content, progress);
    STEP(checkLoad(load));
    QCOMPARE(load.readFromFiles, load.entries);
    QCOMPARE(load.entries, 45 + 7 + 5);
    if (withProgress) {
        QVERIFY(std::is_sorted(told.begin(), told.end()));
        QCOMPARE(told.first(), 0);
        QCOMPARE(told.last(), load.entries);
    }
}

void TestJournalLoad::cache_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("read"); // files read at the second load, besides the unreadable ones
    const int all = 45 + 7 + 1;    // the reports the cache can hold
    QTest::newRow("nothing changed") << Nothing << 0;
    QTest::newRow("same bytes, another time") << TimeOnly << 1;
    QTest::newRow("same bytes and time, new file") << NewInode << 1;
    QTest::newRow("other bytes, time put back") << OtherSize << 1;
    QTest::newRow("report removed") << Removed << 0;
    QTest::newRow("report added") << Added << 1;
    QTest::newRow("cache cut in half") << Damaged << all;
    QTest::newRow("cache not ours") << Garbage << all;
    QTest::newRow("content folder moved") << Moved << all;
    QTest::newRow("cache writable by the group") << OthersWrite << all;
    QTest::newRow("cache of another account") << OtherOwner << all;
}

void TestJournalLoad::cache() {
    QFETCH(Change, change);
    QFETCH(int, read);
    if (change == OtherOwner && ::geteuid() != 0)
        QSKIP("giving a file to another account takes root");

    const ReportJournal::Load first = ReportJournal::load(m_content, {}, m_cacheFile);
    STEP(checkLoad(first));
    QCOMPARE(first.readFromFiles, first.entries);
    QVERIFY(QFile::exists(m_cacheFile));

    const QByteArray report = reportPath(kAlgebra, QStringLiteral("Студент 3(0)"));
    const QByteArray cache = QFile::encodeName(m_cacheFile);
    const struct timespec time = modifiedOf(report);
    switch (change) {
    case Nothing:
        break;
    case TimeOnly:
        setModified(report, {time.tv_sec + 1, time.tv_nsec});
        break;
    case NewInode: {
        const QByteArray copy = report + ".new";
        QVERIFY(putFile(copy, packed(reportText(3, kAlgebra))));
        setModified(copy, time);
        QCOMPARE(::rename(copy.constData(), report.constData()), 0);
        break;
    }
    case OtherSize:
        QVERIFY(putFile(report, packed(reportText(13, kAlgebra))));
        setModified(report, time);
        break;
    case Removed:
        QCOMPARE(::unlink(report.constData()), 0);
        break;
    case Added:
        QVERIFY(putFile(reportPath(kPhysics, QStringLiteral("Новый(0)")),
                        packed(reportText(50, kPhysics))));
        break;
    case Damaged: {
        QFile file(m_cacheFile);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(file.size() / 2));
        break;
    }
    case Garbage:
        QVERIFY(putFile(cache, QByteArray(4096, '\x5A')));
        break;
    case Moved: {
        const QString moved = m_dir->filePath(QStringLiteral("Курс")) + QLatin1Char('/');
        QVERIFY(QDir().rename(m_content, moved));
        m_content = moved;
        break;
    }
    case OthersWrite:
        QCOMPARE(::chmod(cache.constData(), 0620), 0);
        break;
    case OtherOwner:
        QCOMPARE(::chown(cache.constData(), 3999999, gid_t(-1)), 0);
        break;
    }

    const ReportJournal::Load second = ReportJournal::load(m_content, {}, m_cacheFile);
    STEP(checkLoad(second));
    QCOMPARE(second.readFromFiles, m_unreadable + read);
    // Written anew where it had to be: the user's alone, and good for the next load.
    struct stat status {};
    QCOMPARE(::stat(cache.constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 07777), 0600);
    QCOMPARE(status.st_uid, ::geteuid());
    const ReportJournal::Load third = ReportJournal::load(m_content, {}, m_cacheFile);
    STEP(checkLoad(third));
    QCOMPARE(third.readFromFiles, m_unreadable);
}

void TestJournalLoad::cacheFileOfTheUser_data() {
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("folder"); // under the temporary folder
    QTest::newRow("XDG_CACHE_HOME") << "xdg"
                                    << "xdg/normakurs";
    QTest::newRow("not set: the home's") << ""
                                         << "home/.cache/normakurs";
    QTest::newRow("relative: the home's") << "relative"
                                          << "home/.cache/normakurs";
}

void TestJournalLoad::cacheFileOfTheUser() {
    QFETCH(QString, xdg);
    QFETCH(QString, folder);
    const QByteArray home = qgetenv("HOME");
    const QByteArray cacheHome = qgetenv("XDG_CACHE_HOME");
    qputenv("HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("home"))));
    if (xdg.isEmpty())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME",
                QFile::encodeName(xdg == QLatin1String("relative") ? xdg : m_dir->filePath(xdg)));
    const QString file = JournalCache::fileFor(m_content);
    const QString other = JournalCache::fileFor(m_dir->filePath(QStringLiteral("Другой")));
    // The same folder by another spelling has the same cache.
    const QString again = JournalCache::fileFor(m_content + QStringLiteral("./Алгебра/.."));
    ReportJournal::load(m_content, {}, file);
    qputenv("HOME", home);
    if (cacheHome.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", cacheHome);

    QCOMPARE(QFileInfo(file).path(), m_dir->filePath(folder));
    QVERIFY(other != file);
    QCOMPARE(QFileInfo(other).path(), QFileInfo(file).path());
    QCOMPARE(again, file);
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 07777), 0600);
}

QTEST_GUILESS_MAIN(TestJournalLoad)
#include "TestJournalLoad.moc"
