// A point marker: cross, circle, square or arrow head at one position.
#pragma once
#include "uScreenObject.h"

class TScreenSinglePoint : public TScreenObject {
public:
  // One point record (PointCount 1), PointSize 8, Type 1.
  TScreenSinglePoint();

  bool IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) override;
  bool HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) override;
  std::string GetHint(int language) override;
  std::string GetDeleteCaption(int language) override;
  std::string GetCreatePrompt(int language, int32_t step) override;
  std::string GetMeasureText() override;   // "(x/y)" of the stored pair
  void GetScriptCommand(TStringVector& list) override;
  void SetOwnWindow(bool value) override;
  HRGN Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) override;
};
