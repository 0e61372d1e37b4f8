// Input a host or its user may hand the real library that must never end the
// host: damaged pictures, drawings too heavy for one window region, coordinates
// at the ends of the 32-bit range. Each test runs in a process of its own that
// reports its own pass, since a crashing wine process can exit with 0.
#include <windows.h>
#include <gtest/gtest.h>
#include <climits>
#include <string>

#include "OverlayTestSupport.h"
#include "overlay/PictureFixtures.h"
#include "overlay/core/TempDir.h"

using namespace qztest;

namespace {

class HostileInput : public OverlayDllTest {};

TEST_F(HostileInput, DamagedPicturesGiveMinusThreeAndTheHostGoesOn) {
  TempDir dir;
  for (const NamedBytes& damaged : DamagedPictures()) {
    SCOPED_TRACE(damaged.name);
    const std::string file = dir.file(damaged.name);
    WriteFileBytes(file, damaged.bytes);
    EXPECT_EQ(dll().BitmapByFile(10, 10, file.c_str(), 0), -3);
    EXPECT_EQ(dll().ScriptCommand(("BITMAPBYFILENAME 10 10 ''" + file + "'' 0").c_str()), -3);
  }
  const std::string good = dir.file("good.bmp");
  WriteFileBytes(good, Bmp24(20, 10));
  EXPECT_EQ(dll().BitmapByFile(100, 100, good.c_str(), 0), 1);   // no failure used up an ID
  Pump(100);
  EXPECT_EQ(dll().Finalize(), -1);
}

}  // namespace

#include "OwnProcessMain.h"
QZ_OWN_PROCESS_TEST_MAIN
