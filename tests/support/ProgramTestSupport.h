#pragma once

#include <QString>

class WindowFixture;

// Helpers for tests that drive the whole program: the five windows made by start-up, with the
// hand-overs between them.
namespace ProgramTestSupport {

// Makes the five windows as start-up does, with the hand-overs between them, and then their
// controls (which the program makes as each is first shown); they go at the fixture's
// stopFixture().
void makeProgramWindows(WindowFixture& fixture);

// Reaches a secondary window ("Form2" ... "Form5") from the shown launcher the way the user
// does: the launcher's button, and for the teacher's window the sign-in with the right account.
// False for a name it knows no way to.
bool clickThroughTo(const QString& window);

} // namespace ProgramTestSupport
