// The overlay library's script language: one drawing command per line, each mapped
// onto one exported function. The interpreter knows nothing of windows: the exports it
// calls and the system it runs in (display size, clock, message queue, debug log) are
// handed to it, so the library gives it the real ones and tests give it recorders.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// The exported functions that the commands call, with the exports' argument order.
class TScriptTarget {
public:
  virtual ~TScriptTarget() = default;
  virtual int32_t Clear() = 0;
  virtual int32_t SetCallBackWindowHandle(int32_t handle) = 0;
  virtual int32_t Operation(int32_t operation, int32_t id, int32_t value1, int32_t value2,
                            int32_t value3) = 0;
  virtual int32_t Point(int32_t x, int32_t y, int32_t style, int32_t color) = 0;
  virtual int32_t Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color) = 0;
  virtual int32_t Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom,
                            int32_t color) = 0;
  virtual int32_t Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t color) = 0;
  // points holds count pairs x, y; it is a valid pointer even when count is 0 or less.
  virtual int32_t Polyline(const int32_t* points, int32_t count, int32_t color) = 0;
  virtual int32_t Text(int32_t x, int32_t y, const char* text, const char* fontName, int32_t size,
                       int32_t bold, int32_t italic, int32_t color) = 0;
  virtual int32_t BitmapByFile(int32_t x, int32_t y, const char* fileName,
                               int32_t transparentColor) = 0;
  virtual int32_t BitmapByResource(int32_t x, int32_t y, int32_t instance,
                                   const char* resourceName, int32_t transparentColor) = 0;
};

// What the interpreter needs of the system around it.
class TScriptHost {
public:
  virtual ~TScriptHost() = default;
  // The primary display in pixels (reference of percentages and the SCREEN constants).
  virtual int32_t ScreenWidth() = 0;
  virtual int32_t ScreenHeight() = 0;
  // Milliseconds since some start; wraps around, so only differences count.
  virtual uint32_t TickCount() = 0;
  // One pass of the message loop: waits at most waitMs for a message, then handles every
  // pending one. Returns false when the quit message came; it has then been posted again
  // for the host's own loop.
  virtual bool ProcessMessages(uint32_t waitMs) = 0;
  // One line for the library's debug log (which drops it when debugging is off).
  virtual void Log(const std::string& text) = 0;
  // False when Log would drop every line, so none need be built.
  virtual bool Logging() { return true; }
};

// A parameter that is not a number of the script's syntax.
class EScriptConvertError : public std::runtime_error {
public:
  explicit EScriptConvertError(const std::string& text)
      : std::runtime_error("'" + text + "' is not a valid integer value") {}
};

// Integer syntax of script numbers: leading blanks, then an optional sign and decimal
// digits, or "$", "x", "X", "0x", "0X" and hexadecimal digits (no sign, 32 bits, values
// from $80000000 up are negative). False for anything else or a value outside 32 bits.
bool ScriptStrToInt(const std::string& text, int32_t& value);

// Takes the next number off rest (trimmed first). A number ending in "%" before the blank
// that ends it is that percentage of reference, exactly, halves to the even neighbour.
// Throws EScriptConvertError when malformed or outside 32 bits.
int32_t ParseScriptNumber(std::string& rest, int32_t reference);

// Takes the next ''string'' off rest; "NOSTRING" (consuming nothing) when rest does not
// begin with the doubled apostrophe. A string without its closing '' is empty and takes
// the whole rest with it.
std::string ParseScriptString(std::string& rest);

// Script lines are read from files as the library's string lists do: split at CR, LF or
// CR LF, a NUL ends the text, a final line break adds no empty line.
std::vector<std::string> SplitScriptText(const std::string& text);

class TScriptInterpreter {
public:
  // A file run by a SCRIPT line of a file ... counts one level; beyond this the SCRIPT line
  // is refused with -1, so a file that runs itself ends.
  static constexpr int MaxFileNesting = 10;

  // previousCreatedID: where the value of PREVIOUSCREATEDELEMENT lives when it is shared
  // library state; by default the interpreter keeps its own.
  TScriptInterpreter(TScriptTarget& target, TScriptHost& host, int32_t* previousCreatedID = nullptr)
      : target_(target), host_(host), previous_(previousCreatedID ? *previousCreatedID : own_) {}
  TScriptInterpreter(const TScriptInterpreter&) = delete;
  TScriptInterpreter& operator=(const TScriptInterpreter&) = delete;

  // One script line: the command's result, -1 for a line that is no command, -(100 + k)
  // for a malformed parameter k. Never throws.
  int32_t ScriptCommand(const char* scriptLine) noexcept;
  // Runs every line of the file: -1 when it does not exist or cannot be read (or nests
  // too deep), else 0. Never throws.
  int32_t ScriptCommandFile(const char* fileName) noexcept;

  // The value of PREVIOUSCREATEDELEMENT: -1 until a line creates something.
  int32_t PreviousCreatedID() const { return previous_; }
  void SetPreviousCreatedID(int32_t id) { previous_ = id; }

private:
  int32_t RunFile(const std::string& fileName);  // throws on a read failure
  int32_t RunLine(const std::string& line);       // a line that may hold a command
  std::string ReplaceConstants(std::string line);
  int32_t RunHandler(const std::string& upper, const std::string& line);
  void Wait(std::string rest);

  TScriptTarget& target_;
  TScriptHost& host_;
  int32_t own_ = -1;
  int32_t& previous_;
  int fileDepth_ = 0;
};

// The host of the real library: primary display metrics, GetTickCount, the calling
// thread's message queue, and a log hook (none: no log) with the test whether it logs
// (none: whenever there is a hook).
class TWin32ScriptHost : public TScriptHost {
public:
  using LogHook = void (*)(const std::string& text);
  using LogTest = bool (*)();
  explicit TWin32ScriptHost(LogHook log = nullptr, LogTest logging = nullptr)
      : log_(log), logging_(logging) {}
  int32_t ScreenWidth() override;
  int32_t ScreenHeight() override;
  uint32_t TickCount() override;
  bool ProcessMessages(uint32_t waitMs) override;
  void Log(const std::string& text) override {
    if (log_) log_(text);
  }
  bool Logging() override { return log_ && (!logging_ || logging_()); }

private:
  LogHook log_;
  LogTest logging_;
};
