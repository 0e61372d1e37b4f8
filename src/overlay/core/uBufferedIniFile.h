// One INI file held in memory as trimmed lines. Reads and writes work on the
// lines; a write schedules a save 30 s later (restarted by every further
// write), and Flush or destruction saves a pending change at once.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The save timer, behind an interface so tests can fire it by hand. It fires
// through the creating thread's message loop.
class TIniSaveTimer {
public:
  virtual ~TIniSaveTimer() = default;
  virtual void SetEnabled(bool on) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetOnTimer(std::function<void()> handler) = 0;
};

using TIniSaveTimerFactory = std::function<std::unique_ptr<TIniSaveTimer>(unsigned intervalMs)>;
// Installs the factory new files use; an empty one restores the real timer.
void SetIniSaveTimerFactory(TIniSaveTimerFactory factory);

class TBufferedIniFile {
public:
  static constexpr unsigned SaveDelayMs = 30000;

  explicit TBufferedIniFile(const std::string& fileName);
  ~TBufferedIniFile();   // Flush; never throws
  TBufferedIniFile(const TBufferedIniFile&) = delete;
  TBufferedIniFile& operator=(const TBufferedIniFile&) = delete;

  void Load();
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // True and the value when the key exists in the section.
  bool FindValue(const std::string& section, const std::string& key, std::string& value) const;
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  // Writes the lines, CR LF after each. False when the file cannot be written
  // (the lines stay in memory and nothing is thrown).
  bool Save();
  void Flush();
  void ScheduleSave(bool restart);
  bool SavePending() const;
  void SaveTimerTimer();
  void BuildSectionIndex();

  const std::string& FileName() const { return fileName_; }
  const std::vector<std::string>& Lines() const { return lines_; }

private:
  // The lines of one section by key: reading every key of a file costs one pass
  // over its lines, not one per key.
  struct TSectionKeys {
    std::unordered_map<std::string, int> lines;   // lower-cased text before "=" -> its first line
    int end = 0;                                   // the line after the section
  };
  int FindSection(const std::string& section) const;   // line index of the header, -1 if none
  const TSectionKeys& SectionKeys(int header) const;
  int FindKeyLine(int header, const std::string& key) const;   // -1 if none

  std::string fileName_;
  std::vector<std::string> lines_;
  std::unique_ptr<TIniSaveTimer> saveTimer_;
  std::vector<int> sectionIndex_;
  std::unordered_map<std::string, int> sectionByName_;   // lower-cased header -> its first line
  mutable std::unordered_map<int, TSectionKeys> keysBySection_;   // built on first use, dropped on inserts
};
