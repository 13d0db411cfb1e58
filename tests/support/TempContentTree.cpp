#include "TempContentTree.h"

#include "ContentPaths.h"
#include "PackedText.h"
#include "SavedAttempt.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ftw.h>
#include <stdio.h>

TempContentTree::TempContentTree() {
    if (m_dir.isValid()) {
        QDir(m_dir.path()).mkdir(QStringLiteral("Content"));
        ContentPaths::setProgramDir(m_dir.path());
    }
    // A test in progress is kept apart from the account's own, one tree's beside it.
    AttemptStore::setFolder(m_state.isValid() ? m_state.path() : QString());
}

namespace {

int removeEntry(const char* path, const struct stat*, int, FTW*) {
    ::remove(path);
    return 0;
}

} // namespace

TempContentTree::~TempContentTree() {
    ContentPaths::setProgramDir(QString());
    AttemptStore::setFolder(QString());
    // By bytes: the toolkit cannot name (and so cannot remove) entries whose names are not
    // valid UTF-8, such as folders copied from a Windows system.
    if (m_dir.isValid())
        ::nftw(QFile::encodeName(m_dir.path()).constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

QString TempContentTree::programDir() const {
    return m_dir.path() + QLatin1Char('/');
}

QString TempContentTree::contentDir() const {
    return programDir() + QStringLiteral("Content/");
}

QString TempContentTree::path(const QString& relative) const {
    return programDir() + relative;
}

QString TempContentTree::makeFolder(const QString& relative) const {
    const QString full = path(relative);
    QDir().mkpath(full);
    return full;
}

QString TempContentTree::makeFile(const QString& relative, const QByteArray& bytes) const {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return full;
}

QString TempContentTree::makePacked(const QString& relative, const QString& text) const {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).path());
    PackedText::SaveToStream(full, TextLines::fromEditorText(text));
    return full;
}

QByteArray TempContentTree::readFile(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
