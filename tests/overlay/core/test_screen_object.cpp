#include <gtest/gtest.h>
#include "FakeSaveTimer.h"
#include "RegionTestUtil.h"
#include "TempDir.h"
#include "TestShape.h"
#include "uInifileHandling.h"
#include "uQzPlaneTools.h"
#include "uScreenObject.h"
#include "win/DesktopMetrics.h"

namespace {
void AddPoints(TScreenObject& s, std::initializer_list<POINT> pts) {
  for (const auto& p : pts) s.AddPoint(p.x, p.y);
}
}  // namespace

TEST(ScreenObject, BoundsAndInBounds) {
  TTestShape s;
  EXPECT_TRUE(SameRect(s.Bounds, RECT{0, 0, -10, -10}));
  EXPECT_FALSE(s.InBounds(POINT{-5, -5}));
  AddPoints(s, {{100, 50}});
  EXPECT_TRUE(SameRect(s.Bounds, RECT{90, 40, 110, 60}));
  EXPECT_FALSE(s.InBounds(POINT{90, 50}));
  EXPECT_TRUE(s.InBounds(POINT{91, 50}));
  AddPoints(s, {{INT32_MAX, INT32_MIN}});   // saturates instead of wrapping
  EXPECT_EQ(s.Bounds.right, INT32_MAX);
  EXPECT_EQ(s.Bounds.top, INT32_MIN);
  EXPECT_EQ(s.Bounds.left, 90);
}

TEST(ScreenObject, CountsSizesAndRecords) {
  TTestShape s(3);
  struct Case { int32_t in, count; } counts[] = {{0, 1}, {-5, 1}, {2, 2}, {99, 3}};
  for (const auto& c : counts) {
    s.SetPointCount(c.in);
    EXPECT_EQ(s.PointCount, c.count) << c.in;
  }
  struct Size { int32_t in, size; } sizes[] = {{2, 4}, {99, 20}, {10, 10}, {-1, 4}};
  for (const auto& c : sizes) {
    s.SetPointSize(c.in);
    EXPECT_EQ(s.PointSize, c.size) << c.in;
  }
  EXPECT_EQ(s.GetPointRec(0), nullptr);
  EXPECT_EQ(s.GetPointRec(4), nullptr);
  ASSERT_NE(s.GetPointRec(3), nullptr);
  EXPECT_EQ(s.GetPointRec(3)->StoredX, 0);   // unset records are zero
  s.SetPoint(4, TPointRec{1, 2, 3, 4});        // outside: ignored
  s.SetPoint(0, TPointRec{1, 2, 3, 4});
  s.SetPoint(2, TPointRec{1, 2, 30, 40});      // UpdatePosition restores the stored pair
  EXPECT_EQ(s.GetPointRec(2)->ScreenX, 30);
  TTestShape empty(0);
  empty.SetPointCount(5);
  EXPECT_EQ(empty.PointCount, 0);   // never beyond the records that exist
  EXPECT_FALSE(empty.AddPoint(1, 1));
}

TEST(ScreenObject, ElementListAndFlags) {
  const size_t before = ScreenElementList().size();
  {
    TTestShape a, b;
    EXPECT_EQ(ScreenElementList().size(), before + 2);
    a.SetAbsolutPosition(true);
    a.SetAbsolutPosition(true);   // unchanged: no effect
    EXPECT_EQ(ScreenElementList().size(), before + 1);
    EXPECT_EQ(ScreenElementList().back(), &b);
    a.SetAbsolutPosition(false);
    EXPECT_EQ(ScreenElementList().back(), &a);
    EXPECT_FALSE(a.GetSpecialFlag());
    a.SetEnabledFlag(false);
    EXPECT_FALSE(a.EnabledFlag);
    EXPECT_TRUE(a.Visible);
    a.SetAutoShow(true);
    EXPECT_FALSE(a.Visible);
    a.SetAutoShow(false);
    EXPECT_FALSE(a.Visible);   // turning it off does not show the shape
  }
  EXPECT_EQ(ScreenElementList().size(), before);
}

