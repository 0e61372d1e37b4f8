#include "MailTools.h"
#include <gtest/gtest.h>
#include <string>

// A viewer of debugger output as such tools make one: the shared buffer and its
// two events. DebugOut's texts reach it, cut to 1024 characters.
TEST(MailTools, DebugOutReachesAViewerCutTo1024Characters) {
  HANDLE buffer = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER");
  HANDLE bufferReady = ::CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY");
  HANDLE dataReady = ::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
  ASSERT_TRUE(buffer && bufferReady && dataReady);
  const char* view = static_cast<const char*>(::MapViewOfFile(buffer, FILE_MAP_READ, 0, 0, 4096));
  ASSERT_TRUE(view);
  auto receive = [&](const std::string& text) {
    DebugOut(text);
    EXPECT_EQ(::WaitForSingleObject(dataReady, 5000), WAIT_OBJECT_0);
    const std::string got(view + 4);
    ::SetEvent(bufferReady);
    return got;
  };
  EXPECT_EQ(receive("a.txt Start"), "a.txt Start");
  const std::string longText = std::string(1000, 'x') + std::string(1000, 'y');
  EXPECT_EQ(receive(longText), longText.substr(0, 1024));
  ::UnmapViewOfFile(view);
  for (HANDLE h : {buffer, bufferReady, dataReady}) ::CloseHandle(h);
}

TEST(MailTools, ListBoxHorizontalExtent) {
  HWND lb = ::CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 100, 100,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(lb);
  auto extent = [&] { return static_cast<int>(::SendMessageA(lb, LB_GETHORIZONTALEXTENT, 0, 0)); };
  SetListBoxHorizontalExtent(lb, 123);
  EXPECT_EQ(extent(), 123);

  ::SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("short"));
  ::SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a much longer line of text in the list"));
  HDC dc = ::GetDC(lb);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(lb, WM_GETFONT, 0, 0)));
  SIZE size;
  ::GetTextExtentPoint32A(dc, "a much longer line of text in the list", 38, &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(lb, dc);
  SetListBoxHorizontalExtent(lb, -1);
  EXPECT_EQ(extent(), size.cx + ::GetSystemMetrics(SM_CXFRAME));
  ::DestroyWindow(lb);
}
