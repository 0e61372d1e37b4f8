// The about box: icon, the product web page as a link, the dedication and OK.
#pragma once
#include "settings/uQzSnRMainForm.h"
#include "win/GuiControls.h"
#include <functional>
#include <string>

class TSnRAboutForm : public TQzSnRMainForm {
public:
  explicit TSnRAboutForm(win::Component* owner = nullptr);

  win::Control* IconImage = nullptr;
  win::Label* HomepageLabel = nullptr;
  win::Label* WidmungLabel = nullptr;
  win::Button* OKButton = nullptr;

  void SetCurrentLanguage() override;
  void HomepageLabelClick();
  void OKButtonClick();

  // Opens a web address through the shell; tests record it instead.
  std::function<void(const std::string& url)> OpenUrl;

private:
  void centerDedication();
};

extern TSnRAboutForm* SnRAboutForm;

extern const char kSnRAboutDesignCaption[];     // "Qz-Radavi&Dezevud 2.0"
extern const char kSnRAboutLanguageCaption[];   // "Qz-Rudize&Darozad Edo 2.0"
// The dedication for a language; nullptr when it stays as it is.
const char* SnRAboutDedication(int32_t language);
