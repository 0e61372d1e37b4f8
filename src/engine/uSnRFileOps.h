// The file operations of the file rewriting, behind one seam so that a test can
// make any of them fail (a read-only folder, a full disk, a rename that is refused,
// a view that cannot be read) and so that a caller can watch every file it makes.
// Names are the system's own (wide) names; each operation takes them at any length.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "win/Handles.h"

// The file's number on its volume (its index), read from the open handle. The
// system's query for a whole identity also asks for the volume's serial number,
// which under wine costs more than a small job; the number alone is a read of the
// file's own record.
bool SnRFileNumber(HANDLE File, uint64_t& Number);

// What shows that another writer changed a file since it was read.
struct TSnRFileState {
  uint64_t Size = 0;
  int64_t LastWrite = 0;  // in the system's file time units
  DWORD Attributes = 0;
};

class TSnRFileOps {
public:
  virtual ~TSnRFileOps() = default;
  // Creates a new, unique, empty file with the prefix in Folder and opens it for
  // exclusive writing. Returns an invalid handle (Name untouched) on failure.
  virtual win::FileHandle CreateTempFile(const std::wstring& Folder, const std::wstring& Prefix,
                                         std::wstring& Name);
  virtual bool Write(HANDLE File, const void* Data, DWORD Size);
  // Makes a written file's data durable (the system's flush of the file).
  virtual bool Flush(HANDLE File);
  // Renames From to To, written through; ReplaceExisting replaces a file To in the
  // same step.
  virtual bool Rename(const std::wstring& From, const std::wstring& To, bool ReplaceExisting);
  virtual bool Delete(const std::wstring& Name);
  // Gives the file Existing the second name NewName (a hard link). On failure the
  // last error tells why: ERROR_ALREADY_EXISTS (or ERROR_FILE_EXISTS) when NewName
  // is taken; anything else, for example a file system without links.
  virtual bool Link(const std::wstring& Existing, const std::wstring& NewName);
  // Makes the folder's entries (names made, replaced or removed) durable where the
  // system can; false where it cannot.
  virtual bool FlushFolder(const std::wstring& Folder);
  // A read-only view of the whole mapping; null on failure. Released with
  // UnmapViewOfFile.
  virtual const void* MapView(HANDLE Mapping);
  // The state of an open file; false when it cannot be asked.
  virtual bool QueryState(HANDLE File, TSnRFileState& State);
  // True when the file under Name is not the one State was taken of, as far as
  // its size and last write show, or has become read-only since, or is gone.
  virtual bool ChangedSince(const std::wstring& Name, const TSnRFileState& State);
  // Gives the new file To (made by CreateTempFile) the attributes and access rights
  // of the open file From (win::CarryFileRights).
  virtual bool CarryRights(HANDLE From, HANDLE To);

  static TSnRFileOps& System();  // the real file system
};
