#include "uBufferedIniFile.h"

void SetIniSaveTimerFactory(TIniSaveTimerFactory) {}
TBufferedIniFile::TBufferedIniFile(const std::string& fileName) : fileName_(fileName) {}
TBufferedIniFile::~TBufferedIniFile() = default;
void TBufferedIniFile::Load() {}
std::string TBufferedIniFile::ReadString(const std::string&, const std::string&,
                                         const std::string& def) const {
  return def;
}
void TBufferedIniFile::WriteString(const std::string&, const std::string&, const std::string&) {}
bool TBufferedIniFile::Save() { return true; }
void TBufferedIniFile::Flush() {}
void TBufferedIniFile::ScheduleSave(bool) {}
bool TBufferedIniFile::SavePending() const { return false; }
void TBufferedIniFile::SaveTimerTimer() {}
void TBufferedIniFile::BuildSectionIndex() {}
int TBufferedIniFile::FindSection(const std::string&) const { return -1; }
