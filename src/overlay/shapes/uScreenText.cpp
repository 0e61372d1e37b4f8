#include "uScreenText.h"

#include "uInifileHandling.h"
#include "uPictureLimits.h"
#include "uShapeScript.h"
#include "win/DibBitmap.h"

TScreenText::TScreenText() {
  SetCapacity(1);
  SetPointCount(1);
  Type = 9;
  Font.name = "Arial";
  Font.size = 16;
  Font.bold = true;
  Font.color = RGB(0, 0, 0);
  TextType = 0;
  FontFrameColor = RGB(255, 255, 255);
}

void TScreenText::SetCaption(const std::string& text) {
  Caption = text;
  RenderText();
}

void TScreenText::SetFont(const win::Font& font) {
  Font = font;
  RenderText();
}

void TScreenText::SetFrameColor(COLORREF color) {
  FontFrameColor = color;
  RenderText();
}

static int ColorDistance(COLORREF a, COLORREF b) {
  int dr = GetRValue(a) - GetRValue(b), dg = GetGValue(a) - GetGValue(b),
      db = GetBValue(a) - GetBValue(b);
  return dr * dr + dg * dg + db * db;
}

void TScreenText::RenderText() {
  // Measured on a scratch surface: the picture's size follows the text.
  win::DibBitmap scratch(1, 1);
  if (!scratch.canvas()) throw EPictureError("out of memory for the text");
  scratch.canvas()->setFont(Font);
  const SIZE extent = scratch.canvas()->textExtent(Caption);
  const int W = extent.cx + 2, H = extent.cy + 2;

  if (!PictureSizeAllowed(W, H)) throw EPictureError("text too large for a picture");
  win::DibBitmap picture;
  if (!picture.setSize(W, H)) throw EPictureError("out of memory for the text");
  win::Canvas& c = *picture.canvas();
  c.setFont(Font);

  const COLORREF tc = Font.color == RGB(255, 0, 255) ? RGB(250, 0, 250) : RGB(255, 0, 255);
  SetTransparentColor(tc);

  c.setBrushStyle(win::BrushStyle::Solid);
  c.setBrushColor(tc);
  c.setPenColor(tc);
  c.rectangle(0, 0, W, H);
  if (TextType != 0) {
    c.setBackgroundMode(win::BackgroundMode::Transparent);
    c.setFontColor(FontFrameColor);
    c.setPenColor(FontFrameColor);
    switch (TextType) {
      case 1:
        c.textOut(2, 2, Caption);
        break;
      case 2:
        for (int i = 0; i <= 2; ++i)
          for (int j = 0; j <= 2; ++j) c.textOut(i, j, Caption);
        break;
      case 3:
        c.setBrushColor(FontFrameColor);
        c.rectangle(0, 0, W, H);
        break;
      default:
        break;
    }
    c.setFontColor(Font.color);
  }
  c.textOut(1, 1, Caption);

  // The picture holds only its three colours (font, transparent, frame):
  // smoothed edges snap to the nearest, so no tinted fringe of the
  // transparent colour is left visible around the letters.
  ::GdiFlush();
  auto toBgrx = [](COLORREF c) {
    return static_cast<uint32_t>(GetBValue(c)) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
           (static_cast<uint32_t>(GetRValue(c)) << 16);
  };
  const COLORREF palette[3] = {Font.color, tc, FontFrameColor};
  uint32_t* px = picture.bits();
  for (int i = 0, n = W * H; i < n; ++i) {
    const uint32_t v = px[i] & 0xFFFFFFu;
    const COLORREF c = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    COLORREF best = palette[0];
    for (COLORREF entry : palette)
      if (ColorDistance(c, entry) < ColorDistance(c, best)) best = entry;
    px[i] = toBgrx(best);
  }
  SetBitmap(picture);
}

std::string TScreenText::GetHint(int language) {
  std::string text;
  if (ShowMouseHelp) {
    if (language == 0)
      text = std::string("Click mit der rechten Maustaste um den Text zu l\xF6schen.") + QZ_TEXT_SEP +
             "Click mit der linken Maustaste (gedr\xFC" "ckt halten) um die Position zu ver\xE4ndern.";
    else
      text = std::string("Right mouse button to delete the text.") + QZ_TEXT_SEP +
             "Left mouse button (keep pressed) to change position";
  }
  return AppendUserHint(text);
}

std::string TScreenText::GetDeleteCaption(int language) {
  return language == 0 ? "Text l\xF6schen" : "delete text";
}

std::string TScreenText::GetCreatePrompt(int language, int32_t step) {
  if (step != 1 && step != 2) return std::string();
  if (language == 0)
    return std::string("Klicken Sie auf die Stelle, an die Sie den Text setzen wollen.") + QZ_TEXT_SEP +
           "Abbruch mit der rechten Maustaste.";
  return std::string("Click on the position, where you want to place your text.") + QZ_TEXT_SEP +
         "Right mouse button to cancel.";
}

bool TScreenText::LoadFromIni(const std::string& iniFile, const std::string& section,
                              IOverlayForm* overlay) {
  bool result = TScreenImage::LoadFromIni(iniFile, section, overlay);
  try {
    LoadTextKeys(iniFile, section);
  } catch (const std::exception&) {
    return false;
  }
  return result;
}

void TScreenText::LoadTextKeys(const std::string& iniFile, const std::string& section) {
  Font.name = ReadIniString(iniFile, section, "FontName", Font.name);
  Font.color = static_cast<COLORREF>(
      ReadIniInteger(iniFile, section, "FontColor", static_cast<int32_t>(Font.color)));
  SetFrameColor(static_cast<COLORREF>(
      ReadIniInteger(iniFile, section, "FontFrameColor", static_cast<int32_t>(FontFrameColor))));
  Font.size = ReadIniInteger(iniFile, section, "FontSize", Font.size);
  int32_t type = ReadIniInteger(iniFile, section, "TextType", TextType);
  if (type >= 0 && type <= 3) TextType = static_cast<uint8_t>(type);
  SetCaption(ReadIniString(iniFile, section, "Caption", Caption));
}

void TScreenText::SaveToIni(const std::string& iniFile, const std::string& section,
                            TStringVector* fileList) {
  TScreenImage::SaveToIni(iniFile, section, fileList);
  WriteIniString(iniFile, section, "FontName", Font.name);
  WriteIniInteger(iniFile, section, "FontColor", static_cast<int32_t>(Font.color));
  WriteIniInteger(iniFile, section, "FontFrameColor", static_cast<int32_t>(FontFrameColor));
  WriteIniInteger(iniFile, section, "FontSize", Font.size);
  WriteIniInteger(iniFile, section, "TextType", TextType);
  WriteIniString(iniFile, section, "Caption", Caption);
}

void TScreenText::GetScriptCommand(TStringVector& list) {
  if (!ScriptCarriesString(Caption) || !ScriptCarriesString(Font.name)) return;
  const TPointRec& p1 = Points[0];
  list.push_back("TEXT " + std::to_string(p1.ScreenX) + " " + std::to_string(p1.ScreenY) + " " +
                 ScriptString(Caption) + " " + ScriptString(Font.name) + " " +
                 std::to_string(Font.size) + " " + (Font.bold ? "TRUE " : "FALSE ") +
                 (Font.italic ? "TRUE " : "FALSE ") + std::to_string(Font.color));
  AppendScriptOptions(list);
}
