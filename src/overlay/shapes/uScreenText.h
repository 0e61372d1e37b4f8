// A caption rendered into a picture with a font and an optional shadow, halo
// or box.
#pragma once
#include <string>
#include "uScreenImage.h"
#include "win/Canvas.h"

class TScreenText : public TScreenImage {
public:
  // Type 9, Arial 16 bold black, plain, frame colour white; no picture until
  // the caption, font or frame colour is set.
  TScreenText();

  std::string Caption;
  win::Font Font;
  uint8_t TextType = 0;   // 0 plain, 1 shadow, 2 halo, 3 box
  COLORREF FontFrameColor = RGB(255, 255, 255);

  std::string GetHint(int language) override;
  std::string GetDeleteCaption(int language) override;
  std::string GetCreatePrompt(int language, int32_t step) override;
  bool LoadFromIni(const std::string& iniFile, const std::string& section,
                   IOverlayForm* overlay) override;
  void SaveToIni(const std::string& iniFile, const std::string& section,
                 TStringVector* fileList) override;
  // "TEXT" line; nothing for a caption or font name the script cannot carry.
  void GetScriptCommand(TStringVector& list) override;

  void SetCaption(const std::string& text);   // each setter renders again (RenderText)
  void SetFont(const win::Font& font);
  void SetFrameColor(COLORREF color);
  // Builds the picture; throws EPictureError when it cannot be had.
  void RenderText();

private:
  void LoadTextKeys(const std::string& iniFile, const std::string& section);
};
