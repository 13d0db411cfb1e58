#pragma once

#include "TestAttempt.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

// The one keeper of a test's answer key. It lists a subject's variants, opens the chosen one and
// hands over only what the student is shown, scores the answers it is sent, takes the date and
// time itself, stores the report, and only then gives its text back. A student's own process
// never holds a key: in a lab this runs as a program of its own, with a group that may read the
// tests folders (tools/normakurs-exam.cpp); elsewhere it runs with the user's own rights.
//
// Every field a caller sends is checked with the rules the testing window applies, so no name
// can lead outside its folder whatever arrives.
class ExamKeeper {
public:
    // `filesAccess(true)` is called before the keeper touches the content tree and
    // `filesAccess(false)` after: where it runs with a group of its own, it holds that group only
    // then.
    ExamKeeper(QString contentDir, std::function<QDateTime()> clock,
               std::function<void(bool)> filesAccess = {});

    // Answers one request line (without its line feed) with one reply line (with it).
    QByteArray handle(const QByteArray& request);

    // True once a request broke the protocol: the caller stops talking to it.
    bool broken() const { return m_broken; }

private:
    QStringList list(const QStringList& fields);
    QStringList open(const QStringList& fields);
    QStringList finish(const QStringList& fields);
    QString checkedSubject(const QString& subject) const;

    QString m_contentDir;
    std::function<QDateTime()> m_clock;
    std::function<void(bool)> m_filesAccess;
    TestAttempt m_attempt;
    bool m_opened = false;
    bool m_broken = false;
};
