// normakurs-artwork OUT.png: paints the launcher's artwork and saves it. Run it again after
// changing the painting code, and commit the picture as src/shell/resources/launcher.png.

#include "shell/Fonts.h"
#include "shell/LauncherArtwork.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: normakurs-artwork OUT.png\n", stderr);
        return 2;
    }
    Fonts::registerBundledFonts();
    if (!LauncherArtwork::render().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "normakurs-artwork: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
