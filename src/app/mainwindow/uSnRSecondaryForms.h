// The program's windows besides the main window: the help window, the directory
// dialog and the about box. They are made when first needed, in that order (the
// order of the program's start), so a batch run, which needs none of them, does
// not pay for building them.
#pragma once

enum class TSnRSecondaryForm { Help, Directory, About };

// Makes the windows up to Form (in the order above) that do not exist yet.
void MakeSecondaryForms(TSnRSecondaryForm Form);
// Frees the ones made, in the reverse order.
void ReleaseSecondaryForms();
