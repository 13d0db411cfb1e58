// program_start: the program's whole start-up (toolkit, fonts, skin, the five windows and their
// listings, the launcher shown) over the program folder given, ending once the launcher has
// painted for the first time. Exit status 0 when it got there.
//
//   program_start PROGRAM_FOLDER

#include "Startup.h"

#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: program_start PROGRAM_FOLDER\n", stderr);
        return 2;
    }
    StartupOptions options;
    options.quitAtFirstPaint = true;
    options.programDir = QString::fromLocal8Bit(argv[1]);
    return runNormakurs(argc, argv, options);
}
