// The file operations of the file rewriting, behind one seam so that a test can
// make any of them fail (a read-only folder, a full disk, a rename that is refused,
// a view that cannot be read) and so that a caller can watch every file it makes.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
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
  // Makes a written file's data durable (the system's flush of the file).
  virtual bool Flush(HANDLE File);
  // Renames From to To, written through; ReplaceExisting replaces a file To in the
  // same step.
  virtual bool Rename(const std::string& From, const std::string& To, bool ReplaceExisting);
  virtual bool Delete(const std::string& Name);
  // Gives the file Existing the second name NewName (a hard link). On failure the
  // last error tells why: ERROR_ALREADY_EXISTS (or ERROR_FILE_EXISTS) when NewName
  // is taken; anything else, for example a file system without links.
  virtual bool Link(const std::string& Existing, const std::string& NewName);
  // Makes the folder's entries (names made, replaced or removed) durable where the
  // system can; false where it cannot.
  virtual bool FlushFolder(const std::string& Folder);
  // A read-only view of Size bytes of the mapping from Offset, a multiple of the
  // system's allocation granularity; null on failure. Released with UnmapViewOfFile.
  virtual const void* MapViewAt(HANDLE Mapping, uint64_t Offset, size_t Size);

  static TSnRFileOps& System();  // the real file system
};
