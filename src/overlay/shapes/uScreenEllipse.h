// An ellipse through the four corners of the rectangle of its two points.
#pragma once
#include "uScreenRectangle.h"

class TScreenEllipse : public TScreenRectangle {
public:
  TScreenEllipse();   // Type 5

  std::string GetDeleteCaption(int language) override;
  std::string GetMeasureText() override;
  void UpdateBounds() override;   // the ellipse rectangle grown by 10
  // "ELLIPSE" with the bounding box that the script command turns back into
  // this shape's rectangle (the command shrinks a box by sqrt(2)).
  void GetScriptCommand(TStringVector& list) override;
  HRGN Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) override;

  // Axes parallel to the screen, half-axes those of GetRect times sqrt(2).
  RECT GetEllipseRect() const;

protected:
  const char* HintDeleteLine(int language) const override;
  const char* HintMoveShapeLine(int language) const override;
  const char* PromptLine(int language, int32_t step) const override;
};
