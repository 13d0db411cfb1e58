#include "PlatformServices.h"

#include "QtPlatformServices.h"

namespace {
PlatformServices* g_installed = nullptr;
}

PlatformServices& services() {
    static QtPlatformServices qtServices;
    return g_installed ? *g_installed : qtServices;
}

void setServices(PlatformServices* replacement) {
    g_installed = replacement;
}