TEST(ScreenObject, AddPointReplacesLastWhenFull) {
  TTestShape s(2);
  AddPoints(s, {{1, 1}, {2, 2}, {3, 3}});
  EXPECT_EQ(s.PointCount, 2);
  EXPECT_EQ(s.Points[1].ScreenX, 3);
  EXPECT_EQ(s.Points[1].StoredY, 3);
  EXPECT_EQ(s.Points[0].ScreenX, 1);
}

TEST(ScreenObject, DraggingPointsAndWholeShape) {
  TTestShape s(3);
  AddPoints(s, {{10, 10}, {20, 30}, {40, 5}});
  EXPECT_FALSE(s.BeginDrag(2, 20, 30));
  EXPECT_TRUE(s.Dragging);
  EXPECT_EQ(s.EditIndex, 3);
  s.EditIndex = 2;
  ASSERT_TRUE(s.DragTo(100, 100));
  const POINT expected[3] = {{90, 80}, {100, 100}, {120, 75}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(s.Points[i].ScreenX, expected[i].x);
    EXPECT_EQ(s.Points[i].ScreenY, expected[i].y);
    EXPECT_EQ(s.Points[i].StoredX, expected[i].x);
  }
  ASSERT_TRUE(s.DragTo(20, 30));   // measured from the backup, not the last position
  EXPECT_EQ(s.Points[0].ScreenX, 10);
  EXPECT_TRUE(SameRect(s.Bounds, RECT{0, -5, 50, 40}));
  s.DragMode = 7;
  EXPECT_FALSE(s.DragTo(0, 0));
  EXPECT_FALSE(s.EndDrag());
  EXPECT_FALSE(s.Dragging);
  EXPECT_EQ(s.EditIndex, 0);
  RECT before = s.Bounds;
  EXPECT_FALSE(s.DragTo(500, 500));   // no valid EditIndex: nothing changes
  EXPECT_TRUE(SameRect(s.Bounds, before));
  s.BeginDrag(0, 0, 0);
  s.EditIndex = 1;
  EXPECT_TRUE(s.DragTo(-7, 8));
  EXPECT_EQ(s.Points[0].StoredX, -7);
  EXPECT_EQ(s.Points[1].ScreenX, 20);
}

TEST(ScreenObject, MoveAndScaleRoundTiesToEven) {
  TTestShape s(2);
  AddPoints(s, {{5, 3}, {INT32_MAX, 0}});
  s.MoveBy(1.5, 2.5);
  EXPECT_EQ(s.Points[0].ScreenX, 7);
  EXPECT_EQ(s.Points[0].ScreenY, 5);
  EXPECT_EQ(s.Points[0].StoredX, 5);   // the stored pair stays
  EXPECT_EQ(s.Points[1].ScreenX, INT32_MAX);
  s.MoveBy(-2, -2);
  s.ScaleAbout(0, 0, 0.5);
  EXPECT_EQ(s.Points[0].ScreenX, 2);   // 2.5 -> 2
  EXPECT_EQ(s.Points[0].ScreenY, 2);   // 1.5 -> 2
  s.UpdatePosition();
  EXPECT_EQ(s.Points[0].ScreenX, 5);
}

TEST(ScreenObject, PaintBuildsOwnRegionAndAddsIt) {
  TTestShape s(2);
  AddPoints(s, {{20, 20}, {60, 20}});
  win::Region overlay = EmptyRgn();
  const RECT clip{0, 0, 100, 100};
  HRGN r = s.Paint(nullptr, clip, false, overlay.get());
  EXPECT_EQ(r, overlay.get());
  EXPECT_TRUE(InRgn(overlay.get(), 20, 20));
  EXPECT_TRUE(InRgn(overlay.get(), 60, 20));
  EXPECT_TRUE(s.HitTest(POINT{20, 20}));
  EXPECT_FALSE(s.HitTest(POINT{40, 20}));   // in bounds, not in the region
  int32_t distance = 0;
  EXPECT_TRUE(s.IsOverObject(POINT{40, 20}, 5, distance));
  s.SetVisible(false);
  win::Region second = EmptyRgn();
  s.Paint(nullptr, clip, false, second.get());
  EXPECT_TRUE(RgnEmpty(second.get()));
}

