// The program's command line without a window: splitting it into parameters,
// reading the options, deciding whether they make a complete batch job, the
// jobs they make and the error lines of an incomplete one.
#pragma once
#include "MailTools.h"
#include "uExtPChar.h"
#include "model/uSnRJobBuilding.h"
#include <cstdint>
#include <string>
#include <vector>

// Splits a command line as the class library's parameter strings do: blanks
// and control characters separate parameters, double quotes group blanks into
// one and are dropped. The first entry is the program as it was typed.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// The case and regular-expression switches, in the order they were given.
enum class TSnRSwitch { CaseOn, CaseOff, RegExpOn, RegExpOff };

// Why a hex value ("-OH"/"-NH") is refused: it is taken exactly as given or not at all.
enum class TSnRHexProblem { None, NotHexDigits, OddDigits, TooLong };
// Only the digits 0-9, a-f, A-F (no blanks, no prefix), an even number of them,
// at most 1024 bytes.
TSnRHexProblem SnRHexProblem(const std::string& digits);

struct TSnRRefusedHex {
  std::string Param;   // the parameter as given (8-bit)
  TSnRHexProblem Problem;
};

// What the parameters said.
struct TSnRCommandLine {
  TDirStringList Files;                  // in the order given; duplicates allowed
  TExtPChar OldValue, NewValue;          // hex strings (a text "-O"/"-N" sets them too)
  std::vector<std::string> OldLines, NewLines;   // text strings, one line each
  bool OldHex = false, OldText = false, NewHex = false, NewText = false;
  bool Backup = false;                   // "-B"
  int32_t LogLevel = llNone;             // "-G", "-G0", "-G1", "-G2"
  bool CloseWhenDone = false;            // "-C"
  std::vector<TSnRSwitch> Switches;      // "-CS1", "-CS0", "-RE1", "-RE0"
  // "-OF"/"-NF" files refused unread: larger than a text job takes (kSnRTextMax).
  std::vector<std::string> TooLargeFiles;
  // Hex values refused; they set nothing.
  std::vector<TSnRRefusedHex> RefusedHex;

  // The old or new text, joined by CR LF, is longer than a text job takes.
  bool OldTextTooLong() const;
  bool NewTextTooLong() const;

  // At least one byte of hex, or a text with at least one byte in it.
  bool HasOldString() const;
  // Files, an old string, old and new of one kind (hex or text), texts that fit
  // a text job, and no hex value refused.
  bool Complete() const;
  bool IsHexKind() const { return OldHex && NewHex && !OldText && !NewText; }
};

// Reads the parameters (the program itself not among them), in order. Files
// named by wildcards and list files are looked up at once. "-F", "-R" and "-L"
// take their names from the wide parameters, so a name of any characters names
// its file (and only a "*" or "?" the user gave is a wildcard); every other
// option takes the parameter's 8-bit form, as the 8-bit command line gives it.
// A list file is read as UTF-8 when it has the byte-order mark or is valid
// UTF-8, else as 8-bit text.
TSnRCommandLine ParseSnRCommandLine(const std::vector<std::wstring>& params);
// The same for 8-bit parameters (names in the ANSI code page).
TSnRCommandLine ParseSnRCommandLine(const std::vector<std::string>& params);
// A wide parameter's 8-bit form, as the 8-bit command line has it.
std::string SnRParamText(const std::wstring& param);

// A switch as a click on the window's boxes: checking one of them clears the other.
void ApplySnRSwitch(TSnRSwitch s, bool& caseSensitive, bool& regExpr);

// The jobs of a complete command line. Hex jobs take "-B" and "-G"; text jobs
// (three line breaks) take the window's own backup and log settings.
TSnRJobRequest SnRCommandLineJobRequest(const TSnRCommandLine& c, bool caseSensitive, bool regExpr,
                                        bool windowBackups, int32_t windowLogLevel);

// The result-list lines for an incomplete command line (German for language 0).
std::vector<std::string> SnRCommandLineErrorLines(const TSnRCommandLine& c, const std::vector<std::string>& params,
                                                  int32_t language);
