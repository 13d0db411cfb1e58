#include "HostileTrees.h"

#include "CodePage.h"
#include "PackedText.h"
#include "support/TempContentTree.h"
#include "support/TestHelpers.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace HostileTrees {
namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

void makeFolder(const QByteArray& path) {
    ::mkdir(path.constData(), 0755);
}

void makeFile(const QByteArray& path, const QByteArray& bytes = QByteArray()) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // A file left short shows in the checks that read it.
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    ::close(fd);
}

// A link that cannot be made shows in the checks of what is listed.
void makeLink(const QByteArray& target, const QByteArray& path) {
    ::symlink(target.constData(), path.constData());
}

// The name padded with "x" to exactly `bytes` bytes on disk.
QString padded(const QString& start, const QString& end, int bytes) {
    QString name = start;
    while (native(name + end).size() < bytes)
        name += QLatin1Char('x');
    return name + end;
}

QString reportText(const QString& student) {
    return QStringLiteral("Имя фамилия: %1\nГруппа: ИС-21\nПредмет: Алгебра\nТест: Вариант 1.txt\n"
                          "05.03.2014     9:07:41\nВопрос № 1- Правильно \nВсего вопросов: 1\n"
                          "Правильно: 1    (100 %)\nНеправильно: 0\n")
        .arg(student);
}

// Packs in memory, then writes under the native name, which Qt may not be able to spell.
void makePacked(const QByteArray& path, const QString& text) {
    makeFile(path, TestHelpers::packedInMemory(TextLines::fromEditorText(text)));
}

// Fills `folder` with kMany entries named after `pattern` ("%" is the number), each holding what
// `original` holds: hard links where the file system takes that many, copies beyond.
void crowd(const QByteArray& folder, const QByteArray& original, const char* pattern) {
    QFile source(QFile::decodeName(original));
    const QByteArray bytes = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
    for (int i = 0; i < kMany; ++i) {
        const QByteArray number = QByteArray::number(i).rightJustified(6, '0');
        const QByteArray path = folder + '/' + QByteArray(pattern).replace("%", number);
        if (::link(original.constData(), path.constData()) != 0)
            makeFile(path, bytes);
    }
}

int removeEntry(const char* path, const struct stat*, int type, struct FTW*) {
    return type == FTW_DP ? ::rmdir(path) : ::unlink(path);
}

int openUp(const char* path, const struct stat* info, int type, struct FTW*) {
    if (type == FTW_D || type == FTW_DNR)
        ::chmod(path, (info->st_mode & 07777) | S_IRWXU);
    return 0;
}

void append(Expected& into, const Expected& from) {
    for (const QString& subject : from.subjects) {
        if (!into.subjects.contains(subject))
            into.subjects.append(subject);
    }
    for (auto it = from.variants.cbegin(); it != from.variants.cend(); ++it)
        into.variants[it.key()] += it.value();
    for (auto it = from.pages.cbegin(); it != from.pages.cend(); ++it)
        into.pages[it.key()] += it.value();
    for (auto it = from.reports.cbegin(); it != from.reports.cend(); ++it)
        into.reports[it.key()] += it.value();
    into.neverListed += from.neverListed;
    into.pipes += from.pipes;
    into.unreadable += from.unreadable;
}

} // namespace

QString variantText() {
    return QStringLiteral(
        "---\nВопрос 1\nA) да\nB) нет\n---\nВопрос 2\nA) да\nB) нет\n---\n`A\n`B\n");
}

QList<QPair<QString, Kind>> all() {
    return {
        {QStringLiteral("names not valid UTF-8"), Kind::BadUtf8},
        {QStringLiteral("names with line breaks"), Kind::LineBreaks},
        {QStringLiteral("255-byte names"), Kind::LongNames},
        {QStringLiteral("symbolic-link loops"), Kind::LinkLoops},
        {QStringLiteral("links to a folder outside the content root"), Kind::LinkOutside},
        {QStringLiteral("unreadable sub-folders"), Kind::Unreadable},
        {QStringLiteral("named pipes, x.txt in Тесты"), Kind::Pipes},
        {QStringLiteral("Content is a file"), Kind::ContentIsFile},
        {QStringLiteral("Content missing"), Kind::ContentMissing},
        {QStringLiteral("100,000 variants in one folder"), Kind::ManyVariants},
        {QStringLiteral("100,000 reports in one folder"), Kind::ManyReports},
        {QStringLiteral("100,000 pages in one folder"), Kind::ManyPages},
        {QStringLiteral("all of it at once"), Kind::Everything},
    };
}

