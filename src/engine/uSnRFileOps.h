// The file operations of the file rewriting, behind one seam so that a test can
// make any of them fail (a read-only folder, a full disk, a rename that is refused).
#pragma once
#include <windows.h>
#include <string>
#include "win/Handles.h"

class TSnRFileOps {
public:
  virtual ~TSnRFileOps() = default;
  // Creates a new, unique, empty file with the prefix in Folder and opens it for
  // exclusive writing. Returns an invalid handle (Name untouched) on failure.
  virtual win::FileHandle CreateTempFile(const std::string& Folder, const std::string& Prefix,
                                         std::string& Name);
  virtual bool Write(HANDLE File, const void* Data, DWORD Size);
  // Renames From to To; ReplaceExisting replaces a file To in the same step.
  virtual bool Rename(const std::string& From, const std::string& To, bool ReplaceExisting);
  virtual bool Delete(const std::string& Name);

  static TSnRFileOps& System();  // the real file system
};
