#include "texts/uSnRAbout.h"
#include "texts/uSnRTexts.h"
#include "win/SystemDlls.h"

TSnRAboutForm* SnRAboutForm = nullptr;

const char kSnRAboutDesignCaption[] = "Qz-Radavi&Dezevud 2.0";
const char kSnRAboutLanguageCaption[] = "Qz-Rudize&Darozad Edo 2.0";

const char* SnRAboutDedication(int32_t language) {
  if (language == 0) return "f\xFC" "r meine Eltern";
  if (language == 1 || language == -1) return "dedicated to my parents";
  return nullptr;
}

namespace {
// The program's icon (the system's application icon when the program has
// none) in a white square.
class TIconImage : public win::Panel {
public:
  TIconImage(win::Component* owner, win::Control* parent, const std::string& name, int l, int t, int w, int h)
      : win::Panel(owner, parent, name, l, t, w, h) {
    icon_ = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (!icon_) icon_ = ::LoadIconA(nullptr, IDI_APPLICATION);   // shared, never destroyed
  }

protected:
  void paint(HDC dc) override {
    RECT rc;
    ::GetClientRect(handle_, &rc);
    ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (icon_) ::DrawIconEx(dc, 0, 0, icon_, 32, 32, 0, nullptr, DI_NORMAL);
  }

private:
  HICON icon_ = nullptr;
};
}  // namespace

TSnRAboutForm::TSnRAboutForm(win::Component* owner) : TQzSnRMainForm(owner, "SnRAboutForm") {
  setBorderStyle(win::BorderStyle::ToolWindow);
  setCaption(kSnRAboutDesignCaption);
  setColor(RGB(255, 255, 255));
  setClientSize(355, 203);
  setCenterOnFirstShow(true);

  IconImage = new TIconImage(this, this, "IconImage", 8, 8, 41, 41);

  HomepageLabel = new win::Label(this, this, "HomepageLabel", ProductHomepage(1), 64, 72);
  win::Font link;
  link.bold = true;
  link.underline = true;
  link.color = RGB(0, 0, 255);
  HomepageLabel->setFont(link);
  HomepageLabel->setCursor(IDC_HAND);
  HomepageLabel->setCaption(ProductHomepage(1));   // sizes the label in its own font
  HomepageLabel->setLeft((clientWidth() - HomepageLabel->width()) / 2);

  WidmungLabel = new win::Label(this, this, "WidmungLabel", "dedicated to my parents", 64, 120);
  win::Font dedication;
  dedication.bold = true;
  dedication.color = RGB(128, 0, 128);
  WidmungLabel->setFont(dedication);
  WidmungLabel->setCaption("dedicated to my parents");
  centerDedication();

  OKButton = new win::Button(this, this, "OKButton", "&OK", 0, clientHeight() - 25, clientWidth(), 25);
  OKButton->setDefault(true);
  OKButton->setCancel(true);

  OpenUrl = [](const std::string& url) {
    win::ShellOpen(win::app().handle(), url);
  };
  HomepageLabel->onClick = [this](win::Control&) { HomepageLabelClick(); };
  OKButton->onClick = [this](win::Control&) { OKButtonClick(); };
}

void TSnRAboutForm::SetCurrentLanguage() {
  const int32_t language = GetLanguage();
  if (const char* d = SnRAboutDedication(language)) {
    WidmungLabel->setCaption(d);
    centerDedication();
  }
  if (language == 0 || language == 1) setCaption(kSnRAboutLanguageCaption);
}

void TSnRAboutForm::centerDedication() { WidmungLabel->setLeft((clientWidth() - WidmungLabel->width()) / 2); }

void TSnRAboutForm::HomepageLabelClick() {
  if (OpenUrl) OpenUrl(ProductHomepage(GetLanguage()));
}

void TSnRAboutForm::OKButtonClick() { CloseForm(); }
