// The main window's control texts in German and English, the warranty text
// shown over the empty file list, the language menu and the product web page.
// Texts are bytes in the Windows-1252 code page.
#pragma once
#include "win/Gui.h"
#include <cstdint>
#include <string>
#include <vector>

// One control text of the main window. Name is the component's name; a part
// of one of the two string frames is named "FrameName.PartName". A text of ""
// clears the control.
struct TSnRText {
  const char* Name;
  const char* English;
  const char* German;
};

// Every control text of the main window, in the order they are applied.
const std::vector<TSnRText>& SnRFormTexts();

// True for the language numbers that have built-in texts (0, 1 and -1).
bool HasBuiltInTexts(int32_t language);

// The text of a component for a language (German for 0, English for 1 and
// -1); nullptr when the table does not name it or the language is another
// number. Use SnRFormText(name, 1) for the English design captions.
const char* SnRFormText(const std::string& name, int32_t language);

// The warranty memo's lines (five, the last three empty); empty for a
// language without built-in texts.
std::vector<std::string> WarrantyLines(int32_t language);

// Looks a component up by name among everything the window owns, also
// inside frames; "Frame.Part" looks for Part inside the component Frame.
win::Component* FindSnRComponent(win::Component& window, const std::string& name);

// Puts the texts of a language on the main window's controls (menu items
// their captions) and refills "WarrantyMemo". A language other than 0, 1
// and -1 changes nothing (false). Components the window lacks are skipped.
bool ApplySnRFormTexts(win::Component& window, int32_t language);

// Captions of the language menu's items; the same in both languages.
extern const char kLanguageGermanCaption[];    // "&deutsch"
extern const char kLanguageEnglishCaption[];   // "&English"

// The product web page: German for language 0, English otherwise.
const char* ProductHomepage(int32_t language);