Expected build(Kind kind, const TempContentTree& tree, const QString& outside) {
    Expected expected;
    const QByteArray content = native(tree.contentDir());
    if (kind == Kind::ContentIsFile || kind == Kind::ContentMissing) {
        QDir(tree.contentDir()).removeRecursively();
        if (kind == Kind::ContentIsFile)
            makeFile(content.chopped(1), "not a folder");
        expected.noContent = true;
        return expected;
    }

    // The ordinary subject.
    const QByteArray subject = content + native(kSubject);
    const QByteArray tests = subject + native(QStringLiteral("/Тесты"));
    const QByteArray reports = tests + native(QStringLiteral("/Отчеты"));
    tree.makeFile(QStringLiteral("Content/%1/%2").arg(kSubject, kPage), "<p>one</p>");
    tree.makePacked(QStringLiteral("Content/%1/Тесты/%2").arg(kSubject, kVariant), variantText());
    tree.makePacked(QStringLiteral("Content/%1/Тесты/Отчеты/%2").arg(kSubject, kReport),
                    reportText(QStringLiteral("Иван Петров")));
    tree.makeFile(QStringLiteral("Content/%1/Презентации/a.ppt").arg(kSubject), "ppt");
    tree.makeFile(QStringLiteral("Content/%1/Видео/b.avi").arg(kSubject), "avi");
    expected.subjects << kSubject;
    expected.variants[kSubject] << kVariant;
    expected.pages[kSubject] << kPage;
    expected.reports[kSubject] << kReport;

    switch (kind) {
    case Kind::BadUtf8: {
        const QByteArray bad = content + "\xff\xfe " + native(QStringLiteral("Плохое"));
        makeFolder(bad);
        makeFolder(bad + native(QStringLiteral("/Тесты")));
        makePacked(bad + native(QStringLiteral("/Тесты/v.txt")), variantText());
        makePacked(tests + "/\xc3\x28.txt", variantText());
        makeFile(subject + "/\x80.html", "<p>?</p>");
        makePacked(reports + "/\xfe(0)", reportText(QStringLiteral("?")));
        makeFile(subject + native(QStringLiteral("/Презентации/")) + "\xe9t\xe9.ppt", "ppt");
        // Copied from a Windows system: listed decoded as Windows-1251, and what is listed opens.
        const QString badSubject = CodePage::fileName(bad.mid(content.size()));
        expected.subjects << badSubject;
        expected.variants[badSubject] << QStringLiteral("v.txt");
        expected.variants[kSubject] << CodePage::fileName("\xc3\x28.txt");
        expected.pages[kSubject] << CodePage::fileName("\x80.html");
        expected.reports[kSubject] << CodePage::fileName("\xfe(0)");
        break;
    }
    case Kind::LineBreaks: {
        const QString two = QStringLiteral("Две\nстроки");
        tree.makePacked(QStringLiteral("Content/%1/Тесты/a\nb.txt").arg(two), variantText());
        tree.makeFile(QStringLiteral("Content/%1/x\r\ny.html").arg(two), "<p>two</p>");
        tree.makePacked(QStringLiteral("Content/%1/Тесты/Вопрос\n2.txt").arg(kSubject),
                        variantText());
        tree.makePacked(QStringLiteral("Content/%1/Тесты/Отчеты/Иван\nПетров(0)").arg(kSubject),
                        reportText(QStringLiteral("Иван\nПетров")));
        expected.subjects << two;
        expected.variants[two] << QStringLiteral("a\nb.txt");
        expected.pages[two] << QStringLiteral("x\r\ny.html");
        expected.variants[kSubject] << QStringLiteral("Вопрос\n2.txt");
        expected.reports[kSubject] << QStringLiteral("Иван\nПетров(0)");
        break;
    }
    case Kind::LongNames: {
        const QString longSubject = padded(QString(100, QChar(u'П')), QString(), 255);
        const QString longVariant = padded(QString(100, QChar(u'в')), QStringLiteral(".txt"), 255);
        const QString longPage = padded(QString(100, QChar(u'с')), QStringLiteral(".html"), 255);
        const QString longReport = padded(QString(100, QChar(u'Я')), QStringLiteral("(0)"), 255);
        tree.makePacked(QStringLiteral("Content/%1/Тесты/%2").arg(longSubject, kVariant),
                        variantText());
        tree.makePacked(QStringLiteral("Content/%1/Тесты/%2").arg(kSubject, longVariant),
                        variantText());
        tree.makeFile(QStringLiteral("Content/%1/%2").arg(kSubject, longPage), "<p>long</p>");
        tree.makePacked(QStringLiteral("Content/%1/Тесты/Отчеты/%2").arg(kSubject, longReport),
                        reportText(longReport));
        expected.subjects << longSubject;
        expected.variants[longSubject] << kVariant;
        expected.variants[kSubject] << longVariant;
        expected.pages[kSubject] << longPage;
        expected.reports[kSubject] << longReport;
        break;
    }
    case Kind::LinkLoops:
        makeLink(native(QStringLiteral("петля")), content + native(QStringLiteral("петля")));
        makeLink("b", content + "a");
        makeLink("a", content + "b");
        makeLink("loop.txt", tests + "/loop.txt");
        makeLink(native(QStringLiteral("круг(0)")), reports + native(QStringLiteral("/круг(0)")));
        // Not a loop to the lister, but a cycle in the tree: a video that is its own subject.
        makeLink("..", subject + native(QStringLiteral("/Видео/назад.avi")));
        expected.neverListed << QStringLiteral("петля") << QStringLiteral("a")
                             << QStringLiteral("b") << QStringLiteral("loop.txt")
                             << QStringLiteral("круг(0)");
        break;
    case Kind::LinkOutside: {
        const QString foreign = QStringLiteral("Чужой");
        QDir().mkpath(outside + QStringLiteral("/Тесты"));
        PackedText::SaveToStream(outside + QStringLiteral("/Тесты/Внешний.txt"),
                                 TextLines::fromEditorText(variantText()));
        QFile page(outside + QStringLiteral("/out.html"));
        if (page.open(QIODevice::WriteOnly))
            page.write("<p>out</p>");
        page.close();
        makeLink(native(outside), content + native(foreign));
        makeLink(native(outside), reports + native(QStringLiteral("/Внешние")));
        makeLink("..", content + native(QStringLiteral("Вверх")));
        expected.subjects << foreign << QStringLiteral("Вверх");
        expected.variants[foreign] << QStringLiteral("Внешний.txt");
        expected.pages[foreign] << QStringLiteral("out.html");
        expected.reports[kSubject] << QStringLiteral("Внешние");
        break;
    }
    case Kind::Unreadable: {
        const QString closed = QStringLiteral("Закрытый");
        const QString physics = QStringLiteral("Физика");
        tree.makePacked(QStringLiteral("Content/%1/Тесты/v.txt").arg(closed), variantText());
        tree.makePacked(QStringLiteral("Content/%1/Тесты/v.txt").arg(physics), variantText());
        const QString closedFolder = tree.contentDir() + closed;
        const QString physicsTests = tree.contentDir() + physics + QStringLiteral("/Тесты");
        const QString presentations = tree.contentDir() + kSubject + QStringLiteral("/Презентации");
        for (const QString& folder : {closedFolder, physicsTests, presentations}) {
            ::chmod(native(folder).constData(), 0);
            expected.unreadable << folder;
        }
        expected.subjects << closed << physics;
        break;
    }
    case Kind::Pipes: {
        const QList<QByteArray> pipes{
            tests + '/' + native(kPipe), reports + native(QStringLiteral("/Пётр(0)")),
            subject + "/p.html", content + native(QStringLiteral("труба")),
            subject + native(QStringLiteral("/Презентации/s.ppt"))};
        for (const QByteArray& pipe : pipes) {
            ::mkfifo(pipe.constData(), 0644);
            expected.pipes << QFile::decodeName(pipe);
        }
        expected.neverListed << kPipe << QStringLiteral("Пётр(0)") << QStringLiteral("p.html")
                             << QStringLiteral("труба") << QStringLiteral("s.ppt");
        break;
    }
    case Kind::ManyVariants:
        crowd(tests, tests + '/' + native(kVariant), "v%.txt");
        expected.variants[kSubject] << QStringLiteral("v000000.txt")
                                    << QStringLiteral("v099999.txt");
        break;
    case Kind::ManyReports:
        crowd(reports, reports + '/' + native(kReport), "S%(0)");
        expected.reports[kSubject] << QStringLiteral("S000000(0)") << QStringLiteral("S099999(0)");
        break;
    case Kind::ManyPages:
        crowd(subject, subject + '/' + native(kPage), "p%.html");
        expected.pages[kSubject] << QStringLiteral("p000000.html")
                                 << QStringLiteral("p099999.html");
        break;
    case Kind::Everything:
        for (Kind part : {Kind::BadUtf8, Kind::LineBreaks, Kind::LongNames, Kind::LinkLoops,
                          Kind::LinkOutside, Kind::Pipes, Kind::Unreadable}) {
            // The ordinary subject is made again by each part; making it twice changes nothing.
            append(expected, build(part, tree, outside));
        }
        break;
    case Kind::ContentIsFile:
    case Kind::ContentMissing:
        break;
    }
    return expected;
}

void removeAll(const QString& folder) {
    const QByteArray root = native(folder);
    ::nftw(root.constData(), openUp, 16, FTW_PHYS);
    ::nftw(root.constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace HostileTrees
