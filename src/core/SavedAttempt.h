#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A test in progress, kept in the student's own account after every answer so that a program
// killed or a computer switched off in the middle of a test costs at most the answer being
// given. It holds what the window knows: never a key.
struct SavedAttempt {
    QString contentDir; // the course it belongs to
    QString student;
    QString group;
    QString subject;
    QString variant;
    QString version;    // which version of the variant file the questions came from
    QByteArray answers; // one slot per key entry, 0 when not answered
    int current = 0;    // the question on screen

    bool operator==(const SavedAttempt& other) const;
};

// Where the attempt of this account is kept: one file, "attempt", in "$XDG_STATE_HOME/normakurs"
// (else "~/.local/state/normakurs"), the folder 0700 and the file 0600, written whole each time.
namespace AttemptStore {

QString folder();
void setFolder(const QString& folder); // empty: back to the account's own

// Throws Failure when it cannot be stored.
void save(const SavedAttempt& attempt);
// Nothing when there is none or it cannot be read as one.
std::optional<SavedAttempt> load();
void discard();

// Holds the account's attempt for this program while it lives, so that a second copy of the
// program under the same account never continues the same attempt.
class Claim {
public:
    Claim();
    ~Claim();
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;
    // False when another program holds it.
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace AttemptStore
