#include "overlay/lib/uQzTransparentShapes.h"

#include "overlay/shapes/uScreenBitmap.h"
#include "overlay/shapes/uScreenEllipse.h"
#include "overlay/shapes/uScreenFreehand.h"
#include "overlay/shapes/uScreenLine.h"
#include "overlay/shapes/uScreenRectangle.h"
#include "overlay/shapes/uScreenSinglePoint.h"
#include "overlay/shapes/uScreenText.h"

namespace {

// Point type of shapes that are not points: no marker at their points.
const int32_t kNoMarker = -1;

// The settings every outlined shape gets, in this order.
void SetOutline(TScreenObject& shape, COLORREF color, int lineWidth, bool filled) {
  shape.SetPointType(kNoMarker);
  shape.SetPointColor(color);
  shape.SetLineColor(color);
  shape.LineWidth = lineWidth;
  shape.PolygonFilled = filled;
}

// Rectangles and ellipses are set up alike: two corners, then the outline.
template <class Shape>
std::unique_ptr<TScreenObject> MakeBoxShape(const RECT& rect, COLORREF color, int lineWidth, bool filled) {
  auto shape = std::make_unique<Shape>();
  shape->AddPoint(rect.left, rect.top);
  shape->AddPoint(rect.right, rect.bottom);
  SetOutline(*shape, color, lineWidth, filled);
  return shape;
}

}  // namespace

std::unique_ptr<TScreenObject> MakePointShape(int x, int y, int style, COLORREF color) {
  auto shape = std::make_unique<TScreenSinglePoint>();
  shape->AddPoint(x, y);
  shape->SetPointType(style);
  shape->SetPointColor(color);
  return shape;
}

std::unique_ptr<TScreenObject> MakeLineShape(POINT start, POINT end, COLORREF color, int lineWidth) {
  auto shape = std::make_unique<TScreenLine>();
  shape->AddPoint(start.x, start.y);
  shape->AddPoint(end.x, end.y);
  shape->SetPointType(kNoMarker);
  shape->SetPointColor(color);
  shape->SetLineColor(color);
  shape->LineWidth = lineWidth;
  return shape;
}

std::unique_ptr<TScreenObject> MakePolylineShape(const POINT* points, int count, COLORREF color,
                                                 int lineWidth, bool filled) {
  auto shape = std::make_unique<TScreenFreehand>();
  // The freehand shape keeps only the points its filter accepts.
  for (int i = 0; i < count; ++i) shape->AddPoint(points[i].x, points[i].y);
  SetOutline(*shape, color, lineWidth, filled);
  return shape;
}

std::unique_ptr<TScreenObject> MakeRectangleShape(const RECT& rect, COLORREF color, int lineWidth,
                                                  bool filled) {
  return MakeBoxShape<TScreenRectangle>(rect, color, lineWidth, filled);
}

std::unique_ptr<TScreenObject> MakeEllipseShape(const RECT& rect, COLORREF color, int lineWidth,
                                                bool filled) {
  return MakeBoxShape<TScreenEllipse>(rect, color, lineWidth, filled);
}

std::unique_ptr<TScreenObject> MakeTextShape(POINT pos, const std::string& text, const win::Font& font) {
  auto shape = std::make_unique<TScreenText>();
  shape->AddPoint(pos.x, pos.y);
  shape->SetCaption(text);
  shape->SetFont(font);
  return shape;
}

std::unique_ptr<TScreenObject> MakeBitmapFromFileShape(POINT pos, const std::string& fileName,
                                                       COLORREF transparentColor) {
  auto shape = std::make_unique<TScreenBitmap>();
  shape->AddPoint(pos.x, pos.y);  // before the picture is loaded
  if (!shape->LoadFromFile(fileName)) return nullptr;  // the file went away meanwhile
  shape->SetTransparentColor(transparentColor);
  return shape;
}

std::unique_ptr<TScreenObject> MakeBitmapFromResourceShape(POINT pos, HINSTANCE instance,
                                                           const std::string& resourceName,
                                                           COLORREF transparentColor) {
  auto shape = std::make_unique<TScreenBitmap>();
  shape->LoadFromResource(instance, resourceName);
  shape->AddPoint(pos.x, pos.y);  // after the picture is loaded
  shape->SetTransparentColor(transparentColor);
  return shape;
}
