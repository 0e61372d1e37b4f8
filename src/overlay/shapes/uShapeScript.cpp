#include "uShapeScript.h"

bool ScriptCarriesString(const std::string& text) {
  if (text.find_first_of("\r\n") != std::string::npos) return false;
  if (text.find("''") != std::string::npos) return false;
  return text.empty() || text.back() != '\'';
}

std::string ScriptString(const std::string& text) { return "''" + text + "''"; }
