// The rules of the step-by-step help: open steps, the start button, texts,
// and the guide lines as the overlay calls they make.
#include "help/uHelpSteps.h"
#include <windows.h>
#include <gtest/gtest.h>
#include "AppTestText.h"
#include <cstring>
#include <sstream>

namespace {
// Expected texts are written here in UTF-8 and compared in the program's code page.
using S = THelpStep;

THelpState fresh() { return THelpState(); }

struct Recorder : IGuideSink {
  std::vector<std::string> calls;
  static std::string color(COLORREF c) { return c == RGB(255, 0, 0) ? "red" : c == RGB(0, 0, 255) ? "blue" : "?"; }
  void add(const std::string& s) { calls.push_back(s); }
  void Clear() override { add("Clear"); }
  void Point(int x, int y, int style, COLORREF c) override {
    std::ostringstream o; o << "Point " << x << "," << y << " style " << style << " " << color(c); add(o.str());
  }
  void Rectangle(int l, int t, int r, int b, COLORREF c) override {
    std::ostringstream o; o << "Rect " << l << "," << t << "," << r << "," << b << " " << color(c); add(o.str());
  }
  void Line(int x1, int y1, int x2, int y2, COLORREF c) override {
    std::ostringstream o; o << "Line " << x1 << "," << y1 << "-" << x2 << "," << y2 << " " << color(c); add(o.str());
  }
};

// Each control of the window at a place of its own on the screen.
TGuideTarget where(THelpTarget t) {
  int i = static_cast<int>(t);
  return {{100 + 10 * i, 200 + 10 * i}, {150 + 10 * i, 220 + 10 * i}};
}

THelpItemRects bothEntries() {
  THelpItemRects r;
  r.Item[0] = {700, 50, 890, 90};
  r.Item[1] = {700, 92, 890, 141};
  return r;
}

// The five calls of one guide from an entry to a control.
std::vector<std::string> guide(const RECT& e, TGuideTarget t, const char* color) {
  int my = (e.top + e.bottom) / 2, mx = (t.A.x + t.B.x) / 2;
  std::ostringstream p1, p2, r1, r2, l;
  p1 << "Point " << e.left << "," << my << " style 1 " << color;
  p2 << "Point " << mx << "," << t.A.y << " style 1 " << color;
  r1 << "Rect " << t.A.x << "," << t.A.y << "," << t.B.x << "," << t.B.y << " " << color;
  r2 << "Rect " << e.left << "," << e.top << "," << e.right << "," << e.bottom << " " << color;
  l << "Line " << e.left << "," << my << "-" << mx << "," << t.A.y << " " << color;
  return {p1.str(), p2.str(), r1.str(), r2.str(), l.str()};
}

std::vector<std::string> concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
}  // namespace

TEST(HelpSteps, OpenStepsFollowTheWindowState) {
  struct Case {
    const char* what;
    THelpState state;
    std::vector<S> open;
  };
  std::vector<Case> cases;
  cases.push_back({"fresh start", fresh(), {S::hsPath, S::hsMask, S::hsOldString, S::hsNewString}});
  {
    THelpState s = fresh(); s.PathEmpty = false;
    cases.push_back({"path given", s, {S::hsMask, S::hsOldString, S::hsNewString}});
  }
  {
    THelpState s = fresh(); s.PathEmpty = false; s.MaskEmpty = false; s.ScanFinished = false;
    cases.push_back({"scan running", s, {S::hsOldString, S::hsNewString}});
    s.ScanFinished = true;
    cases.push_back({"nothing found", s, {S::hsNothingFound, S::hsOldString, S::hsNewString}});
    s.FileCount = 3;
    cases.push_back({"files listed", s, {S::hsCheckFiles, S::hsOldString, S::hsNewString}});
    s.CheckedFileCount = 1; s.FromStrLen = 3; s.ToStrLen = 0; s.SnRButtonEnabled = true;
    cases.push_back({"empty new string", s, {S::hsNewString, S::hsStart}});
    s.ToStrLen = 2;
    cases.push_back({"all done", s, {S::hsStart}});
    s.LineModePage = 1;
    cases.push_back({"multi-line page, memos empty", s, {S::hsOldString, S::hsNewString, S::hsStart}});
    s.MemoFromStrLines = 2; s.MemoToStrLines = 1;
    cases.push_back({"multi-line page, memos filled", s, {S::hsStart}});
  }
  {
    THelpState s = fresh(); s.FileCount = 2;   // dropped files, no path or mask
    cases.push_back({"dropped files", s, {S::hsCheckFiles, S::hsOldString, S::hsNewString}});
  }
  for (const Case& c : cases) EXPECT_EQ(OpenHelpSteps(c.state), c.open) << c.what;
}

