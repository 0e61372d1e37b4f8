#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <memory>
#include "ShapeTestSupport.h"
#include "uScreenEllipse.h"
#include "uScreenLine.h"
#include "uScreenRectangle.h"
#include "win/DibBitmap.h"

namespace {

template <class Shape>
std::unique_ptr<Shape> Make(int x1, int y1, int x2, int y2, COLORREF colour = 255) {
  auto s = std::make_unique<Shape>();
  s->AddPoint(x1, y1);
  s->AddPoint(x2, y2);
  s->SetLineColor(colour);
  return s;
}

// As the overlay's exports create them: no point markers.
template <class Shape>
std::unique_ptr<Shape> MakeLikeExport(int x1, int y1, int x2, int y2) {
  auto s = Make<Shape>(x1, y1, x2, y2);
  s->SetPointType(-1);
  return s;
}

POINT Pt(const TScreenObject& s, int n) { return POINT{s.Points[n - 1].ScreenX, s.Points[n - 1].ScreenY}; }
bool Is(POINT p, int x, int y) { return p.x == x && p.y == y; }

}  // namespace

TEST(TwoPointShapes, ConstructedKindsAndDefaults) {
  TScreenLine l;
  TScreenRectangle r;
  TScreenEllipse e;
  EXPECT_EQ(l.Type, 2);
  EXPECT_EQ(r.Type, 3);
  EXPECT_EQ(e.Type, 5);
  for (TScreenObject* s : {static_cast<TScreenObject*>(&l), static_cast<TScreenObject*>(&r),
                           static_cast<TScreenObject*>(&e)}) {
    EXPECT_EQ(s->Capacity, 2);
    EXPECT_EQ(s->PointSize, 8);
  }
  EXPECT_FALSE(l.InfiniteLine);
  EXPECT_FALSE(l.Arrow);
}

TEST(TwoPointShapes, MeasureTextsAndScriptLines) {
  auto line = Make<TScreenLine>(10, 20, 40, 60);
  EXPECT_EQ(line->GetMeasureText(), "(10/20)-->(40/60)" SEP "d=50.0" SEP "dx=30.0" SEP "dy=40.0");
  TStringVector script;
  line->GetScriptCommand(script);
  EXPECT_EQ(Lines(script), "LINE 10 20 40 60 255|");

  auto rect = Make<TScreenRectangle>(10, 20, 40, 60);
  EXPECT_EQ(rect->GetMeasureText(), "dx=30.0" SEP "dy=40.0" SEP "U=140.0" SEP "A=1200.00");
  script.clear();
  rect->GetScriptCommand(script);
  EXPECT_EQ(Lines(script), "RECTANGLE 10 20 40 60 255|");

  for (bool swapped : {false, true}) {
    auto ell = swapped ? Make<TScreenEllipse>(270, 185, 130, 115) : Make<TScreenEllipse>(130, 115, 270, 185);
    EXPECT_TRUE(SameRect(ell->GetEllipseRect(), RECT{102, 101, 298, 199}));
    EXPECT_TRUE(SameRect(ell->Bounds, RECT{92, 91, 308, 209}));
    EXPECT_EQ(ell->GetMeasureText(), "a=98.0" SEP "b=49.0" SEP "U=474.7" SEP "A=15085.93");
  }
}

// The "ELLIPSE" command reads its numbers as the ellipse's bounding box and
// shrinks the half sizes by sqrt(2); the written box must give the shape back.
TEST(TwoPointShapes, EllipseScriptLineReplaysToTheSameShape) {
  struct Case { RECT r; const char* line; } cases[] = {
      {{130, 115, 270, 185}, "ELLIPSE 101 100 299 200 16744448|"},
      {{-40, -20, 0, 0}, "ELLIPSE -49 -25 9 5 16744448|"},
      {{10, 10, 10, 10}, "ELLIPSE 10 10 10 10 16744448|"},
  };
  for (const auto& c : cases) {
    auto ell = Make<TScreenEllipse>(c.r.right, c.r.bottom, c.r.left, c.r.top, 0x00FF8000);
    TStringVector script;
    ell->GetScriptCommand(script);
    EXPECT_EQ(Lines(script), c.line);
    int l, t, r, b;
    ASSERT_EQ(sscanf(script[0].c_str(), "ELLIPSE %d %d %d %d", &l, &t, &r, &b), 4);
    const int cx = (l + r) / 2, cy = (t + b) / 2;
    const int hw = static_cast<int>(((r - l) / 2.0) / std::sqrt(2.0));
    const int hh = static_cast<int>(((b - t) / 2.0) / std::sqrt(2.0));
    EXPECT_TRUE(SameRect(RECT{cx - hw, cy - hh, cx + hw, cy + hh}, ell->GetRect())) << c.line;
  }
}

