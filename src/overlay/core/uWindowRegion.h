// Window regions the display can take. Under wine a window's region goes to the
// X server as one request, and a region of more rectangles than one request
// carries (about 32,000) ends the process. A window region of more rectangles
// than kMaxWindowRegionRects is therefore replaced by a coarser cover: the
// region within the window, grown to a grid of square cells, the smallest cells
// whose cover has few enough rectangles. The shapes keep their exact regions for
// hit testing; only what the window shows grows by less than a cell.
#pragma once
#include <windows.h>
#include <cstddef>
#include "win/Handles.h"

constexpr std::size_t kMaxWindowRegionRects = 8000;
// All the window coordinates the display takes.
constexpr RECT kDisplayCoordinates{-32768, -32768, 32767, 32767};

std::size_t RegionRectCount(HRGN region);

// Cuts the region to area (the window, in window coordinates: the display takes
// 16-bit ones) and, when that still has more than maxRects rectangles, replaces
// it by its cover and returns true.
bool BoundWindowRegion(win::Region& region, const RECT& area, std::size_t maxRects = kMaxWindowRegionRects);
