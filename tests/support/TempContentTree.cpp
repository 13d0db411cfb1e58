#include "TempContentTree.h"

#include "ContentPaths.h"
#include "PackedText.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempContentTree::TempContentTree() {
    if (m_dir.isValid()) {
        QDir(m_dir.path()).mkdir(QStringLiteral("Content"));
        ContentPaths::setProgramDir(m_dir.path());
    }
}

TempContentTree::~TempContentTree() {
    ContentPaths::setProgramDir(QString());
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