TEST(TwoPointShapes, ScriptOptionLinesFollowInOrder) {
  auto rect = Make<TScreenRectangle>(1, 2, 3, 4);
  rect->LineWidth = 3;
  rect->AutoHide = true;
  rect->TransparentFactor = 40;
  rect->ClickThrough = true;
  rect->SetInfiniteLine(true);   // neither options nor filling are part of the line
  rect->PolygonFilled = true;
  TStringVector script;
  rect->GetScriptCommand(script);
  EXPECT_EQ(Lines(script),
            "RECTANGLE 1 2 3 4 255|"
            "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 3 0 0|"
            "OPERATION OVERLAYELEMENT_OPERATION_SETAUTOHIDE PREVIOUSCREATEDELEMENT TRUE 0 0|"
            "OPERATION OVERLAYELEMENT_OPERATION_SETTRANSPARENT PREVIOUSCREATEDELEMENT 40 0 0|"
            "OPERATION OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH PREVIOUSCREATEDELEMENT TRUE 0 0|");
}

TEST(TwoPointShapes, InfiniteLineMeetsTheDesktopEdges) {
  TestDesktop desk(1920, 1080);
  struct Case { int x1, y1, x2, y2; POINT start, end; } cases[] = {
      {100, 50, 200, 50, {0, 50}, {1920, 50}},        // horizontal: left and right edge
      {100, 100, 100, 300, {100, 0}, {100, 1080}},    // vertical: top and bottom
      {0, 0, 10, 10, {0, 0}, {1080, 1080}},           // through a corner: top, then bottom
      {-500, 540, -400, 540, {0, 540}, {1920, 540}},  // points off the desktop
      {50, 50, 50, 50, {50, 50}, {50, 50}},           // coincident points keep themselves
      {0, -100, 10, -100, {0, -100}, {10, -100}},     // misses the desktop: plain segment
  };
  for (const auto& c : cases) {
    auto line = Make<TScreenLine>(c.x1, c.y1, c.x2, c.y2);
    line->SetInfiniteLine(true);
    EXPECT_TRUE(Is(line->ExtendedStart, c.start.x, c.start.y)) << c.x1 << "," << c.y1;
    EXPECT_TRUE(Is(line->ExtendedEnd, c.end.x, c.end.y)) << c.x2 << "," << c.y2;
  }
}

TEST(TwoPointShapes, InfiniteLineIsDrawnAcrossButHitOnlyNearItsPoints) {
  TestDesktop desk(1000, 800);
  auto line = MakeLikeExport<TScreenLine>(100, 50, 200, 50);
  line->SetInfiniteLine(true);
  HRGN rgn = PaintRegion(*line, 1000, 800);
  EXPECT_TRUE(InRgn(rgn, 5, 50));
  EXPECT_TRUE(InRgn(rgn, 990, 50));
  EXPECT_TRUE(line->HitTest(POINT{150, 50}));
  EXPECT_FALSE(line->HitTest(POINT{500, 50}));   // drawn there, but outside Bounds

  // Moving it outside a drag keeps the drawn line where it was.
  line->MoveBy(0, 100);
  EXPECT_TRUE(Is(line->ExtendedStart, 0, 50));
  line->AddPoint(200, 150);   // the next point recomputes it
  EXPECT_TRUE(Is(line->ExtendedStart, 0, 150));
}