TEST(ScreenObject, Texts) {
  TTestShape s;
  EXPECT_EQ(s.GetHint(0), "l\xF6schen");
  EXPECT_EQ(s.GetHint(1), "delete");
  EXPECT_EQ(s.GetDeleteCaption(-1), "delete");
  s.UserHint = "see manual";
  EXPECT_EQ(s.GetHint(1), "delete\n\rsee manual");
  EXPECT_EQ(s.AppendUserHint(""), "see manual");
  EXPECT_EQ(s.GetCreatePrompt(0, 1), "");
  EXPECT_EQ(s.GetMeasureText(), "");
}

TEST(ScreenObject, PolygonArea) {
  const TPointRec sq[4] = {{0, 0, 0, 0}, {0, 0, 10, 0}, {0, 0, 10, 10}, {0, 0, 0, 10}};
  EXPECT_EQ(PolygonArea(4, sq), -100);
  const TPointRec rev[4] = {sq[3], sq[2], sq[1], sq[0]};
  EXPECT_EQ(PolygonArea(4, rev), 100);
  EXPECT_EQ(PolygonArea(0, nullptr), 0);
  const TPointRec tri[3] = {{0, 0, 0, 0}, {0, 0, 3, 0}, {0, 0, 0, 1}};
  EXPECT_EQ(PolygonArea(3, tri), -1);   // -1.5 truncated toward zero
  const TPointRec big[4] = {{0, 0, 0, 0}, {0, 0, 100000, 0}, {0, 0, 100000, 100000}, {0, 0, 0, 100000}};
  EXPECT_EQ(PolygonArea(4, big), INT32_MIN);   // -1e10 saturates, no wrap-around
}

TEST(ScreenObject, ScriptOptionLines) {
  TTestShape s;
  std::vector<std::string> lines;
  s.AppendScriptOptions(lines);
  EXPECT_TRUE(lines.empty());
  s.LineWidth = 3;
  s.AutoHide = true;
  s.TransparentFactor = 40;
  s.ClickThrough = true;
  s.AppendScriptOptions(lines);
  const std::vector<std::string> expected = {
      "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 3 0 0",
      "OPERATION OVERLAYELEMENT_OPERATION_SETAUTOHIDE PREVIOUSCREATEDELEMENT TRUE 0 0",
      "OPERATION OVERLAYELEMENT_OPERATION_SETTRANSPARENT PREVIOUSCREATEDELEMENT 40 0 0",
      "OPERATION OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH PREVIOUSCREATEDELEMENT TRUE 0 0"};
  EXPECT_EQ(lines, expected);
  std::vector<std::string> none;
  s.GetScriptCommand(none);
  EXPECT_TRUE(none.empty());
}

class MeasureTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitTwipsPerPixel();
    savedSep = MeasureDecimalSeparator();
  }
  void TearDown() override {
    SetMeasureDecimalSeparator(savedSep);
    MeasureUnit = 0;
    InitTwipsPerPixel();
  }
  win::FixedDesktopMetrics metrics;   // 96 pixels per inch: 15 twips per pixel
  win::ScopedDesktopMetrics use{metrics};
  char savedSep = '.';
};

