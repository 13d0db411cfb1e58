#pragma once

// The program's whole run: prepares the platform, creates the five windows, shows the launcher
// and runs the event loop. Returns the exit code (0 when the launcher is closed).
int runNormakurs(int argc, char** argv);

// Settings that must be made before the toolkit starts (the browser engine's sandbox cannot
// run as root, and the engine wants shared OpenGL contexts).
void prepareToolkit();
