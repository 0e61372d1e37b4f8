// The picture shape: a bitmap, icon, JPEG or the icon of a program file, or a
// bitmap resource of a loaded module.
#pragma once
#include <string>
#include "uScreenImage.h"

// FileName prefix of pictures taken from a module resource.
extern const char* const QZ_RESOURCE_PREFIX;   // "::RES::"

class TScreenBitmap : public TScreenImage {
public:
  TScreenBitmap();   // Type 8, no picture

  // The file the picture came from, or "::RES::" + the resource name.
  std::string FileName;
  // Module of a resource picture (not owned); nullptr for file pictures.
  HINSTANCE ResourceInstance = nullptr;

  std::string GetHint(int language) override;
  std::string GetDeleteCaption(int language) override;
  std::string GetCreatePrompt(int language, int32_t step) override;
  std::string GetMeasureText() override;   // empty
  bool LoadFromIni(const std::string& iniFile, const std::string& section,
                   IOverlayForm* overlay) override;
  void SaveToIni(const std::string& iniFile, const std::string& section,
                 TStringVector* fileList) override;
  // "BITMAPBYFILENAME" for file pictures, "BITMAPBYRESOURCE" for resource
  // pictures; nothing for a name the script cannot carry.
  void GetScriptCommand(TStringVector& list) override;

  // False when the file does not exist (shape unchanged). True otherwise; the
  // picture is chosen by the upper-cased extension containing ICO, JPG, EXE
  // or BMP, any other gives an empty picture. Throws EPictureError when an
  // existing file of those kinds cannot be decoded.
  bool LoadFromFile(const std::string& name);
  // A missing resource gives an empty picture.
  void LoadFromResource(HINSTANCE instance, const std::string& name);
  // "MAINICON", "APPICON", then icons 1..1000; the caller owns the icon.
  static HICON LoadModuleIcon(HMODULE module);
};
