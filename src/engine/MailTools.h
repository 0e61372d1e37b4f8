// Small shared helpers: hex decoding, the recursive file list, debugger output and
// the horizontal extent of list boxes. The directory walk here is also the scan
// thread's.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "win/StringList.h"

// Decodes pairs of hex digits (either case) from the start of Text into at most Size
// bytes of Dest, stopping at the first pair that is not two digits. Returns Dest.
uint8_t* HexTextToBuffer(const std::string& Text, uint8_t* Dest, int Size);

// Whether a program collects debugger output: a debugger, or a viewer that has
// made the system's shared buffer for it (a viewer that starts is seen within a
// second). A caller can skip building a text for DebugOut when not.
bool DebugOutputWanted();

// Text, cut to its first 1024 characters, to the system debugger output while
// DebugOutputWanted().
void DebugOut(const std::string& Text);

// Width 0 or more: the list box's horizontal extent. Negative: the largest of Width
// and the text width of every item, plus the frame width.
void SetListBoxHorizontalExtent(HWND ListBox, int Width);

// File attribute bits as the walk compares them.
enum : int {
  faReadOnly = 1, faHidden = 2, faSysFile = 4, faVolumeID = 8, faDirectory = 16, faArchive = 32,
  faAnyFile = 63,
};

// True when an entry with the attribute word Attr is taken for the wanted bits:
// a shared bit, and a directory exactly when the directory bit is wanted.
bool WalkAttrMatches(DWORD Attr, int Wanted);

// The walk of a folder (the current folder when Path is empty): subfolders first,
// depth first when Recursive, then the entries of the folder that match Mask and
// Attr, each handed to Found as folder + "\" + name (so a drive root gives a doubled
// backslash). Names are the system's own (wide), the mask is matched against them
// by the system, and folders and paths of any length are walked. Stop is asked at
// the start of every folder. Raises no error; the process's current folder is
// neither used nor changed during the walk.
void WalkFolder(const std::wstring& Path, const std::wstring& Mask, int Attr, bool Recursive,
                const std::function<bool()>& Stop, const std::function<void(const std::wstring&)>& Found);

class TExtStringList : public win::StringList {};

// A string list filled with the full paths that a directory walk finds. Its
// texts are the paths' 8-bit forms; Names holds the real paths, in step.
class TDirStringList : public TExtStringList {
public:
  virtual ~TDirStringList() = default;
  // Empties the list unless Append, then appends every path found, as it was formed.
  virtual void AddFiles(const std::wstring& Path, const std::wstring& Mask, int Attr, bool Recursive,
                        bool Append);
  // The same with 8-bit path and mask.
  void AddFiles(const std::string& Path, const std::string& Mask, int Attr, bool Recursive, bool Append);
  // Item Index whole (FullPath) or its part after the last backslash or colon;
  // empty for an index out of range.
  std::string GetName(int Index, bool FullPath) const;

  // A text names the file of that text; a real name shows as its 8-bit form.
  int add(const std::string& s) override;
  int addFileName(const std::wstring& name) override;
  void clear() override;
  const std::vector<std::wstring>& Names() const { return names_; }
  // Changing single items would leave Names behind.
  void insert(int, const std::string&) = delete;
  void remove(int) = delete;

private:
  std::vector<std::wstring> names_;
};
