#pragma once

#include <QFont>

namespace Fonts {

// Registers Tahoma from the Wine font package when it is installed, so the fixed layouts keep
// the room they were drawn for. Harmless when the files are missing.
void registerBundledFonts();

// Tahoma bold (or its closest stand-in) at the given character height in pixels.
QFont tahomaBold(int pixelHeight);

// A Times New Roman-compatible face at the given height in pixels.
QFont timesNewRoman(int pixelHeight);

} // namespace Fonts