TEST(HelpSteps, StartButtonNeedsAFinishedScanACheckedFileAndAnOldString) {
  THelpState s = fresh();
  s.FileCount = 2; s.CheckedFileCount = 1; s.FromStrLen = 1;
  EXPECT_TRUE(SnRButtonShouldBeEnabled(s));
  s.ToStrLen = -1;   // an empty new string is allowed
  EXPECT_TRUE(SnRButtonShouldBeEnabled(s));
  THelpState t = s; t.ScanFinished = false;
  EXPECT_FALSE(SnRButtonShouldBeEnabled(t));
  t = s; t.CheckedFileCount = 0;
  EXPECT_FALSE(SnRButtonShouldBeEnabled(t));
  t = s; t.FromStrLen = 0;
  EXPECT_FALSE(SnRButtonShouldBeEnabled(t));
  t = s; t.LineModePage = 1;   // the frame's string does not count on the multi-line page
  EXPECT_FALSE(SnRButtonShouldBeEnabled(t));
  t.MemoFromStrLines = 1; t.FromStrLen = -1;
  EXPECT_TRUE(SnRButtonShouldBeEnabled(t));
}

TEST(HelpSteps, TextsInBothLanguages) {
  struct Row { S step; const char* german; const char* english; } rows[] = {
      {S::hsPath, u8"Bitte geben Sie den Pfad ein, in dem nach den Dateien gesucht werden soll.",
       "please insert the path in which to search for the files in the path text field"},
      {S::hsMask, u8"Bitte geben Sie den Dateinamen ein - einschließlich Suchmaske (z.B. *.htm)",
       "please insert the name of the file - including wildcards (p.e. *.htm) in the filename field"},
      {S::hsNothingFound, u8"Im angegebenen Pfad wurden mit der Dateisuchmaske keine Dateien gefunden",
       "no files in the specified path with the specified filename found"},
      {S::hsCheckFiles, u8"Wählen Sie die Dateien aus, die bearbeitet werden sollen.",
       "check any single file in the files list box that has to be processed"},
      {S::hsOldString, u8"Definieren Sie den String, der ersetzt werden soll.",
       "define the string to be search for in the \"old string\" field - as text or hex code input"},
      {S::hsNewString,
       u8"Definieren Sie den String, der neu eingefügt werden soll. Falls der Ausgangsstring gelöscht werden "
       u8"soll, kann auch ein Leerstring korrekt sein.",
       "define the replacement string  in the \"new string\" field - as text or hex code input. An empty new "
       "string is correct, if you want to delete the \"Old String\" in the files"},
      {S::hsStart, u8"\"Radavi&Dezevud durchführen\" drücken",
       "press the \"Radavi&&Dezevud Strings in Selected Files\" to start the conversion"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(HelpStepText(r.step, 0), ansi(r.german));
    for (int language : {1, -1, 7}) EXPECT_EQ(HelpStepText(r.step, language), std::string(r.english));
  }
  EXPECT_EQ(HelpStepTexts({S::hsMask, S::hsStart}, 1),
            (std::vector<std::string>{rows[1].english, rows[6].english}));
}

TEST(HelpSteps, TargetsOfTheSteps) {
  using T = THelpTarget;
  EXPECT_EQ(HelpStepTargets(S::hsPath, 0), (std::vector<T>{T::htPathComboBox, T::htSelectDirSpeedButton}));
  EXPECT_EQ(HelpStepTargets(S::hsNothingFound, 0), (std::vector<T>{T::htFileCheckListBox}));
  EXPECT_EQ(HelpStepTargets(S::hsOldString, 0), (std::vector<T>{T::htFromStrFrame}));
  EXPECT_EQ(HelpStepTargets(S::hsOldString, 1), (std::vector<T>{T::htMemoFromStr}));
  EXPECT_EQ(HelpStepTargets(S::hsNewString, 1), (std::vector<T>{T::htMemoToStr}));
  EXPECT_EQ(HelpStepTargets(S::hsStart, 1), (std::vector<T>{T::htSnRButton}));
}

TEST(HelpSteps, MemoLinesCountAsTheMemoShowsThem) {
  struct { const char* text; int lines; } cases[] = {
      {"", 0}, {"a", 1}, {"a\r\n", 1}, {"a\r\nb", 2}, {"\r\n", 1}, {"a\r\n\r\n", 2}};
  for (const auto& c : cases) EXPECT_EQ(MemoLineCount(c.text), c.lines) << c.text;
}

TEST(HelpGuides, FreshStartDrawsRedToPathAndFolderButtonAndBlueToMask) {
  Recorder rec;
  const THelpItemRects rects = bothEntries();
  DrawHelpGuides(rec, true, OpenHelpSteps(fresh()), 0, where, rects);
  EXPECT_EQ(rec.calls, concat({{"Clear"},
                               guide(rects.Item[0], where(THelpTarget::htPathComboBox), "red"),
                               guide(rects.Item[0], where(THelpTarget::htSelectDirSpeedButton), "red"),
                               guide(rects.Item[1], where(THelpTarget::htMaskComboBox), "blue")}));
}

TEST(HelpGuides, FilesListedPointsRedAtTheFileListAndBlueAtTheOldString) {
  THelpState s = fresh();
  s.PathEmpty = s.MaskEmpty = false;
  s.FileCount = 4;
  Recorder rec;
  const THelpItemRects rects = bothEntries();
  DrawHelpGuides(rec, true, OpenHelpSteps(s), 0, where, rects);
  EXPECT_EQ(rec.calls, concat({{"Clear"},
                               guide(rects.Item[0], where(THelpTarget::htFileCheckListBox), "red"),
                               guide(rects.Item[1], where(THelpTarget::htFromStrFrame), "blue")}));
  rec.calls.clear();
  s.LineModePage = 1;   // the multi-line page points at the memo
  DrawHelpGuides(rec, true, OpenHelpSteps(s), 1, where, rects);
  EXPECT_EQ(rec.calls[6], guide(rects.Item[1], where(THelpTarget::htMemoFromStr), "blue")[0]);
  EXPECT_EQ(rec.calls[8], guide(rects.Item[1], where(THelpTarget::htMemoFromStr), "blue")[2]);
}

TEST(HelpGuides, OnlyTheStartStepLeftIsRedToTheButton) {
  THelpState s = fresh();
  s.PathEmpty = s.MaskEmpty = false;
  s.FileCount = s.CheckedFileCount = 1;
  s.FromStrLen = s.ToStrLen = 2;
  s.SnRButtonEnabled = true;
  Recorder rec;
  THelpItemRects rects;
  rects.Item[0] = {700, 50, 890, 90};   // one entry, one rectangle
  DrawHelpGuides(rec, true, OpenHelpSteps(s), 0, where, rects);
  EXPECT_EQ(rec.calls, concat({{"Clear"}, guide(rects.Item[0], where(THelpTarget::htSnRButton), "red")}));
}

TEST(HelpGuides, NothingIsDrawnWhenHiddenOrBeforeTheEntriesAreDrawn) {
  Recorder rec;
  DrawHelpGuides(rec, false, OpenHelpSteps(fresh()), 0, where, bothEntries());
  EXPECT_EQ(rec.calls, std::vector<std::string>{"Clear"});
  rec.calls.clear();
  DrawHelpGuides(rec, true, OpenHelpSteps(fresh()), 0, where, THelpItemRects());
  EXPECT_EQ(rec.calls, std::vector<std::string>{"Clear"});
  rec.calls.clear();
  THelpItemRects onlyFirst;
  onlyFirst.Item[0] = {1, 2, 3, 4};
  DrawHelpGuides(rec, true, OpenHelpSteps(fresh()), 0, where, onlyFirst);
  EXPECT_EQ(rec.calls.size(), 1u + 10u);   // red path guides only
  rec.calls.clear();
  DrawGuide(rec, where(THelpTarget::htSnRButton), 2, bothEntries());   // a third step has no guide
  EXPECT_TRUE(rec.calls.empty());
}

TEST(HelpGuides, GuidesOnlyWithGuidingHelpOnTheFirstPage) {
  EXPECT_TRUE(GuidesWanted(true, 0));
  EXPECT_FALSE(GuidesWanted(false, 0));
  EXPECT_FALSE(GuidesWanted(true, 1));
  EXPECT_FALSE(GuidesWanted(true, 2));
}

TEST(HelpGuides, ControlMiddleRoundsTowardZeroOnScreensLeftOfThePrimary) {
  Recorder rec;
  THelpItemRects rects;
  rects.Item[0] = {-300, -21, -200, 0};
  DrawGuide(rec, {{-101, 10}, {-50, 30}}, 0, rects);
  ASSERT_EQ(rec.calls.size(), 5u);
  EXPECT_EQ(rec.calls[0], "Point -300,-10 style 1 red");
  EXPECT_EQ(rec.calls[1], "Point -75,10 style 1 red");
  EXPECT_EQ(rec.calls[4], "Line -300,-10--75,10 red");
}

TEST(HelpGuides, EntryRectanglesFromTheDrawnItems) {
  THelpItemRects r;
  const POINT origin = {600, 100};
  SetHelpItemRect(r, 0, {0, 0, 180, 40}, origin, 500);
  EXPECT_EQ(r.Item[0].left, 600); EXPECT_EQ(r.Item[0].top, 100);
  EXPECT_EQ(r.Item[0].right, 780); EXPECT_EQ(r.Item[0].bottom, 140);
  SetHelpItemRect(r, 1, {0, 40, 180, 95}, origin, 500);
  EXPECT_EQ(r.Item[1].left, 600); EXPECT_EQ(r.Item[1].top, 142);
  EXPECT_EQ(r.Item[1].right, 780); EXPECT_EQ(r.Item[1].bottom, 195);
  // An entry reaching below the list ends at the list's lower edge.
  SetHelpItemRect(r, 1, {0, 40, 180, 95}, origin, 170);
  EXPECT_EQ(r.Item[1].bottom, 170);
  SetHelpItemRect(r, 0, {0, 0, 180, 400}, origin, 170);
  EXPECT_EQ(r.Item[0].bottom, 170);
  const THelpItemRects before = r;
  SetHelpItemRect(r, 2, {0, 95, 180, 130}, origin, 500);   // later entries are not recorded
  EXPECT_EQ(std::memcmp(&before, &r, sizeof r), 0);
}