TEST(TwoPointShapes, ArrowAndInfiniteLineExcludeEachOther) {
  TScreenLine line;
  line.AddPoint(0, 0);
  line.AddPoint(10, 0);
  line.SetInfiniteLine(true);
  line.SetArrow(true);
  EXPECT_TRUE(line.Arrow);
  EXPECT_FALSE(line.InfiniteLine);
  line.SetInfiniteLine(true);
  EXPECT_TRUE(line.InfiniteLine);
  EXPECT_FALSE(line.Arrow);
}

TEST(TwoPointShapes, LineRegionMarkersAndArrowHead) {
  auto line = MakeLikeExport<TScreenLine>(10, 100, 110, 100);
  HRGN rgn = PaintRegion(*line);
  EXPECT_TRUE(InRgn(rgn, 60, 100));
  EXPECT_FALSE(InRgn(rgn, 60, 103));
  EXPECT_FALSE(InRgn(rgn, 18, 95));   // no markers for PointType -1

  // The arrow head (3 x 8 = 24 px) has its tip on point 1 and opens toward point 2.
  line->SetArrow(true);
  rgn = PaintRegion(*line);
  EXPECT_TRUE(InRgn(rgn, 18, 95));
  EXPECT_TRUE(InRgn(rgn, 18, 105));
  EXPECT_FALSE(InRgn(rgn, 5, 100));
  EXPECT_FALSE(InRgn(rgn, 30, 85));

  // A cross marker at each end, the one at point 1 not while dragging.
  auto marked = Make<TScreenLine>(10, 100, 110, 100);
  marked->SetPointType(0);
  rgn = PaintRegion(*marked);
  EXPECT_TRUE(InRgn(rgn, 12, 102));
  EXPECT_TRUE(InRgn(rgn, 108, 102));
  marked->BeginDrag(0, 300, 300);
  rgn = PaintRegion(*marked);
  EXPECT_FALSE(InRgn(rgn, 12, 102));
  EXPECT_TRUE(InRgn(rgn, 108, 102));
}

TEST(TwoPointShapes, FilledShapesAreOutlinesWhileDragged) {
  auto rect = MakeLikeExport<TScreenRectangle>(100, 100, 200, 160);
  rect->PolygonFilled = true;
  HRGN rgn = PaintRegion(*rect);
  EXPECT_TRUE(InRgn(rgn, 150, 130));
  EXPECT_TRUE(InRgn(rgn, 200, 160));   // filled rectangle includes its far corner
  rect->BeginDrag(0, 500, 500);
  rgn = PaintRegion(*rect);
  EXPECT_FALSE(InRgn(rgn, 150, 130));
  EXPECT_TRUE(InRgn(rgn, 150, 100));
  rect->EndDrag();

  auto ell = MakeLikeExport<TScreenEllipse>(130, 115, 270, 185);
  ell->PolygonFilled = true;
  rgn = PaintRegion(*ell);
  EXPECT_TRUE(InRgn(rgn, 200, 150));
  ell->BeginDrag(0, 900, 900);
  rgn = PaintRegion(*ell);
  EXPECT_FALSE(InRgn(rgn, 200, 150));
  // The outline runs through the corners of the points' rectangle.
  for (POINT c : {POINT{130, 115}, POINT{270, 115}, POINT{130, 185}, POINT{270, 185}}) {
    bool hit = false;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy) hit = hit || InRgn(rgn, c.x + dx, c.y + dy);
    EXPECT_TRUE(hit) << c.x << "," << c.y;
  }
}

TEST(TwoPointShapes, ConstructionStyleDrawsGuidesWithoutMarkers) {
  auto rect = Make<TScreenRectangle>(0, 0, 90, 60);
  rect->SetPointType(2);
  win::Region overlay(::CreateRectRgn(0, 0, 0, 0));
  win::Canvas* none = nullptr;
  rect->Paint(none, RECT{-100, -100, 500, 500}, true, overlay.get());
  EXPECT_TRUE(InRgn(rect->Region.get(), 30, 45));    // grid line of thirds
  EXPECT_TRUE(InRgn(rect->Region.get(), 45, 20));
  EXPECT_FALSE(InRgn(rect->Region.get(), 93, 63));   // no square marker at point 2
}

