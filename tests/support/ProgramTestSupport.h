#pragma once

#include <QString>

// Helpers for tests that drive the whole program: the five windows made by start-up, with the
// hand-overs between them.
namespace ProgramTestSupport {

// Reaches a secondary window ("Form2" ... "Form5") from the shown launcher the way the user
// does: the launcher's button, and for the teacher's window the sign-in with the right account.
// False for a name it knows no way to.
bool clickThroughTo(const QString& window);

} // namespace ProgramTestSupport
