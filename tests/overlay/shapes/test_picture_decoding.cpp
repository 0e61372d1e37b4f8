// Pictures are decoded from bounded buffers: every BMP layout as the system
// decodes it, and damaged files, icons and resources refused without reading
// past their end.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

#include "ShapeTestSupport.h"
#include "overlay/PictureFixtures.h"
#include "uBmpDecoder.h"
#include "uIconLoader.h"
#include "uScreenBitmap.h"
#include "win/DibBitmap.h"
#include "win/IconImage.h"

using namespace qztest;

namespace {

// What the system's own loader makes of the file, as 32-bpp pixels.
bool SystemDecode(const std::string& file, win::DibBitmap& out) {
  win::GdiObject bitmap(::LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0,
                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  BITMAP info{};
  if (!bitmap || !::GetObjectA(bitmap.get(), sizeof info, &info)) return false;
  if (!out.setSize(info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight)) return false;
  win::MemDc dc(::CreateCompatibleDC(out.dc()));
  win::SelectScope select(dc.get(), bitmap.get());
  ::BitBlt(out.dc(), 0, 0, out.width(), out.height(), dc.get(), 0, 0, SRCCOPY);
  ::GdiFlush();
  return true;
}

BmpSpec Spec(int w, int h, int bpp, uint32_t compression = 0) {
  BmpSpec b;
  b.width = w, b.height = h, b.bpp = bpp, b.compression = compression;
  if (bpp <= 8) b.palette = Noise(size_t(4) << bpp, bpp * 7 + 1);
  return b;
}

struct Layout {
  const char* name;
  BmpSpec spec;
};

std::vector<Layout> Layouts() {
  std::vector<Layout> all = {
      {"1 bpp", Spec(13, 5, 1)},
      {"4 bpp", Spec(13, 5, 4)},
      {"8 bpp", Spec(13, 5, 8)},
      {"16 bpp", Spec(13, 5, 16)},
      {"24 bpp", Spec(13, 5, 24)},
      {"32 bpp", Spec(13, 5, 32)},
  };
  BmpSpec few = Spec(9, 4, 8);
  few.colorsUsed = 16;
  few.palette = Noise(16 * 4, 9);
  few.bits = std::string(12 * 4, '\x0F');   // every index within the table
  all.push_back({"8 bpp with 16 colours", few});
  BmpSpec f32 = Spec(7, 3, 32, 3);
  f32.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
  all.push_back({"32 bpp bit fields 10-10-10", f32});
  BmpSpec v5 = Spec(7, 3, 32, 3);
  v5.headerSize = 124;
  v5.masks = {0x0000FF00, 0x00FF0000, 0xFF000000};
  all.push_back({"version 5 header", v5});
  BmpSpec core24 = Spec(10, 4, 24);
  core24.headerSize = 12;
  all.push_back({"core header 24 bpp", core24});
  BmpSpec gap = Spec(6, 6, 24);
  gap.gap = 37;
  all.push_back({"pixels after a gap", gap});
  // RLE: runs, a literal run, a jump, line ends, a run past the row's end, the end mark.
  BmpSpec rle8 = Spec(8, 4, 8, 1);
  rle8.palette = Noise(256 * 4, 11);
  rle8.bits = std::string("\x03\x05\x00\x03\x07\x08\x09\x00\x00\x00\x00\x02\x02\x01\x02\x06\x00\x00"
                          "\x0C\x04\x00\x01", 22);
  all.push_back({"RLE8", rle8});
  BmpSpec rle4 = Spec(9, 3, 4, 2);
  rle4.bits = std::string("\x05\x12\x00\x03\x34\x50\x00\x00\x10\xAB\x00\x01", 12);
  all.push_back({"RLE4", rle4});
  return all;
}

TEST(PictureDecoding, EveryBmpLayoutDecodesAsTheSystemDecodesIt) {
  TempDir dir;
  for (const Layout& layout : Layouts()) {
    SCOPED_TRACE(layout.name);
    const std::string file = dir.file("layout.bmp");
    WriteFileBytes(file, BmpFile(layout.spec));
    win::DibBitmap expected;
    ASSERT_TRUE(SystemDecode(file, expected));
    TScreenBitmap shape;
    ASSERT_TRUE(shape.LoadFromFile(file));
    ASSERT_EQ(shape.Bitmap->width(), expected.width());
    ASSERT_EQ(shape.Bitmap->height(), expected.height());
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y)
      for (int x = 0; x < expected.width(); ++x)
        if (shape.Bitmap->pixel(x, y) != expected.pixel(x, y) && differing++ < 3)
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << shape.Bitmap->pixel(x, y)
                        << " instead of " << expected.pixel(x, y);
    EXPECT_EQ(differing, 0);
  }
}

COLORREF Pixel(const TDecodedPicture& p, int x, int y) {
  const uint8_t* px = p.Rgb.data() + (size_t(y) * p.Width + x) * 3;
  return RGB(px[0], px[1], px[2]);
}

TDecodedPicture Decode(const std::string& file) {
  TDecodedPicture out;
  std::string error;
  EXPECT_TRUE(DecodeBmpFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), out, error)) << error;
  return out;
}

