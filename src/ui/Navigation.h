#pragma once

class Form;

// The program's windows, as a window names the one it hands over to.
enum class WindowId { Launcher, Textbook, Testing, SignIn, Teacher };

// The hand-overs between windows. A window asks for them by name; only the application knows
// the five windows and installs the one navigation that reaches them. Until it does, every
// request does nothing (a window tested on its own).
class Navigation {
public:
    virtual ~Navigation() = default;

    // Shows the window (its show handler first) and brings it to the front.
    virtual void show(WindowId window) = 0;
    // Passes straight from one secondary window to another: show the target, close the source
    // (whose close handler shows the launcher), then hide the launcher.
    virtual void handOver(Form& source, WindowId target) = 0;
};

// The navigation in force.
Navigation& navigation();
// Installs `navigation` (not owned); null puts back the one that does nothing.
void setNavigation(Navigation* navigation);
