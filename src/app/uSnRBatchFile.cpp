#include "uSnRBatchFile.h"
#include <windows.h>
#include "uSnRTexts.h"
#include "win/StringList.h"

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
// what it read, so a path beyond ASCII must be written in that code page.
// (Names and lines that it only echoes leave in the bytes they came in with.)
std::string oemPath(const std::string& path) {
  std::string out(path);
  if (!out.empty()) ::CharToOemBuffA(path.data(), &out[0], static_cast<DWORD>(out.size()));
  return out;
}

// A path between double quotes, where only % still means something.
std::string quoted(const std::string& path) {
  std::string out = "\"";
  for (char c : oemPath(path)) out += c == '%' ? std::string("%%") : std::string(1, c);
  return out + "\"";
}

std::string echoLine(const std::string& text) { return "echo " + EscapeBatchText(text); }

std::string callLine(const TSnRBatchRequest& r, const std::string& strings) {
  return quoted(r.ProgramFile) + " -L" + kBatchFileList + " " + strings + (r.CaseSensitive ? "-CS1" : "-CS0") + " " +
         (r.RegExpr ? "-RE1" : "-RE0") + " " + "-G " + "-B " + "-C ";
}

void append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
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

std::vector<std::string> BuildSnRBatchLines(const TSnRBatchRequest& r) {
  const std::string stars(kBoxWidth - 5, '*');
  std::string address = std::string("* ") + ProductHomepage(1);
  if (address.size() < kBoxWidth - 6) address.resize(kBoxWidth - 6, ' ');
  address += "*";

  std::vector<std::string> lines = {
      "echo off",
      "if exist " + quoted(r.ProgramFile) + " goto CONVERT",
      "echo " + stars,
      echoLine("* Rudize&Darozad Edo is not installed any more                          *"),
      echoLine("* Please download it from                                               *"),
      echoLine(address),
      "echo " + stars,
      "pause",
      "goto END",
      ":CONVERT",
      std::string("del ") + kBatchFileList,
  };
  for (const std::string& f : r.Files) append(lines, BatchAppendLines(f, kBatchFileList));
  if (!r.MultiLine) {
    lines.push_back(callLine(r, "-Oh" + r.OldHex + " " + "-Nh" + r.NewHex + " "));
  } else {
    lines.push_back(std::string("del ") + kBatchOldTextFile);
    for (const std::string& l : r.OldLines) append(lines, BatchAppendLines(l, kBatchOldTextFile));
    lines.push_back(std::string("del ") + kBatchNewTextFile);
    for (const std::string& l : r.NewLines) append(lines, BatchAppendLines(l, kBatchNewTextFile));
    // An empty new text is a text too (it deletes what it finds): its file must exist.
    if (r.NewLines.empty()) lines.push_back(std::string("type nul>> ") + kBatchNewTextFile);
    lines.push_back(callLine(r, std::string("-OF") + kBatchOldTextFile + " " + "-NF" + kBatchNewTextFile + " "));
  }
  lines.push_back(std::string("del ") + kBatchFileList);
  lines.push_back(std::string("del ") + kBatchOldTextFile);
  lines.push_back(std::string("del ") + kBatchNewTextFile);
  lines.push_back(":END");
  return lines;
}

bool SaveSnRBatchFile(const std::string& fileName, const TSnRBatchRequest& request) {
  win::StringList lines;
  for (const std::string& line : BuildSnRBatchLines(request)) lines.add(line);
  return lines.saveToFile(fileName);
}