TEST_F(MeasureTest, LengthAndAreaTexts) {
  struct Case { int unit; bool area; const char* label; double v; const char *english, *german; } cases[] = {
      {0, false, "dx", 123.456, "dx=123.5", "dx=123,5"},
      {0, false, "l", 12345.67, "l=12345.7", "l=12345,7"},
      {0, false, "d", 0.04, "d=0.0", "d=0,0"},
      {0, false, "d", -2.25, "d=-2.3", "d=-2,3"},          // half away from zero
      {0, true, "A", 1500, "A=1500.00", "A=1500,00"},
      {0, true, "A", 123456789, "A=1.2345679E08", "A=1,2345679E08"},
      {1, false, "d", 100, "d=2.65 cm", "d=2,65 cm"},      // 100 * 15 / 567
      {1, false, "d", 1000, "d=26.46 cm", "d=26,46 cm"},
      {1, false, "d", 10000, "d=264.55 cm", "d=264,55 cm"},
      {2, false, "d", 96, "d=1.00''", "d=1,00''"},
      {3, false, "d", 2, "d=2 pt", "d=2 pt"},              // 1.5 -> 2
      {3, false, "d", 10, "d=8 pt", "d=8 pt"},             // 7.5 -> 8
      {4, false, "d", 100, "d=1500 tw", "d=1500 tw"},
      {1, true, "A", 10000, "A=7.00 cm^2", "A=7,00 cm^2"},
      {2, true, "A", 9216, "A=1.00''^2", "A=1,00''^2"},
      {3, true, "A", 4, "A=2 pt^2", "A=2 pt^2"},           // 2.25
      {4, true, "A", 2, "A=450 tw^2", "A=450 tw^2"},
      {7, false, "d", 1, "", ""},
      {-1, true, "A", 1, "", ""}};
  for (char sep : {'.', ','}) {
    SetMeasureDecimalSeparator(sep);
    for (const auto& c : cases) {
      std::string got = c.area ? FormatMeasureArea(c.label, c.unit, c.v) : FormatMeasureValue(c.label, c.unit, c.v);
      EXPECT_EQ(got, sep == '.' ? c.english : c.german) << c.unit << " " << c.v;
    }
  }
  SetMeasureDecimalSeparator('.');
  TTestShape s;
  MeasureUnit = 4;
  EXPECT_EQ(s.FormatLength("l", 2), "l=30 tw");
  EXPECT_EQ(s.FormatArea("A", 1), "A=225 tw^2");
}

TEST_F(MeasureTest, FixedFormatting) {
  struct Case { double v; int p, d; const char* text; } cases[] = {
      {0.125, 3, 2, "0.13"},  {2.5, 2, 0, "3"},      {9.996, 3, 2, "10.00"}, {9.995, 3, 2, "9.99"}, {0, 4, 1, "0.0"},
      // 9.995 is stored as 9.99499...: the exact value decides.
      {-0.004, 4, 2, "0.00"}, {1e20, 15, 1, "1E20"}, {99999.5, 4, 1, "1E5"}, {1.5, 4, 3, "1.500"},
      {123.456, 4, 2, "123.50"}};
  for (const auto& c : cases) EXPECT_EQ(FormatFixed(c.v, c.p, c.d, '.'), c.text) << c.v;
}

class ShapeIniTest : public ::testing::Test {
protected:
  void TearDown() override { CloseBufferedIniFiles(); }
  FakeTimers timers;
  TempDir dir;
  win::FixedDesktopMetrics metrics;
  win::ScopedDesktopMetrics use{metrics};
};

TEST_F(ShapeIniTest, SaveWritesEveryKeyInOrder) {
  metrics.width = 1600;
  const std::string ini = dir.file("shapes.ini");
  TTestShape s(2);
  AddPoints(s, {{800, 400}, {0, 1600}});
  s.SetPointColor(255);
  s.UserHint = "two\n\rlines";
  s.SaveToIni(ini, "Obj1", nullptr);
  GetBufferedIniFile(ini).Save();
  std::string data;
  ASSERT_TRUE(ReadFileBytes(ini, data));
  EXPECT_EQ(data,
            "[Obj1]\r\nType=1\r\nAbsolutPosition=0\r\nPointType=2\r\nPointColor=255\r\nPointSize=8\r\n"
            "LineWidth=1\r\nPolygonFilled=0\r\nLineColor=0\r\nAutoHide=0\r\nAutoShow=0\r\n"
            "TransparentFactor=0\r\nClickThrough=0\r\nUserHint=\\:two\\x0A\\x0Dlines\r\nShellExApp=\r\n"
            "PointCount=2\r\nRelativePosition=1\r\nPointX.1=50000\r\nPointY.1=25000\r\n"
            "PointX.2=0\r\nPointY.2=100000\r\n");
  metrics.width = 1024;
  TTestShape back(2);
  ASSERT_TRUE(back.LoadFromIni(ini, "Obj1", nullptr));
  EXPECT_EQ(back.PointCount, 2);
  EXPECT_EQ(back.Points[0].ScreenX, 512);
  EXPECT_EQ(back.Points[0].ScreenY, 256);
  EXPECT_EQ(back.Points[1].StoredY, 1024);
  EXPECT_EQ(back.PointColor, 255u);
  EXPECT_EQ(back.UserHint, "two\n\rlines");
  EXPECT_TRUE(SameRect(back.Bounds, RECT{-10, 246, 522, 1034}));
}

