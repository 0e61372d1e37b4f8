#include <gtest/gtest.h>
#include <memory>
#include "ShapeTestSupport.h"
#include "uScreenImage.h"
#include "uScreenObjectForm.h"
#include "uScreenSinglePoint.h"
#include "uScreenText.h"
#include "uShapeScript.h"

namespace {

// A picture of w x h in one colour, optionally with a transparent frame.
std::unique_ptr<win::DibBitmap> Picture(int w, int h, COLORREF fill, COLORREF frame = CLR_INVALID) {
  auto p = std::make_unique<win::DibBitmap>(w, h);
  win::DibBitmap& b = *p;
  b.fill(fill);
  if (frame != CLR_INVALID)
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; ++y)
        if (x == 0 || y == 0 || x == w - 1 || y == h - 1) b.setPixel(x, y, frame);
  return p;
}


std::unique_ptr<TScreenImage> Image(int w, int h, int x, int y) {
  auto img = std::make_unique<TScreenImage>();
  img->SetBitmap(*Picture(w, h, RGB(0, 0, 255)));
  img->AddPoint(x, y);
  return img;
}

}  // namespace

TEST(PointShape, MarkerRegionHitsAndTexts) {
  TScreenSinglePoint p;
  EXPECT_EQ(p.Type, 1);
  EXPECT_EQ(p.PointSize, 8);
  p.AddPoint(100, 50);
  p.SetPointType(1);   // filled circle, radius 4
  p.SetPointColor(255);
  HRGN rgn = PaintRegion(p);
  EXPECT_TRUE(InRgn(rgn, 100, 50));
  EXPECT_TRUE(InRgn(rgn, 103, 50));
  EXPECT_FALSE(InRgn(rgn, 110, 50));
  EXPECT_TRUE(SameRect(p.Bounds, RECT{90, 40, 110, 60}));
  EXPECT_TRUE(p.HitTest(POINT{101, 51}));
  EXPECT_FALSE(p.HitTest(POINT{90, 50}));

  int32_t d = 0;
  EXPECT_TRUE(p.IsOverObject(POINT{103, 54}, 6, d));   // 5 px away
  EXPECT_EQ(d, 5);
  EXPECT_FALSE(p.IsOverObject(POINT{103, 54}, 5, d));  // tolerance must exceed it
  POINT v{};
  EXPECT_TRUE(p.HitTestVertex(POINT{104, 54}, 10, d, v));   // 5.66 truncated
  EXPECT_EQ(d, 5);
  EXPECT_EQ(v.x, 100);

  // The measure text shows the stored pair, the script line the screen pair.
  p.MoveBy(20, -5);
  EXPECT_EQ(p.GetMeasureText(), "(100/50)");
  TStringVector script;
  p.GetScriptCommand(script);
  EXPECT_EQ(Lines(script), "POINT 120 45 1 255|");
  p.LineWidth = 2;
  p.AutoHide = true;
  script.clear();
  p.GetScriptCommand(script);
  EXPECT_EQ(Lines(script),
            "POINT 120 45 1 255|"
            "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 2 0 0|"
            "OPERATION OVERLAYELEMENT_OPERATION_SETAUTOHIDE PREVIOUSCREATEDELEMENT TRUE 0 0|");
}

TEST(PointShape, HintsCaptionsAndPrompts) {
  TScreenSinglePoint p;
  p.AddPoint(120, 45);
  EXPECT_EQ(p.GetHint(1), "Right mouse button to delete point." SEP
                          "Left mouse button (keep pressed) to change position" SEP "(120/45)");
  EXPECT_EQ(p.GetHint(0), "Click mit der rechten Maustaste um den Punkt zu l\xF6schen." SEP
                          "Click mit der linken Maustaste (gedr\xFC" "ckt halten) um die Position zu ver\xE4ndern." SEP
                          "(120/45)");
  EXPECT_EQ(p.GetDeleteCaption(0), "Punkt l\xF6schen");
  EXPECT_EQ(p.GetDeleteCaption(7), "delete point");
  EXPECT_EQ(p.GetCreatePrompt(1, 2), "Click on the position, where you want to place your point." SEP
                                     "Right mouse button to cancel.");
  EXPECT_EQ(p.GetCreatePrompt(0, 1), "Klicken Sie auf die Stelle, an die Sie den Punkt setzen wollen." SEP
                                     "Abbruch mit der rechten Maustaste.");
  EXPECT_EQ(p.GetCreatePrompt(1, 0), "");
  EXPECT_EQ(p.GetCreatePrompt(1, 3), "");
  p.ShowMouseHelp = false;
  p.UserHint = "note";
  EXPECT_EQ(p.GetHint(1), "(120/45)" SEP "note");
}

