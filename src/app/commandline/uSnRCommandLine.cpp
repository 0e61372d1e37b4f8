#include "commandline/uSnRCommandLine.h"
#include <windows.h>
#include "win/FileNames.h"
#include "win/StringList.h"
#include <algorithm>
#include <cctype>

namespace {

template <class Char>
bool isSeparator(Char c) { return c != 0 && static_cast<unsigned>(c) <= ' '; }

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// "c:\data\*.txt" -> "c:\data\" and "*.txt".
void splitPathAndName(const std::wstring& value, std::wstring& path, std::wstring& name) {
  const size_t cut = value.find_last_of(L"\\:");
  path = cut == std::wstring::npos ? std::wstring() : value.substr(0, cut + 1);
  name = cut == std::wstring::npos ? value : value.substr(cut + 1);
}

void addMatchingFiles(TDirStringList& files, const std::wstring& value, bool recursive) {
  std::wstring path, mask;
  splitPathAndName(value, path, mask);
  if (!mask.empty()) files.AddFiles(path, mask, 47, recursive, true);
}

bool isUtf8(const std::string& text) {
  std::wstring ignored;
  return win::Utf8ToWide(text, ignored);
}

// One name per line; blanks, control characters and one pair of quotes around
// it do not count. Lines left empty are skipped, not the end of the list.
// A list starting with the byte-order mark is UTF-8 (a line that is not falls
// back to 8-bit text). Without the mark, a list that is valid UTF-8 as a whole
// is UTF-8, else 8-bit text as it always was: 8-bit text is valid UTF-8 only
// where every byte above 127 stands in a run that starts with one of 194-244
// and goes on with one to three of 128-191 (in the usual code pages a letter
// followed by signs), which names hardly hold, and one line that is not valid
// decides for the whole list, as one program wrote it.
void addListFile(TDirStringList& files, const std::wstring& listFile) {
  try {
    win::StringList list;
    if (!list.loadFromFile(listFile)) return;
    std::vector<std::string> lines = list.items();
    const bool bom = !lines.empty() && lines.front().compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom) lines.front().erase(0, 3);
    const bool utf8 = bom || std::all_of(lines.begin(), lines.end(), isUtf8);
    for (const std::string& line : lines) {
      std::string name = TrimText(line);
      if (!name.empty() && name.front() == '"') name.erase(0, 1);
      if (!name.empty() && name.back() == '"') name.pop_back();
      if (name.empty()) continue;
      if (utf8) files.addFileName(win::Utf8OrAnsiToWide(name));
      else files.add(name);
    }
  } catch (...) {
    // The names read so far stay.
  }
}

// A file whose lines cannot fit a text job, whatever its line breaks: each
// break becomes at most two bytes and only the last one is dropped.
bool tooLargeForText(const std::string& fileName) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!::GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &a)) return false;
  const uint64_t size = (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
  return size > kSnRTextMax + 2;
}

bool tooLong(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& l : lines) size += l.size() + 2;
  return size > kSnRTextMax + 2;
}

// "-O"/"-N" after the key: a type letter, then the value.
void readString(const std::string& param, const std::string& value, TExtPChar& bytes,
                std::vector<std::string>& lines, bool& hex, bool& text, std::vector<std::string>& tooLarge,
                std::vector<TSnRRefusedHex>& refused) {
  if (value.empty()) return;   // no type letter: nothing was given
  const char type = upper(value.substr(0, 1))[0];
  const std::string rest = value.substr(1);
  if (type == 'F') {
    // Refused at once, unread: a huge file would only be read to be refused.
    if (tooLargeForText(rest)) {
      tooLarge.push_back(rest);
      return;
    }
    win::StringList file;
    if (!file.loadFromFile(rest)) return;
    lines.insert(lines.end(), file.items().begin(), file.items().end());
    text = true;
  } else if (type == 'H') {
    // Refused whole rather than read as far as it goes: a dropped digit or a
    // cut tail would make the job replace bytes the user never gave.
    const TSnRHexProblem problem = SnRHexProblem(rest);
    if (problem != TSnRHexProblem::None) {
      refused.push_back({param, problem});
      return;
    }
    bytes.SetHex(rest);
    hex = true;
  } else {
    bytes.SetText(rest);
    lines.push_back(rest);
    text = true;
  }
}

