#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "ShapeTestSupport.h"
#include "uJpegDecoder.h"
#include "uScreenBitmap.h"

#include <jpeglib.h>

namespace {

void Put16(std::string& s, uint32_t v) { s += char(v & 0xFF); s += char((v >> 8) & 0xFF); }
void Put32(std::string& s, uint32_t v) { Put16(s, v & 0xFFFF); Put16(s, v >> 16); }

// A 24-bpp bottom-up BMP file; colour(x, y) with y from the top.
template <class F>
std::string BmpBytes(int w, int h, F colour) {
  const int row = (w * 3 + 3) / 4 * 4;
  std::string s = "BM";
  Put32(s, 54 + row * h); Put32(s, 0); Put32(s, 54);
  Put32(s, 40); Put32(s, w); Put32(s, h); Put16(s, 1); Put16(s, 24);
  Put32(s, 0); Put32(s, row * h); Put32(s, 2835); Put32(s, 2835); Put32(s, 0); Put32(s, 0);
  for (int y = h - 1; y >= 0; --y) {
    std::string line;
    for (int x = 0; x < w; ++x) {
      COLORREF c = colour(x, y);
      line += char(GetBValue(c)); line += char(GetGValue(c)); line += char(GetRValue(c));
    }
    line.resize(row, '\0');
    s += line;
  }
  return s;
}

// A 16 x 16 24-bpp icon of one colour whose top-left 4 x 4 pixels are transparent.
std::string IcoBytes(COLORREF c) {
  std::string img;
  Put32(img, 40); Put32(img, 16); Put32(img, 32); Put16(img, 1); Put16(img, 24);
  Put32(img, 0); Put32(img, 16 * 16 * 3 + 16 * 4); Put32(img, 0); Put32(img, 0); Put32(img, 0); Put32(img, 0);
  for (int y = 15; y >= 0; --y)   // colour rows, bottom-up; black where the mask is set
    for (int x = 0; x < 16; ++x) {
      const bool clear = x < 4 && y < 4;
      img += char(clear ? 0 : GetBValue(c)); img += char(clear ? 0 : GetGValue(c)); img += char(clear ? 0 : GetRValue(c));
    }
  for (int y = 15; y >= 0; --y) {   // AND mask rows, bottom-up, 32-bit aligned
    const uint8_t bits = y < 4 ? 0xF0 : 0x00;
    img += char(bits); img += '\0'; img += '\0'; img += '\0';
  }
  std::string s;
  Put16(s, 0); Put16(s, 1); Put16(s, 1);
  s += char(16); s += char(16); s += '\0'; s += '\0'; Put16(s, 1); Put16(s, 24);
  Put32(s, static_cast<uint32_t>(img.size())); Put32(s, 22);
  return s + img;
}

// A baseline JPEG, encoded here: left half red, right half blue.
std::string JpegBytes(int w, int h) {
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = w;
  info.image_height = h;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(w * 3);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < w; ++x) {
      const bool left = x < w / 2;
      row[x * 3] = left ? 255 : 0;
      row[x * 3 + 1] = 0;
      row[x * 3 + 2] = left ? 0 : 255;
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<char*>(out), size);
  jpeg_destroy_compress(&info);
  std::free(out);
  return bytes;
}

bool Near(COLORREF a, COLORREF b, int tolerance = 24) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

const COLORREF kIconKey = RGB(254, 5, 254);

}  // namespace

TEST(BitmapShape, LoadsBmpFiles) {
  TempDir dir;
  const std::string file = dir.file("logo.bmp");
  WriteFileBytes(file, BmpBytes(5, 4, [](int x, int y) { return x == 0 ? RGB(255, 0, 255) : RGB(x * 50, y * 60, 7); }));
  TScreenBitmap b;
  EXPECT_EQ(b.Type, 8);
  b.AddPoint(100, 100);
  ASSERT_TRUE(b.LoadFromFile(file));
  ASSERT_TRUE(b.Bitmap);
  EXPECT_EQ(b.Bitmap->width(), 5);
  EXPECT_EQ(b.Bitmap->height(), 4);
  EXPECT_EQ(b.Bitmap->pixel(3, 2), RGB(150, 120, 7));
  EXPECT_EQ(b.Bitmap->pixel(0, 3), RGB(255, 0, 255));
  EXPECT_EQ(b.FileName, file);
  HRGN rgn = PaintRegion(b);   // the magenta column is left out
  EXPECT_TRUE(SameRect(RgnBox(rgn), RECT{99, 98, 103, 102}));
}

