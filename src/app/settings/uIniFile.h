// INI files as wholes: a group of key writes applied in memory and written in
// one durable step (the system's profile functions rewrite the file in place
// on every single write, so a kill could leave it cut), and a whole section
// read in one call (reading key by key costs a search of the file per key).
#pragma once
#include <string>
#include <unordered_map>
#include <vector>

// Writes of keys into one INI file. Set() only records; Commit() applies them
// to the file's current text with the profile functions' rules (sections and
// keys found without regard to case, the first one counts; a missing key is
// added at the end of its section, a missing section at the end of the file)
// and writes the result durably, or not at all when nothing changed.
class TIniEdit {
public:
  explicit TIniEdit(std::string fileName) : file_(std::move(fileName)) {}
  void Set(const std::string& section, const std::string& key, const std::string& value);
  // True when the file holds every value afterwards.
  bool Commit();

private:
  struct Write {
    std::string section, key, value;
  };
  std::string file_;
  std::vector<Write> writes_;
};

// The keys and values of one section as the profile functions read them:
// keys without regard to case, the first of equal keys counts, values without
// the blanks and the one pair of quotes around them.
class TIniSection {
public:
  TIniSection() = default;
  TIniSection(const std::string& fileName, const std::string& section);
  // The value (cut to maxChars), or Default when the key is missing.
  std::string Get(const std::string& key, const std::string& Default, size_t maxChars) const;
  bool Has(const std::string& key) const;
  size_t size() const { return values_.size(); }

private:
  std::unordered_map<std::string, std::string> values_;
};

// Upper-case form under which keys and sections compare.
std::string IniNameKey(const std::string& name);
