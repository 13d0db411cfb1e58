// normakurs-artwork OUT.rgb [PREVIEW.png]: paints the launcher's artwork and saves its raw RGB
// pixels (and, if asked, a PNG to look at). Run it again after changing the painting code, and
// commit the pixels as src/shell/resources/launcher.rgb.

#include "Fonts.h"
#include "LauncherArtwork.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fputs("Usage: normakurs-artwork OUT.rgb [PREVIEW.png]\n", stderr);
        return 2;
    }
    Fonts::registerBundledFonts();
    const QImage image = LauncherArtwork::render();
    QFile raw(QString::fromLocal8Bit(argv[1]));
    if (!raw.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        raw.write(LauncherArtwork::toRaw(image)) != LauncherArtwork::kRawBytes || !raw.flush()) {
        std::fprintf(stderr, "normakurs-artwork: cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc == 3 && !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "normakurs-artwork: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