TEST(BitmapShape, IconFilesGetTheirOwnBackground) {
  TempDir dir;
  for (const char* name : {"picture.ico", "PICTURE2.ICO", "x.icon"}) {
    const std::string file = dir.file(name);
    WriteFileBytes(file, IcoBytes(RGB(0, 200, 0)));
    TScreenBitmap b;
    ASSERT_TRUE(b.LoadFromFile(file)) << name;
    ASSERT_TRUE(b.Bitmap);
    // Icons come at the system's icon size.
    EXPECT_EQ(b.Bitmap->width(), ::GetSystemMetrics(SM_CXICON)) << name;
    EXPECT_EQ(b.Bitmap->height(), ::GetSystemMetrics(SM_CYICON)) << name;
    EXPECT_EQ(b.Bitmap->pixel(1, 1), kIconKey) << name;
    EXPECT_EQ(b.Bitmap->pixel(8, 8), RGB(0, 200, 0)) << name;
    EXPECT_EQ(b.TransparentColor, kIconKey);
  }
  // Created as the overlay does: the caller's colour replaces the icon's own,
  // so magenta shows the icon background and the background colour hides it.
  const std::string file = dir.file("picture.ico");
  for (COLORREF key : {RGB(255, 0, 255), kIconKey}) {
    TScreenBitmap b;
    b.AddPoint(50, 50);
    ASSERT_TRUE(b.LoadFromFile(file));
    b.SetTransparentColor(key);
    HRGN rgn = PaintRegion(b);
    const POINT o = b.PictureOrigin();
    EXPECT_EQ(InRgn(rgn, o.x + 1, o.y + 1), key != kIconKey);
    EXPECT_TRUE(InRgn(rgn, 50, 50));
  }
}

TEST(BitmapShape, JpegFilesAreDecoded) {
  TempDir dir;
  const std::string bytes = JpegBytes(40, 30);
  for (const char* name : {"photo.jpg", "PHOTO2.JPG"}) {
    const std::string file = dir.file(name);
    WriteFileBytes(file, bytes);
    TScreenBitmap b;
    ASSERT_TRUE(b.LoadFromFile(file));
    ASSERT_TRUE(b.Bitmap);
    EXPECT_EQ(b.Bitmap->width(), 40);
    EXPECT_EQ(b.Bitmap->height(), 30);
    EXPECT_TRUE(Near(b.Bitmap->pixel(5, 15), RGB(255, 0, 0))) << std::hex << b.Bitmap->pixel(5, 15);
    EXPECT_TRUE(Near(b.Bitmap->pixel(35, 15), RGB(0, 0, 255))) << std::hex << b.Bitmap->pixel(35, 15);
  }
}

TEST(BitmapShape, OtherExtensionsGiveAnEmptyPicture) {
  TempDir dir;
  const std::string jpeg = dir.file("photo.jpeg");   // the extension does not contain JPG
  WriteFileBytes(jpeg, JpegBytes(8, 8));
  const std::string text = dir.file("readme.txt");
  WriteFileBytes(text, "hello");
  const std::string bare = dir.file("noextension");
  WriteFileBytes(bare, "hello");
  for (const std::string& file : {jpeg, text, bare}) {
    TScreenBitmap b;
    b.AddPoint(10, 10);
    ASSERT_TRUE(b.LoadFromFile(file)) << file;
    ASSERT_TRUE(b.Bitmap);
    EXPECT_TRUE(b.Bitmap->empty());
    EXPECT_TRUE(RgnEmpty(PaintRegion(b)));
    EXPECT_FALSE(b.HitTest(POINT{10, 10}));
    EXPECT_EQ(b.FileName, file);
  }
}

TEST(BitmapShape, MissingFileLeavesTheShapeAlone) {
  TempDir dir;
  const std::string file = dir.file("a.bmp");
  WriteFileBytes(file, BmpBytes(3, 3, [](int, int) { return RGB(1, 2, 3); }));
  TScreenBitmap b;
  ASSERT_TRUE(b.LoadFromFile(file));
  EXPECT_FALSE(b.LoadFromFile(dir.file("missing.bmp")));
  EXPECT_EQ(b.FileName, file);
  EXPECT_EQ(b.Bitmap->width(), 3);
}

