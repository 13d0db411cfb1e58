#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Checks a variant's text the way a teacher needs it checked before students take it. One
// checker serves the testing window's refusal, the editor's status line and normakurs-text.
namespace VariantCheck {

struct Result {
    int separators = 0;
    int questions = 0;     // max(0, separators - 1)
    int keys = 0;          // key lines
    QByteArray keyLetters; // Windows-1251 bytes, 0 for a lone grave accent
    // Problems that make the test impossible to run: too few separators, or questions without
    // a key line. The testing window refuses such a variant.
    QStringList blocking;
    // Problems a teacher should fix, though the test can run: surplus key lines, key letters
    // outside A-E, Cyrillic letters that look like Latin ones.
    QStringList warnings;

    bool canRun() const { return blocking.isEmpty(); }
    bool wellFormed() const { return blocking.isEmpty() && warnings.isEmpty(); }
    // The first problem, blocking ones first; empty when there is none.
    QString firstProblem() const;
};

Result check(const QStringList& lines);

// The key letters as text for people: "B C A ...", a lone grave accent shown as "`".
QString keyLettersText(const QByteArray& letters);

} // namespace VariantCheck
