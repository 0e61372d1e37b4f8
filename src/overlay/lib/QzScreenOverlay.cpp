// The library's exports: thin guarded front ends over the overlay window, the
// debug log, and the library's life from load to unload.
#include "overlay/lib/QzScreenOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "overlay/lib/QzScreenOverlayInternal.h"
#include "overlay/lib/QzScreenOverlayScript.h"
#include "win/DurableFile.h"
#include "overlay/core/uInifileHandling.h"
#include "overlay/core/uReadableMemory.h"
#include "overlay/core/uScreenObjectForm.h"
#include "overlay/lib/uQzTransparentForm.h"
#include "overlay/lib/uQzTransparentFormInfo.h"

TTransparentForm* OverlayForm = nullptr;
bool OverlayFormCreated = false;

namespace {

// What script commands call: the exports themselves, with their logging and guards.
class TExportTarget : public TScriptTarget {
public:
  int32_t Clear() override { return QzScreenOverlay_Clear(); }
  int32_t SetCallBackWindowHandle(int32_t handle) override {
    return QzScreenOverlay_SetCallBackWindowHandle(reinterpret_cast<HWND>(static_cast<intptr_t>(handle)));
  }
  int32_t Operation(int32_t operation, int32_t id, int32_t v1, int32_t v2, int32_t v3) override {
    return QzScreenOverlay_Operation(operation, id, v1, v2, v3);
  }
  int32_t Point(int32_t x, int32_t y, int32_t style, int32_t color) override {
    return QzScreenOverlay_Point(x, y, style, static_cast<COLORREF>(color));
  }
  int32_t Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color) override {
    return QzScreenOverlay_Line(x1, y1, x2, y2, static_cast<COLORREF>(color));
  }
  int32_t Rectangle(int32_t l, int32_t t, int32_t r, int32_t b, int32_t color) override {
    return QzScreenOverlay_Rectangle(l, t, r, b, static_cast<COLORREF>(color));
  }
  int32_t Ellipse(int32_t l, int32_t t, int32_t r, int32_t b, int32_t color) override {
    return QzScreenOverlay_Ellipse(l, t, r, b, static_cast<COLORREF>(color));
  }
  int32_t Polyline(const int32_t* points, int32_t count, int32_t color) override {
    // Pairs of 32-bit x, y: the layout of POINT.
    static_assert(sizeof(POINT) == 2 * sizeof(int32_t), "POINT is two 32-bit values");
    return QzScreenOverlay_Polyline(reinterpret_cast<const POINT*>(points), count, static_cast<COLORREF>(color));
  }
  int32_t Text(int32_t x, int32_t y, const char* text, const char* font, int32_t size, int32_t bold,
               int32_t italic, int32_t color) override {
    return QzScreenOverlay_Text(x, y, text, font, size, bold, italic, static_cast<COLORREF>(color));
  }
  int32_t BitmapByFile(int32_t x, int32_t y, const char* file, int32_t transparent) override {
    return QzScreenOverlay_BitmapByFile(x, y, file, static_cast<COLORREF>(transparent));
  }
  int32_t BitmapByResource(int32_t x, int32_t y, int32_t instance, const char* name, int32_t transparent) override {
    return QzScreenOverlay_BitmapByResource(x, y, reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(instance)),
                                            name, static_cast<COLORREF>(transparent));
  }
};

TExportTarget g_scriptTarget;
TWin32ScriptHost g_scriptHost(&DebugLog, &DebugMode);
// Holds PREVIOUSCREATEDELEMENT for the library's life.
TScriptInterpreter g_script(g_scriptTarget, g_scriptHost);

std::unique_ptr<TTransparentForm> g_form;               // owns what OverlayForm points to
std::unique_ptr<std::vector<std::string>> g_debugLines;  // DebugLogLines

const char* const kLogFile = "Qz-DarariRuzoriv.log";
const char* const kScriptFile = "Qz-DarariRuzoriv.script";
const char* const kLogPrefix = "Ro-Dadoridirir.DLL [";

std::string Dec(long long v) { return std::to_string(v); }

// Logs a line built only when debug mode is on.
template <class Build>
void Log(Build&& build) noexcept {
  if (!g_debugLines) return;
  try {
    DebugLog(build());
  } catch (...) {
  }
}

