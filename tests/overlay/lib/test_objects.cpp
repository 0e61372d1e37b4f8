// The overlay window's object lists and operations, in process (linked with the
// library's static code), where their inner state can be looked at.
#include <windows.h>
#include <gtest/gtest.h>
#include <climits>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "OverlayTestSupport.h"
#include "QzScreenOverlay.h"
#include "QzScreenOverlayInternal.h"
#include "uQzTransparentForm.h"
#include "uScreenObjectForm.h"
#include "win/Handles.h"

using namespace qztest;

namespace {

class Objects : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(EnsureOverlayWindow()); }
  void TearDown() override {
    SetInfoWindowFactory(nullptr);
    QzScreenOverlay_Finalize();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
  }
  TTransparentForm& form() { return *OverlayForm; }
  std::vector<int> ApiIds() {
    std::vector<int> ids;
    for (const auto& e : form().ObjectList) ids.push_back(e->ID);
    return ids;
  }
};

TEST_F(Objects, WhenTheIdsRunOutCreatingFailsInsteadOfReusingOne) {
  form().LastID = INT32_MAX - 1;
  EXPECT_EQ(QzScreenOverlay_Point(1, 1, 0, 0), INT32_MAX);
  EXPECT_EQ(QzScreenOverlay_Point(1, 1, 0, 0), -3);
  EXPECT_EQ(form().ObjectList.size(), 1u);
}

struct EllipseRow {
  RECT box;
  RECT corners;
};

TEST_F(Objects, EllipseExportTurnsTheBoundingBoxIntoTheCornerRectangle) {
  const EllipseRow rows[] = {
      {{100, 100, 300, 200}, {130, 115, 270, 185}},
      {{300, 200, 100, 100}, {270, 185, 130, 115}},  // corners exchanged
      {{0, 0, 3, 3}, {0, 0, 2, 2}},
      {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-1518500249, -1518500249, 1518500249, 1518500249}},
  };
  for (const EllipseRow& row : rows) {
    const int id = QzScreenOverlay_Ellipse(row.box.left, row.box.top, row.box.right, row.box.bottom, 255);
    ASSERT_GT(id, 0);
    const TScreenObject& shape = *form().ObjectList.back()->ScreenObject;
    EXPECT_EQ(shape.Type, 5);
    ASSERT_GE(shape.PointCount, 2);
    EXPECT_EQ(shape.Points[0].ScreenX, row.corners.left);
    EXPECT_EQ(shape.Points[0].ScreenY, row.corners.top);
    EXPECT_EQ(shape.Points[1].ScreenX, row.corners.right);
    EXPECT_EQ(shape.Points[1].ScreenY, row.corners.bottom);
  }
}

