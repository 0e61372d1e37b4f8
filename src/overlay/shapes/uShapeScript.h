// Strings in the script lines the shapes write.
#pragma once
#include <string>

// The script language delimits strings by two apostrophes and has no escape:
// a text with a line break, with two apostrophes in a row or ending in an
// apostrophe would read back as something else (or as further lines). Shapes
// write no script lines for such texts rather than lines that recreate a
// different object.
bool ScriptCarriesString(const std::string& text);
// The text between the two delimiters: ''text''.
std::string ScriptString(const std::string& text);
