#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away program folder with a content tree in it. While it lives, the program's folder
// points at it, and a test in progress is kept in a folder of its own; the real ones come back
// when it is destroyed.
class TempContentTree {
public:
    TempContentTree();
    ~TempContentTree();

    bool isValid() const { return m_dir.isValid(); }

    // Absolute paths; `relative` is below the program folder ("Content/Алгебра/Тесты").
    QString programDir() const; // ends in "/"
    QString contentDir() const; // programDir() + "Content/"
    QString path(const QString& relative) const;

    // Create folders (with parents) and files (with parent folders) below the program folder.
    QString makeFolder(const QString& relative) const;
    QString makeFile(const QString& relative, const QByteArray& bytes = QByteArray()) const;
    // Writes `text` (UTF-8 here, Windows-1251 on disk, "\n" as CR LF) as a packed text.
    QString makePacked(const QString& relative, const QString& text) const;

    QByteArray readFile(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_state;
};