TEST_F(Objects, ZOrderMovesEntriesAndANegativePositionLosesNothing) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(QzScreenOverlay_Point(10 * i, 10, 0, 0), i + 1);
  EXPECT_EQ(form().SetZOrderByID(3, 0), 1);
  EXPECT_EQ(ApiIds(), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(form().SetZOrderByID(3, 99), 1);
  EXPECT_EQ(ApiIds(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(form().SetZOrderByID(2, 1), 1);  // its own index
  EXPECT_EQ(ApiIds(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(form().SetZOrderByID(2, -1), -1);
  EXPECT_EQ(form().SetZOrderByID(2, INT_MIN), -1);
  EXPECT_EQ(ApiIds(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(form().SetZOrderByID(7, 0), 0);
}

TEST_F(Objects, ARefusedCreationKeepsARepaintThatWasDue) {
  ASSERT_GT(QzScreenOverlay_Point(10, 10, 0, 255), 0);
  ASSERT_TRUE(form().RedrawPending());
  EXPECT_EQ(QzScreenOverlay_BitmapByFile(0, 0, "no such picture.bmp", 0), -2);
  EXPECT_TRUE(form().RedrawPending());

  // A picture that exists but cannot be decoded fails with -3, also keeping it.
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string bad = std::string(folder) + "qz-ovlib-broken-" + std::to_string(GetCurrentProcessId()) + ".bmp";
  std::ofstream(bad, std::ios::binary) << "BM this is no bitmap";
  EXPECT_EQ(QzScreenOverlay_BitmapByFile(0, 0, bad.c_str(), 0), -3);
  EXPECT_TRUE(form().RedrawPending());
  DeleteFileA(bad.c_str());

  // With no repaint due, a refusal does not start one.
  Pump(60);
  ASSERT_FALSE(form().RedrawPending());
  EXPECT_EQ(QzScreenOverlay_BitmapByFile(0, 0, "no such picture.bmp", 0), -2);
  EXPECT_FALSE(form().RedrawPending());
  EXPECT_EQ(QzScreenOverlay_Point(1, 1, 0, 0), 2);  // refusals consumed no ID
}

TEST_F(Objects, DemonstrationObjectsShareTheIdsAndPostNothing) {
  CallbackWindow callback;
  form().SetCallbackWindow(callback.handle());
  EXPECT_EQ(form().NewPoint(5, 5, 0, true, 0), 1);
  EXPECT_EQ(QzScreenOverlay_Point(6, 6, 0, 0), 2);
  EXPECT_EQ(form().NewLine(POINT{0, 0}, POINT{9, 9}, true, 0, 2), 3);
  EXPECT_EQ(callback.TakeStatus(), std::vector<int>{STATUSCHANGED_INSERT});
  EXPECT_EQ(QzScreenOverlay_Operation(TRANSPARENTELEMENT_OPERATION_DELETE, 3, 0, 0, 0), 1);
  EXPECT_TRUE(callback.TakeStatus().empty());
  // Only the API list is searched by the other operations.
  EXPECT_EQ(QzScreenOverlay_Operation(TRANSPARENTELEMENT_OPERATION_LINEWIDTH, 1, 4, 0, 0), 0);
  EXPECT_EQ(form().ClearObjects(OBJECTLIST_DEMO), 1);
  EXPECT_TRUE(callback.TakeStatus().empty());
  EXPECT_EQ(form().DemoList.size(), 0u);
  EXPECT_EQ(form().ObjectList.size(), 1u);
}

TEST_F(Objects, ATransparentObjectIsDrawnInItsOwnWindowInsteadOfTheOverlay) {
  const int id = QzScreenOverlay_Rectangle(200, 200, 400, 300, 255);
  ASSERT_GT(QzScreenOverlay_Point(600, 500, 0, 255), 0);
  ASSERT_EQ(QzScreenOverlay_Operation(TRANSPARENTELEMENT_OPERATION_SETTRANSPARENT, id, 40, 0, 0), 1);
  Pump(250);  // repaint and a stacking tick
  TScreenObject& shape = *form().ObjectList[0]->ScreenObject;
  ASSERT_TRUE(shape.OwnForm);
  HWND own = shape.OwnForm->Handle();
  EXPECT_TRUE(IsWindowVisible(own));
  RECT r{};
  GetWindowRect(own, &r);
  EXPECT_LE(r.left, 200);
  EXPECT_LE(r.top, 200);
  EXPECT_GE(r.right, 401);
  EXPECT_GE(r.bottom, 301);
  EXPECT_LT(r.right - r.left, 300);  // around the rectangle, not the whole screen
  // The overlay keeps only the other object.
  win::Region rgn(CreateRectRgn(0, 0, 0, 0));
  GetWindowRgn(form().Handle(), rgn.get());
  EXPECT_FALSE(PtInRegion(rgn.get(), 200, 250) || PtInRegion(rgn.get(), 201, 250));
  EXPECT_TRUE(PtInRegion(rgn.get(), 600, 500));
  // Hiding it hides its window.
  ASSERT_EQ(QzScreenOverlay_Operation(TRANSPARENTELEMENT_OPERATION_SHOW, id, 0, 0, 0), 1);
  Pump(60);
  EXPECT_FALSE(IsWindowVisible(own));
}

// The cursor a window shows over its client area.
HCURSOR CursorOver(HWND wnd) {
  SetCursor(nullptr);
  SendMessageA(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return GetCursor();
}

TEST_F(Objects, MouseCursorOfAnObjectShowsOverItAndOverItsOwnWindow) {
  const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  const int id = QzScreenOverlay_Rectangle(200, 200, 400, 300, 255);
  Pump(60);
  ASSERT_EQ(form().SetCursorByID(id, -21), 1);
  EXPECT_EQ(form().ObjectList[0]->Cursor, -21);
  EXPECT_FALSE(form().RedrawPending());  // a cursor change needs no repaint

  // The overlay takes the cursor of the object that a mouse event hits.
  POINT on{200, 250};
  ASSERT_TRUE(PlaceCursor(on.x, on.y));
  form().PostMouseEvent(WM_TRANSPARENTELEMENT_MOUSEMOVE);
  ASSERT_EQ(form().HitID, id);
  EXPECT_EQ(CursorOver(form().Handle()), hand);

  // A transparent object moves to its own window, which shows the same cursor.
  ASSERT_EQ(form().SetTransparencyByID(id, 40), 1);
  TScreenObject& shape = *form().ObjectList[0]->ScreenObject;
  ASSERT_TRUE(shape.OwnForm);
  EXPECT_EQ(CursorOver(shape.OwnForm->Handle()), hand);
  ASSERT_EQ(form().SetCursorByID(id, -3), 1);
  EXPECT_EQ(CursorOver(shape.OwnForm->Handle()), LoadCursorA(nullptr, IDC_CROSS));
  PlaceCursor(20, 20);
}

class FakeInfoWindow : public TInfoWindow {
public:
  static int created, shown;
  static bool showing;
  void ShowInfo() override { ++shown; }
  bool IsShowing() const override { return showing; }
};
int FakeInfoWindow::created = 0, FakeInfoWindow::shown = 0;
bool FakeInfoWindow::showing = false;

std::unique_ptr<TInfoWindow> MakeFakeInfoWindow(TTransparentForm&) {
  ++FakeInfoWindow::created;
  return std::make_unique<FakeInfoWindow>();
}

TEST_F(Objects, InformationWindowComesEveryFiveSecondsUntilAListIsCleared) {
  FakeInfoWindow::created = FakeInfoWindow::shown = 0;
  FakeInfoWindow::showing = false;
  SetInfoWindowFactory(MakeFakeInfoWindow);
  QzScreenOverlay_Finalize();  // a window made with the factory in place
  ASSERT_TRUE(EnsureOverlayWindow());
  Pump(4500);
  EXPECT_EQ(FakeInfoWindow::shown, 0);
  Pump(1000);
  EXPECT_EQ(FakeInfoWindow::created, 1);
  EXPECT_EQ(FakeInfoWindow::shown, 1);

  // The icon's left button shows the same window again.
  SendMessageA(form().Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
  EXPECT_EQ(FakeInfoWindow::created, 1);
  EXPECT_EQ(FakeInfoWindow::shown, 2);

  // While it is visible only demonstration objects are painted.
  FakeInfoWindow::showing = true;
  ASSERT_GT(QzScreenOverlay_Rectangle(200, 200, 300, 300, 255), 0);
  Pump(60);
  EXPECT_FALSE(IsWindowVisible(form().Handle()));
  ASSERT_GT(form().NewPoint(600, 500, 0, true, 0), 0);
  Pump(60);
  EXPECT_TRUE(IsWindowVisible(form().Handle()));
  win::Region rgn(CreateRectRgn(0, 0, 0, 0));
  GetWindowRgn(form().Handle(), rgn.get());
  EXPECT_TRUE(PtInRegion(rgn.get(), 600, 500));
  EXPECT_FALSE(PtInRegion(rgn.get(), 200, 250) || PtInRegion(rgn.get(), 201, 250));

  // Clearing either list ends the repeated showing.
  EXPECT_TRUE(form().InfoTimerRunning());
  EXPECT_EQ(form().ClearObjects(OBJECTLIST_DEMO), 1);
  EXPECT_FALSE(form().InfoTimerRunning());
  const int shownBefore = FakeInfoWindow::shown;
  Pump(5200);
  EXPECT_EQ(FakeInfoWindow::shown, shownBefore);
}

// Collects what OutputDebugStringA sends while installed.
class DebuggerOutput {
public:
  DebuggerOutput() { handler_ = AddVectoredExceptionHandler(1, &DebuggerOutput::Handler); }
  ~DebuggerOutput() { RemoveVectoredExceptionHandler(handler_); }
  static std::vector<std::string> pieces;

private:
  static LONG CALLBACK Handler(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& r = *info->ExceptionRecord;
    if (r.ExceptionCode == DBG_PRINTEXCEPTION_C && r.NumberParameters >= 2) {
      pieces.emplace_back(reinterpret_cast<const char*>(r.ExceptionInformation[1]),
                          static_cast<size_t>(r.ExceptionInformation[0]) - 1);
    }
    return EXCEPTION_CONTINUE_SEARCH;
  }
  PVOID handler_ = nullptr;
};
std::vector<std::string> DebuggerOutput::pieces;

TEST(DebugLog, LongLinesReachTheDebuggerInPiecesOfAtMost1024AndTheLogWhole) {
  // Debug mode is decided by a marker beside this program when the library starts.
  const std::string marker = HostProgramFileName() + ".debug";
  std::ofstream(marker) << "";
  QzScreenOverlayLibraryStart();
  ASSERT_TRUE(DebugMode());
  const std::string text(3000, 'x');
  DebuggerOutput output;
  DebuggerOutput::pieces.clear();
  DebugLog(text);
  std::string joined;
  for (const std::string& piece : DebuggerOutput::pieces) {
    EXPECT_LE(piece.size(), 1024u);
    joined += piece;
  }
  EXPECT_EQ(DebuggerOutput::pieces.size(), 3u);
  EXPECT_EQ(joined.substr(joined.size() - 3000), text);
  EXPECT_EQ(joined.rfind("Ro-Dadoridirir.DLL [", 0), 0u);

  EXPECT_EQ(QzScreenOverlay_Finalize(), -1);
  EXPECT_FALSE(DebugMode());
  const std::string folder = HostProgramFolder();
  std::ifstream log(folder + "Qz-DarariRuzoriv.log", std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  log.close();
  EXPECT_NE(content.find("] : " + text + "\r\n"), std::string::npos);
  DeleteFileA((folder + "Qz-DarariRuzoriv.log").c_str());
  DeleteFileA((folder + "Qz-DarariRuzoriv.script").c_str());
  DeleteFileA(marker.c_str());
  SetInfoWindowFactory(nullptr);
}

}  // namespace

#include "OwnProcessMain.h"
QZ_OWN_PROCESS_TEST_MAIN
