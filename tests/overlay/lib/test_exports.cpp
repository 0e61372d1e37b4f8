// The exports as a host sees them: names, ordinals, calling convention, IDs,
// the operation table, clearing and bad input at the boundary.
#include <windows.h>
#include <gtest/gtest.h>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "OverlayTestSupport.h"

using namespace qztest;

namespace {

// Calls fn with the arguments pushed last to first, as a stdcall caller does,
// and measures how far the stack pointer moved across the call: 0 when the
// callee removed exactly its arguments. The stack is restored either way.
int CallMeasuringStack(void* fn, const uint32_t* args, int count, int& stackDelta) {
  int result, delta;
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "movl %[n], %%ecx\n"
      "1:\n\t"
      "testl %%ecx, %%ecx\n\t"
      "jz 2f\n\t"
      "pushl -4(%%edi,%%ecx,4)\n\t"
      "decl %%ecx\n\t"
      "jmp 1b\n"
      "2:\n\t"
      "call *%%ebx\n\t"
      "movl %%esi, %%ecx\n\t"
      "subl %%esp, %%ecx\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(result), "=c"(delta)
      : [n] "r"(count), "D"(args), "b"(fn)
      : "esi", "edx", "memory", "cc");
  stackDelta = delta;
  return result;
}

struct ExportRow {
  const char* name;
  int ordinal;
  int argBytes;
};

const ExportRow kExports[] = {
    {"QzScreenOverlay_ScriptCommandFile", 1, 4},  {"QzScreenOverlay_ScriptCommand", 2, 4},
    {"QzScreenOverlay_BitmapByResource", 3, 20},  {"QzScreenOverlay_BitmapByFile", 4, 16},
    {"QzScreenOverlay_Text", 5, 32},              {"QzScreenOverlay_Ellipse", 6, 20},
    {"QzScreenOverlay_Rectangle", 7, 20},         {"QzScreenOverlay_Polyline", 8, 12},
    {"QzScreenOverlay_Line", 9, 20},              {"QzScreenOverlay_Point", 10, 16},
    {"QzScreenOverlay_Operation", 11, 20},        {"QzScreenOverlay_SetCallBackWindowHandle", 12, 4},
    {"QzScreenOverlay_Finalize", 13, 0},          {"QzScreenOverlay_Clear", 14, 0},
};

class Exports : public OverlayDllTest {};

TEST_F(Exports, AllFourteenResolveByNameAndOrdinalAndKeepTheStackBalanced) {
  const uint32_t zeros[8] = {};
  for (const ExportRow& row : kExports) {
    SCOPED_TRACE(row.name);
    void* byName = reinterpret_cast<void*>(GetProcAddress(dll().module, row.name));
    void* byOrdinal = reinterpret_cast<void*>(GetProcAddress(dll().module, MAKEINTRESOURCEA(row.ordinal)));
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName, byOrdinal);
    int delta = -1;
    CallMeasuringStack(byName, zeros, row.argBytes / 4, delta);
    EXPECT_EQ(delta, 0);
  }
  // Decorated names are not exported.
  EXPECT_EQ(GetProcAddress(dll().module, "QzScreenOverlay_Clear@0"), nullptr);
  EXPECT_EQ(GetProcAddress(dll().module, "_QzScreenOverlay_Clear@0"), nullptr);
}

TEST_F(Exports, ClearRightAfterLoadingReturnsZero) { EXPECT_EQ(dll().Clear(), 0); }