// Undecodable pictures fail that one picture with an error and leave the
// shape as it was; the process goes on.
TEST(BitmapShape, BrokenPicturesFailCleanly) {
  TempDir dir;
  const std::string good = dir.file("good.bmp");
  WriteFileBytes(good, BmpBytes(3, 2, [](int, int) { return RGB(9, 9, 9); }));

  const std::string jpeg = JpegBytes(64, 48);
  std::string huge = jpeg;   // frame header patched to 20000 x 20000
  for (size_t i = 0; i + 8 < huge.size(); ++i)
    if (uint8_t(huge[i]) == 0xFF && uint8_t(huge[i + 1]) == 0xC0) {
      huge[i + 5] = char(0x4E); huge[i + 6] = char(0x20);
      huge[i + 7] = char(0x4E); huge[i + 8] = char(0x20);
      break;
    }
  std::string wideBmp = BmpBytes(2, 2, [](int, int) { return RGB(0, 0, 0); });
  wideBmp[18] = char(0xA0); wideBmp[19] = char(0x86); wideBmp[20] = char(0x01);   // width 100000
  struct Case { const char* name; std::string bytes; } cases[] = {
      {"truncated.jpg", jpeg.substr(0, jpeg.size() / 2)},
      {"header-only.jpg", jpeg.substr(0, 20)},
      {"garbage.jpg", std::string(300, 'x')},
      {"empty.jpg", std::string()},
      {"huge.jpg", huge},
      {"garbage.bmp", "BM" + std::string(100, '\x7f')},
      {"wide.bmp", wideBmp},
      {"garbage.ico", std::string(64, '\x01')},
  };
  for (const auto& c : cases) {
    const std::string file = dir.file(c.name);
    WriteFileBytes(file, c.bytes);
    TScreenBitmap b;
    ASSERT_TRUE(b.LoadFromFile(good));
    EXPECT_THROW(b.LoadFromFile(file), EPictureError) << c.name;
    EXPECT_EQ(b.FileName, good) << c.name;
    EXPECT_EQ(b.Bitmap->width(), 3) << c.name;
  }
}

TEST(JpegDecoder, ReportsWhyItFails) {
  const std::string jpeg = JpegBytes(16, 16);
  TDecodedPicture out;
  std::string error;
  ASSERT_TRUE(DecodeJpegMemory(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), out, error));
  EXPECT_EQ(out.Width, 16);
  EXPECT_EQ(out.Rgb.size(), 16u * 16u * 3u);
  EXPECT_FALSE(DecodeJpegMemory(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size() - 40, out, error));
  EXPECT_EQ(error, "picture data ends early");
  EXPECT_TRUE(out.Rgb.empty());
  EXPECT_FALSE(DecodeJpegFile("Z:\\no\\such\\file.jpg", out, error));
}

TEST(BitmapShape, ModuleResources) {
  HINSTANCE self = ::GetModuleHandleA(nullptr);
  TScreenBitmap b;
  b.LoadFromResource(self, "QZLOGO");
  b.AddPoint(100, 100);
  ASSERT_TRUE(b.Bitmap);
  EXPECT_EQ(b.Bitmap->width(), 8);
  EXPECT_EQ(b.Bitmap->height(), 6);
  EXPECT_EQ(b.Bitmap->pixel(0, 0), RGB(255, 0, 255));
  EXPECT_EQ(b.Bitmap->pixel(3, 3), RGB(0, 0, 255));
  EXPECT_EQ(b.FileName, "::RES::QZLOGO");
  HRGN rgn = PaintRegion(b);   // picture at (96, 97), its magenta frame left out
  EXPECT_TRUE(SameRect(RgnBox(rgn), RECT{97, 98, 103, 102}));

  // Module numbers come from scripts too: what is no module gives an empty
  // picture instead of a crash.
  std::vector<char> heap(4096, 'x');
  for (HINSTANCE bogus : {reinterpret_cast<HINSTANCE>(0x12345), reinterpret_cast<HINSTANCE>(heap.data() + 16),
                          reinterpret_cast<HINSTANCE>(0x7FFF0000)}) {
    TScreenBitmap wrong;
    wrong.LoadFromResource(bogus, "QZLOGO");
    ASSERT_TRUE(wrong.Bitmap);
    EXPECT_TRUE(wrong.Bitmap->empty());
  }

  TScreenBitmap missing;
  missing.LoadFromResource(self, "NOSUCHBITMAP");
  ASSERT_TRUE(missing.Bitmap);
  EXPECT_TRUE(missing.Bitmap->empty());
  EXPECT_EQ(missing.FileName, "::RES::NOSUCHBITMAP");
}

