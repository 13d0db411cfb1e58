#pragma once

#include <QString>

class QApplication;

// The skin "Deep": a style sheet in the skins folder. It only changes the look; without it the
// windows keep the platform's look.
namespace Skin {

// The style sheet file of the skin "Deep" under `programDir`.
QString deepStyleSheetPath(const QString& programDir);

// Applies the skin when its file is present; returns whether it was applied.
bool loadDeep(QApplication& application, const QString& programDir);

} // namespace Skin
