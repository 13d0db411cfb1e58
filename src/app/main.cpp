#include "Startup.h"

int main(int argc, char** argv) {
    return runNormakurs(argc, argv);
}