TEST_F(Exports, IdsCountUpAreNeverReusedAndRestartWithANewWindow) {
  EXPECT_EQ(dll().Point(10, 10, 0, 255), 1);
  EXPECT_EQ(dll().Line(0, 0, 50, 50, 255), 2);
  EXPECT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_DELETE, 2, 0, 0, 0), 1);
  EXPECT_EQ(dll().Rectangle(0, 0, 50, 50, 255), 3);
  EXPECT_EQ(dll().BitmapByFile(0, 0, "no such picture.bmp", 0), -2);  // consumes no ID
  EXPECT_EQ(dll().Ellipse(0, 0, 50, 50, 255), 4);
  EXPECT_EQ(dll().Clear(), 3);
  EXPECT_EQ(dll().Point(1, 1, 0, 0), 5);

  EXPECT_EQ(dll().Finalize(), -1);
  EXPECT_EQ(dll().Finalize(), -1);
  EXPECT_EQ(FindOverlayWindow(), nullptr);
  EXPECT_EQ(dll().Point(1, 1, 0, 0), 1);  // a new window starts at 1
  EXPECT_NE(FindOverlayWindow(), nullptr);
}

struct OperationRow {
  int code;
  bool existing;
  int value1;
  int expected;
  std::vector<int> status;
};

TEST_F(Exports, OperationTable) {
  CallbackWindow callback;
  ASSERT_EQ(dll().SetCallBackWindowHandle(callback.handle()), 0);
  const OperationRow rows[] = {
      {TRANSPARENTELEMENT_OPERATION_DELETE, true, 0, 1, {STATUSCHANGED_DELETE}},
      {TRANSPARENTELEMENT_OPERATION_DELETE, false, 0, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_SHOW, true, 0, 1, {STATUSCHANGED_SET_VISIBLE_FALSE}},
      {TRANSPARENTELEMENT_OPERATION_SHOW, true, 7, 1, {STATUSCHANGED_SET_VISIBLE_TRUE}},
      {TRANSPARENTELEMENT_OPERATION_SHOW, false, 1, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_LINEWIDTH, true, 3, 1, {}},
      {TRANSPARENTELEMENT_OPERATION_LINEWIDTH, false, 3, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_ISFILLED, true, 1, 1, {}},
      {TRANSPARENTELEMENT_OPERATION_ISFILLED, false, 1, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_SETCOLOR, true, 0x00FF00, 1, {}},
      {TRANSPARENTELEMENT_OPERATION_SETCOLOR, false, 0x00FF00, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_SETAUTOHIDE, true, 1, 1, {STATUSCHANGED_SET_AUTOHIDE_TRUE}},
      {TRANSPARENTELEMENT_OPERATION_SETAUTOHIDE, true, 0, 1, {STATUSCHANGED_SET_AUTOHIDE_FALSE}},
      {TRANSPARENTELEMENT_OPERATION_SETAUTOHIDE, false, 1, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_SETZORDER, true, 0, 1, {}},
      {TRANSPARENTELEMENT_OPERATION_SETZORDER, true, 99, 1, {}},
      {TRANSPARENTELEMENT_OPERATION_SETZORDER, true, -1, -1, {}},
      {TRANSPARENTELEMENT_OPERATION_SETZORDER, false, 0, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_SETMOUSECURSOR, true, -21, 1, {}},
      {TRANSPARENTELEMENT_OPERATION_SETMOUSECURSOR, false, -21, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_SETTRANSPARENT, true, 50, 1, {}},
      {TRANSPARENTELEMENT_OPERATION_SETTRANSPARENT, false, 50, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_SETCLICKTHROUGH, true, 1, 1, {}},
      {TRANSPARENTELEMENT_OPERATION_SETCLICKTHROUGH, false, 1, 0, {}},
      {TRANSPARENTELEMENT_OPERATION_SETAUTOSHOW, true, 1, 1, {STATUSCHANGED_SET_AUTOSHOW_TRUE}},
      {TRANSPARENTELEMENT_OPERATION_SETAUTOSHOW, true, 0, 1, {STATUSCHANGED_SET_AUTOSHOW_FALSE}},
      {TRANSPARENTELEMENT_OPERATION_SETAUTOSHOW, false, 1, 0, {}},
      {0, true, 1, 0, {}},
      {12, true, 1, 0, {}},
      {-1, true, 1, 0, {}},
  };
  for (const OperationRow& row : rows) {
    SCOPED_TRACE("code " + std::to_string(row.code) + (row.existing ? " existing" : " missing") + " value " +
                 std::to_string(row.value1));
    const int id = dll().Line(100, 100, 300, 200, RGB(255, 0, 0));
    ASSERT_GT(id, 0);
    EXPECT_EQ(callback.TakeStatus(0), std::vector<int>{STATUSCHANGED_INSERT});
    EXPECT_EQ(dll().Operation(row.code, row.existing ? id : id + 1000, row.value1, 0, 0), row.expected);
    EXPECT_EQ(callback.TakeStatus(20), row.status);
  }
}

