#pragma once

// Layout arithmetic shared by the windows that fill the screen.
namespace WorkArea {

// Rounds to the nearest integer, an exact half going to the even neighbour (415.5 -> 416,
// 414.5 -> 414).
int roundHalfEven(double value);

} // namespace WorkArea
