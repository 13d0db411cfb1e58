// Runs the program's real start-up and ends at the launcher's first paint. Used by the start-up
// benchmark; an optional argument names another program folder (a generated course).
#include "PeakMemory.h"
#include "Startup.h"

#include <QString>

int main(int argc, char** argv) {
    StartupOptions options;
    options.quitAtFirstPaint = true;
    if (argc > 1)
        options.programDir = QString::fromLocal8Bit(argv[1]);
    const int code = runNormakurs(1, argv, options);
    printPeakMemory();
    return code;
}