TEST(TwoPointShapes, VertexDistancesRoundForLinesTruncForCorners) {
  // (x1 + 10, y1 + 4) is 10.77 px from point 1.
  auto line = Make<TScreenLine>(100, 100, 300, 100);
  auto rect = Make<TScreenRectangle>(100, 100, 300, 200);
  int32_t d = 0;
  EXPECT_TRUE(line->IsOverObject(POINT{110, 104}, 20, d));
  EXPECT_EQ(d, 11);
  EXPECT_TRUE(rect->IsOverObject(POINT{110, 104}, 20, d));
  EXPECT_EQ(d, 10);
  POINT v{};
  EXPECT_TRUE(rect->HitTestVertex(POINT{296, 197}, 20, d, v));
  EXPECT_EQ(d, 5);
  EXPECT_TRUE(Is(v, 300, 200));

  // Only the end points count: the middle of a long line is not "over" it.
  auto longLine = Make<TScreenLine>(0, 5, 1000, 5);
  d = 0;
  EXPECT_FALSE(longLine->IsOverObject(POINT{500, 5}, 100, d));
  EXPECT_EQ(d, 100);
  EXPECT_FALSE(longLine->IsOverObject(POINT{0, 200}, 1000, d));   // outside Bounds
}

TEST(TwoPointShapes, LineDragSwapsTheGrabbedPointToTheEnd) {
  for (uint8_t mode : {uint8_t(1), uint8_t(0)}) {
    auto line = Make<TScreenLine>(0, 0, 100, 0);
    line->BeginDrag(mode, 5, 0);
    EXPECT_TRUE(line->PointsSwapped);
    EXPECT_TRUE(Is(Pt(*line, 1), 100, 0));
    EXPECT_TRUE(line->DragTo(10, 20));
    EXPECT_TRUE(Is(Pt(*line, 2), 10, 20));
    line->EndDrag();
    if (mode == 1) {
      EXPECT_TRUE(Is(Pt(*line, 1), 10, 20));
      EXPECT_TRUE(Is(Pt(*line, 2), 100, 0));
      EXPECT_EQ(line->Points[0].StoredX, 10);
    } else {
      EXPECT_TRUE(Is(Pt(*line, 1), 100, 0));
      EXPECT_TRUE(Is(Pt(*line, 2), 10, 20));
    }
  }
  // Within 20 px of both points, point 2 is dragged.
  auto shortLine = Make<TScreenLine>(0, 0, 10, 0);
  shortLine->BeginDrag(1, 4, 0);
  EXPECT_FALSE(shortLine->PointsSwapped);
  EXPECT_TRUE(Is(Pt(*shortLine, 2), 10, 0));
}

TEST(TwoPointShapes, RectangleDragMakesTheGrabbedCornerPointTwo) {
  struct Case { POINT grab; POINT p1, p2; } cases[] = {
      {{12, 58}, {110, 10}, {10, 60}},    // (x1, y2)
      {{108, 12}, {10, 60}, {110, 10}},   // (x2, y1)
      {{10, 10}, {110, 60}, {10, 10}},    // (x1, y1)
      {{111, 61}, {10, 10}, {110, 60}},   // (x2, y2)
      {{60, 35}, {10, 10}, {110, 60}},    // no corner: unchanged
  };
  for (const auto& c : cases) {
    auto rect = Make<TScreenRectangle>(10, 10, 110, 60);
    rect->BeginDrag(0, c.grab.x, c.grab.y);
    EXPECT_TRUE(Is(Pt(*rect, 1), c.p1.x, c.p1.y)) << c.grab.x << "," << c.grab.y;
    EXPECT_TRUE(Is(Pt(*rect, 2), c.p2.x, c.p2.y)) << c.grab.x << "," << c.grab.y;
    EXPECT_TRUE(SameRect(rect->GetRect(), RECT{10, 10, 110, 60}));
    EXPECT_EQ(rect->Points[0].StoredX, c.p1.x);
  }
}