template <class String>
std::vector<String> splitCommandLine(const String& commandLine) {
  using Char = typename String::value_type;
  const Char quote = static_cast<Char>('"');
  std::vector<String> params;
  size_t i = 0;
  const size_t n = commandLine.size();
  for (;;) {
    // Blanks and empty pairs of quotes before a parameter are skipped.
    for (;;) {
      while (i < n && isSeparator(commandLine[i])) ++i;
      if (i + 1 < n && commandLine[i] == quote && commandLine[i + 1] == quote) i += 2;
      else break;
    }
    if (i >= n || commandLine[i] == 0) break;
    String param;
    while (i < n && commandLine[i] != 0 && !isSeparator(commandLine[i])) {
      if (commandLine[i] == quote) {
        ++i;
        while (i < n && commandLine[i] != 0 && commandLine[i] != quote) param += commandLine[i++];
        if (i < n && commandLine[i] == quote) ++i;
      } else {
        param += commandLine[i++];
      }
    }
    params.push_back(param);
  }
  return params;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) { return splitCommandLine(commandLine); }
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) { return splitCommandLine(commandLine); }

std::string SnRParamText(const std::wstring& param) { return win::WideToAnsiAsSystem(param); }

TSnRHexProblem SnRHexProblem(const std::string& digits) {
  for (char c : digits)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return TSnRHexProblem::NotHexDigits;
  if (digits.size() % 2) return TSnRHexProblem::OddDigits;
  if (digits.size() / 2 > static_cast<size_t>(TExtPChar::MaxLen)) return TSnRHexProblem::TooLong;
  return TSnRHexProblem::None;
}

bool TSnRCommandLine::HasOldString() const {
  if (OldValue.Len > 0) return true;
  // Lines count only when they hold something: "-Oc" alone is no old string.
  return !JoinMemoLines(OldLines, "\r\n").empty();
}

bool TSnRCommandLine::OldTextTooLong() const { return tooLong(OldLines); }
bool TSnRCommandLine::NewTextTooLong() const { return tooLong(NewLines); }

bool TSnRCommandLine::Complete() const {
  const bool oneKind = OldHex == NewHex && OldText == NewText && OldHex != OldText;
  const bool textsFit = TooLargeFiles.empty() && !OldTextTooLong() && !NewTextTooLong();
  return Files.count() > 0 && HasOldString() && oneKind && textsFit && RefusedHex.empty();
}

namespace {

// Each parameter in its 8-bit form and its wide form.
TSnRCommandLine parse(const std::vector<std::string>& params, const std::vector<std::wstring>& wide) {
  TSnRCommandLine c;
  for (size_t i = 0; i < params.size() && i < wide.size(); ++i) {
    const std::string& p = params[i];
    const std::wstring fileValue = wide[i].size() > 2 ? wide[i].substr(2) : std::wstring();
    const std::string whole = upper(p);
    if (whole == "-G0") c.LogLevel = llNone;
    else if (whole == "-G1") c.LogLevel = llChangedFiles;
    else if (whole == "-G2") c.LogLevel = llAllFiles;
    else if (whole == "-CS1") c.Switches.push_back(TSnRSwitch::CaseOn);
    else if (whole == "-CS0") c.Switches.push_back(TSnRSwitch::CaseOff);
    else if (whole == "-RE1") c.Switches.push_back(TSnRSwitch::RegExpOn);
    else if (whole == "-RE0") c.Switches.push_back(TSnRSwitch::RegExpOff);
    else {
      const std::string key = whole.substr(0, 2);
      const std::string value = p.size() > 2 ? p.substr(2) : std::string();
      if (key == "-F") {
        if (fileValue.find_first_of(L"*?") != std::wstring::npos) addMatchingFiles(c.Files, fileValue, false);
        else if (!fileValue.empty()) c.Files.addFileName(fileValue);
      } else if (key == "-R") {
        addMatchingFiles(c.Files, fileValue, true);
      } else if (key == "-L") {
        if (!fileValue.empty()) addListFile(c.Files, fileValue);
      } else if (key == "-O") {
        readString(p, value, c.OldValue, c.OldLines, c.OldHex, c.OldText, c.TooLargeFiles, c.RefusedHex);
      } else if (key == "-N") {
        readString(p, value, c.NewValue, c.NewLines, c.NewHex, c.NewText, c.TooLargeFiles, c.RefusedHex);
      } else if (key == "-B") {
        c.Backup = true;
      } else if (key == "-G") {
        c.LogLevel = llAllFiles;
      } else if (key == "-C") {
        c.CloseWhenDone = true;
      }
    }
  }
  return c;
}

}  // namespace

TSnRCommandLine ParseSnRCommandLine(const std::vector<std::wstring>& params) {
  std::vector<std::string> texts;
  for (const std::wstring& p : params) texts.push_back(SnRParamText(p));
  return parse(texts, params);
}