TEST_F(ShapeIniTest, LoadRefusesOtherTypesAndBadNumbers) {
  const std::string ini = dir.file("bad.ini");
  IniFileWriteString(ini, "Text", "Type", "9");
  IniFileWriteString(ini, "Text", "PointColor", "77");
  IniFileWriteString(ini, "Bad", "Type", "one");
  IniFileWriteString(ini, "Bad", "PointColor", "77");
  for (const char* section : {"Text", "Bad"}) {
    TTestShape s;
    s.SetPointColor(5);
    EXPECT_FALSE(s.LoadFromIni(ini, section, nullptr)) << section;
    EXPECT_EQ(s.PointColor, 5u);
  }
  TTestShape s;
  EXPECT_FALSE(s.LoadFromIni(ini, "Missing", nullptr));   // Type defaults to 0, the shape is 1
}

TEST_F(ShapeIniTest, AbsoluteAndObjectRelativePositions) {
  const std::string ini = dir.file("rel.ini");
  TTestShape anchor(1);
  anchor.RelativePosition = false;
  AddPoints(anchor, {{300, 200}});
  anchor.SaveToIni(ini, "Anchor", nullptr);
  EXPECT_EQ(ReadIniString(ini, "Anchor", "RelativePosition", "absent"), "absent");
  IniFileWriteString(ini, "Child", "Type", "1");
  IniFileWriteString(ini, "Child", "PointCount", "1");
  IniFileWriteString(ini, "Child", "RelativePositionToObject", "1");
  IniFileWriteString(ini, "Child", "ObjectRelativeTo", "Anchor");
  IniFileWriteString(ini, "Child", "PointX.1", "5");
  IniFileWriteString(ini, "Child", "PointY.1", "-7");
  TTestShape child(1);
  ASSERT_TRUE(child.LoadFromIni(ini, "Child", nullptr));
  EXPECT_EQ(child.Points[0].ScreenX, 305);
  EXPECT_EQ(child.Points[0].ScreenY, 193);
  EXPECT_FALSE(child.RelativePosition);
}

TEST_F(ShapeIniTest, ProgramFilesGoToTheFileList) {
  const std::string ini = dir.file("files.ini");
  const std::string prog = dir.file("tool.exe");
  WriteFileBytes(prog, "MZ");
  struct Case { std::string app, stored; std::vector<std::string> list; } cases[] = {
      {prog, "tool.exe", {prog}},
      {dir.file("missing.exe"), dir.file("missing.exe"), {}},
      {"<PLUGIN:=Notes>", "<PLUGIN:=Notes>", {"Notes"}},
      {"", "", {}}};
  int n = 0;
  for (const auto& c : cases) {
    TTestShape s(1);
    AddPoints(s, {{1, 1}});
    s.ShellExApp = c.app;
    std::vector<std::string> list;
    std::string section = "S" + std::to_string(n++);
    s.SaveToIni(ini, section, &list);
    EXPECT_EQ(ReadIniString(ini, section, "ShellExApp", "?"), c.stored) << c.app;
    EXPECT_EQ(list, c.list) << c.app;
  }
  TTestShape s(1);
  s.ShellExApp = prog;
  s.SaveToIni(ini, "NoList", nullptr);
  EXPECT_EQ(ReadIniString(ini, "NoList", "ShellExApp", "?"), prog);
}
