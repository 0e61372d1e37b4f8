// Root of every screen element: visibility and position flags, the point
// record and the segment-drawing shortcuts shapes use.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "win/Canvas.h"

// One point of a shape: the position drawn and hit-tested (overlay-window
// pixels) and the position saved to INI files.
struct TPointRec {
  int32_t ScreenX = 0;
  int32_t ScreenY = 0;
  int32_t StoredX = 0;
  int32_t StoredY = 0;
};

class TScreenElementBaseClass {
public:
  TScreenElementBaseClass();
  virtual ~TScreenElementBaseClass();
  TScreenElementBaseClass(const TScreenElementBaseClass&) = delete;
  TScreenElementBaseClass& operator=(const TScreenElementBaseClass&) = delete;

  bool AbsolutPosition = false;  // False: member of the element list
  bool Visible = true;
  bool EnabledFlag = true;
  bool SpecialFlag = false;

  virtual void UpdatePosition();
  virtual void SetVisible(bool value);
  virtual void SetEnabledFlag(bool value);
  virtual bool GetSpecialFlag();

  void SetAbsolutPosition(bool value);
  static void StorePosition(TPointRec& p);    // screen pair -> stored pair
  static void RestorePosition(TPointRec& p);  // stored pair -> screen pair
  // DrawLineRgn with the coordinates truncated toward zero.
  HRGN DrawSegment(win::Canvas* canvas, const RECT& clip, HRGN region, double x1, double y1,
                   double x2, double y2, int32_t width, COLORREF color);
  HRGN DrawSegmentPts(win::Canvas* canvas, const RECT& clip, HRGN region, const TPointRec& p1,
                      const TPointRec& p2, int32_t width, COLORREF color);
};

// Elements that are not absolutely positioned, in creation order.
const std::vector<TScreenElementBaseClass*>& ScreenElementList();