TEST_F(Exports, ClearReturnsTheCountAndPostsTheDeletesInListOrder) {
  CallbackWindow callback;
  dll().SetCallBackWindowHandle(callback.handle());
  for (int i = 0; i < 3; ++i) ASSERT_EQ(dll().Point(10 * i, 10, 0, 255), i + 1);
  // Z-order decides the list order: 1 goes on top.
  ASSERT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_SETZORDER, 1, 99, 0, 0), 1);
  callback.Take();
  EXPECT_EQ(dll().Clear(), 3);
  const std::vector<Posted> expected = {
      {WM_TRANSPARENTELEMENT_STATUSCHANGED, 2, STATUSCHANGED_DELETE},
      {WM_TRANSPARENTELEMENT_STATUSCHANGED, 3, STATUSCHANGED_DELETE},
      {WM_TRANSPARENTELEMENT_STATUSCHANGED, 1, STATUSCHANGED_DELETE},
  };
  EXPECT_EQ(callback.Take(), expected);
  EXPECT_EQ(dll().Clear(), 0);
  EXPECT_TRUE(callback.Take().empty());
}

TEST_F(Exports, FinalizeDeletesTheObjectsWithTheirStatusAndDropsTheWindow) {
  CallbackWindow callback;
  dll().SetCallBackWindowHandle(callback.handle());
  ASSERT_EQ(dll().Point(10, 10, 0, 255), 1);
  ASSERT_EQ(dll().Line(0, 0, 9, 9, 255), 2);
  callback.Take();
  EXPECT_EQ(dll().Finalize(), -1);
  EXPECT_EQ(FindOverlayWindow(), nullptr);
  EXPECT_EQ(callback.TakeStatus(), (std::vector<int>{STATUSCHANGED_DELETE, STATUSCHANGED_DELETE}));
}

TEST_F(Exports, WithoutACallbackWindowTheInsertStatusGoesToTheThreadQueue) {
  Pump(0);
  const int id = dll().Point(5, 5, 0, 0);
  ASSERT_GT(id, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), WM_TRANSPARENTELEMENT_STATUSCHANGED,
                           WM_TRANSPARENTELEMENT_STATUSCHANGED, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(id));
  EXPECT_EQ(msg.lParam, STATUSCHANGED_INSERT);
}

// Memory whose last bytes end right before an inaccessible page.
class EdgeOfMemory {
public:
  EdgeOfMemory() {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    page_ = si.dwPageSize;
    base_ = static_cast<char*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
  }
  ~EdgeOfMemory() { VirtualFree(base_, 0, MEM_RELEASE); }
  // The last `bytes` bytes of the accessible page.
  void* Tail(size_t bytes) { return base_ + page_ - bytes; }
private:
  size_t page_ = 0;
  char* base_ = nullptr;
};

