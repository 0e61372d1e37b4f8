#include "win/Handles.h"
#include <gtest/gtest.h>

TEST(Handles, CloseOnceAndMove) {
  win::KernelHandle a(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(a);
  HANDLE raw = a.get();
  win::KernelHandle b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(b.get(), raw);
  b.reset();
  EXPECT_FALSE(b);
  DWORD flags = 0;
  EXPECT_FALSE(::GetHandleInformation(raw, &flags));  // already closed
}

TEST(Handles, FileHandleInvalidIsNotValid) {
  win::FileHandle f(::CreateFileA("Z:\\no\\such\\dir\\file", GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(f);
}