TEST(ImageShape, AlignmentKeepsThePictureInPlace) {
  struct Case { uint8_t from, to; int x; int expect; } cases[] = {
      {0, 2, 500, 600},   // 101 px wide: 500 + 50 + 50
      {2, 0, 600, 500},
      {0, 1, 500, 550},
      {1, 1, 500, 500},
  };
  for (const auto& c : cases) {
    auto img = std::make_unique<TScreenImage>();
    img->SetHorzAlign(c.from);
    img->SetBitmap(*Picture(101, 11, RGB(0, 0, 255)));
    img->AddPoint(c.x, 300);
    const POINT before = img->PictureOrigin();
    img->SetHorzAlign(c.to);
    EXPECT_EQ(img->Points[0].ScreenX, c.expect) << int(c.from) << "->" << int(c.to);
    EXPECT_EQ(img->PictureOrigin().x, before.x);
  }
  // Without a picture only the value is stored.
  TScreenImage empty;
  empty.AddPoint(10, 10);
  empty.SetVertAlign(2);
  EXPECT_EQ(empty.Points[0].ScreenY, 10);
  EXPECT_EQ(empty.VertAlign, 2);
}

TEST(ImageShape, AnchorsAreClampedToTheDesktop) {
  TestDesktop desk(1024, 768);
  struct Case { uint8_t align; int x, expect; } cases[] = {
      {1, -80, -50}, {1, 1100, 1074}, {1, 500, 500},   // centred: may lie outside, touching
      {0, -5, 0},    {0, 1000, 924},                     // left edge anchored: stays on
      {2, 30, 100},  {2, 2000, 1024},                    // right edge anchored
      // At the ends of the 32-bit range nothing wraps around to the other side.
      {1, 2147483600, 1074}, {1, INT32_MIN, -50}, {0, INT32_MAX, 924}, {0, INT32_MIN, 0},
      {2, INT32_MAX, 1024},  {2, INT32_MIN + 10, 100},
  };
  for (const auto& c : cases) {
    TScreenImage img;
    img.SetHorzAlign(c.align);
    img.SetBitmap(*Picture(100, 20, RGB(0, 0, 255)));
    int32_t x = c.x, y = 100;
    img.ClampToDesktop(x, y);
    EXPECT_EQ(x, c.expect) << int(c.align) << " " << c.x;
    EXPECT_EQ(y, 100);
  }
  // AddPoint and drags clamp; the grab offset is kept during a drag.
  auto img = Image(100, 20, 2000, 9000);
  EXPECT_EQ(img->Points[0].ScreenX, 1074);
  EXPECT_EQ(img->Points[0].ScreenY, 778);
  auto moving = Image(100, 20, 500, 300);
  moving->BeginDrag(1, 510, 305);
  moving->DragTo(610, 405);
  EXPECT_EQ(moving->Points[0].ScreenX, 600);
  EXPECT_EQ(moving->Points[0].ScreenY, 400);
  moving->DragTo(-500, 405);
  EXPECT_EQ(moving->Points[0].ScreenX, -50);
  moving->EndDrag();
  EXPECT_EQ(moving->DragOffsetX, 0);
  // A grab far from the picture and a drag to the end of the range stay in range.
  moving->BeginDrag(1, INT32_MIN, INT32_MIN);
  moving->DragTo(INT32_MAX, INT32_MAX);
  EXPECT_EQ(moving->Points[0].ScreenX, 1074);
  EXPECT_EQ(moving->Points[0].ScreenY, 778);
  EXPECT_LT(moving->Bounds.left, moving->Bounds.right);
}

