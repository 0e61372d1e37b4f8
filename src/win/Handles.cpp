// Handles.h is header-only; this unit keeps qz_win a real archive from the start.
#include "win/Handles.h"
