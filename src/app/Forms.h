#pragma once

#include <functional>

class Form;
class QString;

// Creates the five windows hidden, in order (launcher, textbook, testing, sign-in, teacher's
// control), running each creation handler inside the error guard: a failure there is shown at
// once and start-up goes on with the next window.
void createForms();

// Destroys the five windows (at the end of the program, or between tests).
void destroyForms();

// Passes straight from one secondary window to another: show the target, close the source
// (whose close handler shows the launcher), then hide the launcher.
void handOver(Form& source, Form& target);

// Runs at the start of each creation handler's guarded step, with the window's object name.
// Nothing is set in the program; tests set it to make one window's creation fail. An empty
// function removes it.
void setCreationHook(std::function<void(const QString& windowName)> hook);
