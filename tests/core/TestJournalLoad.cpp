// The journal read by several workers and remembered in the user's cache: every row, in every
// field, is what a plain reading of the same files one after the other gives.

#include "ContentPaths.h"
#include "JournalCache.h"
#include "ReportJournal.h"
#include "ReportParser.h"
#include "support/TestHelpers.h"
#include "TextLines.h"

#include <QDebug>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kAlgebra = QStringLiteral("Алгебра");
const QString kPhysics = QStringLiteral("Физика");
constexpr int kReports = 45 + 7 + 1; // the reports the cache can hold
const char* const kWindowsName = "\xCF\xE5\xF2\xF0\xEE\xE2(0)";
constexpr int kUnreadable = 4; // entries that are no report, read from their files at every load

// A report of its own for each n, so that a row put in another's place shows.
QByteArray packed(int n, const QString& subject) {
    const int total = 3 + n % 4, right = 1 + n % 3;
    QString verdicts;
    for (int k = 0; k < total; ++k)
        verdicts += QString::asprintf("Вопрос № %d- %s \n", k + 1,
                                      (n + k) % total < right ? "Правильно" : "Неправильно");
    return TestHelpers::packedInMemory(TextLines::fromEditorText(QString::asprintf(
        "Имя фамилия: Студент %d\nГруппа: ИС-%d\nПредмет: %s\nТест: Вариант %d.txt\n"
        "05.03.2014     9:07:%02d\n%sВсего вопросов: %d\n"
        "Правильно: %d    (%s %%)\nНеправильно: %d\n",
        n, 21 + n % 3, qUtf8Printable(subject), n % 2 + 1, n % 60, qUtf8Printable(verdicts), total,
        right, qUtf8Printable(QString::number(right * 100.0 / total, 'f', 1).replace('.', ',')),
        total - right)));
}

// Writes the file by its bytes: a name need not be valid UTF-8.
bool putFile(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written =
        fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return fd >= 0 && ::close(fd) == 0 && written;
}

// Every field of every row, one line each (-1 for a count that is unset).
QStringList described(const QVector<ReportRecord>& rows) {
    QStringList lines;
    for (const ReportRecord& r : rows)
        QDebug(&lines.emplace_back())
            << r.file() << r.ownerText() << r.student << r.group << r.subject << r.test << r.date
            << r.time << r.total.value_or(-1) << r.right.value_or(-1) << r.wrong.value_or(-1)
            << r.percentWritten << r.verdicts << r.stateText();
    return lines;
}

struct stat statusOf(const QByteArray& path) {
    struct stat status {};
    ::stat(path.constData(), &status);
    return status;
}

// The permission bits and the owner of a file.
std::pair<int, uid_t> access(const QByteArray& path) {
    const struct stat status = statusOf(path);
    return {int(status.st_mode & 07777), status.st_uid};
}

void setModified(const QByteArray& path, const struct timespec& time) {
    const struct timespec times[2] = {time, time};
    QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
}

// What a row changes between two loads: the report "Студент 3(0)", the cache file, and the
// report's time before the change.
struct Place {
    QByteArray report, cache;
    struct timespec time;
};
using Change = std::function<void(const Place&)>;

} // namespace

Q_DECLARE_METATYPE(Change)