TEST(ImageShape, RegionFollowsTheOpaquePixels) {
  auto img = std::make_unique<TScreenImage>();
  img->SetBitmap(*Picture(10, 8, RGB(0, 0, 255), RGB(255, 0, 255)));
  img->AddPoint(100, 100);   // centred: picture at (95, 96)
  EXPECT_TRUE(SameRect(img->Bounds, RECT{85, 86, 115, 114}));
  HRGN rgn = PaintRegion(*img);
  EXPECT_TRUE(SameRect(RgnBox(rgn), RECT{96, 97, 104, 103}));
  EXPECT_FALSE(InRgn(rgn, 95, 96));   // the magenta frame is not part of it
  EXPECT_TRUE(img->HitTest(POINT{100, 100}));
  EXPECT_FALSE(img->HitTest(POINT{95, 100}));
  int32_t d = 99;
  EXPECT_TRUE(img->IsOverObject(POINT{97, 98}, 1, d));
  EXPECT_EQ(d, 0);

  // While dragged with its colour key set, the region is the whole rectangle.
  img->SetTransparentColor(RGB(255, 0, 255));
  img->BeginDrag(1, 100, 100);
  rgn = PaintRegion(*img);
  EXPECT_TRUE(SameRect(RgnBox(rgn), RECT{95, 96, 105, 104}));
  img->EndDrag();
  rgn = PaintRegion(*img);
  EXPECT_TRUE(SameRect(RgnBox(rgn), RECT{96, 97, 104, 103}));

  // Moves that do not drop the cache still move the region with the picture.
  img->ScaleAbout(0, 0, 2.0);   // anchor to (200, 200): picture at (195, 196)
  EXPECT_TRUE(SameRect(RgnBox(PaintRegion(*img)), RECT{196, 197, 204, 203}));
  TPointRec at{};
  at.ScreenX = at.StoredX = 50;
  at.ScreenY = at.StoredY = 60;
  img->SetPoint(1, at);
  EXPECT_TRUE(SameRect(RgnBox(PaintRegion(*img)), RECT{46, 57, 54, 63}));
  EXPECT_TRUE(img->HitTest(POINT{50, 60}));

  // A picture wholly of the transparent colour is drawn but never hit.
  auto ghost = std::make_unique<TScreenImage>();
  ghost->SetBitmap(*Picture(6, 6, RGB(255, 0, 255)));
  ghost->AddPoint(50, 50);
  EXPECT_TRUE(RgnEmpty(PaintRegion(*ghost)));
  EXPECT_FALSE(ghost->HitTest(POINT{50, 50}));
}

TEST(ImageShape, PaintsTransparentlyOntoTheCanvas) {
  win::DibBitmap screen(60, 60);
  screen.fill(RGB(0, 128, 0));
  auto img = std::make_unique<TScreenImage>();
  img->SetBitmap(*Picture(10, 10, RGB(0, 0, 255), RGB(255, 0, 255)));
  img->AddPoint(30, 30);
  win::Region overlay(::CreateRectRgn(0, 0, 0, 0));
  win::Canvas* canvas = screen.canvas();
  HRGN out = img->Paint(canvas, RECT{0, 0, 60, 60}, false, overlay.get());
  ::GdiFlush();
  EXPECT_EQ(out, overlay.get());
  EXPECT_TRUE(InRgn(overlay.get(), 30, 30));
  EXPECT_EQ(screen.pixel(30, 30), RGB(0, 0, 255));
  EXPECT_EQ(screen.pixel(25, 25), RGB(0, 128, 0));   // transparent frame pixel
  EXPECT_EQ(screen.pixel(10, 10), RGB(0, 128, 0));
}

TEST(TextShape, RendersCaptionIntoItsPicture) {
  TScreenText t;
  EXPECT_EQ(t.Type, 9);
  EXPECT_FALSE(t.Bitmap);   // nothing rendered before caption or font are set
  EXPECT_EQ(t.Font.name, "Arial");
  EXPECT_EQ(t.Font.size, 16);
  EXPECT_TRUE(t.Font.bold);
  t.AddPoint(200, 100);
  t.SetCaption("Hello");
  ASSERT_TRUE(t.Bitmap);
  EXPECT_GT(t.Bitmap->width(), 30);
  EXPECT_GT(t.Bitmap->height(), 10);
  EXPECT_TRUE(t.UseTransparentColor);
  EXPECT_EQ(t.TransparentColor, RGB(255, 0, 255));
  HRGN rgn = PaintRegion(t);
  EXPECT_FALSE(RgnEmpty(rgn));
  EXPECT_FALSE(InRgn(rgn, t.PictureOrigin().x, t.PictureOrigin().y));   // background corner

  // Only the three palette colours occur in the picture.
  int ink = 0;
  for (int y = 0; y < t.Bitmap->height(); ++y)
    for (int x = 0; x < t.Bitmap->width(); ++x) {
      COLORREF c = t.Bitmap->pixel(x, y);
      EXPECT_TRUE(c == RGB(0, 0, 0) || c == RGB(255, 0, 255) || c == RGB(255, 255, 255));
      ink += c == RGB(0, 0, 0);
    }
  EXPECT_GT(ink, 20);

  // Letters in the transparent colour itself are rendered on RGB(250,0,250).
  win::Font magenta = t.Font;
  magenta.color = RGB(255, 0, 255);
  t.SetFont(magenta);
  EXPECT_EQ(t.TransparentColor, RGB(250, 0, 250));
  EXPECT_FALSE(RgnEmpty(PaintRegion(t)));
}

