#include "QzScreenOverlayScript.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <new>

#include "win/Handles.h"

namespace {

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Trim(const std::string& s) {
  size_t first = 0, last = s.size();
  while (first < last && IsTrimmed(s[first])) ++first;
  while (last > first && IsTrimmed(s[last - 1])) --last;
  return s.substr(first, last - first);
}

// ASCII only: bytes of other code pages keep their case.
std::string UpperCase(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
    s.replace(pos, from.size(), to);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// n percent of reference, rounded to the nearest integer with halves to the even one.
// Exact in 64 bits: |n| and |reference| are below 2^31.
bool Percentage(int32_t n, int32_t reference, int32_t& value) {
  const int64_t product = static_cast<int64_t>(n) * reference;
  int64_t q = product / 100;
  const int64_t r = product % 100;
  const int64_t step = product < 0 ? -1 : 1;
  const int64_t half = r < 0 ? -r : r;
  if (half > 50 || (half == 50 && q % 2 != 0)) q += step;
  if (q < std::numeric_limits<int32_t>::min() || q > std::numeric_limits<int32_t>::max())
    return false;
  value = static_cast<int32_t>(q);
  return true;
}

// Parameters of one command line: each read first counts the error code down, so a
// malformed parameter k leaves -(100 + k).
struct TParams {
  std::string rest;
  int32_t code = -100;
  int32_t Num(int32_t reference) {
    --code;
    return ParseScriptNumber(rest, reference);
  }
  std::string Str() {
    --code;
    return ParseScriptString(rest);
  }
};

bool FileExists(const std::string& name) {
  if (name.empty()) return false;
  const DWORD attributes = ::GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& name) {
  win::FileHandle file(::CreateFileA(name.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("cannot open " + name);
  std::string text;
  char buffer[64 * 1024];
  DWORD got = 0;
  for (;;) {
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
      throw std::runtime_error("cannot read " + name);
    if (got == 0) break;
    text.append(buffer, got);
  }
  return text;
}

}  // namespace

bool ScriptStrToInt(const std::string& text, int32_t& value) {
  const size_t len = text.size();
  size_t i = 0;
  while (i < len && text[i] == ' ') ++i;
  if (i == len) return false;
  bool hex = false;
  if (text[i] == '$' || text[i] == 'x' || text[i] == 'X') {
    hex = true;
    i += 1;
  } else if (text[i] == '0' && i + 1 < len && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (hex) {
    if (i == len) return false;
    uint64_t v = 0;
    for (; i < len; ++i) {
      const int d = HexDigit(text[i]);
      if (d < 0) return false;
      v = v * 16 + static_cast<unsigned>(d);
      if (v > 0xFFFFFFFFu) return false;
    }
    value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  if (i == len) return false;
  int64_t v = 0;
  for (; i < len; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

int32_t ParseScriptNumber(std::string& rest, int32_t reference) {
  rest = Trim(rest);
  const size_t blank = rest.find(' ');
  int32_t value = 0;
  if (blank == std::string::npos) {
    // The last parameter of a line: no percentage possible.
    const std::string token = rest;
    rest.clear();
    if (!ScriptStrToInt(token, value)) throw EScriptConvertError(token);
    return value;
  }
  const std::string token = rest.substr(0, blank);
  rest.erase(0, blank + 1);
  if (!token.empty() && token.back() == '%') {
    int32_t n = 0;
    if (!ScriptStrToInt(token.substr(0, token.size() - 1), n) || !Percentage(n, reference, value))
      throw EScriptConvertError(token);
    return value;
  }
  if (!ScriptStrToInt(token, value)) throw EScriptConvertError(token);
  return value;
}

std::string ParseScriptString(std::string& rest) {
  rest = Trim(rest);
  if (!StartsWith(rest, "''")) return "NOSTRING";
  rest.erase(0, 2);
  const size_t close = rest.find("''");
  if (close == std::string::npos) {
    rest.clear();
    return std::string();
  }
  std::string text = rest.substr(0, close);
  rest.erase(0, close + 3);  // the text, the closing '' and the blank after it
  return text;
}

namespace {

// Cuts every line off in place (its line break becomes the NUL that ends it) and
// hands it to run, so running a file copies no line.
template <class Run>
void ForEachScriptLine(std::string& text, Run&& run) {
  const size_t n = std::min(text.size(), text.find('\0'));  // a NUL ends the text
  size_t i = 0;
  while (i < n) {
    const size_t start = i;
    const size_t end = std::min(n, text.find_first_of("\r\n", start));
    i = end;
    if (i < n && text[i] == '\r') ++i;
    if (i < n && text[i] == '\n') ++i;
    text[end] = '\0';
    run(text.c_str() + start, end - start);
  }
}

// Every command word with the blank after it; CLEAR is a line of its own.
const char* const kCommandWords[] = {"WAIT ",    "SETCALLBACKWINDOWHANDLE ", "OPERATION ",
                                     "POINT ",   "LINE ",                    "RECTANGLE ",
                                     "ELLIPSE ", "POLYLINE ",                "TEXT ",
                                     "BITMAPBYFILENAME ", "BITMAPBYRESOURCE ", "SCRIPT "};

bool StartsWithWord(const char* s, size_t n, const char* word) {
  size_t i = 0;
  for (; word[i]; ++i) {
    if (i >= n) return false;
    char c = s[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != word[i]) return false;
  }
  return true;
}

// Constants stand for numbers and no command word holds a digit, so a line that
// does not begin with a command word before they are replaced does not begin with
// one afterwards either: such a line (most of a file of free text) is done here.
bool MayBeCommand(const char* s, size_t n) {
  while (n > 0 && IsTrimmed(*s)) ++s, --n;
  while (n > 0 && IsTrimmed(s[n - 1])) --n;
  if (n == 5 && std::char_traits<char>::compare(s, "CLEAR", 5) == 0) return true;
  for (const char* word : kCommandWords)
    if (StartsWithWord(s, n, word)) return true;
  return false;
}

}  // namespace

std::vector<std::string> SplitScriptText(const std::string& text) {
  std::string copy = text;
  std::vector<std::string> lines;
  ForEachScriptLine(copy, [&](const char* line, size_t length) { lines.emplace_back(line, length); });
  return lines;
}

std::string TScriptInterpreter::ReplaceConstants(std::string line) {
  // Asking the system for the display costs more than reading a line: only lines
  // that name a display constant ask.
  const bool screen = line.find("SCREEN") != std::string::npos;
  const int32_t width = screen ? host_.ScreenWidth() : 0;
  const int32_t height = screen ? host_.ScreenHeight() : 0;
  // The order counts: it is part of the language.
  const std::pair<const char*, int32_t> constants[] = {
      {"OVERLAYELEMENT_OPERATION_DELETE", 1},
      {"OVERLAYELEMENT_OPERATION_SHOW", 2},
      {"OVERLAYELEMENT_OPERATION_LINEWIDTH", 3},
      {"OVERLAYELEMENT_OPERATION_ISFILLED", 4},
      {"OVERLAYELEMENT_OPERATION_SETCOLOR", 5},
      {"OVERLAYELEMENT_OPERATION_SETAUTOHIDE", 6},
      {"OVERLAYELEMENT_OPERATION_SETAUTOSHOW", 11},
      {"OVERLAYELEMENT_OPERATION_SETZORDER", 7},
      {"OVERLAYELEMENT_OPERATION_SETMOUSECURSOR", 8},
      {"OVERLAYELEMENT_OPERATION_SETTRANSPARENT", 9},
      {"OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH", 10},
      {"PREVIOUSCREATEDELEMENT", previous_},
      {"SCREENWIDTH", width},
      {"SCREENHEIGHT", height},
      {"SCREENCENTERX", width / 2},
      {"SCREENCENTERY", height / 2},
      {"TRUE", 1},
      {"FALSE", 0},
  };
  for (const auto& c : constants) ReplaceAll(line, c.first, std::to_string(c.second));
  return line;
}

void TScriptInterpreter::Wait(std::string rest) {
  int32_t ms = 1000;
  try {
    ms = ParseScriptNumber(rest, 100);
  } catch (const EScriptConvertError&) {
    ms = 1000;
  }
  // Unsigned differences survive the wrap of the tick count.
  const uint32_t start = host_.TickCount();
  uint32_t waitMs = ms < 0 ? 0 : static_cast<uint32_t>(ms) + 1;
  for (;;) {
    if (!host_.ProcessMessages(waitMs)) return;  // the host is quitting
    if (ms < 0) return;
    const uint32_t elapsed = host_.TickCount() - start;
    if (elapsed > static_cast<uint32_t>(ms)) return;
    waitMs = static_cast<uint32_t>(ms) - elapsed + 1;
  }
}

int32_t TScriptInterpreter::RunHandler(const std::string& upper, const std::string& line) {
  // The words before SCRIPT, which the caller handles, in the order of the handlers.
  const int handlers = static_cast<int>(sizeof kCommandWords / sizeof *kCommandWords) - 1;
  int command = -1;
  for (int i = 0; i < handlers; ++i)
    if (StartsWith(upper, kCommandWords[i])) {
      command = i;
      break;
    }
  if (command < 0) return -1;  // no command: silently nothing

  TParams p;
  p.rest = line.substr(std::char_traits<char>::length(kCommandWords[command]));
  if (command == 0) {
    Wait(p.rest);
    return -1;
  }
  // The display is the reference of percentages only.
  const bool percentages = p.rest.find('%') != std::string::npos;
  const int32_t w = percentages ? host_.ScreenWidth() : 0;
  const int32_t h = percentages ? host_.ScreenHeight() : 0;
  try {
    switch (command) {
      case 1: return target_.SetCallBackWindowHandle(p.Num(100));
      case 2: {
        const int32_t operation = p.Num(100), id = p.Num(100), v1 = p.Num(100);
        const int32_t v2 = p.Num(100), v3 = p.Num(100);
        return target_.Operation(operation, id, v1, v2, v3);
      }
      case 3: {
        const int32_t x = p.Num(w), y = p.Num(h), style = p.Num(100), color = p.Num(100);
        return target_.Point(x, y, style, color);
      }
      case 4:
      case 5:
      case 6: {
        const int32_t x1 = p.Num(w), y1 = p.Num(h), x2 = p.Num(w), y2 = p.Num(h);
        const int32_t color = p.Num(100);
        if (command == 4) return target_.Line(x1, y1, x2, y2, color);
        if (command == 5) return target_.Rectangle(x1, y1, x2, y2, color);
        return target_.Ellipse(x1, y1, x2, y2, color);
      }
      case 7: {
        const int32_t count = p.Num(100);
        // The room for the points is taken before any pair is read. A pair takes at
        // least four characters ("x y "), so a count beyond what the rest of the line
        // can hold is room that cannot be had, like room that memory cannot hold; the
        // room taken is thus bounded by the line's own length.
        std::vector<int32_t> points;
        if (count > 0) {
          if (static_cast<size_t>(count) > (p.rest.size() + 1) / 4) return -102;
          try {
            points.reserve(2 * static_cast<size_t>(count));
          } catch (const std::bad_alloc&) {
            return -102;
          }
        }
        for (int32_t i = 0; i < count; ++i) {
          const int32_t x = p.Num(w), y = p.Num(h);
          points.push_back(x);
          points.push_back(y);
        }
        const int32_t color = p.Num(100);
        static const int32_t none[2] = {0, 0};
        return target_.Polyline(points.empty() ? none : points.data(), count, color);
      }
      case 8: {
        const int32_t x = p.Num(w), y = p.Num(h);
        const std::string text = p.Str(), font = p.Str();
        const int32_t size = p.Num(100), bold = p.Num(100), italic = p.Num(100);
        const int32_t color = p.Num(100);
        return target_.Text(x, y, text.c_str(), font.c_str(), size, bold, italic, color);
      }
      case 9: {
        const int32_t x = p.Num(w), y = p.Num(h);
        const std::string file = p.Str();
        const int32_t transparent = p.Num(100);
        return target_.BitmapByFile(x, y, file.c_str(), transparent);
      }
      default: {
        const int32_t x = p.Num(w), y = p.Num(h), instance = p.Num(100);
        const std::string name = p.Str();
        const int32_t transparent = p.Num(100);
        return target_.BitmapByResource(x, y, instance, name.c_str(), transparent);
      }
    }
  } catch (const EScriptConvertError&) {
    return p.code;
  }
}

int32_t TScriptInterpreter::ScriptCommand(const char* scriptLine) noexcept {
  int32_t result = -1;
  try {
    const char* original = scriptLine ? scriptLine : "";
    const bool logging = host_.Logging();
    if (logging) {
      host_.Log("QzScreenOverlay_ScriptCommand");
      host_.Log(std::string("  ScriptLine=") + original);
    }
    try {
      if (MayBeCommand(original, std::char_traits<char>::length(original))) result = RunLine(original);
    } catch (...) {
      // The line's result stays what it was.
    }
    if (logging) host_.Log("QzScreenOverlay_ScriptCommand [" + std::to_string(result) + "]");
  } catch (...) {
  }
  return result;
}

int32_t TScriptInterpreter::RunLine(const std::string& original) {
  int32_t result = -1;
  const std::string line = ReplaceConstants(Trim(original));
  const std::string upper = UpperCase(line);
  std::string checked = upper;
  if (line == "CLEAR") {
    result = target_.Clear();
  } else if (StartsWith(upper, "SCRIPT ")) {
    const std::string fileName = line.substr(7);
    checked = UpperCase(fileName);
    result = RunFile(fileName);
  } else {
    result = RunHandler(upper, line);
  }
  // Lines that act on an object leave the previous one current, so several
  // OPERATION lines can follow the line that created it.
  if (result >= 0 && checked.find("SETCALLBACKWINDOWHANDLE ") == std::string::npos &&
      checked.find("OPERATION ") == std::string::npos)
    previous_ = result;
  return result;
}

int32_t TScriptInterpreter::RunFile(const std::string& fileName) {
  if (!FileExists(fileName)) return -1;
  if (fileDepth_ >= MaxFileNesting) return -1;
  struct DepthScope {
    int& depth;
    explicit DepthScope(int& d) : depth(d) { ++depth; }
    ~DepthScope() { --depth; }
  } scope(fileDepth_);
  std::string text = ReadWholeFile(fileName);
  ForEachScriptLine(text, [this](const char* line, size_t) { ScriptCommand(line); });
  return 0;
}

int32_t TScriptInterpreter::ScriptCommandFile(const char* fileName) noexcept {
  try {
    return RunFile(fileName ? fileName : "");
  } catch (...) {
    return -1;
  }
}

int32_t TWin32ScriptHost::ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
int32_t TWin32ScriptHost::ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }
uint32_t TWin32ScriptHost::TickCount() { return ::GetTickCount(); }

bool TWin32ScriptHost::ProcessMessages(uint32_t waitMs) {
  if (waitMs > 0)
    ::MsgWaitForMultipleObjectsEx(0, nullptr, waitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to take: the host's own loop must still see it.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return true;
}