TEST(TwoPointShapes, ThirdPointMovesPointTwo) {
  auto line = Make<TScreenLine>(1, 2, 3, 4);
  line->AddPoint(50, 60);
  EXPECT_EQ(line->PointCount, 2);
  EXPECT_TRUE(Is(Pt(*line, 1), 1, 2));
  EXPECT_TRUE(Is(Pt(*line, 2), 50, 60));
}

TEST(TwoPointShapes, HintsDeleteCaptionsAndPrompts) {
  const std::string move = "Left mouse button (keep pressed) to change position of point";
  const std::string moveDe =
      "Click mit der linken Maustaste (gedr\xFC" "ckt halten) um die Position des Punktes zu ver\xE4ndern.";
  struct Case {
    std::unique_ptr<TScreenLine> shape;
    const char *delEn, *delDe, *moveEn, *moveDe, *capEn, *capDe, *p1En, *p2En, *p1De, *p2De;
  };
  Case cases[3];
  cases[0] = {Make<TScreenLine>(10, 20, 40, 60), "Right mouse button to delete line.",
              "Click mit der rechten Maustaste um die Linie zu l\xF6schen.",
              "Left mouse button + <Ctrl> key (keep pressed) to change position of line",
              "Click mit der linken Maustaste + <STRG>-Taste(gedr\xFC" "ckt halten) um die Position der Linie zu ver\xE4ndern.",
              "delete line", "Linie l\xF6schen", "Click on the start point of your line.",
              "Click on the end point of your line.", "Klicken Sie auf den Anfangspunkt Ihrer Linie.",
              "Klicken Sie auf den Endpunkt Ihrer Linie."};
  cases[1] = {Make<TScreenRectangle>(10, 20, 40, 60), "Right mouse button to delete rectangle.",
              "Click mit der rechten Maustaste um das tempor\xE4re Rechteck zu l\xF6schen.",
              "Left mouse button + <Ctrl> key (keep pressed) to change position of rectangle",
              "Click mit der linken Maustaste + <STRG>-Taste(gedr\xFC" "ckt halten) um die Position des Rechtecks zu ver\xE4ndern.",
              "delete rectangle", "Rechteck l\xF6schen", "Click on the first point of your rectangle.",
              "Click on the second point of your rectangle.", "Klicken Sie auf einen Eckpunkt des Rechtecks.",
              "Klicken Sie auf den zweiten Eckpunkt des Rechtecks."};
  cases[2] = {Make<TScreenEllipse>(10, 20, 40, 60), "Right mouse button to delete ellipse.",
              "Click mit der rechten Maustaste um die tempor\xE4re Ellipse zu l\xF6schen.",
              "Left mouse button + <Ctrl> key (keep pressed) to change position of ellipse",
              "Click mit der linken Maustaste + <STRG>-Taste(gedr\xFC" "ckt halten) um die Position der Ellipse zu ver\xE4ndern.",
              "delete ellipse", "Ellipse l\xF6schen", "Click on the first point of your ellipse.",
              "Click on the second point of your ellipse.", "Klicken Sie auf einen Eckpunkt der Ellipse.",
              "Klicken Sie auf den zweiten Eckpunkt der Ellipse."};
  for (auto& c : cases) {
    TScreenLine& s = *c.shape;
    const std::string m = s.GetMeasureText();
    EXPECT_EQ(s.GetHint(1), std::string(c.delEn) + SEP + move + SEP + c.moveEn + SEP + m);
    EXPECT_EQ(s.GetHint(0), std::string(c.delDe) + SEP + moveDe + SEP + c.moveDe + SEP + m);
    EXPECT_EQ(s.GetHint(-1), s.GetHint(1));
    EXPECT_EQ(s.GetDeleteCaption(1), c.capEn);
    EXPECT_EQ(s.GetDeleteCaption(0), c.capDe);
    EXPECT_EQ(s.GetCreatePrompt(1, 1), std::string(c.p1En) + SEP "Right mouse button to cancel.");
    EXPECT_EQ(s.GetCreatePrompt(1, 2), std::string(c.p2En) + SEP "Right mouse button to cancel.");
    EXPECT_EQ(s.GetCreatePrompt(0, 1), std::string(c.p1De) + SEP "Abbruch mit der rechten Maustaste.");
    EXPECT_EQ(s.GetCreatePrompt(0, 2), std::string(c.p2De) + SEP "Abbruch mit der rechten Maustaste.");
    EXPECT_EQ(s.GetCreatePrompt(1, 0), "");
    EXPECT_EQ(s.GetCreatePrompt(1, 3), "");
    s.UserHint = "mine";
    EXPECT_EQ(s.GetHint(1).substr(s.GetHint(1).size() - 6), SEP "mine");
    s.ShowMouseHelp = false;
    s.UserHint.clear();
    EXPECT_EQ(s.GetHint(1), m);
    EXPECT_EQ(s.GetCreatePrompt(1, 1), "");
  }
}

