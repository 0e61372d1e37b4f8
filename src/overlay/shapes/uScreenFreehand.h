// An open polyline of up to 100 points drawn with the mouse held down; only
// the positions that add something to the stroke are kept.
#pragma once
#include "uScreenObject.h"

class TScreenFreehand : public TScreenObject {
public:
  static constexpr int32_t MaxPoints = 100;
  TScreenFreehand();   // Type 6, capacity 100, PointSize 4, no points

  bool IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) override;
  bool HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) override;
  bool BeginDrag(uint8_t mode, int32_t x, int32_t y) override;
  // False when the position is refused by the point filter.
  bool AddPoint(int32_t x, int32_t y) override;
  std::string GetHint(int language) override;
  std::string GetDeleteCaption(int language) override;
  std::string GetCreatePrompt(int language, int32_t step) override;
  std::string GetMeasureText() override;
  void GetScriptCommand(TStringVector& list) override;
  HRGN Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) override;
};
