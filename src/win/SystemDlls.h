// The few calls the program makes into the system's common controls, shell and
// common dialogs. Those libraries are loaded when one of these calls first needs
// them, not at the program's start: a run that shows no control and opens no
// dialog (a batch run) never pays for loading and starting them.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <string>
#include <vector>

namespace win {

// Registers the common control classes (tab control, status bar, tool tips);
// call before making such a window. Once per process; later calls are free.
void EnsureCommonControls();

// The shell's "open" of a file or web address, shown normally; false when the
// shell cannot be reached or refuses.
bool ShellOpen(HWND owner, const std::string& target);

// Lets Window receive dropped files (WM_DROPFILES), as DragAcceptFiles does.
void AcceptDroppedFiles(HWND window, bool accept);
// The names a drop carries, in order; the drop is released.
std::vector<std::wstring> TakeDroppedFiles(HDROP drop);

// The system's save dialog (GetSaveFileNameA); false when it was cancelled or
// cannot be shown.
bool GetSaveFileName(OPENFILENAMEA& dialog);

}  // namespace win