TSnRCommandLine ParseSnRCommandLine(const std::vector<std::string>& params) {
  std::vector<std::wstring> wide;
  for (const std::string& p : params) wide.push_back(win::AnsiToWide(p));
  return parse(params, wide);
}

void ApplySnRSwitch(TSnRSwitch s, bool& caseSensitive, bool& regExpr) {
  switch (s) {
    case TSnRSwitch::CaseOn: caseSensitive = true; regExpr = false; break;
    case TSnRSwitch::CaseOff: caseSensitive = false; break;
    case TSnRSwitch::RegExpOn: regExpr = true; caseSensitive = false; break;
    case TSnRSwitch::RegExpOff: regExpr = false; break;
  }
}

TSnRJobRequest SnRCommandLineJobRequest(const TSnRCommandLine& c, bool caseSensitive, bool regExpr,
                                        bool windowBackups, int32_t windowLogLevel) {
  TSnRJobRequest r;
  r.CheckedFiles = c.Files.Names();
  r.CaseSensitive = caseSensitive;
  r.RegExpr = regExpr;
  if (c.IsHexKind()) {
    r.LineModePage = 0;
    if (c.OldValue.Len > 0) r.FromBytes.assign(reinterpret_cast<const char*>(c.OldValue.Buffer), c.OldValue.Len);
    if (c.NewValue.Len > 0) r.ToBytes.assign(reinterpret_cast<const char*>(c.NewValue.Buffer), c.NewValue.Len);
    r.Backups = c.Backup;
    r.LogLevel = c.LogLevel;
  } else {
    r.LineModePage = 1;
    r.MemoFrom = c.OldLines;
    r.MemoTo = c.NewLines;
    r.Backups = windowBackups;
    r.LogLevel = windowLogLevel;
  }
  return r;
}

std::vector<std::string> SnRCommandLineErrorLines(const TSnRCommandLine& c, const std::vector<std::string>& params,
                                                  int32_t language) {
  const bool de = language == 0;
  std::vector<std::string> lines;
  lines.push_back(de ? "Fehler beim Verwenden der Kommandozeilenparamter:" : "Error using command line parameters:");
  std::string all;
  for (const std::string& p : params) all += " " + p;
  lines.push_back(all);
  lines.push_back("");
  if (c.Files.count() == 0)
    lines.push_back(de ? "keine Dateien gefunden - bitte verwenden Sie die Paramter -F, -R oder -L um die Dateinamen "
                         "festzulegen"
                       : "no files found - please use parameters -F, -R or -L to define file names");
  if (!c.HasOldString())
    lines.push_back(de ? "kein Such-String definiert - bitte verwenden Sie Parameter -O"
                       : "no source string defined - please use paramter -O");
  const std::string limit = std::to_string(kSnRTextMax);
  for (const std::string& file : c.TooLargeFiles)
    lines.push_back(de ? "Textdatei zu gro\xDF: " + file + " - alter und neuer Text d\xFCrfen mit Zeilenumbr\xFC" "chen "
                             "h\xF6" "chstens " + limit + " Bytes lang sein"
                       : "text file too large: " + file + " - old and new texts may hold at most " + limit +
                             " bytes with their line breaks");
  const std::pair<bool, bool> texts[] = {{c.OldTextTooLong(), true}, {c.NewTextTooLong(), false}};
  for (const auto& [long_, old] : texts) {
    if (!long_) continue;
    lines.push_back(de ? std::string(old ? "alter" : "neuer") + " Text zu lang - h\xF6" "chstens " + limit +
                             " Bytes mit Zeilenumbr\xFC" "chen"
                       : std::string(old ? "old" : "new") + " text too long - at most " + limit +
                             " bytes with its line breaks");
  }
  for (const TSnRRefusedHex& r : c.RefusedHex) {
    const std::string head = (de ? "Hex-Wert abgelehnt: " : "hex value refused: ") + ShortenText(r.Param, 60) + " - ";
    switch (r.Problem) {
      case TSnRHexProblem::NotHexDigits:
        lines.push_back(head + (de ? "nur die Hex-Ziffern 0-9 und A-F sind erlaubt, ohne Leerzeichen"
                                   : "only the hex digits 0-9 and A-F may be given, without blanks"));
        break;
      case TSnRHexProblem::OddDigits:
        lines.push_back(head + (de ? "ungerade Anzahl von Hex-Ziffern" : "an odd number of hex digits"));
        break;
      case TSnRHexProblem::TooLong:
        lines.push_back(head + (de ? "mehr als " : "more than ") + std::to_string(TExtPChar::MaxLen) +
                        (de ? " Bytes" : " bytes"));
        break;
      case TSnRHexProblem::None: break;
    }
  }
  lines.push_back("");
  return lines;
}