TEST(TextShape, OversizedTextKeepsThePreviousPicture) {
  TScreenText t;
  t.SetCaption("WWWWWWWWWWWWWWWWWWWW");
  const int width = t.Bitmap->width();
  win::Font giant = t.Font;
  giant.size = 2000;
  EXPECT_THROW(t.SetFont(giant), EPictureError);
  ASSERT_TRUE(t.Bitmap);
  EXPECT_EQ(t.Bitmap->width(), width);
}

TEST(TextShape, FrameTypesAddTheFrameColour) {
  struct Case { uint8_t type; bool frameInk; bool fullBox; } cases[] = {
      {0, false, false}, {1, true, false}, {2, true, false}, {3, true, true}};
  for (const auto& c : cases) {
    TScreenText t;
    t.TextType = c.type;
    t.FontFrameColor = RGB(255, 255, 0);
    t.SetCaption("Wg");
    int frame = 0, background = 0;
    for (int y = 0; y < t.Bitmap->height(); ++y)
      for (int x = 0; x < t.Bitmap->width(); ++x) {
        frame += t.Bitmap->pixel(x, y) == RGB(255, 255, 0);
        background += t.Bitmap->pixel(x, y) == t.TransparentColor;
      }
    EXPECT_EQ(frame > 0, c.frameInk) << int(c.type);
    EXPECT_EQ(background == 0, c.fullBox) << int(c.type);
  }
}

TEST(TextShape, HintsCaptionsAndPrompts) {
  TScreenText t;
  EXPECT_EQ(t.GetHint(1), "Right mouse button to delete the text." SEP
                          "Left mouse button (keep pressed) to change position");
  EXPECT_EQ(t.GetHint(0), "Click mit der rechten Maustaste um den Text zu l\xF6schen." SEP
                          "Click mit der linken Maustaste (gedr\xFC" "ckt halten) um die Position zu ver\xE4ndern.");
  EXPECT_EQ(t.GetDeleteCaption(0), "Text l\xF6schen");
  EXPECT_EQ(t.GetDeleteCaption(1), "delete text");
  EXPECT_EQ(t.GetCreatePrompt(1, 1), "Click on the position, where you want to place your text." SEP
                                     "Right mouse button to cancel.");
  EXPECT_EQ(t.GetCreatePrompt(0, 2), "Klicken Sie auf die Stelle, an die Sie den Text setzen wollen." SEP
                                     "Abbruch mit der rechten Maustaste.");
  EXPECT_EQ(t.GetCreatePrompt(0, 3), "");
  EXPECT_EQ(t.GetMeasureText(), "");
  t.ShowMouseHelp = false;
  t.UserHint = "only this";
  EXPECT_EQ(t.GetHint(1), "only this");
}

TEST(TextShape, ScriptLineAndStringsItCannotCarry) {
  TScreenText t;
  t.AddPoint(10, 20);
  t.SetCaption("Hello");
  TStringVector script;
  t.GetScriptCommand(script);
  EXPECT_EQ(Lines(script), "TEXT 10 20 ''Hello'' ''Arial'' 16 TRUE FALSE 0|");

  win::Font f;
  f.name = "Courier New";
  f.size = 9;
  f.italic = true;
  f.color = RGB(1, 2, 3);
  t.SetFont(f);
  t.SetCaption("it's 'quoted' here");   // single apostrophes are ordinary characters
  t.TransparentFactor = 25;
  script.clear();
  t.GetScriptCommand(script);
  EXPECT_EQ(Lines(script),
            "TEXT 10 20 ''it's 'quoted' here'' ''Courier New'' 9 FALSE TRUE 197121|"
            "OPERATION OVERLAYELEMENT_OPERATION_SETTRANSPARENT PREVIOUSCREATEDELEMENT 25 0 0|");
}

