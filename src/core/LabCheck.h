#pragma once

#include <QString>
#include <QVector>

// What in a lab's content folder a student's account could read or change that it should not.
// A student is an account that owns nothing there and is not in the lab's group: it has what
// the folders and files give "others". The tests of every subject ("Тесты" and everything below
// it) are for the group alone; the content folder and the subjects may be read by everybody and
// changed by the group. A folder owned by an account outside the group is listed as well: its
// owner can change its mode.
namespace LabCheck {

struct Finding {
    QString path; // as the user writes it; the group's name for a missing group
    QString reason;
};

// Every finding for the content folder `contentDir` and the group `group` (a name or a number),
// in the order of the tree. Empty when a student can reach nothing that is not theirs to reach.
// Throws a Failure when `contentDir` is not a folder.
QVector<Finding> check(const QString& contentDir, const QString& group);

} // namespace LabCheck
