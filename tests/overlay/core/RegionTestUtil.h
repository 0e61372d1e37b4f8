// Small helpers for region assertions.
#pragma once
#include <windows.h>
#include "win/Handles.h"

inline bool InRgn(HRGN r, int x, int y) { return ::PtInRegion(r, x, y) != FALSE; }

inline RECT RgnBox(HRGN r) {
  RECT box{};
  ::GetRgnBox(r, &box);
  return box;
}

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool RgnEmpty(HRGN r) {
  RECT box{};
  return ::GetRgnBox(r, &box) == NULLREGION;
}

inline win::Region EmptyRgn() { return win::Region(::CreateRectRgn(0, 0, 0, 0)); }
