#include "uWindowRegion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// A grid of square cells over the window, marked where the region has a pixel.
struct TGrid {
  int cell = 1;   // side in pixels
  int columns = 0;
  int rows = 0;
  std::vector<uint8_t> marks;   // rows of columns
  const uint8_t* Row(int r) const { return marks.data() + static_cast<size_t>(r) * columns; }
  bool SameRows(int a, int b) const { return std::memcmp(Row(a), Row(b), static_cast<size_t>(columns)) == 0; }
};

size_t Runs(const uint8_t* row, int columns) {
  size_t runs = 0;
  for (int x = 0; x < columns; ++x)
    if (row[x] && (x == 0 || !row[x - 1])) ++runs;
  return runs;
}

// Rectangles of the grid's cover: a row like the one above it adds none, it
// lengthens that row's.
size_t CoverRects(const TGrid& g) {
  size_t n = 0;
  for (int r = 0; r < g.rows; ++r)
    if (r == 0 || !g.SameRows(r, r - 1)) n += Runs(g.Row(r), g.columns);
  return n;
}

TGrid Coarser(const TGrid& g) {
  TGrid c;
  c.cell = g.cell * 2;
  c.columns = (g.columns + 1) / 2;
  c.rows = (g.rows + 1) / 2;
  c.marks.assign(static_cast<size_t>(c.columns) * c.rows, 0);
  for (int r = 0; r < g.rows; ++r) {
    const uint8_t* row = g.Row(r);
    uint8_t* out = c.marks.data() + static_cast<size_t>(r / 2) * c.columns;
    for (int x = 0; x < g.columns; ++x) out[x / 2] |= row[x];
  }
  return c;
}

// The union of the rectangles, merged pairwise like the digits of a binary
// counter: each rectangle takes part in about log2(n) unions, where ORing them
// one by one into one region would cost n unions of an ever larger region.
win::Region UnionOfRects(const std::vector<RECT>& rects) {
  std::vector<std::pair<win::Region, int>> pending;   // regions and how many merges made them
  for (const RECT& r : rects) {
    win::Region part(::CreateRectRgnIndirect(&r));
    if (!part) return win::Region();
    int level = 0;
    while (!pending.empty() && pending.back().second == level) {
      ::CombineRgn(part.get(), part.get(), pending.back().first.get(), RGN_OR);
      pending.pop_back();
      ++level;
    }
    pending.emplace_back(std::move(part), level);
  }
  win::Region all(::CreateRectRgn(0, 0, 0, 0));
  for (auto& p : pending)
    if (all) ::CombineRgn(all.get(), all.get(), p.first.get(), RGN_OR);
  return all;
}

win::Region CoverOf(const TGrid& g, const RECT& area) {
  std::vector<RECT> rects;
  for (int r = 0; r < g.rows;) {
    int end = r + 1;
    while (end < g.rows && g.SameRows(end, r)) ++end;
    const uint8_t* row = g.Row(r);
    for (int x = 0; x < g.columns;) {
      if (!row[x]) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < g.columns && row[x]) ++x;
      rects.push_back(RECT{area.left + start * g.cell, area.top + r * g.cell,
                           std::min<LONG>(area.right, area.left + x * g.cell),
                           std::min<LONG>(area.bottom, area.top + end * g.cell)});
    }
    r = end;
  }
  return UnionOfRects(rects);
}

}  // namespace

size_t RegionRectCount(HRGN region) {
  const DWORD bytes = region ? ::GetRegionData(region, 0, nullptr) : 0;
  return bytes > sizeof(RGNDATAHEADER) ? (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT) : 0;
}

bool BoundWindowRegion(win::Region& region, const RECT& area, size_t maxRects) {
  // Only what lies within the window can show, and the display takes window
  // coordinates of 16 bits: a region part far outside would wrap onto the window.
  win::Region inside(::CreateRectRgnIndirect(&area));
  if (!inside || ::CombineRgn(inside.get(), inside.get(), region.get(), RGN_AND) == ERROR) return false;
  region = std::move(inside);
  const DWORD bytes = ::GetRegionData(region.get(), 0, nullptr);
  if (bytes < sizeof(RGNDATAHEADER) || (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT) <= maxRects) return false;
  std::vector<char> buffer(bytes);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (::GetRegionData(region.get(), bytes, data) != bytes) return false;
  // The grid spans the region's box, which lies within area.
  RECT box{};
  ::GetRgnBox(region.get(), &box);
  TGrid g;
  g.cell = 2;
  g.columns = static_cast<int>((int64_t(box.right) - box.left + 1) / 2);
  g.rows = static_cast<int>((int64_t(box.bottom) - box.top + 1) / 2);
  g.marks.assign(static_cast<size_t>(g.columns) * g.rows, 0);
  const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    const RECT& r = rects[i];
    const int x0 = (r.left - box.left) / 2, x1 = (r.right - 1 - box.left) / 2;
    const int y0 = (r.top - box.top) / 2, y1 = (r.bottom - 1 - box.top) / 2;
    for (int y = y0; y <= y1; ++y)
      std::memset(g.marks.data() + static_cast<size_t>(y) * g.columns + x0, 1, static_cast<size_t>(x1 - x0 + 1));
  }
  while (CoverRects(g) > maxRects && (g.columns > 1 || g.rows > 1)) g = Coarser(g);
  win::Region cover = CoverOf(g, box);
  if (!cover) return false;
  region = std::move(cover);
  return true;
}
