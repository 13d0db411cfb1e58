#pragma once

#include <QImage>

// The launcher's picture, painted in code: a banner across the top, a framed description panel
// on the right, three icons down the left beside the three content buttons, and a framed area
// at the lower right for "Выход".
namespace LauncherArtwork {

constexpr int kWidth = 876;
constexpr int kHeight = 452;
constexpr qint64 kRawBytes = qint64(kWidth) * kHeight * 3;

// Paints the picture (what tools/normakurs-artwork saves as the program's resource).
QImage render();

// The picture's pixels as stored in the resource: rows of RGB bytes, top to bottom.
QByteArray toRaw(const QImage& image);

// The picture for the launcher: the pre-rendered pixels from the resource, shown without
// decoding (a compressed picture costs as much to decode as to paint); painted afresh only if
// the resource is missing.
QImage picture();

} // namespace LauncherArtwork
