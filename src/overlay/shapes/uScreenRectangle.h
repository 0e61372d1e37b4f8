// A rectangle given by two opposite corners, outlined or filled.
#pragma once
#include "uScreenLine.h"

class TScreenRectangle : public TScreenLine {
public:
  TScreenRectangle();   // Type 3

  bool IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) override;
  bool HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) override;
  bool BeginDrag(uint8_t mode, int32_t x, int32_t y) override;
  std::string GetDeleteCaption(int language) override;
  std::string GetMeasureText() override;
  HRGN Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) override;

  RECT GetRect() const;   // corner rectangle of the screen pairs

protected:
  const char* HintDeleteLine(int language) const override;
  const char* HintMoveShapeLine(int language) const override;
  const char* PromptLine(int language, int32_t step) const override;
  const char* ScriptWord() const override;   // "RECTANGLE"
  // Distance to the four corners, truncated, nearest strictly first.
  bool NearestCorner(POINT pt, int32_t& distance, POINT* vertex) const;
  // The markers at point 1 and the two other corners.
  HRGN DrawCornerMarkers(win::Canvas* canvas, const RECT& clip, HRGN region);
};
