// Base class of every overlay shape: points, bounds, the region of the last
// drawing, the painting protocol, hit testing, point dragging, the optional
// own window, INI save/load, script lines and measurement texts.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "uScreenElementBaseClass.h"
#include "win/Canvas.h"
#include "win/Handles.h"

class TScreenObjectForm;

// What a shape needs of the overlay window, which implements it: the window
// its own window forwards mouse input to.
class IOverlayForm {
public:
  virtual HWND OverlayHandle() const = 0;
protected:
  ~IOverlayForm() = default;
};

using TStringVector = std::vector<std::string>;

class TScreenObject : public TScreenElementBaseClass {
public:
  TScreenObject();
  ~TScreenObject() override;

  // Shape kinds: 0 abstract, 1 point, 2 line, 3 rectangle, 5 ellipse,
  // 6 freehand, 8 bitmap, 9 text.
  uint8_t Type = 0;
  // The last drawing, in the coordinates of the canvas it was drawn on.
  // Always owned by the shape; its own window gets copies.
  win::Region Region;
  std::vector<TPointRec> Points;   // Capacity records; record n is Points[n - 1]
  bool RelativePosition = true;
  bool RelativePositionToObject = false;
  int32_t Capacity = 0;
  int32_t PointCount = 0;
  RECT Bounds{0, 0, -10, -10};
  int32_t EditIndex = 0;
  int32_t DragStartX = 0;
  int32_t DragStartY = 0;
  std::vector<TPointRec> PointsBackup;
  bool Dragging = false;
  uint8_t DragMode = 0;            // 0/1 move point EditIndex, 2 move all
  bool ShowMouseHelp = true;
  bool AutoShow = false;
  bool AutoHide = false;
  int32_t PointType = 0;
  COLORREF PointColor = 0;
  COLORREF LineColor = 0;
  COLORREF BackColor = 0;
  int32_t PointSize = 1;
  int32_t LineWidth = 1;
  bool PolygonFilled = false;
  bool HasOwnWindow = false;
  int32_t TransparentFactor = 0;
  bool ClickThrough = false;
  IOverlayForm* OverlayForm = nullptr;   // not owned
  std::string UserHint;
  std::string ShellExApp;
  std::unique_ptr<TScreenObjectForm> OwnForm;

  // --- virtual operations ---
  void UpdatePosition() override;
  void SetVisible(bool value) override;
  // BeginDraw, Draw, EndDraw; returns Draw's result.
  virtual HRGN Paint(win::Canvas* canvas, const RECT& clip, bool drawFlag, HRGN region);
  virtual bool IsOverObject(POINT pt, int32_t tolerance, int32_t& distance);
  virtual bool HitTest(POINT pt);
  virtual bool HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex);
  virtual bool BeginDrag(uint8_t mode, int32_t x, int32_t y);
  virtual bool EndDrag();
  virtual bool AddPoint(int32_t x, int32_t y);
  virtual bool DragTo(int32_t x, int32_t y);
  // Index 1..Capacity; other indices are ignored.
  virtual void SetPoint(int32_t index, const TPointRec& rec);
  virtual std::string GetHint(int language);           // 0 German, else English
  virtual std::string GetDeleteCaption(int language);
  virtual std::string GetCreatePrompt(int language, int32_t step);
  virtual std::string GetMeasureText();
  virtual void UpdateBounds();
  virtual bool InBounds(POINT pt);
  virtual bool LoadFromIni(const std::string& iniFile, const std::string& section,
                           IOverlayForm* overlay);
  virtual void SaveToIni(const std::string& iniFile, const std::string& section,
                         TStringVector* fileList);
  virtual void GetScriptCommand(TStringVector& list);
  virtual void SetBackColor(COLORREF color);
  virtual void SetOwnWindow(bool value);
  virtual void MoveBy(double dx, double dy);
  virtual void ScaleAbout(double cx, double cy, double factor);
  virtual void BeginDraw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region);
  // Base: own window's canvas, pen width LineWidth; returns region unchanged.
  virtual HRGN Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region);
  virtual void EndDraw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region);

  // --- plain methods ---
  void SetCapacity(int32_t count);       // records start zeroed
  int32_t GetCapacity() const { return Capacity; }
  void SetPointCount(int32_t count);     // 1..Capacity
  TPointRec* GetPointRec(int32_t index); // nullptr outside 1..Capacity
  void BackupPoints();
  // Region := an empty region, plus a copy of given when not null.
  HRGN NewRegion(HRGN given);
  // ORs Region into region unless the shape has its own window.
  HRGN AddRegionTo(HRGN region);
  void GetOwnCanvas(win::Canvas*& canvas);
  void PlaceOwnWindow();
  std::string AppendUserHint(const std::string& text) const;
  void SetPointType(int32_t value);
  void SetPointColor(COLORREF color);
  void SetLineColor(COLORREF color);
  void SetPointSize(int32_t value);      // kept within 4..20
  void SetAutoShow(bool value);
  void SetAutoHide(bool value);
  void SetTransparentFactor(int32_t percent);  // clamped to 0..100
  void SetClickThrough(bool value);
  void SetOverlayForm(IOverlayForm* overlay);
  std::string FormatLength(const std::string& label, double value) const;
  std::string FormatArea(const std::string& label, double value) const;
  // Option lines every shape appends after its creating command.
  void AppendScriptOptions(TStringVector& list) const;
  // Where a hit test measures from: pt inside the bounds, or, with an own window,
  // pt in screen coordinates when it is the point that window last saw.
  bool HitTestOrigin(POINT pt, POINT& from);
  // The nearest of the first count records closer to p than distance: distance
  // becomes its rounded distance and vertex (when given) the record.
  bool NearestRecord(POINT p, int32_t count, int32_t& distance, POINT* vertex) const;
};

// Line separator of multi-line shape texts: LF then CR.
extern const char* const QZ_TEXT_SEP;

float GetScale();
// Signed area of the polygon of the stored pairs of records 1..n
// (points[0] is record 1); 0 for n < 1.
int32_t PolygonArea(int32_t n, const TPointRec* points);

// Measurement units: 0 pixels, 1 cm, 2 inches, 3 points, 4 twips.
extern int32_t MeasureUnit;
void SetMeasureSettings(int32_t unit, int32_t a, int32_t b, int32_t c, int32_t d,
                        const std::string& suffix);
// Decimal separator of measurement texts; the user locale's at start-up.
void SetMeasureDecimalSeparator(char separator);
char MeasureDecimalSeparator();
std::string FormatMeasureValue(const std::string& label, int32_t unit, double value);
std::string FormatMeasureArea(const std::string& label, int32_t unit, double value);
// fixed(value, precision, digits): rounded to precision significant digits
// (half away from zero) and written with digits decimals; exponent form when
// the integer part has more than precision digits.
std::string FormatFixed(double value, int precision, int digits, char separator);
