#include "uScreenBitmap.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "uBmpDecoder.h"
#include "uIconLoader.h"
#include "uInifileHandling.h"
#include "uJpegDecoder.h"
#include "uPictureLimits.h"
#include "uReadableMemory.h"
#include "uShapeScript.h"
#include "win/Handles.h"
#include "win/IconImage.h"

const char* const QZ_RESOURCE_PREFIX = "::RES::";

namespace {

constexpr COLORREF IconBackground = RGB(254, 5, 254);

bool FileExists(const std::string& name) {
  const DWORD attr = ::GetFileAttributesA(name.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

// The extension with its dot, upper-cased; empty when the name has none.
std::string UpperExtension(const std::string& name) {
  const size_t dot = name.find_last_of(".\\/:");
  if (dot == std::string::npos || name[dot] != '.') return std::string();
  std::string ext = name.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// A picture of the given size, or EPictureError when it cannot be had.
void SizePicture(win::DibBitmap& picture, int w, int h) {
  if (!PictureSizeAllowed(w, h)) throw EPictureError("picture dimensions out of range");
  if (!picture.setSize(w, h)) throw EPictureError("out of memory for the picture");
}

// True when the handle names a module image in this process (also one
// loaded as data, whose handle carries flag bits). Handles can come from
// scripts as plain numbers; the resource functions must never be handed a
// random address.
bool IsModuleHandle(HINSTANCE instance) {
  const uintptr_t base = reinterpret_cast<uintptr_t>(instance) & ~uintptr_t(3);
  if (!base) return false;
  MEMORY_BASIC_INFORMATION info{};
  if (!::VirtualQuery(reinterpret_cast<void*>(base), &info, sizeof info)) return false;
  if (info.State != MEM_COMMIT || reinterpret_cast<uintptr_t>(info.AllocationBase) != base) return false;
  if (info.Type != MEM_IMAGE && info.Type != MEM_MAPPED) return false;
  if (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) return false;
  const auto* header = reinterpret_cast<const char*>(base);
  return header[0] == 'M' && header[1] == 'Z';
}

// An icon over the icon background colour.
void DrawIconPicture(const win::IconImage& icon, win::DibBitmap& picture) {
  SizePicture(picture, icon.width(), icon.height());
  picture.fill(IconBackground);
  icon.draw(picture.dc(), 0, 0);
  ::GdiFlush();
}

// A decoded picture into the shape's working picture.
void CopyDecoded(const TDecodedPicture& decoded, win::DibBitmap& picture) {
  SizePicture(picture, decoded.Width, decoded.Height);
  uint32_t* out = picture.bits();
  const uint8_t* in = decoded.Rgb.data();
  for (size_t i = 0, n = size_t(decoded.Width) * decoded.Height; i < n; ++i, in += 3)
    out[i] = uint32_t(in[2]) | uint32_t(in[1]) << 8 | uint32_t(in[0]) << 16;
}

// Every picture file is read whole, within the size limit, and decoded from that
// buffer: nothing reads past the bytes the file really has.
std::vector<uint8_t> ReadPictureFile(const std::string& name) {
  std::vector<uint8_t> data;
  std::string error;
  if (!ReadWholeFile(name, data, error)) throw EPictureError(error);
  return data;
}

void LoadBmpFile(const std::string& name, win::DibBitmap& picture) {
  const std::vector<uint8_t> data = ReadPictureFile(name);
  TDecodedPicture decoded;
  std::string error;
  if (!DecodeBmpFile(data.data(), data.size(), decoded, error)) throw EPictureError(error);
  CopyDecoded(decoded, picture);
}

void LoadJpegFile(const std::string& name, win::DibBitmap& picture) {
  const std::vector<uint8_t> data = ReadPictureFile(name);
  TDecodedPicture decoded;
  std::string error;
  if (!DecodeJpegMemory(data.data(), data.size(), decoded, error)) throw EPictureError(error);
  CopyDecoded(decoded, picture);
}

// At the system's icon size, as icons are shown.
void LoadIcoFile(const std::string& name, win::DibBitmap& picture) {
  const std::vector<uint8_t> data = ReadPictureFile(name);
  std::string error;
  win::IconImage icon;
  icon.adopt(CreateIconFromIcoData(data.data(), data.size(), ::GetSystemMetrics(SM_CXICON),
                                   ::GetSystemMetrics(SM_CYICON), error));
  if (icon.empty()) throw EPictureError(error);
  DrawIconPicture(icon, picture);
}

// The BITMAP resource's own bytes, checked to be readable memory of the module,
// decoded like a file; false when the module holds no such sound resource.
bool LoadBitmapResource(HINSTANCE instance, const std::string& name, win::DibBitmap& picture) {
  HRSRC info = ::FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!info) return false;
  const DWORD size = ::SizeofResource(instance, info);
  HGLOBAL handle = ::LoadResource(instance, info);
  const void* bytes = handle ? ::LockResource(handle) : nullptr;
  if (!bytes || !IsReadableRange(bytes, size)) return false;
  TDecodedPicture decoded;
  std::string error;
  if (!DecodePackedDib(static_cast<const uint8_t*>(bytes), size, decoded, error)) return false;
  CopyDecoded(decoded, picture);
  return true;
}

// The program file is mapped as resources only: none of its code runs, and
// it is released again once its icon is copied.
bool LoadProgramIcon(const std::string& name, win::DibBitmap& picture) {
  win::Module module(::LoadLibraryExA(name.c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) module.reset(::LoadLibraryExA(name.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module) return false;
  win::IconImage icon;
  icon.adopt(TScreenBitmap::LoadModuleIcon(module.get()));
  if (icon.empty()) return false;
  DrawIconPicture(icon, picture);
  return true;
}

}  // namespace

TScreenBitmap::TScreenBitmap() { Type = 8; }

HICON TScreenBitmap::LoadModuleIcon(HMODULE module) {
  if (!IsModuleHandle(module)) return nullptr;
  const int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
  auto load = [&](LPCSTR name) { return CreateIconFromModule(module, name, cx, cy); };
  if (HICON icon = load("MAINICON")) return icon;
  if (HICON icon = load("APPICON")) return icon;
  for (int id = 1; id <= 1000; ++id)
    if (HICON icon = load(MAKEINTRESOURCEA(id))) return icon;
  return nullptr;
}

bool TScreenBitmap::LoadFromFile(const std::string& name) {
  win::DibBitmap picture;
  if (!FileExists(name)) return false;
  const std::string ext = UpperExtension(name);
  bool iconBackground = false;
  if (ext.find("ICO") != std::string::npos) {
    LoadIcoFile(name, picture);
    iconBackground = true;
  } else if (ext.find("JPG") != std::string::npos) {
    LoadJpegFile(name, picture);
  } else if (ext.find("EXE") != std::string::npos) {
    iconBackground = LoadProgramIcon(name, picture);
  } else if (ext.find("BMP") != std::string::npos) {
    LoadBmpFile(name, picture);
  }
  if (iconBackground) TransparentColor = IconBackground;
  SetBitmap(picture);
  FileName = name;
  ResourceInstance = nullptr;
  return true;
}

void TScreenBitmap::LoadFromResource(HINSTANCE instance, const std::string& name) {
  win::DibBitmap picture;
  try {
    if (IsModuleHandle(instance) && !LoadBitmapResource(instance, name, picture)) picture.setSize(0, 0);
  } catch (const std::exception&) {
    picture.setSize(0, 0);   // a resource that cannot be had gives an empty picture
  }
  SetBitmap(picture);
  FileName = std::string(QZ_RESOURCE_PREFIX) + name;
  ResourceInstance = instance;
}

std::string TScreenBitmap::GetHint(int language) {
  std::string text;
  if (ShowMouseHelp) {
    if (language == 0)
      text = std::string("Click mit der rechten Maustaste um das Bitmap zu l\xF6schen.") +
             QZ_TEXT_SEP +
             "Click mit der linken Maustaste (gedr\xFC"
             "ckt halten) um die Position zu ver\xE4ndern.";
    else
      text = std::string("Right mouse button to delete bitmap.") + QZ_TEXT_SEP +
             "Left mouse button (keep pressed) to change position";
  }
  return AppendUserHint(text);
}

std::string TScreenBitmap::GetDeleteCaption(int language) {
  return language == 0 ? "Bitmap l\xF6schen" : "delete bitmap";
}

std::string TScreenBitmap::GetCreatePrompt(int language, int32_t step) {
  if (step != 1 && step != 2) return std::string();
  if (language == 0)
    return std::string("Klicken Sie auf die Stelle, an die Sie das Bitmap setzen wollen.") +
           QZ_TEXT_SEP + "Abbruch mit der rechten Maustaste.";
  return std::string("Click on the position, where you want to place your bitmap.") + QZ_TEXT_SEP +
         "Right mouse button to cancel.";
}

std::string TScreenBitmap::GetMeasureText() { return std::string(); }

bool TScreenBitmap::LoadFromIni(const std::string& iniFile, const std::string& section,
                                IOverlayForm* overlay) {
  if (!TScreenImage::LoadFromIni(iniFile, section, overlay)) return false;
  try {
    FileName = ReadIniString(iniFile, section, "FileName", std::string());
    if (FileName.empty()) return false;
    if (!StartsWith(FileName, QZ_RESOURCE_PREFIX)) return LoadFromFile(FileName);
    // Resource pictures come from the host program's own executable.
    LoadFromResource(::GetModuleHandleA(nullptr), FileName.substr(std::strlen(QZ_RESOURCE_PREFIX)));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TScreenBitmap::SaveToIni(const std::string& iniFile, const std::string& section,
                              TStringVector* fileList) {
  TScreenImage::SaveToIni(iniFile, section, fileList);
  if (!fileList || StartsWith(FileName, QZ_RESOURCE_PREFIX)) {
    // A resource name is no file: it is kept whole and not collected.
    WriteIniString(iniFile, section, "FileName", FileName);
    return;
  }
  const size_t cut = FileName.find_last_of("\\:");
  WriteIniString(iniFile, section, "FileName",
                 cut == std::string::npos ? FileName : FileName.substr(cut + 1));
  if (!FileName.empty()) fileList->push_back(FileName);
}

void TScreenBitmap::GetScriptCommand(TStringVector& list) {
  const TPointRec& p1 = Points[0];
  const std::string at = std::to_string(p1.ScreenX) + " " + std::to_string(p1.ScreenY) + " ";
  const std::string colour = std::to_string(TransparentColor);
  if (StartsWith(FileName, QZ_RESOURCE_PREFIX)) {
    const std::string name = FileName.substr(std::strlen(QZ_RESOURCE_PREFIX));
    if (name.empty() || !ScriptCarriesString(name)) return;
    const int32_t instance = static_cast<int32_t>(reinterpret_cast<uintptr_t>(ResourceInstance));
    list.push_back("BITMAPBYRESOURCE " + at + std::to_string(instance) + " " + ScriptString(name) +
                   " " + colour);
  } else {
    if (FileName.empty() || !ScriptCarriesString(FileName)) return;
    list.push_back("BITMAPBYFILENAME " + at + ScriptString(FileName) + " " + colour);
  }
  if (TransparentFactor != 0)
    list.push_back("OPERATION OVERLAYELEMENT_OPERATION_SETTRANSPARENT PREVIOUSCREATEDELEMENT " +
                   std::to_string(TransparentFactor) + " 0 0");
  if (ClickThrough)
    list.push_back("OPERATION OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH PREVIOUSCREATEDELEMENT TRUE 0 0");
}
