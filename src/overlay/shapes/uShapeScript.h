// Strings in the script lines the shapes write.
#pragma once
#include <string>

// The script language delimits strings by two apostrophes, has no escape,
// and replaces its named constants (TRUE, SCREENWIDTH, ...) inside strings
// too. A text with a line break, with two apostrophes in a row, ending in an
// apostrophe or holding a constant would read back as something else (or as
// further lines). Shapes write no script lines for such texts rather than
// lines that recreate a different object.
bool ScriptCarriesString(const std::string& text);
// The text between the two delimiters: ''text''.
std::string ScriptString(const std::string& text);
