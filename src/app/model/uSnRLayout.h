// Layout arithmetic of the main window, its minimum size, the coupling of
// the matching options and the count of line-break marks beside a memo.
#pragma once

constexpr int kSnRMinWidth = 677;
constexpr int kSnRMinHeight = 502;

// A new window size below the minimum becomes the minimum.
void ClampSnRSize(int& width, int& height);

// The sizes the layout starts from: pages, buttons and the design values of
// the controls it moves.
struct TSnRLayoutInput {
  int TaskWidth = 0, TaskHeight = 0;       // CreateTaskTabSheet
  int BackupWidth = 0, BackupHeight = 0;   // BackupFileTabSheet
  int StringGroupHeight = 0;
  int SnRButtonWidth = 0, SnRButtonHeight = 0;
  int DeleteButtonWidth = 0, DeleteButtonTop = 0, DeleteButtonHeight = 0;
  int MaskWidth = 0, SelectDirWidth = 0, PathLeft = 0;
  int WarrantyTop = 0, FileListTop = 0;
  int FromLinebreaksWidth = 0, ToLinebreaksWidth = 0;
  int FromFrameLeft = 0;
};

struct TSnRLayout {
  int FileGroupWidth, FileGroupHeight;
  int StringGroupWidth, StringGroupTop;
  int SnRButtonLeft, SnRButtonTop;
  int DeleteButtonLeft;
  int BackupListWidth, BackupListTop, BackupListHeight;
  int MaskLeft, SelectDirLeft, PathWidth;
  int WarrantyWidth, WarrantyHeight, FileListWidth, FileListHeight;
  int MemoFromLeft, MemoFromWidth, FromLinebreaksLeft;
  int MemoToLeft, NewLabelLeft, MemoToWidth, ToLinebreaksLeft;
  int FrameWidth, ToFrameLeft;
};

TSnRLayout ComputeSnRLayout(const TSnRLayoutInput& in);

// The four matching boxes: case and regular expression, each on the
// single-line and the multi-line page.
struct TMatchBoxes {
  bool CaseSingle = true, CaseMulti = true, RegSingle = false, RegMulti = false;
  bool operator==(const TMatchBoxes& o) const {
    return CaseSingle == o.CaseSingle && CaseMulti == o.CaseMulti && RegSingle == o.RegSingle && RegMulti == o.RegMulti;
  }
};
enum class TMatchBox { CaseSingle, CaseMulti, RegSingle, RegMulti };

// The boxes after one was clicked (Boxes already holds its new state): a
// checked case box clears both regular-expression boxes and the reverse;
// the box's twin on the other page takes its state.
TMatchBoxes CoupleMatchBoxes(TMatchBoxes boxes, TMatchBox clicked);

// Marks beside a memo: one per line from the first visible line on, except
// the text's last line.
int LineBreakMarkCount(int lineCount, int firstVisibleLine);
