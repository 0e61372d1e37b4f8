#include <gtest/gtest.h>
#include <vector>
#include "ShapeTestSupport.h"
#include "uScreenFreehand.h"

namespace {

struct Feed { int x, y; bool taken; };

void FeedAll(TScreenFreehand& f, const std::vector<Feed>& feed) {
  for (const auto& p : feed)
    EXPECT_EQ(f.AddPoint(p.x, p.y), p.taken) << p.x << "," << p.y << " after " << f.PointCount;
}

}  // namespace

TEST(FreehandShape, StartsEmpty) {
  TScreenFreehand f;
  EXPECT_EQ(f.Type, 6);
  EXPECT_EQ(f.Capacity, 100);
  EXPECT_EQ(f.PointCount, 0);
  EXPECT_EQ(f.PointSize, 4);
  EXPECT_EQ(f.GetMeasureText(), "l=0.0" SEP "A=0.00");
  TStringVector script;
  f.GetScriptCommand(script);
  EXPECT_EQ(Lines(script), "POLYLINE 0 0|");
}

TEST(FreehandShape, PointFilter) {
  {
    TScreenFreehand f;   // the first three points only need to be more than 4 px apart
    FeedAll(f, {{0, 0, true}, {3, 4, true}, {7, 4, false}, {8, 4, true}});
  }
  {
    TScreenFreehand f;   // straight on: skipped until more than 100 px beyond the last kept point
    FeedAll(f, {{0, 0, true}, {50, 0, true}, {100, 0, true}, {150, 0, false}, {200, 0, false},
                {201, 0, true}, {250, 0, false}});
    EXPECT_EQ(f.PointCount, 4);
    EXPECT_EQ(f.Points[3].ScreenX, 201);
  }
  {
    TScreenFreehand f;   // a turn of more than 5 degrees is always taken, a smaller one is not
    FeedAll(f, {{0, 0, true}, {50, 0, true}, {100, 0, true}, {110, 1, false}, {106, 1, true},
                {106, 8, true}});
  }
  {
    TScreenFreehand f;   // at most 100 points
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(f.AddPoint(i * 10, (i % 2) * 10));
    EXPECT_FALSE(f.AddPoint(5000, 5000));
    EXPECT_EQ(f.PointCount, 100);
  }
}

TEST(FreehandShape, MeasureTextScriptAndRegion) {
  TScreenFreehand f;
  FeedAll(f, {{0, 0, true}, {10, 0, true}, {10, 10, true}, {0, 10, true}});
  f.SetLineColor(255);
  EXPECT_EQ(f.GetMeasureText(), "l=30.0" SEP "A=100.00");
  TStringVector script;
  f.GetScriptCommand(script);
  EXPECT_EQ(Lines(script), "POLYLINE 4 0 0 10 0 10 10 0 10 255|");
  f.LineWidth = 4;
  f.ClickThrough = true;
  script.clear();
  f.GetScriptCommand(script);
  EXPECT_EQ(Lines(script),
            "POLYLINE 4 0 0 10 0 10 10 0 10 255|"
            "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 4 0 0|"
            "OPERATION OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH PREVIOUSCREATEDELEMENT TRUE 0 0|");

  // Open polyline: no segment from the last point back to the first.
  f.SetPointType(-1);
  HRGN rgn = PaintRegion(f);
  EXPECT_TRUE(InRgn(rgn, 5, 0));
  EXPECT_TRUE(InRgn(rgn, 10, 5));
  EXPECT_FALSE(InRgn(rgn, 0, 5));
  EXPECT_FALSE(InRgn(rgn, 5, 5));

  // Markers on every point except the one being edited (the last added).
  f.SetPointType(2);
  rgn = PaintRegion(f);
  EXPECT_TRUE(InRgn(rgn, 2, 2));      // square around point 1
  EXPECT_FALSE(InRgn(rgn, -2, 12));   // none at point 4
  f.EndDrag();
  rgn = PaintRegion(f);
  EXPECT_TRUE(InRgn(rgn, -2, 12));
}

TEST(FreehandShape, HitTestsAndDrag) {
  TScreenFreehand f;
  FeedAll(f, {{100, 100, true}, {200, 100, true}, {200, 200, true}});
  int32_t d = 1000;
  // The distance argument, not the tolerance, is the threshold.
  EXPECT_TRUE(f.IsOverObject(POINT{150, 110}, 5, d));
  EXPECT_EQ(d, 51);
  d = 10;
  EXPECT_FALSE(f.IsOverObject(POINT{150, 110}, 1000, d));
  d = 1000;
  EXPECT_FALSE(f.IsOverObject(POINT{50, 50}, 1000, d));   // outside Bounds
  POINT v{};
  EXPECT_TRUE(f.HitTestVertex(POINT{197, 196}, 20, d, v));
  EXPECT_EQ(d, 5);
  EXPECT_EQ(v.x, 200);
  EXPECT_EQ(v.y, 200);

  f.BeginDrag(0, 195, 102);   // nearest to point 2
  EXPECT_EQ(f.EditIndex, 2);
  f.DragTo(210, 90);
  EXPECT_EQ(f.Points[1].ScreenX, 210);
  EXPECT_EQ(f.Points[0].ScreenX, 100);
  f.EndDrag();
  f.BeginDrag(2, 100, 100);   // the whole polyline
  f.DragTo(110, 100);
  EXPECT_EQ(f.Points[2].ScreenX, 210);
}

TEST(FreehandShape, HintsCaptionsAndPrompts) {
  TScreenFreehand f;
  const std::string m = f.GetMeasureText();
  EXPECT_EQ(f.GetHint(1), "Right mouse button to delete polyline." SEP
                          "Left mouse button (keep pressed) to change position of point" SEP
                          "Left mouse button + <Ctrl> key (keep pressed) to change position of polyline" SEP + m);
  EXPECT_EQ(f.GetHint(0),
            "Click mit der rechten Maustaste um den Linienzug zu l\xF6schen." SEP
            "Click mit der linken Maustaste (gedr\xFC" "ckt halten) um die Position des Punktes zu ver\xE4ndern." SEP
            "Click mit der linken Maustaste + <STRG>-Taste(gedr\xFC" "ckt halten) um die Position des Linienzugs zu ver\xE4ndern." SEP + m);
  EXPECT_EQ(f.GetDeleteCaption(1), "delete polyline");
  EXPECT_EQ(f.GetDeleteCaption(0), "Linienzug l\xF6schen");
  EXPECT_EQ(f.GetCreatePrompt(1, 1), "Draw the polyline on the screen while the left mouse button is pressed." SEP
                                     "Right mouse button to cancel.");
  EXPECT_EQ(f.GetCreatePrompt(0, 2), "Zeichnen Sie bei gedr\xFC" "ckter linker Maustaste den Linienzug auf den Bildschirm." SEP
                                     "Abbruch mit der rechten Maustaste.");
  EXPECT_EQ(f.GetCreatePrompt(1, 3), "");
  f.ShowMouseHelp = false;
  EXPECT_EQ(f.GetCreatePrompt(1, 1), "");
  EXPECT_EQ(f.GetHint(1), m);
}