TEST(TwoPointShapes, IniRoundTripKeepsPointsAndOptions) {
  TestDesktop desk(1600, 900);
  TestIni ini;
  auto rect = Make<TScreenRectangle>(800, 400, 1200, 600);
  rect->SetInfiniteLine(true);
  rect->SaveToIni(ini.file(), "Rect", nullptr);
  EXPECT_EQ(ReadIniString(ini.file(), "Rect", "InfiniteLine", ""), "1");
  EXPECT_EQ(ReadIniString(ini.file(), "Rect", "Arrow", ""), "0");
  EXPECT_EQ(ReadIniString(ini.file(), "Rect", "PointX.1", ""), "50000");

  TScreenRectangle back;
  ASSERT_TRUE(back.LoadFromIni(ini.file(), "Rect", nullptr));
  EXPECT_TRUE(Is(Pt(back, 1), 800, 400));
  EXPECT_TRUE(Is(Pt(back, 2), 1200, 600));
  EXPECT_TRUE(back.InfiniteLine);
  EXPECT_EQ(back.LineColor, 255u);

  // Both options stored: the arrow, read last, wins.
  WriteIniString(ini.file(), "Rect", "Arrow", "1");
  TScreenRectangle both;
  both.LoadFromIni(ini.file(), "Rect", nullptr);
  EXPECT_TRUE(both.Arrow);
  EXPECT_FALSE(both.InfiniteLine);

  // A line section is no rectangle; the options are still read.
  TScreenLine line;
  EXPECT_FALSE(line.LoadFromIni(ini.file(), "Rect", nullptr));
  EXPECT_TRUE(line.Arrow);
}

TEST(TwoPointShapes, PaintsInTheLineColourOnTheCanvas) {
  win::DibBitmap screen(200, 200);
  screen.fill(RGB(255, 255, 255));
  win::Canvas* canvas = screen.canvas();
  win::Region overlay(::CreateRectRgn(0, 0, 0, 0));
  auto line = MakeLikeExport<TScreenLine>(10, 20, 190, 20);
  line->SetLineColor(RGB(200, 0, 0));
  line->Paint(canvas, RECT{0, 0, 200, 200}, false, overlay.get());
  auto rect = MakeLikeExport<TScreenRectangle>(50, 60, 150, 160);
  rect->SetLineColor(RGB(0, 0, 200));
  rect->PolygonFilled = true;
  rect->Paint(canvas, RECT{0, 0, 200, 200}, false, overlay.get());
  auto ell = MakeLikeExport<TScreenEllipse>(20, 170, 60, 190);
  ell->SetLineColor(RGB(0, 150, 0));
  ell->Paint(canvas, RECT{0, 0, 200, 200}, false, overlay.get());
  ::GdiFlush();
  EXPECT_EQ(screen.pixel(100, 20), RGB(200, 0, 0));
  EXPECT_EQ(screen.pixel(100, 110), RGB(0, 0, 200));
  EXPECT_EQ(screen.pixel(100, 40), RGB(255, 255, 255));
  EXPECT_EQ(screen.pixel(40, 180), RGB(255, 255, 255));   // outline only
  EXPECT_TRUE(InRgn(overlay.get(), 100, 20));
  EXPECT_TRUE(InRgn(overlay.get(), 100, 110));
}
