#include "uShapeScript.h"

namespace {
// Words the script replaces wherever they occur in a line.
const char* const kScriptConstants[] = {
    "OVERLAYELEMENT_OPERATION_DELETE",      "OVERLAYELEMENT_OPERATION_SHOW",
    "OVERLAYELEMENT_OPERATION_LINEWIDTH",   "OVERLAYELEMENT_OPERATION_ISFILLED",
    "OVERLAYELEMENT_OPERATION_SETCOLOR",    "OVERLAYELEMENT_OPERATION_SETAUTOHIDE",
    "OVERLAYELEMENT_OPERATION_SETAUTOSHOW", "OVERLAYELEMENT_OPERATION_SETZORDER",
    "OVERLAYELEMENT_OPERATION_SETMOUSECURSOR", "OVERLAYELEMENT_OPERATION_SETTRANSPARENT",
    "OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH", "PREVIOUSCREATEDELEMENT",
    "SCREENWIDTH", "SCREENHEIGHT", "SCREENCENTERX", "SCREENCENTERY", "TRUE", "FALSE"};
}  // namespace

bool ScriptCarriesString(const std::string& text) {
  if (text.find_first_of("\r\n") != std::string::npos) return false;
  if (text.find("''") != std::string::npos) return false;
  if (!text.empty() && text.back() == '\'') return false;
  for (const char* word : kScriptConstants)
    if (text.find(word) != std::string::npos) return false;
  return true;
}

std::string ScriptString(const std::string& text) { return "''" + text + "''"; }
