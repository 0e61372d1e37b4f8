#include "commandline/uSnRBatchFile.h"
#include <windows.h>
#include "win/DurableFile.h"
#include "win/FileNames.h"
#include "model/uSnRJobBuilding.h"
#include "texts/uSnRTexts.h"
#include "win/StringList.h"
#include <algorithm>

const char kBatchFileList[] = "tmpfilelist.snr";
const char kBatchOldTextFile[] = "tmpfileOldtext.snr";
const char kBatchNewTextFile[] = "tmpfileNewtext.snr";

namespace {

const int kBoxWidth = 78;   // every box line, "echo " included

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The interpreter reads a batch file in the OEM code page and opens files by
// what it read, so the program's path is written in that code page; a path it
// cannot hold is written in its short form, which can.
std::string oemPath(const std::wstring& path) {
  if (!win::HasOemForm(path)) {
    const std::wstring shortForm = win::ShortPath(path);
    if (!shortForm.empty() && win::HasOemForm(shortForm)) return win::WideToOem(shortForm);
  }
  return win::WideToOem(path);
}

// A path between double quotes, where only % still means something.
std::string quoted(const std::wstring& path) {
  std::string out = "\"";
  for (char c : oemPath(path)) out += c == '%' ? std::string("%%") : std::string(1, c);
  return out + "\"";
}

std::string echoLine(const std::string& text) { return "echo " + EscapeBatchText(text); }

std::string callLine(const TSnRBatchRequest& r, const std::string& strings) {
  return quoted(r.ProgramFile) + " -L" + kBatchFileList + " " + strings + (r.CaseSensitive ? "-CS1" : "-CS0") + " " +
         (r.RegExpr ? "-RE1" : "-RE0") + " " + "-G " + "-B " + "-C ";
}

}  // namespace

std::string EscapeBatchText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '%') out += "%%";
    else if (c == '^' || c == '&' || c == '|' || c == '<' || c == '>' || c == '"') out += std::string("^") + c;
    else out += c;
  }
  // A digit right before ">>" would be taken for the number of the stream to redirect.
  if (!out.empty() && out.back() >= '0' && out.back() <= '9') out.insert(out.size() - 1, "^");
  return out;
}

std::vector<std::string> BatchAppendLines(const std::string& text, const std::string& file) {
  const std::string redirect = ">> " + file;
  const std::string word = lower(trimBlanks(text));
  // echo cannot write these words: it switches its own echoing instead.
  if (word == "on" || word == "off") return {"<nul set /p \"=" + text + "\"" + redirect, "echo." + redirect};
  // "echo." writes blanks only and an empty line, and keeps "/?" from asking for help.
  if (word.empty() || text.front() == '/') return {"echo." + EscapeBatchText(text) + redirect};
  return {"echo " + EscapeBatchText(text) + redirect};
}

namespace {

// What a line of the batch file was made from, for the message about a line too long.
enum class TBatchPart { Fixed, ProgramFile, FileName, OldText, NewText, Call };

struct TBatchLine {
  std::string Text;
  TBatchPart Part;
  size_t Index;   // the entry or memo line it came from (0-based)
};

std::vector<TBatchLine> buildLines(const TSnRBatchRequest& r) {
  std::vector<TBatchLine> out;
  auto add = [&out](const std::string& text, TBatchPart part = TBatchPart::Fixed, size_t index = 0) {
    out.push_back(TBatchLine{text, part, index});
  };
  auto addAll = [&](const std::vector<std::string>& lines, TBatchPart part, size_t index) {
    for (const std::string& l : lines) add(l, part, index);
  };

  const std::string stars(kBoxWidth - 5, '*');
  std::string address = std::string("* ") + ProductHomepage(1);
  if (address.size() < kBoxWidth - 6) address.resize(kBoxWidth - 6, ' ');
  address += "*";

  add("echo off");
  add("if exist " + quoted(r.ProgramFile) + " goto CONVERT", TBatchPart::ProgramFile);
  add("echo " + stars);
  add(echoLine("* Rudize&Darozad Edo is not installed any more                          *"));
  add(echoLine("* Please download it from                                               *"));
  add(echoLine(address));
  add("echo " + stars);
  add("pause");
  add("goto END");
  add(":CONVERT");
  add(std::string("del ") + kBatchFileList);
  // The interpreter echoes a name back in the bytes it came in with as long as
  // it writes in the code page it reads the line in. While every name has an
  // 8-bit form, the list holds the program's 8-bit bytes, through the console's
  // code page as it is. Otherwise the list is UTF-8 and the code page is
  // switched for these lines: the system's interpreter reads each line in the
  // console's current code page, so 65001 does; one that reads every line in
  // the OEM code page whatever the console's (wine's) makes two characters of
  // the probe's one and gets this system's OEM code page instead. The
  // console's own is put back after the names; the variables end with the batch.
  const bool utf8List = !std::all_of(r.Files.begin(), r.Files.end(), win::HasAnsiForm);
  if (utf8List) {
    add("setlocal");
    add("set QzCodePage=");
    add("for /f \"tokens=2 delims=:.\" %%c in ('chcp') do set \"QzCodePage=%%c\"");
    add("if defined QzCodePage chcp 65001 >nul");
    add("set \"QzProbe=\xC3\xA9\"");
    add("if defined QzCodePage if not \"%QzProbe:~1%\"==\"\" chcp " + std::to_string(::GetOEMCP()) + " >nul");
  }
  for (size_t i = 0; i < r.Files.size(); ++i) {
    const std::string name = utf8List ? win::WideToUtf8(r.Files[i]) : win::WideToAnsi(r.Files[i]);
    addAll(BatchAppendLines(name, kBatchFileList), TBatchPart::FileName, i);
  }
  if (utf8List) add("if defined QzCodePage chcp %QzCodePage% >nul");
  if (!r.MultiLine) {
    add(callLine(r, "-Oh" + r.OldHex + " " + "-Nh" + r.NewHex + " "), TBatchPart::Call);
  } else {
    add(std::string("del ") + kBatchOldTextFile);
    for (size_t i = 0; i < r.OldLines.size(); ++i)
      addAll(BatchAppendLines(r.OldLines[i], kBatchOldTextFile), TBatchPart::OldText, i);
    add(std::string("del ") + kBatchNewTextFile);
    for (size_t i = 0; i < r.NewLines.size(); ++i)
      addAll(BatchAppendLines(r.NewLines[i], kBatchNewTextFile), TBatchPart::NewText, i);
    // An empty new text is a text too (it deletes what it finds): its file must exist.
    if (r.NewLines.empty()) add(std::string("type nul>> ") + kBatchNewTextFile);
    add(callLine(r, std::string("-OF") + kBatchOldTextFile + " " + "-NF" + kBatchNewTextFile + " "), TBatchPart::Call);
  }
  add(std::string("del ") + kBatchFileList);
  add(std::string("del ") + kBatchOldTextFile);
  add(std::string("del ") + kBatchNewTextFile);
  add(":END");
  return out;
}

// 12345 -> "12,345" (German "12.345").
std::string grouped(size_t n, bool german) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += german ? '.' : ',';
    out += digits[i];
  }
  return out;
}

