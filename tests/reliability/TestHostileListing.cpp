// Every listing of the windows, run over hostile content trees (HostileTrees): each lists what
// it can (the ordinary subject always, and every entry whose name can be shown), never shows a
// pipe, a dangling or looping link or a hidden entry, and opens what it lists. Named pipes are
// refused when opened, never waited on. The work runs in a child process with a time limit, so
// a hang fails the row instead of stopping the run; the unreadable folders are also listed by a
// user who is not root, for whom permission bits count.

#include "ContentPaths.h"
#include "EditorFiles.h"
#include "FolderListing.h"
#include "HostileTrees.h"
#include "PackedText.h"
#include "ReliabilitySupport.h"
#include "ReportFile.h"
#include "ReportListing.h"
#include "SubjectCreation.h"
#include "support/TempContentTree.h"
#include "TextLines.h"
#include "TopicTrees.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

using namespace Reliability;
using HostileTrees::Kind;

Q_DECLARE_METATYPE(HostileTrees::Kind)

namespace {

// Collects problems instead of stopping at the first, so one child run says everything.
class Problems {
public:
    void check(bool ok, const QString& what) {
        if (!ok && m_list.size() < 20)
            m_list << what;
    }
    QByteArray text() const { return m_list.join(QLatin1Char('\n')).toUtf8(); }

private:
    QStringList m_list;
};

QString shown(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

void checkListing(Problems& problems, const QString& where, const QStringList& names,
                  const QStringList& wanted, const QStringList& never) {
    QStringList sorted = names;
    FolderListing::sortNames(sorted);
    problems.check(sorted == names, where + QStringLiteral(": not sorted"));
    for (const QString& name : wanted)
        problems.check(names.contains(name), where + QStringLiteral(": missing ") + shown(name));
    for (const QString& name : names) {
        problems.check(!never.contains(name), where + QStringLiteral(": lists ") + shown(name));
        problems.check(!name.startsWith(QLatin1Char('.')),
                       where + QStringLiteral(": lists hidden ") + shown(name));
    }
}

// Every listing and every opening, as the three windows do them.
QByteArray listAndOpen(const QString& content, const HostileTrees::Expected& expected,
                       bool asRoot) {
    Problems problems;
    const QStringList subjects = FolderListing::subjects(content);
    checkListing(problems, QStringLiteral("subjects"), subjects, expected.subjects,
                 expected.neverListed);
    if (expected.noContent)
        problems.check(subjects.isEmpty(), QStringLiteral("subjects without a content root"));

    for (TopicTrees::Tree kind :
         {TopicTrees::Tree::Topics, TopicTrees::Tree::Presentations, TopicTrees::Tree::Videos}) {
        const QVector<TopicTrees::Branch> branches = TopicTrees::list(content, kind);
        problems.check(branches.size() == subjects.size(), QStringLiteral("tree branches"));
        for (const TopicTrees::Branch& branch : branches) {
            const QStringList pages = kind == TopicTrees::Tree::Topics
                                          ? expected.pages.value(branch.subject)
                                          : QStringList();
            checkListing(problems, QStringLiteral("tree of ") + shown(branch.subject),
                         branch.entries, asRoot ? pages : QStringList(), expected.neverListed);
        }
    }

    for (const QString& subject : subjects) {
        const QString tests = ContentPaths::testsDir(content, subject);
        const QStringList variants = FolderListing::children(tests, QStringLiteral("*.txt"));
        checkListing(problems, QStringLiteral("variants of ") + shown(subject), variants,
                     asRoot ? expected.variants.value(subject) : QStringList(),
                     expected.neverListed);
        // Opening what is listed: the expected variants read whole; the rest read or fail.
        for (qsizetype i = 0; i < variants.size() && i < 50; ++i) {
            const QString path = tests + QLatin1Char('/') + variants.at(i);
            QByteArray text;
            const QString failure = failureOf([&] { text = PackedText::OpenFromStream(path); });
            if (asRoot && expected.variants.value(subject).contains(variants.at(i)))
                problems.check(failure == kNoFailure &&
                                   TextLines::toEditorText(text) == HostileTrees::variantText(),
                               QStringLiteral("cannot read ") + shown(path) + ": " + failure);
        }
    }

    const QVector<ReportListing::Subject> reports = ReportListing::list(content);
    problems.check(reports.size() == subjects.size(), QStringLiteral("report tree subjects"));
    for (const ReportListing::Subject& subject : reports) {
        checkListing(problems, QStringLiteral("reports of ") + shown(subject.name), subject.reports,
                     asRoot ? expected.reports.value(subject.name) : QStringList(),
                     expected.neverListed);
        const QString folder = ContentPaths::reportsDir(content, subject.name);
        for (qsizetype i = 0; i < subject.reports.size() && i < 50; ++i)
            failureOf([&] { PackedText::OpenFromStream(folder + '/' + subject.reports.at(i)); });
    }

    // A named pipe is refused by every opening, at once: nothing waits for a writer.
    for (const QString& pipe : expected.pipes) {
        // Behind a folder that may not be entered, the refusal is that folder's.
        bool closed = false;
        for (const QString& folder : expected.unreadable)
            closed = closed || (!asRoot && pipe.startsWith(folder + QLatin1Char('/')));
        const QString refusal = QStringLiteral("Cannot open file \"%1\". %2")
                                    .arg(QDir::toNativeSeparators(pipe),
                                         closed ? QStringLiteral("Permission denied")
                                                : QStringLiteral("No such device or address"));
        problems.check(failureOf([&] { PackedText::OpenFromStream(pipe); }) == refusal,
                       QStringLiteral("packed open of ") + pipe);
        problems.check(failureOf([&] { EditorFiles::openPacked(pipe); }) == refusal,
                       QStringLiteral("document open of ") + pipe);
        problems.check(failureOf([&] { EditorFiles::openPlain(pipe); }) == refusal,
                       QStringLiteral("plain open of ") + pipe);
    }
    // A report whose number a pipe holds takes the next number; the pipe stays as it was.
    const QString reportsFolder = ContentPaths::reportsDir(content, HostileTrees::kSubject);
    if (!expected.noContent && asRoot) {
        QString written;
        const QString failure = failureOf([&] {
            written = ReportFile::saveNew(reportsFolder, QStringLiteral("Пётр"), "report\r\n");
        });
        problems.check(failure == kNoFailure && !written.isEmpty(),
                       QStringLiteral("report not saved: ") + failure);
        problems.check(PackedText::OpenFromStream(written) == "report\r\n",
                       QStringLiteral("report not readable"));
        for (const QString& pipe : expected.pipes)
            problems.check(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile(),
                           QStringLiteral("pipe replaced: ") + pipe);
    }

    // Creating a subject without a content root makes nothing anywhere.
    if (expected.noContent) {
        const QFileInfo before(content);
        SubjectCreation::create(content, QStringLiteral("Новый"));
        problems.check(QFileInfo(content).exists() == before.exists() &&
                           !QFileInfo(content + QStringLiteral("Новый")).exists(),
                       QStringLiteral("subject made without a content root"));
    }
    return problems.text();
}

} // namespace

class TestHostileListing : public QObject {
    Q_OBJECT

private slots:
    void listings_data();
    void listings();
    void unreadableForAUser_data();
    void unreadableForAUser();
};

void TestHostileListing::listings_data() {
    QTest::addColumn<Kind>("kind");
    for (const auto& [name, kind] : HostileTrees::all())
        QTest::newRow(qPrintable(name)) << kind;
}

void TestHostileListing::listings() {
    QFETCH(Kind, kind);

    QTemporaryDir outside;
    QVERIFY(outside.isValid());
    auto tree = std::make_unique<TempContentTree>();
    QVERIFY(tree->isValid());
    const HostileTrees::Expected expected = HostileTrees::build(kind, *tree, outside.path());

    QElapsedTimer clock;
    clock.start();
    const ChildRun run = inChild(
        [&] { return listAndOpen(tree->contentDir(), expected, ::geteuid() == 0); }, 120000);
    qInfo("listed and opened in %lld ms", clock.elapsed());
    HostileTrees::removeAll(tree->programDir());
    QVERIFY2(run.finished && !run.crashed, run.describe().constData());
    QCOMPARE(QString::fromUtf8(run.output), QString());
}

void TestHostileListing::unreadableForAUser_data() {
    QTest::addColumn<Kind>("kind");
    QTest::newRow("unreadable sub-folders") << Kind::Unreadable;
    QTest::newRow("all of it at once") << Kind::Everything;
}

void TestHostileListing::unreadableForAUser() {
    QFETCH(Kind, kind);

    QTemporaryDir outside;
    QVERIFY(outside.isValid());
    auto tree = std::make_unique<TempContentTree>();
    QVERIFY(tree->isValid());
    const HostileTrees::Expected expected = HostileTrees::build(kind, *tree, outside.path());
    openToAll(tree->contentDir());
    openToAll(outside.path());

    const ChildRun run = inChild([&]() -> QByteArray {
        if (!dropRoot())
            return "<cannot leave root>";
        Problems problems;
        for (const QString& folder : expected.unreadable) {
            problems.check(FolderListing::children(folder, QStringLiteral("*")).isEmpty(),
                           QStringLiteral("lists the unreadable ") + folder);
            const QString variant = folder + QStringLiteral("/Тесты/v.txt");
            problems.check(failureOf([&] { PackedText::OpenFromStream(variant); }) != kNoFailure,
                           QStringLiteral("opens inside the unreadable ") + folder);
        }
        return problems.text() + listAndOpen(tree->contentDir(), expected, false);
    });
    HostileTrees::removeAll(tree->programDir());
    QVERIFY2(run.finished && !run.crashed, run.describe().constData());
    QCOMPARE(QString::fromUtf8(run.output), QString());
}

QTEST_GUILESS_MAIN(TestHostileListing)
#include "TestHostileListing.moc"
