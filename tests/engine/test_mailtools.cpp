#include "MailTools.h"
#include <gtest/gtest.h>

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
