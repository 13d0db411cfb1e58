#pragma once

#include <QObject>

#include <functional>

// Work a window may leave until the launcher has painted for the first time. Start-up reads
// every folder before the launcher appears; putting what it read in order and into the trees may
// follow, since no window but the launcher is on screen by then. Every window that keeps work
// also does it itself before it is shown, so no tree is ever shown before it is complete.
namespace LaterWork {

// From now until run() or drop(), keep() keeps work instead of doing it at once.
void hold();

// Whether work is being kept.
bool holding();

// Keeps `work` for run() while holding, else does it at once. Work whose owner is gone by then is
// left undone.
void keep(QObject* owner, std::function<void()> work);

// Does the work kept, in the order it came, and stops holding.
void run();

// Forgets the work kept, undone, and stops holding (the program ends before it was done).
void drop();

} // namespace LaterWork
