#pragma once

// Takes the place of the system's fsync() and fdatasync() in the test program that links it:
// every call is recorded (what it flushed: a file or a folder, which one), and the next calls
// of a kind can be made to fail with EIO, as a dying disk or a lost network share answers.
// Compiled into the test executable itself, so that the program's own code and the toolkit's
// both call it.

#include <sys/types.h>

#include <vector>

namespace SyncFaults {

struct Call {
    bool folder = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool failed = false;
};

// No failures planned, nothing recorded.
void reset();
// The next `count` flushes of regular files (or of folders) fail.
void failFiles(int count);
void failFolders(int count);
// Every flush since the last reset(), in order.
std::vector<Call> calls();

} // namespace SyncFaults
