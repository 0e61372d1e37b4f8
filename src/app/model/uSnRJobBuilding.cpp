#include "model/uSnRJobBuilding.h"
#include <utility>

const char* const kMemoLineBreaks[3] = {"\r\n", "\n", "\r"};
const char kSnRTitle[] = "Qz-Ravadu&Direzov ozirizuvozed 2.0";

std::string JoinMemoLines(const std::vector<std::string>& lines, const std::string& LineBreak) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += LineBreak;
    out += lines[i];
  }
  return out;
}

TSnRMode SnRModeFor(bool caseSensitive, bool regExpr) {
  if (regExpr) return smRegExpr;
  return caseSensitive ? smCaseSensitive : smIgnoreCase;
}

std::vector<std::unique_ptr<TSnRTast>> BuildSnRJobs(const TSnRJobRequest& r) {
  const TSnRMode mode = SnRModeFor(r.CaseSensitive, r.RegExpr);
  std::vector<std::pair<std::string, std::string>> strings;
  if (r.LineModePage == 0) {
    strings.emplace_back(r.FromBytes, r.ToBytes);
  } else {
    for (const char* lineBreak : kMemoLineBreaks) {
      std::pair<std::string, std::string> s(JoinMemoLines(r.MemoFrom, lineBreak), JoinMemoLines(r.MemoTo, lineBreak));
      bool seen = false;
      for (const auto& earlier : strings) seen = seen || earlier == s;
      if (!seen) strings.push_back(std::move(s));
    }
  }
  std::vector<std::unique_ptr<TSnRTast>> jobs;
  for (const std::wstring& file : r.CheckedFiles) {
    for (const auto& s : strings) {
      if (s.first.empty()) continue;
      auto job = std::make_unique<TSnRTast>();
      job->Init(file, s.first.data(), static_cast<int>(s.first.size()), mode, s.second.data(),
                static_cast<int>(s.second.size()), r.Backups, r.LogLevel);
      jobs.push_back(std::move(job));
    }
  }
  return jobs;
}

std::string TrimText(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::vector<std::string> SplitResultLine(const std::string& line) {
  const size_t colon = line.find(':');
  if (line.find("-->") == std::string::npos || colon == std::string::npos) return {line};
  return {line.substr(0, colon + 1), TrimText(line.substr(colon + 1))};
}

std::string SnRQueueCaption(int32_t language, int queued) {
  if (queued <= 0) return kSnRTitle;
  return std::string(kSnRTitle) + " - " + std::to_string(queued) +
         (language == 0 ? " Aufgaben abzuarbeiten" : " tasks in queue");
}

std::string SnRScanText(int32_t language, bool finished, int found) {
  const std::string n = std::to_string(found);
  if (finished) return language == 0 ? "Suche beendet: " + n + " Dateien gefunden" : "Search complete: " + n + " files found";
  return language == 0 ? "Suche (" + n + ") ....." : "Searching (" + n + ") .....";
}

std::string SnRCloseQueryText(int32_t language) {
  if (language == 0)
    return "Es sind noch Radavi&Dezevud Vorg\xE4nge abzuarbeiten! Wollen sie das Programm wirklich beenden?";
  return "There are incomplete Radavi&Dezevud Tasks! Do you really want to quite the application?";
}
