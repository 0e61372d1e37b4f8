// The rules of the step-by-step help, free of windows: which steps are still
// open for a state of the main window, their texts, whether the start button
// may be pressed, and the guide lines drawn from the help entries to their
// controls (through a sink, so that the drawing can be recorded).
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The steps in list order.
enum class THelpStep { hsPath, hsMask, hsNothingFound, hsCheckFiles, hsOldString, hsNewString, hsStart };

// The controls a step's guide points at.
enum class THelpTarget {
  htPathComboBox, htSelectDirSpeedButton, htMaskComboBox, htFileCheckListBox,
  htFromStrFrame, htMemoFromStr, htToStrFrame, htMemoToStr, htSnRButton
};

// What the help looks at in the main window.
struct THelpState {
  bool PathEmpty = true;        // PathComboBox's text
  bool MaskEmpty = true;        // MaskComboBox's text
  int FileCount = 0;            // entries of FileCheckListBox
  int CheckedFileCount = 0;     // checked entries of FileCheckListBox
  bool ScanFinished = true;     // the scan thread's flag; true when there is no scan thread
  int LineModePage = 0;         // PageControlLineMode: 0 single line, 1 multi line
  int FromStrLen = -1;          // Len of the old-string frame's value
  int ToStrLen = -1;            // Len of the new-string frame's value
  int MemoFromStrLines = 0;     // lines of MemoFromStr
  int MemoToStrLines = 0;       // lines of MemoToStr
  bool SnRButtonEnabled = false;
};

// Whether jobs can be started: the scan has finished, a file is checked and
// the old string is given.
bool SnRButtonShouldBeEnabled(const THelpState& s);

// The open steps, in list order.
std::vector<THelpStep> OpenHelpSteps(const THelpState& s);

// A step's text: German for language 0, English for every other number.
const char* HelpStepText(THelpStep step, int32_t language);
std::vector<std::string> HelpStepTexts(const std::vector<THelpStep>& steps, int32_t language);

// The controls of a step's guide; the string steps point at the frame on the
// single-line page and at the memo on the multi-line page.
std::vector<THelpTarget> HelpStepTargets(THelpStep step, int lineModePage);

// Whether the guides are to be drawn after a refresh of the help list.
bool GuidesWanted(bool guidingHelpChecked, int mainPage);

// The number of lines a memo holds for a text, counted as the class
// library counts them (a final line break starts no further line).
int MemoLineCount(const std::string& text);

// Where the overlay calls go.
class IGuideSink {
public:
  virtual ~IGuideSink() = default;
  virtual void Clear() = 0;
  virtual void Point(int x, int y, int style, COLORREF color) = 0;
  virtual void Rectangle(int left, int top, int right, int bottom, COLORREF color) = 0;
  virtual void Line(int x1, int y1, int x2, int y2, COLORREF color) = 0;
};

const COLORREF kGuideColors[2] = {RGB(255, 0, 0), RGB(0, 0, 255)};
const int kGuidePointStyle = 1;

// A control's corners on the screen: A its top-left, B the point (width,
// height), both taken from the control's coordinates.
struct TGuideTarget {
  POINT A;
  POINT B;
};

// The screen rectangles of help entries 0 and 1; all zero = not drawn yet.
struct THelpItemRects {
  RECT Item[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}};
  void Reset() { *this = THelpItemRects(); }
};

// Draws the guide of step number 0 (red) or 1 (blue) to one control: a point
// at the left middle of the help entry and one at the top middle of the
// control, a rectangle around each and the line between the points. Other
// steps and entries not drawn yet draw nothing.
void DrawGuide(IGuideSink& sink, const TGuideTarget& target, int step, const THelpItemRects& rects);

// The guide-line timer's work: clears the overlay, and when shown is true
// draws the guides of the open steps, numbering them from 0.
void DrawHelpGuides(IGuideSink& sink, bool shown, const std::vector<THelpStep>& open, int lineModePage,
                    const std::function<TGuideTarget(THelpTarget)>& locate, const THelpItemRects& rects);

// The rectangles of entries 0 and 1 from their item rectangles as the list
// box draws them. listOrigin is the list box's client origin on the screen,
// listBottom the screen y of its lower edge; bottoms are limited to it.
void SetHelpItemRect(THelpItemRects& rects, int index, const RECT& item, POINT listOrigin, int listBottom);

// When set, the main window draws its guides here instead of through the
// overlay library (tests record them).
extern IGuideSink* GuideSinkOverride;