std::string partName(const TBatchLine& l, bool de) {
  const std::string n = std::to_string(l.Index + 1);
  switch (l.Part) {
    case TBatchPart::ProgramFile: return de ? "dem Programmpfad" : "of the program's path";
    case TBatchPart::FileName: return de ? "dem " + n + ". Dateinamen" : "of file name " + n;
    case TBatchPart::OldText: return de ? "der " + n + ". Zeile des alten Textes" : "of line " + n + " of the old text";
    case TBatchPart::NewText: return de ? "der " + n + ". Zeile des neuen Textes" : "of line " + n + " of the new text";
    case TBatchPart::Call: return de ? "dem Programmaufruf" : "of the program call";
    default: return "";
  }
}

}  // namespace

std::vector<std::string> BuildSnRBatchLines(const TSnRBatchRequest& r) {
  std::vector<std::string> lines;
  for (TBatchLine& l : buildLines(r)) lines.push_back(std::move(l.Text));
  return lines;
}

std::string SnRBatchFileProblem(const TSnRBatchRequest& r, int32_t language) {
  const bool de = language == 0;
  if (r.MultiLine) {
    const std::pair<const std::vector<std::string>*, bool> texts[] = {{&r.OldLines, true}, {&r.NewLines, false}};
    for (const auto& [lines, old] : texts) {
      // Joined with CR LF, the longest of the three line breaks.
      size_t size = 0;
      for (const std::string& l : *lines) size += l.size() + 2;
      if (size > 0) size -= 2;
      if (size <= kSnRTextMax) continue;
      const std::string which = de ? (old ? "Der alte Text" : "Der neue Text") : (old ? "The old text" : "The new text");
      return de ? "Die Batch-Datei wurde nicht gespeichert: " + which + " ist mit seinen Zeilenumbr\xFC" "chen " +
                      grouped(size, true) + " Bytes lang, ein Batch-Lauf nimmt h\xF6" "chstens " +
                      grouped(kSnRTextMax, true) + " Bytes."
                : "The batch file was not saved: " + which + " is " + grouped(size, false) +
                      " bytes long with its line breaks, and a batch run takes at most " +
                      grouped(kSnRTextMax, false) + " bytes.";
    }
  }
  const std::vector<TBatchLine> lines = buildLines(r);
  for (size_t i = 0; i < lines.size(); ++i) {
    const TBatchLine& l = lines[i];
    if (l.Text.size() <= kBatchLineMax) continue;
    const std::string part = partName(l, de);
    return de ? "Die Batch-Datei wurde nicht gespeichert: Zeile " + std::to_string(i + 1) + " (aus " + part +
                    ") w\xE4re " + grouped(l.Text.size(), true) +
                    " Zeichen lang, der Kommandointerpreter liest h\xF6" "chstens " + grouped(kBatchLineMax, true) +
                    " Zeichen je Zeile."
              : "The batch file was not saved: its line " + std::to_string(i + 1) + " (made " + part + ") would be " +
                    grouped(l.Text.size(), false) + " characters long, and the command interpreter reads at most " +
                    grouped(kBatchLineMax, false) + " characters a line.";
  }
  return {};
}

bool SaveSnRBatchFile(const std::string& fileName, const TSnRBatchRequest& request) {
  if (!SnRBatchFileProblem(request, 1).empty()) return false;
  win::StringList lines;
  for (const std::string& line : BuildSnRBatchLines(request)) lines.add(line);
  // Whole or not at all: a cut batch file (its program call cut short, say)
  // would run another job.
  return win::WriteFileDurably(fileName, lines.text());
}
