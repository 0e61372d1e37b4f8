#include "model/uSnRModel.h"

void TSnRModel::ClickMatchBox(TMatchBox box, bool checked) {
  switch (box) {
    case TMatchBox::CaseSingle: Match.CaseSingle = checked; break;
    case TMatchBox::CaseMulti: Match.CaseMulti = checked; break;
    case TMatchBox::RegSingle: Match.RegSingle = checked; break;
    case TMatchBox::RegMulti: Match.RegMulti = checked; break;
  }
  Match = CoupleMatchBoxes(Match, box);
}

int TSnRModel::CheckedFileCount() const {
  int n = 0;
  for (const TSnRListEntry& f : Files) n += f.Checked ? 1 : 0;
  return n;
}

bool TSnRModel::AnyBackupChecked() const {
  for (const TSnRListEntry& b : Backups)
    if (b.Checked) return true;
  return false;
}

std::vector<std::wstring> TSnRModel::CheckedFiles() const {
  std::vector<std::wstring> names;
  for (const TSnRListEntry& f : Files)
    if (f.Checked) names.push_back(f.Name);
  return names;
}

namespace {
std::vector<std::wstring> namesOf(const std::vector<TSnRListEntry>& entries) {
  std::vector<std::wstring> names;
  names.reserve(entries.size());
  for (const TSnRListEntry& e : entries) names.push_back(e.Name);
  return names;
}
}  // namespace

std::vector<std::wstring> TSnRModel::FileNames() const { return namesOf(Files); }
std::vector<std::wstring> TSnRModel::BackupNames() const { return namesOf(Backups); }

THelpState TSnRModel::HelpState(bool scanFinished) const {
  THelpState s;
  s.PathEmpty = Path.empty();
  s.MaskEmpty = Mask.empty();
  s.FileCount = static_cast<int>(Files.size());
  s.CheckedFileCount = CheckedFileCount();
  s.ScanFinished = scanFinished;
  s.LineModePage = LineModePage;
  s.FromStrLen = FromValue.Len;
  s.ToStrLen = ToValue.Len;
  s.MemoFromStrLines = static_cast<int>(MemoFrom.size());
  s.MemoToStrLines = static_cast<int>(MemoTo.size());
  s.SnRButtonEnabled = SnRButtonShouldBeEnabled(s);
  return s;
}

bool TSnRModel::StartAllowed(bool scanFinished) const { return HelpState(scanFinished).SnRButtonEnabled; }

TSnRJobRequest TSnRModel::JobRequest(bool backups, int32_t logLevel) const {
  TSnRJobRequest r;
  r.CheckedFiles = CheckedFiles();
  r.LineModePage = LineModePage == 0 ? 0 : 1;
  if (FromValue.Len > 0) r.FromBytes.assign(reinterpret_cast<const char*>(FromValue.Buffer), static_cast<size_t>(FromValue.Len));
  if (ToValue.Len > 0) r.ToBytes.assign(reinterpret_cast<const char*>(ToValue.Buffer), static_cast<size_t>(ToValue.Len));
  r.MemoFrom = MemoFrom;
  r.MemoTo = MemoTo;
  r.CaseSensitive = CaseSensitive();
  r.RegExpr = RegExpr();
  r.Backups = backups;
  r.LogLevel = logLevel;
  return r;
}

void TSnRModel::AddReportLine(const std::string& line) {
  for (std::string& part : SplitResultLine(line)) Results.push_back(std::move(part));
}
