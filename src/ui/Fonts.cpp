#include "Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace Fonts {

void registerBundledFonts() {
    static bool done = false;
    if (done)
        return;
    done = true;
    const QString folder = QStringLiteral("/usr/share/wine/fonts/");
    for (const char* file : {"tahoma.ttf", "tahomabd.ttf"}) {
        const QString path = folder + QLatin1String(file);
        if (QFile::exists(path))
            QFontDatabase::addApplicationFont(path);
    }
}

QFont tahomaBold(int pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelHeight);
    font.setBold(true);
    return font;
}

QFont timesNewRoman(int pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setBold(false);
    font.setPixelSize(pixelHeight);
    return font;
}

} // namespace Fonts
