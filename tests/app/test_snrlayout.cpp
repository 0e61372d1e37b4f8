// Layout arithmetic, minimum size, option coupling and line-break marks.
#include "model/uSnRLayout.h"
#include <gtest/gtest.h>

namespace {
TSnRLayoutInput designAt(int taskWidth, int taskHeight) {
  TSnRLayoutInput in;
  in.TaskWidth = taskWidth;
  in.TaskHeight = taskHeight;
  in.BackupWidth = taskWidth;
  in.BackupHeight = taskHeight;
  in.StringGroupHeight = 150;
  in.SnRButtonWidth = 250;
  in.SnRButtonHeight = 25;
  in.DeleteButtonWidth = 200;
  in.DeleteButtonTop = 4;
  in.DeleteButtonHeight = 25;
  in.MaskWidth = 240;
  in.SelectDirWidth = 23;
  in.PathLeft = 8;
  in.WarrantyTop = 80;
  in.FileListTop = 80;
  in.FromLinebreaksWidth = 17;
  in.ToLinebreaksWidth = 17;
  in.FromFrameLeft = 0;
  return in;
}
}  // namespace

TEST(SnRLayout, MinimumSize) {
  struct { int w, h, ew, eh; } cases[] = {
      {100, 100, 677, 502}, {676, 501, 677, 502}, {677, 502, 677, 502}, {900, 300, 900, 502}, {500, 800, 677, 800}};
  for (auto c : cases) {
    int w = c.w, h = c.h;
    ClampSnRSize(w, h);
    EXPECT_EQ(w, c.ew);
    EXPECT_EQ(h, c.eh);
  }
}

TEST(SnRLayout, PlacesEveryMovedControl) {
  const TSnRLayout o = ComputeSnRLayout(designAt(676, 495));
  EXPECT_EQ(o.FileGroupWidth, 676);
  EXPECT_EQ(o.StringGroupWidth, 676);
  EXPECT_EQ(o.SnRButtonLeft, 676 - 250 - 1);
  EXPECT_EQ(o.SnRButtonTop, 495 - 25 - 5);
  EXPECT_EQ(o.StringGroupTop, 495 - 150 - 25 - 10);
  EXPECT_EQ(o.DeleteButtonLeft, 676 - 200 - 1);
  EXPECT_EQ(o.BackupListWidth, 676);
  EXPECT_EQ(o.BackupListTop, 34);
  EXPECT_EQ(o.BackupListHeight, 495 - 34 - 2);
  EXPECT_EQ(o.MaskLeft, 676 - 240 - 4);
  EXPECT_EQ(o.SelectDirLeft, o.MaskLeft - 23 - 20);
  EXPECT_EQ(o.PathWidth, o.SelectDirLeft - 8 - 4);
  EXPECT_EQ(o.FileGroupHeight, o.StringGroupTop - 3);
  EXPECT_EQ(o.WarrantyHeight, o.FileGroupHeight - 80 - 4);
  EXPECT_EQ(o.FileListWidth, 670);
  EXPECT_EQ(o.WarrantyWidth, 670);
  EXPECT_EQ(o.MemoFromLeft, 0);
  EXPECT_EQ(o.MemoFromWidth, 328 - 17);
  EXPECT_EQ(o.FromLinebreaksLeft, 311);
  EXPECT_EQ(o.MemoToLeft, 334);
  EXPECT_EQ(o.NewLabelLeft, 334);
  EXPECT_EQ(o.ToLinebreaksLeft, 334 + 311);
  EXPECT_EQ(o.FrameWidth, 331);
  EXPECT_EQ(o.ToFrameLeft, 332);
}

TEST(SnRLayout, OddWidthSplitsTowardZero) {
  // G.Width - 20 odd: each memo with its column takes (G.Width - 21) / 2.
  const TSnRLayout o = ComputeSnRLayout(designAt(701, 495));
  EXPECT_EQ(o.MemoFromWidth + 17, (701 - 21) / 2);
  EXPECT_EQ(o.MemoToWidth + 17, (701 - 21) / 2);
  EXPECT_EQ(o.FrameWidth, (701 - 14) / 2);
}

TEST(SnRLayout, OptionCouplingTable) {
  using B = TMatchBox;
  struct Case {
    TMatchBoxes before;   // with the clicked box already in its new state
    B clicked;
    TMatchBoxes after;
  } cases[] = {
      // regular expression checked on the multi-line page clears both case boxes
      {{true, true, false, true}, B::RegMulti, {false, false, true, true}},
      {{true, true, true, false}, B::RegSingle, {false, false, true, true}},
      // case checked clears both regular-expression boxes
      {{true, false, true, true}, B::CaseSingle, {true, true, false, false}},
      {{false, true, true, true}, B::CaseMulti, {true, true, false, false}},
      // unchecking only mirrors: ignore case
      {{false, true, false, false}, B::CaseSingle, {false, false, false, false}},
      {{false, false, true, false}, B::RegMulti, {false, false, false, false}},
  };
  for (const Case& c : cases) EXPECT_TRUE(CoupleMatchBoxes(c.before, c.clicked) == c.after);
}

TEST(SnRLayout, LineBreakMarks) {
  EXPECT_EQ(LineBreakMarkCount(3, 0), 2);   // three lines at the top: two marks
  EXPECT_EQ(LineBreakMarkCount(3, 1), 1);   // second line first visible
  EXPECT_EQ(LineBreakMarkCount(1, 0), 0);
  EXPECT_EQ(LineBreakMarkCount(0, 0), 0);
  EXPECT_EQ(LineBreakMarkCount(3, 5), 0);
}
