// The journal read by several workers and remembered in the user's cache: every row, in every
// field, is what a plain reading of the same files one after the other gives.

#include "ContentPaths.h"
#include "JournalCache.h"
#include "PackedText.h"
#include "ReportJournal.h"
#include "ReportParser.h"
#include "support/TestHelpers.h"
#include "TextLines.h"

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
constexpr int kUnreadable = 4; // entries that are no report, read from their files at every load

QByteArray packed(int n, const QString& subject) {
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
    return TestHelpers::packedInMemory(TextLines::fromEditorText(text));
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

void setModified(const QByteArray& path, const struct timespec& time) {
    const struct timespec times[2] = {time, time};
    QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
}

// clang-format off
enum Change { Nothing, TimeOnly, NewInode, OtherSize, Removed, Added, Damaged, Garbage, Moved,
              OthersWrite, OtherOwner };
// clang-format on

} // namespace

Q_DECLARE_METATYPE(Change)

class TestJournalLoad : public QObject {
    Q_OBJECT

private slots:
    void init();
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
    // A load of the content folder whose rows equal a plain reading of every entry in turn.
    ReportJournal::Load checkedLoad(const QString& cacheFile,
                                    const ReportJournal::Progress& progress = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_content;
    QString m_cacheFile;
};

void TestJournalLoad::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_content = m_dir->filePath(QStringLiteral("Content")) + QLatin1Char('/');
    m_cacheFile = m_dir->filePath(QStringLiteral("cache/journal.cache"));
    // More reports than one worker reads in a row, and a subject without reports.
    for (const QString& subject : {kAlgebra, kPhysics}) {
        QVERIFY(QDir().mkpath(ContentPaths::reportsDir(m_content, subject)));
        for (int n = 0; n < (subject == kAlgebra ? 45 : 7); ++n)
            QVERIFY(putFile(reportPath(subject, QStringLiteral("Студент %1(0)").arg(n)),
                            packed(n, subject)));
    }
    QVERIFY(QDir().mkpath(m_content + QStringLiteral("Без отчетов/Тесты")));
    // The kUnreadable entries: cut off, foreign, empty, a folder.
    const QByteArray whole = packed(99, kAlgebra);
    QVERIFY(
        putFile(reportPath(kAlgebra, QStringLiteral("обрезан(0)")), whole.left(whole.size() / 2)));
    QVERIFY(putFile(reportPath(kAlgebra, QStringLiteral("заметка")), "not a report\r\n"));
    QVERIFY(putFile(reportPath(kAlgebra, QStringLiteral("пустой(0)")), QByteArray()));
    QVERIFY(QDir().mkpath(QFile::decodeName(reportPath(kPhysics, QStringLiteral("папка(0)")))));
    // A report copied from a Windows system: its name in Windows-1251 bytes.
    QVERIFY(putFile(QFile::encodeName(ContentPaths::reportsDir(m_content, kPhysics)) +
                        "/\xCF\xE5\xF2\xF0\xEE\xE2(0)",
                    packed(7, kPhysics)));
}

ReportJournal::Load TestJournalLoad::checkedLoad(const QString& cacheFile,
                                                 const ReportJournal::Progress& progress) {
    const ReportJournal::Load load = ReportJournal::load(m_content, progress, cacheFile);
    QVector<ReportRecord> plain;
    for (const ReportJournal::Entry& entry : ReportJournal::listEntries(m_content)) {
        ReportRecord& row = plain.emplace_back();
        row.subjectFolder = entry.subjectFolder;
        row.reportName = entry.reportName;
        ReportParser::parseFile(entry.path, row);
    }
    [&] {
        QVERIFY(!load.cancelled);
        QCOMPARE(load.entries, int(plain.size()));
        QCOMPARE(described(load.rows), described(plain));
    }();
    return load;
}

void TestJournalLoad::parallelAsOneByOne() {
    QVector<int> told;
    const ReportJournal::Load load = checkedLoad({}, [&told](int done, int) {
        told << done;
        return true;
    });
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(load.entries, 45 + 7 + 1 + kUnreadable);
    QCOMPARE(load.readFromFiles, load.entries);
    QVERIFY(std::is_sorted(told.begin(), told.end()));
    QCOMPARE(told.first(), 0);
    QCOMPARE(told.last(), load.entries);
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

    STEP(QCOMPARE(checkedLoad(m_cacheFile).readFromFiles, 45 + 7 + 1 + kUnreadable));
    QVERIFY(QFile::exists(m_cacheFile));

    const QByteArray report = reportPath(kAlgebra, QStringLiteral("Студент 3(0)"));
    const QByteArray cache = QFile::encodeName(m_cacheFile);
    struct stat status {};
    QCOMPARE(::stat(report.constData(), &status), 0);
    const struct timespec time = status.st_mtim;
    switch (change) {
    case Nothing:
        break;
    case TimeOnly:
        setModified(report, {time.tv_sec + 1, time.tv_nsec});
        break;
    case NewInode:
        QVERIFY(putFile(report + ".new", packed(3, kAlgebra)));
        setModified(report + ".new", time);
        QCOMPARE(::rename((report + ".new").constData(), report.constData()), 0);
        break;
    case OtherSize:
        QVERIFY(putFile(report, packed(13, kAlgebra)));
        setModified(report, time);
        break;
    case Removed:
        QCOMPARE(::unlink(report.constData()), 0);
        break;
    case Added:
        QVERIFY(putFile(reportPath(kPhysics, QStringLiteral("Новый(0)")), packed(50, kPhysics)));
        break;
    case Damaged:
        QCOMPARE(::truncate(cache.constData(), QFileInfo(m_cacheFile).size() / 2), 0);
        break;
    case Garbage:
        QVERIFY(putFile(cache, QByteArray(4096, '\x5A')));
        break;
    case Moved:
        QVERIFY(QDir().rename(m_content, m_dir->filePath(QStringLiteral("Курс"))));
        m_content = m_dir->filePath(QStringLiteral("Курс/"));
        break;
    case OthersWrite:
        QCOMPARE(::chmod(cache.constData(), 0620), 0);
        break;
    case OtherOwner:
        QCOMPARE(::chown(cache.constData(), 3999999, gid_t(-1)), 0);
        break;
    }

    STEP(QCOMPARE(checkedLoad(m_cacheFile).readFromFiles, kUnreadable + read));
    // Written anew where it had to be: the user's alone, and good for the next load.
    QCOMPARE(::stat(cache.constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 07777), 0600);
    QCOMPARE(status.st_uid, ::geteuid());
    STEP(QCOMPARE(checkedLoad(m_cacheFile).readFromFiles, kUnreadable));
}

void TestJournalLoad::cacheFileOfTheUser_data() {
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("folder"); // under the temporary folder
    QTest::newRow("XDG_CACHE_HOME") << QStringLiteral("xdg") << "xdg/normakurs";
    QTest::newRow("not set: the home's") << QString() << "home/.cache/normakurs";
    QTest::newRow("relative: the home's") << QStringLiteral("relative") << "home/.cache/normakurs";
}

void TestJournalLoad::cacheFileOfTheUser() {
    QFETCH(QString, xdg);
    QFETCH(QString, folder);
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