TEST_F(Exports, BadInputAtTheBoundaryGivesFailureCodesNeverACrash) {
  EdgeOfMemory edge;
  // One point right before the inaccessible page: a count of 2 would read past it.
  auto* onePoint = static_cast<POINT*>(edge.Tail(sizeof(POINT)));
  onePoint->x = 10;
  onePoint->y = 10;
  const POINT two[2] = {{0, 0}, {100, 100}};
  EXPECT_EQ(dll().Polyline(nullptr, 3, 255), -3);
  EXPECT_EQ(dll().Polyline(onePoint, 2, 255), -3);
  EXPECT_EQ(dll().Polyline(two, INT_MAX, 255), -3);
  EXPECT_GT(dll().Polyline(onePoint, 1, 255), 0);
  EXPECT_GT(dll().Polyline(nullptr, 0, 255), 0);   // a polyline without points
  EXPECT_GT(dll().Polyline(nullptr, -5, 255), 0);

  // Texts: null, garbage and unterminated pointers read as what is readable.
  char* unterminated = static_cast<char*>(edge.Tail(4));
  memcpy(unterminated, "abcd", 4);
  const std::string longFont(300, 'F');
  EXPECT_GT(dll().Text(10, 10, nullptr, nullptr, 12, 0, 0, 0), 0);
  EXPECT_GT(dll().Text(10, 10, reinterpret_cast<const char*>(16), "Arial", 12, 1, 1, 0), 0);
  EXPECT_GT(dll().Text(10, 10, unterminated, unterminated, 12, 0, 0, 0), 0);
  EXPECT_GT(dll().Text(10, 10, "long face name", longFont.c_str(), 12, 0, 0, 0), 0);
  EXPECT_GT(dll().Text(INT_MAX, INT_MIN, "far away", "Arial", INT_MAX, 0, 0, 0), 0);

  EXPECT_EQ(dll().BitmapByFile(0, 0, nullptr, 0), -2);
  EXPECT_EQ(dll().BitmapByFile(0, 0, reinterpret_cast<const char*>(16), 0), -2);
  EXPECT_EQ(dll().BitmapByResource(0, 0, reinterpret_cast<HINSTANCE>(0x12345678), "BMP", 0), -3);
  EXPECT_EQ(dll().BitmapByResource(0, 0, nullptr, "BMP", 0), -3);
  // Names below 65536 are ordinals; a module that lacks the resource still gives an object.
  HINSTANCE self = GetModuleHandleA(nullptr);
  EXPECT_GT(dll().BitmapByResource(0, 0, self, reinterpret_cast<const char*>(4711), 0), 0);
  EXPECT_GT(dll().BitmapByResource(0, 0, self, "NO_SUCH_BITMAP", 0), 0);

  EXPECT_GT(dll().Point(INT_MAX, INT_MAX, 3, 0xFFFFFFFF), 0);
  EXPECT_GT(dll().Point(INT_MIN, INT_MIN, -7, 0), 0);
  EXPECT_GT(dll().Line(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 255), 0);
  EXPECT_GT(dll().Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 255), 0);
  EXPECT_GT(dll().Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 255), 0);
  EXPECT_GT(dll().Ellipse(INT_MAX, INT_MAX, INT_MIN, INT_MIN, 255), 0);

  EXPECT_EQ(dll().SetCallBackWindowHandle(reinterpret_cast<HWND>(0xDEAD)), 0);
  EXPECT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_LINEWIDTH, 1, INT_MAX, INT_MIN, -1), 1);
  EXPECT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_SETTRANSPARENT, 1, INT_MIN, 0, 0), 1);
  EXPECT_EQ(dll().Operation(INT_MIN, INT_MIN, 0, 0, 0), 0);
  EXPECT_EQ(dll().ScriptCommand(reinterpret_cast<const char*>(16)), -1);
  EXPECT_EQ(dll().ScriptCommandFile(nullptr), -1);

  // Let the repaint draw all of that, then take it down again.
  Pump(100);
  EXPECT_GT(dll().Clear(), 0);
  Pump(50);
  EXPECT_EQ(dll().Finalize(), -1);
}

}  // namespace

#include "OwnProcessMain.h"
QZ_OWN_PROCESS_TEST_MAIN