TEST(BitmapShape, ProgramFileIconsWithoutRunningTheProgram) {
  TempDir dir;
  const std::string marker = dir.file("ran.txt");
  ::SetEnvironmentVariableA("QZ_RESMODULE_MARKER", marker.c_str());
  struct Case { const char* module; COLORREF colour; } cases[] = {
      {"qz_shapes_icons57.exe", RGB(255, 0, 0)},    // icons 5 and 7: 5 is taken
      {"qz_shapes_mainicon.exe", RGB(0, 255, 0)},   // MAINICON wins over 1 and 5
  };
  for (const auto& c : cases) {
    const std::string file = ExeFolderOfTest() + c.module;
    TScreenBitmap b;
    ASSERT_TRUE(b.LoadFromFile(file)) << file;
    ASSERT_TRUE(b.Bitmap);
    ASSERT_FALSE(b.Bitmap->empty()) << c.module;
    const int w = b.Bitmap->width(), h = b.Bitmap->height();
    EXPECT_EQ(w, ::GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(b.Bitmap->pixel(w / 2, h / 2), c.colour) << c.module;
    EXPECT_EQ(b.Bitmap->pixel(0, 0), kIconKey) << c.module;   // the icon's transparent corner
    EXPECT_EQ(b.TransparentColor, kIconKey);
    EXPECT_EQ(::GetModuleHandleA(c.module), nullptr) << "still loaded: " << c.module;
  }
  EXPECT_FALSE(FileExists(marker)) << "the program file's code ran";
  {
    // The probe itself: loading the module as code does leave the mark.
    win::Module run(::LoadLibraryA((ExeFolderOfTest() + cases[0].module).c_str()));
    EXPECT_TRUE(FileExists(marker));
  }
  ::SetEnvironmentVariableA("QZ_RESMODULE_MARKER", nullptr);

  // Its icon by the module routine: "MAINICON", else the lowest number.
  win::Module module(::LoadLibraryExA((ExeFolderOfTest() + "qz_shapes_icons57.exe").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(module);
  win::Icon icon(TScreenBitmap::LoadModuleIcon(module.get()));
  EXPECT_TRUE(icon);
  EXPECT_EQ(TScreenBitmap::LoadModuleIcon(nullptr), nullptr);

  // A program file without icons, or one that is no module, gives an empty picture.
  const std::string fake = dir.file("fake.exe");
  WriteFileBytes(fake, "MZ not really a program");
  TScreenBitmap b;
  ASSERT_TRUE(b.LoadFromFile(fake));
  EXPECT_TRUE(b.Bitmap->empty());
}

TEST(BitmapShape, IniRoundTripOfFileAndResourcePictures) {
  TestDesktop desk(1000, 800);
  TestIni ini;
  const std::string file = ini.dir().file("logo.bmp");
  WriteFileBytes(file, BmpBytes(4, 4, [](int, int) { return RGB(0, 0, 255); }));

  TScreenBitmap fromFile;
  fromFile.AddPoint(300, 200);
  ASSERT_TRUE(fromFile.LoadFromFile(file));
  fromFile.SetTransparentColor(RGB(1, 2, 3));
  TStringVector files;
  fromFile.SaveToIni(ini.file(), "File", &files);
  EXPECT_EQ(ReadIniString(ini.file(), "File", "FileName", ""), "logo.bmp");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], file);
  fromFile.SaveToIni(ini.file(), "Full", nullptr);
  EXPECT_EQ(ReadIniString(ini.file(), "Full", "FileName", ""), file);
  TScreenBitmap back;
  ASSERT_TRUE(back.LoadFromIni(ini.file(), "Full", nullptr));
  EXPECT_EQ(back.Bitmap->width(), 4);
  EXPECT_EQ(back.TransparentColor, RGB(1, 2, 3));
  EXPECT_EQ(back.Points[0].ScreenX, 300);

  // A resource picture keeps its resource name, with or without a file list,
  // and comes back from the host program's own resources.
  TScreenBitmap fromRes;
  fromRes.LoadFromResource(::GetModuleHandleA(nullptr), "QZLOGO");
  fromRes.AddPoint(100, 100);
  files.clear();
  fromRes.SaveToIni(ini.file(), "Res", &files);
  EXPECT_EQ(ReadIniString(ini.file(), "Res", "FileName", ""), "::RES::QZLOGO");
  EXPECT_TRUE(files.empty());
  TScreenBitmap resBack;
  ASSERT_TRUE(resBack.LoadFromIni(ini.file(), "Res", nullptr));
  EXPECT_EQ(resBack.FileName, "::RES::QZLOGO");
  ASSERT_TRUE(resBack.Bitmap);
  EXPECT_EQ(resBack.Bitmap->width(), 8);

  // Empty or vanished file names report failure.
  WriteIniString(ini.file(), "Res", "FileName", "");
  TScreenBitmap none;
  EXPECT_FALSE(none.LoadFromIni(ini.file(), "Res", nullptr));
  WriteIniString(ini.file(), "Res", "FileName", ini.dir().file("gone.bmp"));
  EXPECT_FALSE(none.LoadFromIni(ini.file(), "Res", nullptr));
  WriteIniString(ini.file(), "Res", "FileName", ini.dir().file("readme.txt"));
  TScreenObject plain;   // and a section of another kind is refused
  plain.SaveToIni(ini.file(), "Other", nullptr);
  EXPECT_FALSE(none.LoadFromIni(ini.file(), "Other", nullptr));
}

TEST(BitmapShape, ScriptLines) {
  TScreenBitmap b;
  b.AddPoint(300, 200);
  b.FileName = "C:\\pics\\logo.bmp";
  b.TransparentColor = RGB(255, 0, 255);
  b.LineWidth = 5;      // not written for pictures
  b.AutoHide = true;    // neither is this
  TStringVector script;
  b.GetScriptCommand(script);
  EXPECT_EQ(Lines(script), "BITMAPBYFILENAME 300 200 ''C:\\pics\\logo.bmp'' 16711935|");
  b.TransparentFactor = 30;
  b.ClickThrough = true;
  script.clear();
  b.GetScriptCommand(script);
  EXPECT_EQ(Lines(script),
            "BITMAPBYFILENAME 300 200 ''C:\\pics\\logo.bmp'' 16711935|"
            "OPERATION OVERLAYELEMENT_OPERATION_SETTRANSPARENT PREVIOUSCREATEDELEMENT 30 0 0|"
            "OPERATION OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH PREVIOUSCREATEDELEMENT TRUE 0 0|");

  // Resource pictures replay from their module, never as a file name.
  TScreenBitmap res;
  HINSTANCE self = ::GetModuleHandleA(nullptr);
  res.LoadFromResource(self, "QZLOGO");
  res.AddPoint(10, 20);
  res.SetTransparentColor(255);
  script.clear();
  res.GetScriptCommand(script);
  EXPECT_EQ(Lines(script), "BITMAPBYRESOURCE 10 20 " +
                               std::to_string(static_cast<int32_t>(reinterpret_cast<uintptr_t>(self))) +
                               " ''QZLOGO'' 255|");

  // Names the script could not read back give no lines.
  for (const char* name : {"C:\\it''s.bmp", "", "C:\\x'"}) {
    b.FileName = name;
    script.clear();
    b.GetScriptCommand(script);
    EXPECT_TRUE(script.empty()) << name;
  }
}

TEST(BitmapShape, HintsCaptionsAndPrompts) {
  TScreenBitmap b;
  EXPECT_EQ(b.GetHint(1), "Right mouse button to delete bitmap." SEP
                          "Left mouse button (keep pressed) to change position");
  EXPECT_EQ(b.GetHint(0), "Click mit der rechten Maustaste um das Bitmap zu l\xF6schen." SEP
                          "Click mit der linken Maustaste (gedr\xFC" "ckt halten) um die Position zu ver\xE4ndern.");
  EXPECT_EQ(b.GetDeleteCaption(0), "Bitmap l\xF6schen");
  EXPECT_EQ(b.GetDeleteCaption(1), "delete bitmap");
  EXPECT_EQ(b.GetCreatePrompt(1, 1), "Click on the position, where you want to place your bitmap." SEP
                                     "Right mouse button to cancel.");
  EXPECT_EQ(b.GetCreatePrompt(0, 2), "Klicken Sie auf die Stelle, an die Sie das Bitmap setzen wollen." SEP
                                     "Abbruch mit der rechten Maustaste.");
  EXPECT_EQ(b.GetCreatePrompt(1, 0), "");
  EXPECT_EQ(b.GetMeasureText(), "");
}
