// The main window's command line and batch-file export with their inputs
// given, so that they can be driven without a real command line or dialog.
#pragma once
#include "commandline/uSnRBatchFile.h"
#include <string>
#include <vector>

class TSnRForm;

// ProcessCommandLine with these parameters in place of the program's own
// (the program itself not among them).
void ProcessSnRCommandLine(TSnRForm& form, const std::vector<std::wstring>& params);
void ProcessSnRCommandLine(TSnRForm& form, const std::vector<std::string>& params);

// The batch file that repeats the window's current job, calling ProgramFile.
TSnRBatchRequest SnRBatchRequestFor(TSnRForm& form, const std::wstring& ProgramFile);
