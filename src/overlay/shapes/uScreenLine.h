// The two-point shapes' common base and the line: a segment, or an infinite
// line across the desktop through its two points, or an arrow.
#pragma once
#include "uScreenObject.h"

// Abstract base of line, rectangle and ellipse: two point records.
class TScreenTwoPoint : public TScreenObject {
public:
  TScreenTwoPoint();
};

class TScreenLine : public TScreenTwoPoint {
public:
  TScreenLine();   // Type 2, PointSize 8

  bool InfiniteLine = false;   // never together with Arrow
  bool Arrow = false;          // arrow head at point 1
  POINT ExtendedStart{0, 0};   // the infinite line's ends on the desktop edges
  POINT ExtendedEnd{0, 0};
  bool PointsSwapped = false;  // BeginDrag made the grabbed point point 2

  bool IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) override;
  bool HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) override;
  bool BeginDrag(uint8_t mode, int32_t x, int32_t y) override;
  bool EndDrag() override;
  bool AddPoint(int32_t x, int32_t y) override;
  std::string GetHint(int language) override;
  std::string GetDeleteCaption(int language) override;
  std::string GetCreatePrompt(int language, int32_t step) override;
  std::string GetMeasureText() override;
  bool LoadFromIni(const std::string& iniFile, const std::string& section,
                   IOverlayForm* overlay) override;
  void SaveToIni(const std::string& iniFile, const std::string& section,
                 TStringVector* fileList) override;
  void GetScriptCommand(TStringVector& list) override;
  HRGN Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) override;

  void SetInfiniteLine(bool value);   // True clears Arrow
  void SetArrow(bool value);          // True clears InfiniteLine
  // Where the line through the two points meets the desktop's edges. A line
  // that meets them in fewer than two points keeps its own two points.
  void ExtendToDesktop();

protected:
  // Mouse lines of the hint and first lines of the prompts, per shape.
  virtual const char* HintDeleteLine(int language) const;
  virtual const char* HintMoveShapeLine(int language) const;
  virtual const char* PromptLine(int language, int32_t step) const;
  virtual const char* ScriptWord() const;   // "LINE"
  // Rewrites points 1 and 2 in the given order, stored pairs equal to screen.
  void WritePoints(POINT p1, POINT p2);
};
