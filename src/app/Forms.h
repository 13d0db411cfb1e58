#pragma once

#include <functional>
#include <vector>

class Form;

// How start-up makes one window: `make` creates it hidden and sets its global; `create` runs
// its creation handler, if it has one.
struct WindowMaker {
    std::function<Form*()> make;
    std::function<void(Form& window)> create;
};

// The program's five, in creation order: launcher, textbook, testing, sign-in, teacher's
// control.
std::vector<WindowMaker> programWindows();

// Makes the windows in order, running each creation handler inside the error guard: a failure
// there is shown at once and start-up goes on with the next window. Installs the navigation
// between the five windows.
void createForms(const std::vector<WindowMaker>& windows = programWindows());

// Destroys the five windows (at the end of the program, or between tests).
void destroyForms();

// Passes straight from one secondary window to another: show the target, close the source
// (whose close handler shows the launcher), then hide the launcher.
void handOver(Form& source, Form& target);