class TestJournalLoad : public QObject {
    Q_OBJECT

private:
    QByteArray reports(const QString& subject) const {
        return QFile::encodeName(ContentPaths::reportsDir(m_content, subject)) + '/';
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_content;
    QString m_cacheFile;

    // A load of the content folder whose rows equal a plain reading of every entry in turn.
    ReportJournal::Load checkedLoad(const QString& cacheFile,
                                    const ReportJournal::Progress& progress = {}) {
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

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_content = m_dir->filePath(QStringLiteral("Content")) + QLatin1Char('/');
        m_cacheFile = m_dir->filePath(QStringLiteral("cache/journal.cache"));
        // More reports than one worker reads in a row, and a subject without reports.
        for (const QString& subject : {kAlgebra, kPhysics}) {
            QVERIFY(QDir().mkpath(ContentPaths::reportsDir(m_content, subject)));
            for (int n = 0; n < (subject == kAlgebra ? 45 : 7); ++n)
                QVERIFY(putFile(reports(subject) + QStringLiteral("Студент %1(0)").arg(n).toUtf8(),
                                packed(n, subject)));
        }
        QVERIFY(QDir().mkpath(m_content + QStringLiteral("Без отчетов/Тесты")));
        // The kUnreadable entries: cut off, foreign, empty, a folder.
        const QByteArray whole = packed(99, kAlgebra);
        QVERIFY(putFile(reports(kAlgebra) + "обрезан(0)", whole.left(whole.size() / 2)));
        QVERIFY(putFile(reports(kAlgebra) + "заметка", "not a report\r\n"));
        QVERIFY(putFile(reports(kAlgebra) + "пустой(0)", QByteArray()));
        QVERIFY(QDir().mkpath(QFile::decodeName(reports(kPhysics) + "папка(0)")));
        // A report copied from a Windows system: its name in Windows-1251 bytes.
        QVERIFY(putFile(reports(kPhysics) + kWindowsName, packed(7, kPhysics)));
    }

    // QDir removes no name that is not UTF-8.
    void cleanup() { ::unlink((reports(kPhysics) + kWindowsName).constData()); }

    void cache_data() {
        QTest::addColumn<int>("read"); // files read at the second load, besides the unreadable ones
        QTest::addColumn<Change>("change");
        QTest::newRow("nothing changed") << 0 << Change([](const Place&) {});
        QTest::newRow("same bytes, another time") << 1 << Change([](const Place& p) {
            setModified(p.report, {p.time.tv_sec + 1, p.time.tv_nsec});
        });
        QTest::newRow("same bytes and time, new file") << 1 << Change([](const Place& p) {
            QVERIFY(putFile(p.report + ".new", packed(3, kAlgebra)));
            setModified(p.report + ".new", p.time);
            QCOMPARE(::rename((p.report + ".new").constData(), p.report.constData()), 0);
        });
        QTest::newRow("other bytes, time put back") << 1 << Change([](const Place& p) {
            QVERIFY(putFile(p.report, packed(13, kAlgebra)));
            setModified(p.report, p.time);
        });
        QTest::newRow("report removed")
            << 0 << Change([](const Place& p) { QCOMPARE(::unlink(p.report.constData()), 0); });
        QTest::newRow("report added") << 1 << Change([this](const Place&) {
            QVERIFY(putFile(reports(kPhysics) + "Новый(0)", packed(50, kPhysics)));
        });
        QTest::newRow("cache cut in half") << kReports << Change([](const Place& p) {
            QCOMPARE(::truncate(p.cache.constData(), statusOf(p.cache).st_size / 2), 0);
        });
        QTest::newRow("cache not ours")
            << kReports
            << Change([](const Place& p) { QVERIFY(putFile(p.cache, QByteArray(4096, '\x5A'))); });
        QTest::newRow("content folder moved") << kReports << Change([this](const Place&) {
            QVERIFY(QDir().rename(m_content, m_dir->filePath(QStringLiteral("Курс"))));
            m_content = m_dir->filePath(QStringLiteral("Курс/"));
        });
        QTest::newRow("cache writable by the group")
            << kReports
            << Change([](const Place& p) { QCOMPARE(::chmod(p.cache.constData(), 0620), 0); });
        QTest::newRow("cache of another account") << kReports << Change([](const Place& p) {
            QCOMPARE(::chown(p.cache.constData(), 3999999, gid_t(-1)), 0);
        });
    }

    void cache() {
        QFETCH(int, read);
        QFETCH(Change, change);
        if (QTest::currentDataTag() == QByteArray("cache of another account") && ::geteuid() != 0)
            QSKIP("giving a file to another account takes root");

        QVector<int> told;
        const auto tell = [&told](int done, int) {
            told << done;
            return true;
        };
        STEP(QCOMPARE(checkedLoad(m_cacheFile, tell).readFromFiles, kReports + kUnreadable));
        QVERIFY(std::is_sorted(told.begin(), told.end()));
        QCOMPARE(std::pair(told.first(), told.last()), std::pair(0, kReports + kUnreadable));
        const QByteArray report = reports(kAlgebra) + "Студент 3(0)";
        STEP(change({report, QFile::encodeName(m_cacheFile), statusOf(report).st_mtim}));
        STEP(QCOMPARE(checkedLoad(m_cacheFile).readFromFiles, kUnreadable + read));
        // Written anew where it had to be: the user's alone, and good for the next load.
        QCOMPARE(access(QFile::encodeName(m_cacheFile)), std::pair(0600, ::geteuid()));
        STEP(QCOMPARE(checkedLoad(m_cacheFile).readFromFiles, kUnreadable));
    }

    void cacheFileOfTheUser_data() {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("folder"); // under the temporary folder
        QTest::newRow("XDG_CACHE_HOME") << QStringLiteral("xdg") << "xdg/normakurs";
        QTest::newRow("not set: the home's") << QString() << "home/.cache/normakurs";
        QTest::newRow("relative: the home's")
            << QStringLiteral("relative") << "home/.cache/normakurs";
    }

    void cacheFileOfTheUser() {
        QFETCH(QString, xdg);
        QFETCH(QString, folder);
        qputenv("HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("home"))));
        if (xdg.isEmpty())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv(
                "XDG_CACHE_HOME",
                QFile::encodeName(xdg == QLatin1String("relative") ? xdg : m_dir->filePath(xdg)));
        const QString file = JournalCache::fileFor(m_content);
        ReportJournal::load(m_content, {}, file);
        QCOMPARE(QFileInfo(file).path(), m_dir->filePath(folder));
        QCOMPARE(access(QFile::encodeName(file)), std::pair(0600, ::geteuid()));
        // Another folder has a file of its own beside it; the same folder by another spelling,
        // the same file.
        const QString other = JournalCache::fileFor(m_dir->filePath(QStringLiteral("Другой")));
        QVERIFY(other != file);
        QCOMPARE(QFileInfo(other).path(), QFileInfo(file).path());
        QCOMPARE(JournalCache::fileFor(m_content + QStringLiteral("./Алгебра/..")), file);
    }
};

QTEST_GUILESS_MAIN(TestJournalLoad)
#include "TestJournalLoad.moc"
