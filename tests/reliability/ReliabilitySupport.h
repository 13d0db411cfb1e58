#pragma once

// Shared by the reliability tests: failures as text, a lowered file-size limit, work run in a
// child process with a time limit (as an unprivileged user where that matters), the memory that
// a piece of work takes, and what a folder holds.

#include "Failure.h"
#include "support/TestHelpers.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace Reliability {

using TestHelpers::entriesOf;
using TestHelpers::failureOf;
using TestHelpers::FileSizeLimit;
using TestHelpers::kNoFailure;
using TestHelpers::le64;
using TestHelpers::packedInMemory;
using TestHelpers::readAll;
using TestHelpers::writeAll;

// A packed file's stream: the length field `claimed`, then `zeros` zero bytes, made piece by
// piece so that a gigabyte of zeros never sits in memory (it packs to about a megabyte).
QByteArray zerosStream(qint64 claimed, qint64 zeros);

// How a piece of work run in a child process ended.
struct ChildRun {
    bool finished = false; // false: it was still running at the time limit and was killed
    bool crashed = false;  // ended by a signal
    int exitCode = -1;
    QByteArray output; // what the work returned
    qint64 elapsedMs = 0;

    // One line for test messages.
    QByteArray describe() const;
};

// Runs `work` in a forked copy of this process and hands back what it returns. The child ends
// with _exit(), so nothing of the test framework runs twice. Work that is still running after
// `timeoutMs` is killed: that is how a hang shows.
ChildRun inChild(const std::function<QByteArray()>& work, int timeoutMs = 60000);

// Inside a child: when running as root, become the unprivileged user "nobody", so that
// permission bits stop writes as they do for a teacher or a student. False when that failed.
bool dropRoot();

// Makes `path` and every folder above it enterable by everyone, so that an unprivileged child
// reaches it.
void openToAll(const QString& path);

// Runs `work` and returns its result when the heap grew by no more than `budget` bytes while it
// ran; otherwise a text that says by how much it grew (or that it ran out). Under
// AddressSanitizer the heap is counted through the allocator's hooks; elsewhere the work runs in
// a child whose address space has only `budget` bytes to spare.
QString withinHeapBudget(qint64 budget, const std::function<QString()>& work);

// Where a test keeps what is not under test: named pipes that let writers go together, copies
// of programs. A network share may refuse a named pipe, and a program copied onto it is not what
// is being tested, so the share's wrapper (with-sshfs.sh) names a folder on the local disk in
// NORMAKURS_LOCAL_TMPDIR; without it, the temporary folder.
QString scaffoldingPath();

// True when `path` lies on a FUSE file system (an sshfs share, for one).
bool onFuse(const QString& path);

// "" unless the run asks for a share (NORMAKURS_SHARE set by with-sshfs.sh) and `path` is not on
// one: then what is wrong, so that a test that put its folder elsewhere fails instead of passing
// on the local disk.
QString notOnShare(const QString& path);

// "" when the unprivileged user of dropRoot() can enter `path` (after openToAll()); otherwise
// why not. Only a FUSE share mounted for its owner alone (without allow_other) keeps that user
// out of a folder that is open to all: on any other file system this is always "".
QString unprivilegedShutOut(const QString& path);

} // namespace Reliability
