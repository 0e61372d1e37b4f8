#include "help/uHelpSteps.h"

namespace {
struct TStepText {
  const char* German;
  const char* English;
};

// In list order of THelpStep. Umlauts are Windows-1252 escapes, each closing
// its literal so that a following letter cannot extend it. The start text
// keeps its two ampersands: the list draws its entries without prefixes.
const TStepText kStepTexts[] = {
    {"Bitte geben Sie den Pfad ein, in dem nach den Dateien gesucht werden soll.",
     "please insert the path in which to search for the files in the path text field"},
    {"Bitte geben Sie den Dateinamen ein - einschlie\xDF" "lich Suchmaske (z.B. *.htm)",
     "please insert the name of the file - including wildcards (p.e. *.htm) in the filename field"},
    {"Im angegebenen Pfad wurden mit der Dateisuchmaske keine Dateien gefunden",
     "no files in the specified path with the specified filename found"},
    {"W\xE4" "hlen Sie die Dateien aus, die bearbeitet werden sollen.",
     "check any single file in the files list box that has to be processed"},
    {"Definieren Sie den String, der ersetzt werden soll.",
     "define the string to be search for in the \"old string\" field - as text or hex code input"},
    {"Definieren Sie den String, der neu eingef\xFC" "gt werden soll. Falls der Ausgangsstring gel\xF6"
     "scht werden soll, kann auch ein Leerstring korrekt sein.",
     "define the replacement string  in the \"new string\" field - as text or hex code input. An empty new "
     "string is correct, if you want to delete the \"Old String\" in the files"},
    {"\"Radavi&Dezevud durchf\xFC" "hren\" dr\xFC" "cken",
     "press the \"Radavi&&Dezevud Strings in Selected Files\" to start the conversion"},
};

const THelpStep kAllSteps[] = {THelpStep::hsPath,      THelpStep::hsMask,      THelpStep::hsNothingFound,
                               THelpStep::hsCheckFiles, THelpStep::hsOldString, THelpStep::hsNewString,
                               THelpStep::hsStart};

bool oldStringMissing(const THelpState& s) {
  return s.LineModePage == 0 ? s.FromStrLen <= 0 : s.LineModePage == 1 && s.MemoFromStrLines == 0;
}

bool newStringMissing(const THelpState& s) {
  return s.LineModePage == 0 ? s.ToStrLen <= 0 : s.LineModePage == 1 && s.MemoToStrLines == 0;
}

bool isOpen(THelpStep step, const THelpState& s) {
  const bool noFiles = s.FileCount == 0;
  switch (step) {
    case THelpStep::hsPath: return s.PathEmpty && noFiles;
    case THelpStep::hsMask: return s.MaskEmpty && noFiles;
    case THelpStep::hsNothingFound: return !s.PathEmpty && !s.MaskEmpty && noFiles && s.ScanFinished;
    case THelpStep::hsCheckFiles: return !noFiles && s.CheckedFileCount == 0;
    case THelpStep::hsOldString: return oldStringMissing(s);
    case THelpStep::hsNewString: return newStringMissing(s);
    case THelpStep::hsStart: return s.SnRButtonEnabled;
  }
  return false;
}

bool isEmpty(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }
}  // namespace

bool SnRButtonShouldBeEnabled(const THelpState& s) {
  const bool oldGiven = s.LineModePage == 0 ? s.FromStrLen > 0 : s.MemoFromStrLines > 0;
  return s.ScanFinished && s.CheckedFileCount > 0 && oldGiven;
}

std::vector<THelpStep> OpenHelpSteps(const THelpState& s) {
  std::vector<THelpStep> open;
  for (THelpStep step : kAllSteps)
    if (isOpen(step, s)) open.push_back(step);
  return open;
}

const char* HelpStepText(THelpStep step, int32_t language) {
  const TStepText& t = kStepTexts[static_cast<int>(step)];
  return language == 0 ? t.German : t.English;
}

std::vector<std::string> HelpStepTexts(const std::vector<THelpStep>& steps, int32_t language) {
  std::vector<std::string> texts;
  for (THelpStep step : steps) texts.push_back(HelpStepText(step, language));
  return texts;
}

std::vector<THelpTarget> HelpStepTargets(THelpStep step, int lineModePage) {
  switch (step) {
    case THelpStep::hsPath: return {THelpTarget::htPathComboBox, THelpTarget::htSelectDirSpeedButton};
    case THelpStep::hsMask: return {THelpTarget::htMaskComboBox};
    case THelpStep::hsNothingFound:
    case THelpStep::hsCheckFiles: return {THelpTarget::htFileCheckListBox};
    case THelpStep::hsOldString:
      return {lineModePage == 0 ? THelpTarget::htFromStrFrame : THelpTarget::htMemoFromStr};
    case THelpStep::hsNewString: return {lineModePage == 0 ? THelpTarget::htToStrFrame : THelpTarget::htMemoToStr};
    case THelpStep::hsStart: return {THelpTarget::htSnRButton};
  }
  return {};
}

bool GuidesWanted(bool guidingHelpChecked, int mainPage) { return guidingHelpChecked && mainPage == 0; }

int MemoLineCount(const std::string& text) {
  if (text.empty()) return 0;
  int lines = 1;
  for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) --lines;
  return lines;
}

void DrawGuide(IGuideSink& sink, const TGuideTarget& target, int step, const THelpItemRects& rects) {
  if (step < 0 || step > 1) return;
  const RECT& r = rects.Item[step];
  if (isEmpty(r)) return;
  const COLORREF color = kGuideColors[step];
  const int entryY = (r.top + r.bottom) / 2;
  const int m = (target.A.x + target.B.x) / 2;
  sink.Point(r.left, entryY, kGuidePointStyle, color);
  sink.Point(m, target.A.y, kGuidePointStyle, color);
  sink.Rectangle(target.A.x, target.A.y, target.B.x, target.B.y, color);
  sink.Rectangle(r.left, r.top, r.right, r.bottom, color);
  sink.Line(r.left, entryY, m, target.A.y, color);
}

void DrawHelpGuides(IGuideSink& sink, bool shown, const std::vector<THelpStep>& open, int lineModePage,
                    const std::function<TGuideTarget(THelpTarget)>& locate, const THelpItemRects& rects) {
  sink.Clear();
  if (!shown) return;
  int step = -1;
  for (THelpStep s : open) {
    ++step;
    if (step > 1) break;   // only the first two steps have guides
    for (THelpTarget t : HelpStepTargets(s, lineModePage)) DrawGuide(sink, locate(t), step, rects);
  }
}

void SetHelpItemRect(THelpItemRects& rects, int index, const RECT& item, POINT listOrigin, int listBottom) {
  if (index < 0 || index > 1) return;
  RECT r;
  if (index == 0) {
    r = {item.left + listOrigin.x, item.top + listOrigin.y, item.right + listOrigin.x, item.bottom + listOrigin.y};
  } else {
    const RECT& first = rects.Item[0];
    r = {first.left + item.left, first.top + item.top + 2, first.right, first.bottom + (item.bottom - item.top)};
  }
  if (listBottom < r.bottom) r.bottom = listBottom;
  rects.Item[index] = r;
}

IGuideSink* GuideSinkOverride = nullptr;