void LogText(const char* text) noexcept {
  Log([&] { return std::string(text); });
}

std::string ColorLine(const char* label, COLORREF color) {
  return label + std::to_string(static_cast<unsigned long>(color)) + " = RGB(" +
         std::to_string(GetRValue(color)) + "/" + std::to_string(GetGValue(color)) + "/" +
         std::to_string(GetBValue(color)) + ")";
}

void LogResult(const char* name, int result) noexcept {
  Log([&] { return std::string(name) + " [" + Dec(result) + "]"; });
}

// Step 3 and 4 of every export's frame: the window, then the call, under one guard.
template <class Call>
int Guarded(int failure, Call&& call) noexcept {
  try {
    if (!EnsureOverlayWindow()) return failure;
    return call(*OverlayForm);
  } catch (...) {
    return failure;
  }
}

int32_t Saturate(long long v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// The bounding box of an ellipse as the rectangle whose corners lie on it.
RECT EllipseCornerRect(int left, int top, int right, int bottom) {
  const long long cx = (static_cast<long long>(left) + right) / 2;
  const long long cy = (static_cast<long long>(top) + bottom) / 2;
  const long long hw = static_cast<long long>(std::trunc(((static_cast<double>(right) - left) / 2.0) / std::sqrt(2.0)));
  const long long hh = static_cast<long long>(std::trunc(((static_cast<double>(bottom) - top) / 2.0) / std::sqrt(2.0)));
  return RECT{Saturate(cx - hw), Saturate(cy - hh), Saturate(cx + hw), Saturate(cy + hh)};
}

bool FileExists(const std::string& name) {
  if (name.empty()) return false;
  const DWORD attributes = ::GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The script file of all API objects; false when it could not be written.
bool WriteDebugScript() {
  TStringVector lines;
  OverlayForm->WriteScript(lines);
  return SaveLinesToFile(HostProgramFolder() + kScriptFile, lines);
}

void DestroyOverlayWindow() noexcept {
  try {
    g_form.reset();
  } catch (...) {
  }
  OverlayForm = nullptr;
  OverlayFormCreated = false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Helpers

std::string ReadBoundaryString(const char* p) {
  std::string text;
  if (!p) return text;
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  while (text.size() < kMaxBoundaryString) {
    const uintptr_t end = ReadableEnd(a);
    if (end <= a) break;
    const size_t room = std::min<size_t>(end - a, kMaxBoundaryString - text.size());
    const char* chunk = reinterpret_cast<const char*>(a);
    const void* nul = std::memchr(chunk, 0, room);
    if (nul) {
      text.append(chunk, static_cast<const char*>(nul) - chunk);
      break;
    }
    text.append(chunk, room);
    a += room;
  }
  return text;
}

std::string ReadResourceName(const char* p) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(p);
  if (value < 65536) return "#" + std::to_string(static_cast<unsigned long>(value));
  return ReadBoundaryString(p);
}

std::string HostProgramFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    // A full buffer may mean a cut name: try again with more room.
    if (n < buffer.size() - 1) return std::string(buffer.data(), n);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string HostProgramFolder() {
  const std::string file = HostProgramFileName();
  const size_t slash = file.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

bool SaveLinesToFile(const std::string& fileName, const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }
  win::RemoveDurableLeftoversOf(fileName);  // of a write that was killed
  return win::WriteFileDurably(fileName, content);
}

bool DebugMode() { return g_debugLines != nullptr; }

void DebugLog(const std::string& text) {
  if (!g_debugLines) return;
  try {
    auto line = [&] {
      return kLogPrefix + std::to_string(static_cast<unsigned long>(::GetTickCount())) + "] : " + text;
    };
    // The debugger copy goes through a 1025-byte buffer: long lines are sent in pieces.
    const std::string out = line();
    char buffer[1025];
    for (size_t pos = 0; pos < out.size() || pos == 0; pos += sizeof buffer - 1) {
      const size_t n = std::min(out.size() - pos, sizeof buffer - 1);
      std::memcpy(buffer, out.data() + pos, n);
      buffer[n] = '\0';
      ::OutputDebugStringA(buffer);
      if (out.empty()) break;
    }
    g_debugLines->push_back(line());
  } catch (...) {
  }
}

bool EnsureOverlayWindow() {
  if (OverlayFormCreated) return true;
  std::unique_ptr<TTransparentForm> form = TTransparentForm::Create();
  if (!form) return false;
  g_form = std::move(form);
  OverlayForm = g_form.get();
  OverlayFormCreated = true;
  return true;
}

void QzScreenOverlayLibraryStart() {
  try {
    OverlayForm = nullptr;
    OverlayFormCreated = false;
    g_debugLines.reset();
    g_script.SetPreviousCreatedID(-1);
    const std::string host = HostProgramFileName();
    if (!host.empty() && FileExists(host + ".debug")) g_debugLines = std::make_unique<std::vector<std::string>>();
    SetInfoWindowFactory(&CreateQzTransparentAboutForm);
    DebugLog("DLL initialized");
    EnsureOverlayWindow();
  } catch (...) {
  }
}

void QzScreenOverlayLibraryStop() {
  QzScreenOverlay_Finalize();
  UnregisterTransparentFormClass();
  UnregisterScreenObjectFormClass();
  try {
    CloseBufferedIniFiles();  // pending INI writes reach the disk now
  } catch (...) {
  }
}

// ---------------------------------------------------------------------------
// The exports

namespace {

template <class Create>
int BoxExport(const char* name, int Left, int Top, int Right, int Bottom, COLORREF Color, Create&& create) {
  LogText(name);
  Log([&] { return "  Rect(" + Dec(Left) + "/" + Dec(Top) + "/" + Dec(Right) + "/" + Dec(Bottom) + ")"; });
  Log([&] { return ColorLine("  Color = ", Color); });
  const int result = Guarded(-3, create);
  LogResult(name, result);
  return result;
}

}  // namespace

extern "C" {

int __stdcall QzScreenOverlay_ScriptCommandFile(const char* FileName) {
  try {
    return g_script.ScriptCommandFile(ReadBoundaryString(FileName).c_str());
  } catch (...) {
    return -1;
  }
}

int __stdcall QzScreenOverlay_ScriptCommand(const char* ScriptLine) {
  try {
    return g_script.ScriptCommand(ReadBoundaryString(ScriptLine).c_str());
  } catch (...) {
    return -1;
  }
}

int __stdcall QzScreenOverlay_BitmapByResource(int X, int Y, HINSTANCE Instance, const char* ResourceName,
                                               COLORREF TransparentColor) {
  const char* name = "QzScreenOverlay_BitmapByResource";
  int result = -3;
  try {
    const std::string resource = ReadResourceName(ResourceName);
    LogText(name);
    Log([&] { return "  Point(" + Dec(X) + "/" + Dec(Y) + ")"; });
    Log([&] { return "  Instance = " + std::to_string(reinterpret_cast<uintptr_t>(Instance)); });
    Log([&] { return "  ResourceName (Type=BITMAP) = " + resource; });
    Log([&] { return ColorLine("  TransparentColor = ", TransparentColor); });
    result = Guarded(-3, [&](TTransparentForm& form) {
      // A handle that is no loaded module is refused before any resource call sees it.
      HMODULE module = nullptr;
      if (!Instance ||
          !::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCSTR>(Instance), &module) ||
          module != Instance)
        return -3;
      return form.NewBitmapFromResource(POINT{X, Y}, Instance, resource, false, TransparentColor);
    });
  } catch (...) {
    result = -3;
  }
  LogResult(name, result);
  return result;
}

int __stdcall QzScreenOverlay_BitmapByFile(int X, int Y, const char* FileName, COLORREF TransparentColor) {
  const char* name = "QzScreenOverlay_BitmapByFile";
  int result = -3;
  try {
    const std::string file = ReadBoundaryString(FileName);
    LogText(name);
    Log([&] { return "  Point(" + Dec(X) + "/" + Dec(Y) + ")"; });
    Log([&] { return "  FileName = " + file; });
    if (!FileExists(file)) LogText("      ERROR: file does not exist");
    Log([&] { return ColorLine("  TransparentColor = ", TransparentColor); });
    result = Guarded(-3, [&](TTransparentForm& form) {
      return form.NewBitmapFromFile(POINT{X, Y}, file, false, TransparentColor);
    });
  } catch (...) {
    result = -3;
  }
  LogResult(name, result);
  return result;
}

int __stdcall QzScreenOverlay_Text(int X, int Y, const char* Text, const char* FontName, int Size, int Bold,
                                   int Italic, COLORREF Color) {
  const char* name = "QzScreenOverlay_Text";
  int result = -3;
  try {
    const std::string text = ReadBoundaryString(Text);
    const std::string font = ReadBoundaryString(FontName);
    LogText(name);
    Log([&] { return "  Point(" + Dec(X) + "/" + Dec(Y) + ")"; });
    Log([&] { return "  Text = " + text; });
    Log([&] { return "  Font [Name=" + font + " Size=" + Dec(Size) + "]"; });
    LogText(Bold != 0 ? "        Bold = TRUE" : "        Bold = FALSE");
    LogText(Italic != 0 ? "        Italic = TRUE]" : "        Italic = FALSE]");
    Log([&] { return ColorLine("  Color = ", Color); });
    result = Guarded(-3, [&](TTransparentForm& form) {
      return form.NewText(POINT{X, Y}, text, font, Size, Bold != 0, Italic != 0, Color, false);
    });
  } catch (...) {
    result = -3;
  }
  LogResult(name, result);
  return result;
}


int __stdcall QzScreenOverlay_Ellipse(int Left, int Top, int Right, int Bottom, COLORREF Color) {
  return BoxExport("QzScreenOverlay_Ellipse", Left, Top, Right, Bottom, Color, [&](TTransparentForm& form) {
    return form.NewEllipse(EllipseCornerRect(Left, Top, Right, Bottom), false, false, Color, 1);
  });
}

int __stdcall QzScreenOverlay_Rectangle(int Left, int Top, int Right, int Bottom, COLORREF Color) {
  return BoxExport("QzScreenOverlay_Rectangle", Left, Top, Right, Bottom, Color, [&](TTransparentForm& form) {
    return form.NewRectangle(RECT{Left, Top, Right, Bottom}, false, false, Color, 1);
  });
}

int __stdcall QzScreenOverlay_Polyline(const POINT* Points, int NumPoint, COLORREF Color) {
  const char* name = "QzScreenOverlay_Polyline";
  int result = -3;
  try {
    // A null or short array is refused; a count of 0 or less reads no points.
    const size_t count = NumPoint > 0 ? static_cast<size_t>(NumPoint) : 0;
    const bool readable = count == 0 || (count <= SIZE_MAX / sizeof(POINT) && IsReadableRange(Points, count * sizeof(POINT)));
    LogText(name);
    Log([&] { return "  NumPoint = " + Dec(NumPoint); });
    Log([&] { return ColorLine("  Color = ", Color); });
    if (readable && DebugMode()) {
      for (size_t k = 0; k < count; ++k)
        Log([&] { return "  Point[" + Dec(static_cast<long long>(k) + 1) + "] (" + Dec(Points[k].x) + "/" + Dec(Points[k].y) + ")"; });
    }
    Log([&] { return ColorLine("  Color = ", Color); });
    if (readable) {
      result = Guarded(-3, [&](TTransparentForm& form) {
        return form.NewPolyline(count ? Points : nullptr, static_cast<int>(count), false, Color, 1, false);
      });
    }
  } catch (...) {
    result = -3;
  }
  LogResult(name, result);
  return result;
}

int __stdcall QzScreenOverlay_Line(int X1, int Y1, int X2, int Y2, COLORREF Color) {
  const char* name = "QzScreenOverlay_Line";
  LogText(name);
  Log([&] { return "  StartPoint(" + Dec(X1) + "/" + Dec(Y1) + ")"; });
  Log([&] { return "  EndPoint(" + Dec(X2) + "/" + Dec(Y2) + ")"; });
  Log([&] { return ColorLine("  Color = ", Color); });
  const int result = Guarded(-3, [&](TTransparentForm& form) {
    return form.NewLine(POINT{X1, Y1}, POINT{X2, Y2}, false, Color, 1);
  });
  LogResult(name, result);
  return result;
}

int __stdcall QzScreenOverlay_Point(int X, int Y, int Style, COLORREF Color) {
  const char* name = "QzScreenOverlay_Point";
  LogText(name);
  Log([&] { return "  Point(" + Dec(X) + "/" + Dec(Y) + ")"; });
  Log([&] { return ColorLine("  Color = ", Color); });
  const int result = Guarded(-3, [&](TTransparentForm& form) { return form.NewPoint(X, Y, Style, false, Color); });
  LogResult(name, result);
  return result;
}

int __stdcall QzScreenOverlay_Operation(int Operation, int ID, int Value1, int Value2, int Value3) {
  const char* name = "QzScreenOverlay_Operation";
  LogText(name);
  Log([&] { return "  Operation " + Dec(Operation); });
  Log([&] { return "  ID " + Dec(ID); });
  Log([&] { return "  Value 1/2/3 = " + Dec(Value1) + " / " + Dec(Value2) + " / " + Dec(Value3); });
  const int result = Guarded(-1, [&](TTransparentForm& form) {
    const bool on = Value1 != 0;
    switch (Operation) {
      case TRANSPARENTELEMENT_OPERATION_DELETE: return form.DeleteByID(ID);
      case TRANSPARENTELEMENT_OPERATION_SHOW: return form.ShowByID(ID, on);
      case TRANSPARENTELEMENT_OPERATION_LINEWIDTH: return form.SetLineWidthByID(ID, Value1);
      case TRANSPARENTELEMENT_OPERATION_ISFILLED: return form.SetFilledByID(ID, on);
      case TRANSPARENTELEMENT_OPERATION_SETCOLOR: return form.SetColorByID(ID, Value1);
      case TRANSPARENTELEMENT_OPERATION_SETAUTOHIDE: return form.SetAutoHideByID(ID, on);
      case TRANSPARENTELEMENT_OPERATION_SETZORDER: return form.SetZOrderByID(ID, Value1);
      case TRANSPARENTELEMENT_OPERATION_SETMOUSECURSOR: return form.SetCursorByID(ID, Value1);
      case TRANSPARENTELEMENT_OPERATION_SETTRANSPARENT: return form.SetTransparencyByID(ID, Value1);
      case TRANSPARENTELEMENT_OPERATION_SETCLICKTHROUGH: return form.SetClickThroughByID(ID, on);
      case TRANSPARENTELEMENT_OPERATION_SETAUTOSHOW: return form.SetAutoShowByID(ID, on);
      default: return 0;
    }
  });
  LogResult(name, result);
  return result;
}

int __stdcall QzScreenOverlay_SetCallBackWindowHandle(HWND Handle) {
  return Guarded(-2, [&](TTransparentForm& form) {
    form.SetCallbackWindow(Handle);
    return 0;
  });
}

int __stdcall QzScreenOverlay_Finalize(void) {
  LogText("QzScreenOverlay_Finalize");
  int result = -1;
  try {
    bool scriptFailed = false;
    if (g_debugLines && OverlayFormCreated) {
      try {
        scriptFailed = !WriteDebugScript();
      } catch (...) {
        scriptFailed = true;
      }
    }
    // The window goes in every case: its window procedure must not outlive the library.
    if (OverlayFormCreated) DestroyOverlayWindow();
    if (scriptFailed) {
      result = -2;
    } else {
      DebugLog("DLL finalized");
      if (g_debugLines) {
        try {
          SaveLinesToFile(HostProgramFolder() + kLogFile, *g_debugLines);
        } catch (...) {
        }
        g_debugLines.reset();  // debug mode ends for the rest of the library's life
      }
    }
  } catch (...) {
    result = -2;
  }
  LogResult("QzScreenOverlay_Finalize", result);
  return result;
}

int __stdcall QzScreenOverlay_Clear(void) {
  const char* name = "QzScreenOverlay_Clear";
  LogText(name);
  const int result = Guarded(-2, [&](TTransparentForm& form) { return form.ClearObjects(OBJECTLIST_API); });
  LogResult(name, result);
  return result;
}

}  // extern "C"
