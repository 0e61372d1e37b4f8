#include "model/uSnRLayout.h"

void ClampSnRSize(int& width, int& height) {
  if (width < kSnRMinWidth) width = kSnRMinWidth;
  if (height < kSnRMinHeight) height = kSnRMinHeight;
}

TSnRLayout ComputeSnRLayout(const TSnRLayoutInput& in) {
  TSnRLayout o{};
  o.FileGroupWidth = in.TaskWidth;
  o.StringGroupWidth = in.TaskWidth;
  o.SnRButtonLeft = in.TaskWidth - in.SnRButtonWidth - 1;
  o.SnRButtonTop = in.TaskHeight - in.SnRButtonHeight - 5;
  o.StringGroupTop = in.TaskHeight - in.StringGroupHeight - in.SnRButtonHeight - 10;

  o.DeleteButtonLeft = in.BackupWidth - in.DeleteButtonWidth - 1;
  o.BackupListWidth = in.BackupWidth;
  o.BackupListTop = in.DeleteButtonTop + in.DeleteButtonHeight + 5;
  o.BackupListHeight = in.BackupHeight - o.BackupListTop - 2;

  o.MaskLeft = o.FileGroupWidth - in.MaskWidth - 4;
  o.SelectDirLeft = o.MaskLeft - in.SelectDirWidth - 20;
  o.PathWidth = o.SelectDirLeft - in.PathLeft - 4;

  o.FileGroupHeight = o.StringGroupTop - 3;
  o.WarrantyHeight = o.FileGroupHeight - in.WarrantyTop - 4;
  o.WarrantyWidth = o.FileGroupWidth - 6;
  o.FileListHeight = o.FileGroupHeight - in.FileListTop - 4;
  o.FileListWidth = o.FileGroupWidth - 6;

  const int h = (o.StringGroupWidth - 20) / 2;
  o.MemoFromLeft = 0;
  o.MemoFromWidth = h - in.FromLinebreaksWidth;
  o.FromLinebreaksLeft = o.MemoFromLeft + o.MemoFromWidth;
  o.MemoToLeft = h + 6;
  o.NewLabelLeft = h + 6;
  o.MemoToWidth = h - in.ToLinebreaksWidth;
  o.ToLinebreaksLeft = o.MemoToLeft + o.MemoToWidth;

  const int k = (o.StringGroupWidth - 14) / 2;
  o.FrameWidth = k;
  o.ToFrameLeft = in.FromFrameLeft + k + 1;
  return o;
}

TMatchBoxes CoupleMatchBoxes(TMatchBoxes b, TMatchBox clicked) {
  switch (clicked) {
    case TMatchBox::CaseSingle:
    case TMatchBox::CaseMulti: {
      const bool on = clicked == TMatchBox::CaseSingle ? b.CaseSingle : b.CaseMulti;
      if (on) b.RegSingle = b.RegMulti = false;
      b.CaseSingle = b.CaseMulti = on;
      break;
    }
    case TMatchBox::RegSingle:
    case TMatchBox::RegMulti: {
      const bool on = clicked == TMatchBox::RegSingle ? b.RegSingle : b.RegMulti;
      if (on) b.CaseSingle = b.CaseMulti = false;
      b.RegSingle = b.RegMulti = on;
      break;
    }
  }
  return b;
}

int LineBreakMarkCount(int lineCount, int firstVisibleLine) {
  const int n = lineCount - 1 - firstVisibleLine;
  return n > 0 ? n : 0;
}