TEST(ShapeScript, StringsTheScriptReadsBackUnchanged) {
  struct Case { const char* text; bool carried; } cases[] = {
      {"", true},           {"plain text", true}, {"'lead", true},  {"in'side", true},
      {"Klaus'", false},    {"a''b", false},      {"two\r\nlines", false},
      {"line\nfeed", false}, {"CR\r", false},
      {"TRUE colour", false}, {"x SCREENWIDTH", false}, {"true and False", true},   // constants are case-sensitive
  };
  for (const auto& c : cases) EXPECT_EQ(ScriptCarriesString(c.text), c.carried) << c.text;

  // A caption with a line break would put a second, unrelated line into the
  // script (here one that clears everything): no line is written at all.
  TScreenText t;
  t.AddPoint(1, 1);
  for (const char* caption : {"x\r\nCLEAR", "a''b", "Klaus'"}) {
    t.SetCaption(caption);
    TStringVector script;
    t.GetScriptCommand(script);
    EXPECT_TRUE(script.empty()) << caption;
  }
}

TEST(TextShape, IniRoundTrip) {
  TestDesktop desk(1000, 800);
  TestIni ini;
  TScreenText t;
  t.AddPoint(100, 200);
  t.TextType = 2;
  t.FontFrameColor = RGB(9, 9, 9);
  win::Font f = t.Font;
  f.name = "Courier New";
  f.size = 11;
  f.color = RGB(0, 0, 200);
  t.SetFont(f);
  t.SetCaption("two\r\nlines");
  t.SaveToIni(ini.file(), "Text", nullptr);

  TScreenText back;
  ASSERT_TRUE(back.LoadFromIni(ini.file(), "Text", nullptr));
  EXPECT_EQ(back.Caption, "two\r\nlines");
  EXPECT_EQ(back.Font.name, "Courier New");
  EXPECT_EQ(back.Font.size, 11);
  EXPECT_EQ(back.Font.color, RGB(0, 0, 200));
  EXPECT_EQ(back.FontFrameColor, RGB(9, 9, 9));
  EXPECT_EQ(back.TextType, 2);
  EXPECT_EQ(back.Points[0].ScreenX, 100);
  ASSERT_TRUE(back.Bitmap);
  EXPECT_EQ(back.Bitmap->width(), t.Bitmap->width());

  // An unknown text type keeps the current one.
  WriteIniInteger(ini.file(), "Text", "TextType", 7);
  TScreenText keep;
  keep.TextType = 1;
  keep.LoadFromIni(ini.file(), "Text", nullptr);
  EXPECT_EQ(keep.TextType, 1);

  // A point section is not a text.
  TScreenSinglePoint p;
  p.AddPoint(5, 5);
  p.SaveToIni(ini.file(), "Point", nullptr);
  TScreenText other;
  EXPECT_FALSE(other.LoadFromIni(ini.file(), "Point", nullptr));
}

// With its own window the shape's region is shifted into window coordinates
// at every paint; the picture's cached region must not drift with it.
TEST(ImageShape, OwnWindowKeepsItsRegionAcrossPaints) {
  TestDesktop desk(1024, 768);
  auto img = std::make_unique<TScreenImage>();
  img->SetBitmap(*Picture(10, 8, RGB(0, 0, 255), RGB(255, 0, 255)));
  img->AddPoint(100, 100);   // picture at (95, 96), Bounds (85, 86, 115, 114)
  img->SetTransparentFactor(50);
  ASSERT_TRUE(img->HasOwnWindow);
  ASSERT_TRUE(img->OwnForm);
  ASSERT_TRUE(img->OwnForm->Image);
  for (int paint = 0; paint < 3; ++paint) {
    win::Region overlay(::CreateRectRgn(0, 0, 0, 0));
    win::Canvas* none = nullptr;
    img->Paint(none, RECT{0, 0, 1024, 768}, false, overlay.get());
    EXPECT_TRUE(RgnEmpty(overlay.get()));   // the overlay window gets nothing of it
    EXPECT_TRUE(SameRect(RgnBox(img->OwnForm->Region.get()), RECT{21, 21, 29, 27})) << paint;
  }
  const RECT wr = img->OwnForm->WindowRect();
  EXPECT_EQ(wr.left, 75);
  EXPECT_EQ(wr.top, 76);
  EXPECT_EQ(img->OwnForm->Image->pixel(22, 22), RGB(0, 0, 255));   // drawn 20 px in
}

TEST(PointShape, OwnWindowTakesThePointColour) {
  TScreenSinglePoint p;
  p.AddPoint(10, 10);
  p.SetLineColor(RGB(1, 1, 1));
  p.SetPointColor(RGB(200, 0, 0));
  p.SetClickThrough(true);
  ASSERT_TRUE(p.OwnForm);
  EXPECT_EQ(p.OwnForm->GetColor(), RGB(200, 0, 0));
  EXPECT_FALSE(p.OwnForm->Image);   // a marker shows the window colour through its region
}