// Where the system's loader under wine bends the colours (5-6-5 through 5-5-5,
// core colour tables) or drops the picture (top-down rows), the pixels are
// those the file holds.
TEST(PictureDecoding, LayoutsOfExactColours) {
  BmpSpec f565 = Spec(4, 1, 16, 3);
  f565.masks = {0xF800, 0x07E0, 0x001F};
  f565.bits = std::string("\x00\xF8\xE0\x07\x1F\x00\x00\x04", 8);
  BmpSpec core = Spec(3, 1, 8);
  core.headerSize = 12;
  core.palette = std::string(256 * 3, '\0');
  core.palette.replace(3, 6, "\x01\x02\x03\x04\x05\x06");   // entries 1 and 2, blue first
  core.bits = std::string("\x02\x01\x00\x00", 4);
  const struct {
    const char* name;
    BmpSpec spec;
    std::vector<COLORREF> row;
  } cases[] = {
      // 6 bits 100000 of green: the high bits repeat below.
      {"5-6-5", f565, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(0, 130, 0)}},
      {"core colour table", core, {RGB(6, 5, 4), RGB(3, 2, 1), RGB(0, 0, 0)}},
  };
  for (const auto& c : cases) {
    const TDecodedPicture p = Decode(BmpFile(c.spec));
    ASSERT_EQ(size_t(p.Width), c.row.size()) << c.name;
    for (size_t x = 0; x < c.row.size(); ++x) EXPECT_EQ(Pixel(p, int(x), 0), c.row[x]) << c.name << " " << x;
  }

  // Top-down rows give the picture that bottom-up rows in reverse order give.
  BmpSpec down = Spec(5, -3, 24), up = Spec(5, 3, 24);
  down.bits = Noise(BmpStride(5, 24) * 3, 21);
  for (int row = 2; row >= 0; --row) up.bits += down.bits.substr(row * BmpStride(5, 24), BmpStride(5, 24));
  EXPECT_EQ(Decode(BmpFile(down)).Rgb, Decode(BmpFile(up)).Rgb);
}

// Among them a download cut to 8 KiB, a file cut to 100
// bytes, a pixel offset past the end.
TEST(PictureDecoding, DamagedFilesFailThatPictureAndLeaveTheShapeAlone) {
  TempDir dir;
  const std::string good = dir.file("good.bmp");
  WriteFileBytes(good, Bmp24(3, 2));
  for (const NamedBytes& damaged : DamagedPictures()) {
    SCOPED_TRACE(damaged.name);
    const std::string file = dir.file(damaged.name);
    WriteFileBytes(file, damaged.bytes);
    TScreenBitmap shape;
    ASSERT_TRUE(shape.LoadFromFile(good));
    EXPECT_THROW(shape.LoadFromFile(file), EPictureError);
    EXPECT_EQ(shape.FileName, good);
    EXPECT_EQ(shape.Bitmap->width(), 3);
  }
}

// Bytes placed at the very end of readable memory: one byte read past them
// faults, and the test with it.
class EdgeBuffer {
public:
  explicit EdgeBuffer(const std::string& bytes) {
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    const size_t pages = bytes.size() / si.dwPageSize + 1;
    base_ = static_cast<uint8_t*>(::VirtualAlloc(nullptr, (pages + 1) * si.dwPageSize, MEM_RESERVE | MEM_COMMIT,
                                                 PAGE_READWRITE));
    DWORD old;
    ::VirtualProtect(base_ + pages * si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &old);
    data_ = base_ + pages * si.dwPageSize - bytes.size();
    std::copy(bytes.begin(), bytes.end(), data_);
  }
  ~EdgeBuffer() { ::VirtualFree(base_, 0, MEM_RELEASE); }
  const uint8_t* data() const { return data_; }

private:
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
};

TEST(PictureDecoding, BufferEndsAreNeverCrossed) {
  // Every cut of a file of each layout, and every damaged file, either decodes
  // or fails; none is read past its end.
  std::vector<NamedBytes> files = DamagedPictures();
  for (const Layout& layout : Layouts()) {
    const std::string whole = BmpFile(layout.spec);
    for (size_t n = 0; n < whole.size(); ++n) files.push_back({layout.name, whole.substr(0, n)});
  }
  const std::string icon = IcoFile(16);
  for (size_t n = 0; n < icon.size(); n += 7) files.push_back({"cut.ico", icon.substr(0, n)});
  files.push_back({"whole.ico", icon});
  for (const NamedBytes& file : files) {
    const EdgeBuffer edge(file.bytes);
    std::string error;
    if (file.name.find(".ico") != std::string::npos) {
      win::IconImage image;
      image.adopt(CreateIconFromIcoData(edge.data(), file.bytes.size(), 32, 32, error));
      EXPECT_EQ(image.empty(), !error.empty()) << file.name;
      EXPECT_EQ(image.empty(), file.bytes != icon) << file.name << " of " << file.bytes.size() << " bytes";
      continue;
    }
    TDecodedPicture out;
    if (!DecodeBmpFile(edge.data(), file.bytes.size(), out, error))
      EXPECT_FALSE(error.empty()) << file.name;
    else
      EXPECT_EQ(out.Rgb.size(), size_t(out.Width) * out.Height * 3) << file.name;
  }
}

