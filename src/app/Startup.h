#pragma once

#include <QString>

// How a run differs from the ordinary one; the program itself always uses the defaults.
// Start-up benchmarks use them to time the real sequence.
struct StartupOptions {
    // End the event loop right after the launcher's first paint, before the work the windows
    // left until then (sorting the listings and making the trees).
    bool quitAtFirstPaint = false;
    // Use this program folder instead of the executable's own.
    QString programDir;
};

// The program's whole run: prepares the platform, creates the five windows, shows the launcher
// and runs the event loop. Returns the exit code (0 when the launcher is closed).
int runNormakurs(int argc, char** argv, const StartupOptions& options = {});

// Settings that must be made before the toolkit starts (the browser engine's sandbox cannot
// run as root, and the engine wants shared OpenGL contexts).
void prepareToolkit();
