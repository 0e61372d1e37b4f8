// The main window's command line (batch mode) and the batch-file export.
#include "uSearchAndReplace.h"

void TSnRForm::ProcessCommandLine() { BatchMode = 0; }

void TSnRForm::SaveasBatchFile1Click() {}