TEST(PictureDecoding, RleRunsPastTheRowOrThePictureAreDropped) {
  BmpSpec rle = Spec(4, 2, 8, 1);
  // 200 pixels in one run, a jump far beyond the picture, then more runs.
  rle.bits = std::string("\xC8\x01\x00\x02\xFF\xFF\x05\x02\x00\x01", 10);
  const std::string file = BmpFile(rle);
  TDecodedPicture out;
  std::string error;
  ASSERT_TRUE(DecodeBmpFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), out, error)) << error;
  EXPECT_EQ(out.Width, 4);
  EXPECT_EQ(out.Rgb.size(), 4u * 2 * 3);
}

// A damaged BITMAP resource of a module gives an empty picture, as a missing one does.
TEST(PictureDecoding, DamagedBitmapResourcesGiveAnEmptyPicture) {
  TempDir dir;
  const std::string module = dir.file("resources.exe");
  ASSERT_TRUE(::CopyFileA((ExeFolderOfTest() + "qz_shapes_mainicon.exe").c_str(), module.c_str(), FALSE));
  std::string good, cut, wide;
  good = PackedDib(Spec(4, 4, 24));
  cut = good.substr(0, good.size() - 10);
  wide = good;
  Patch32(wide, 4, 4000);
  HANDLE update = ::BeginUpdateResourceA(module.c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  for (const auto& r : {std::make_pair("GOOD", &good), std::make_pair("CUT", &cut), std::make_pair("WIDE", &wide)})
    ASSERT_TRUE(::UpdateResourceA(update, MAKEINTRESOURCEA(2), r.first, 0, &(*r.second)[0],
                                  static_cast<DWORD>(r.second->size())));
  ASSERT_TRUE(::EndUpdateResourceA(update, FALSE));
  win::Module loaded(::LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(loaded);
  for (const char* name : {"GOOD", "CUT", "WIDE"}) {
    TScreenBitmap shape;
    shape.LoadFromResource(loaded.get(), name);
    ASSERT_TRUE(shape.Bitmap) << name;
    EXPECT_EQ(shape.Bitmap->width(), std::string(name) == "GOOD" ? 4 : 0) << name;
    EXPECT_EQ(shape.FileName, std::string("::RES::") + name);
  }
}

// A program file whose "MAINICON" claims more pixels than its resource holds: that
// icon is passed over for the next one the rules name (icon 5, red).
TEST(PictureDecoding, ProgramFilesWithADamagedIconLoadSafely) {
  TempDir dir;
  std::string damaged;
  Put32(damaged, 40); Put32(damaged, 256); Put32(damaged, 512); Put16(damaged, 1); Put16(damaged, 32);
  damaged += std::string(24, '\0') + Noise(64, 1);
  const std::string sound = IcoFile(32).substr(22);
  int n = 0;
  for (const std::string* image : {static_cast<const std::string*>(&damaged), &sound}) {
    const std::string module = dir.file("icon" + std::to_string(++n) + ".exe");
    ASSERT_TRUE(::CopyFileA((ExeFolderOfTest() + "qz_shapes_icons57.exe").c_str(), module.c_str(), FALSE));
    std::string group;
    Put16(group, 0); Put16(group, 1); Put16(group, 1);
    group += std::string("\0\0\0\0", 4); Put16(group, 1); Put16(group, 32);
    Put32(group, static_cast<uint32_t>(image->size())); Put16(group, 100);
    HANDLE update = ::BeginUpdateResourceA(module.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    std::string bytes = *image;
    ASSERT_TRUE(::UpdateResourceA(update, MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(100), 0, &bytes[0],
                                  static_cast<DWORD>(bytes.size())));
    ASSERT_TRUE(::UpdateResourceA(update, MAKEINTRESOURCEA(14), "MAINICON", 0, &group[0],
                                  static_cast<DWORD>(group.size())));
    ASSERT_TRUE(::EndUpdateResourceA(update, FALSE));
    {
      win::Module loaded(::LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
      ASSERT_TRUE(loaded);
      win::IconImage icon;
      icon.adopt(CreateIconFromModule(loaded.get(), "MAINICON", 32, 32));
      EXPECT_EQ(icon.empty(), image == &damaged);
    }
    TScreenBitmap shape;
    ASSERT_TRUE(shape.LoadFromFile(module));
    ASSERT_FALSE(shape.Bitmap->empty());
    const COLORREF centre = shape.Bitmap->pixel(shape.Bitmap->width() / 2, shape.Bitmap->height() / 2);
    EXPECT_EQ(centre == RGB(255, 0, 0), image == &damaged);
  }
}

}  // namespace
