#pragma once

// Shared by the textbook's window tests: a main that prepares the browser engine's platform
// settings before the application object exists, and small readers of the window's state.

#include "support/TestHelpers.h"
#include "TextbookTree.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QStringList>
#include <QTest>
#include <QTreeWidgetItem>

#include <unistd.h>

// The engine's sandbox cannot run as root: it is turned off in that case before the toolkit
// starts, as the program's start-up does.
inline void prepareEngineSandbox() {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

// Like QTEST_MAIN, but the engine's sandbox is settled first.
#define NORMAKURS_TEXTBOOK_TEST_MAIN(TestObject)                                                   \
    int main(int argc, char** argv) {                                                              \
        prepareEngineSandbox();                                                                    \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

// Under AddressSanitizer: the browser engine's own code (Chromium inside libQt6WebEngineCore) is
// not built with the sanitizer and frees some of its objects with a sized delete of a base class,
// which the sanitizer reports as a new/delete size mismatch when a page that has loaded is
// destroyed. That one check is turned off for the tests that run the engine; every other check
// stays on, and ASAN_OPTIONS given from outside still apply on top of this.
#ifdef NORMAKURS_ASAN
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}
#endif

namespace TextbookTestSupport {

// "Subject: entry, entry | Subject:" in tree order (a textbook tree, or the teacher's reports).
inline QString dump(const QTreeWidget& tree) {
    QStringList subjects;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* subject = tree.topLevelItem(i);
        QStringList entries;
        for (int j = 0; j < subject->childCount(); ++j)
            entries.append(subject->child(j)->text(0));
        subjects.append(subject->text(0) + QLatin1Char(':') +
                        (entries.isEmpty() ? QString() : QLatin1Char(' ') + entries.join(", ")));
    }
    return subjects.join(QStringLiteral(" | "));
}

// The node `subject` or `subject/entry`, or null.
inline QTreeWidgetItem* node(const QTreeWidget& tree, const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* subject = tree.topLevelItem(i);
        if (subject->text(0) != parts.value(0))
            continue;
        if (parts.size() == 1)
            return subject;
        for (int j = 0; j < subject->childCount(); ++j) {
            if (subject->child(j)->text(0) == parts.value(1))
                return subject->child(j);
        }
    }
    return nullptr;
}

// Selects the node (expanding its subject so that it can be seen) and clicks on it.
inline void clickNode(TextbookTree& tree, QTreeWidgetItem* item) {
    if (item->parent())
        item->parent()->setExpanded(true);
    tree.setCurrentItem(item);
    tree.scrollToItem(item);
    const QRect place = tree.visualItemRect(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
}

// A click on the tree's empty space, below its last node.
inline void clickEmptySpace(TextbookTree& tree) {
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(tree.viewport()->width() / 2, tree.viewport()->height() - 3));
}

// Runs the deletions that were deferred to the event loop.
inline void flushDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The processes that `pid` started, read from /proc.
inline QList<qint64> childProcesses(qint64 pid) {
    QList<qint64> found;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks + QLatin1Char('/') + task + QStringLiteral("/children"));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& child : children.readAll().split(' ')) {
            if (!child.trimmed().isEmpty())
                found.append(child.trimmed().toLongLong());
        }
    }
    return found;
}

// The browser engine's helper processes below this process (zygotes and renderers), however
// deep.
inline int engineProcesses() {
    int count = 0;
    QList<qint64> pending = childProcesses(QCoreApplication::applicationPid());
    while (!pending.isEmpty()) {
        const qint64 pid = pending.takeFirst();
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().startsWith("QtWebEngine"))
            ++count;
        pending.append(childProcesses(pid));
    }
    return count;
}

} // namespace TextbookTestSupport
