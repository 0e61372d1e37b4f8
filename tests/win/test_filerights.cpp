// A new file given another file's attributes and access rights: under wine the
// Linux mode and owner as the Linux side shows them, on Windows the DACL.
#include "QzTestFiles.h"
#include "QzTestUnix.h"
#include "win/FileRights.h"
#include "win/Handles.h"
#include <aclapi.h>
#include <sddl.h>
#include <gtest/gtest.h>

namespace {

struct FileRightsTest : ::testing::Test {

  std::string make(const std::string& name) {
    const std::string f = dir + "\\" + name;
    win::FileHandle h(::CreateFileA(f.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD n = 0;
    ::WriteFile(h.get(), "data", 4, &n, nullptr);
    return f;
  }
  // Carries the rights of From to a new file beside it, as a rewrite does.
  std::string carried(const std::string& from) {
    const std::string to = from + ".new";
    win::FileHandle in(::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    win::FileHandle out(::CreateFileA(to.c_str(), GENERIC_WRITE | win::kCarryRightsAccess, 0, nullptr, CREATE_NEW, 0,
                                      nullptr));
    EXPECT_TRUE(in && out);
    EXPECT_TRUE(win::CarryFileRights(in.get(), out.get())) << from;
    return to;
  }
  qztest::TempFolder folder{"rights"};
  std::string dir = folder.path();
};

std::string unixOwner(const std::string& f) {
  std::string out;
  qztest::RunUnix("stat -c %u:%g '" + qztest::UnixPath(f) + "'", &out);
  return out;
}

}  // namespace

TEST_F(FileRightsTest, TheLinuxModeAndOwnerGoOverUnderWine) {
  if (!qztest::UnderWineOnLinux()) GTEST_SKIP() << "Linux modes exist under wine only";
  // Group and others apart, execute apart from read, the set-group-id bit: what a
  // security descriptor under wine cannot hold.
  for (const char* mode : {"600", "640", "604", "755", "2750"}) {
    const std::string f = make(std::string("m") + mode);
    ASSERT_TRUE(qztest::Chmod(f, mode));
    ASSERT_EQ(qztest::UnixMode(f), mode);
    EXPECT_EQ(qztest::UnixMode(carried(f)), mode);
  }
  std::string uid;
  ASSERT_TRUE(qztest::RunUnix("id -u", &uid));
  if (uid == "0\n") {  // only root may give a file to another owner
    const std::string f = make("owned");
    ASSERT_TRUE(qztest::RunUnix("chown 1234:2345 '" + qztest::UnixPath(f) + "' && chmod 640 '" + qztest::UnixPath(f) + "'"));
    const std::string to = carried(f);
    EXPECT_EQ(unixOwner(to), "1234:2345\n");
    EXPECT_EQ(qztest::UnixMode(to), "640");
  }
}

TEST_F(FileRightsTest, HiddenAndSystemStayAndTheNewContentIsMarkedForArchiving) {
  const std::string plain = make("plain"), hidden = make("hidden");
  ASSERT_TRUE(::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(::GetFileAttributesA(carried(hidden).c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(::GetFileAttributesA(carried(plain).c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
}

TEST_F(FileRightsTest, TheDaclGoesOverOnWindows) {
  if (qztest::UnderWineOnLinux()) GTEST_SKIP() << "under wine the rights are the Linux mode";
  // A private file: only its owner, nothing inherited from the folder.
  const std::string f = make("private");
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;OW)", SDDL_REVISION_1, &sd, nullptr));
  ASSERT_TRUE(::SetFileSecurityA(f.c_str(), DACL_SECURITY_INFORMATION, sd));
  ::LocalFree(sd);
  auto dacl = [](const std::string& name) {
    PSECURITY_DESCRIPTOR d = nullptr;
    char* text = nullptr;
    std::string result;
    if (::GetNamedSecurityInfoA(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr, &d) == ERROR_SUCCESS &&
        ::ConvertSecurityDescriptorToStringSecurityDescriptorA(d, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                               nullptr))
      result = text;
    ::LocalFree(text);
    ::LocalFree(d);
    return result;
  };
  EXPECT_EQ(dacl(carried(f)), dacl(f));
}
