// The about box: its texts per language, the link to the product web page
// and the OK button that Enter and Escape press.
#include "texts/uSnRAbout.h"
#include "texts/uSnRTexts.h"
#include "win/Timer.h"
#include <windows.h>
#include <gtest/gtest.h>
#include "AppTestText.h"

namespace {
struct AboutTest : ::testing::Test {
  TSnRAboutForm* about = nullptr;
  std::vector<std::string> opened;
  void SetUp() override {
    win::app().initialize();
    Language = 1;
    about = win::Form::create<TSnRAboutForm>();
    about->OpenUrl = [this](const std::string& url) { opened.push_back(url); };
  }
  void TearDown() override {
    about->release();
    Language = 1;
  }
};
}  // namespace

TEST_F(AboutTest, DesignOfTheBox) {
  EXPECT_EQ(about->clientWidth(), 355);
  EXPECT_EQ(about->clientHeight(), 203);
  EXPECT_EQ(about->HomepageLabel->caption(), ProductHomepage(1));
  EXPECT_TRUE(about->HomepageLabel->font().underline);
  EXPECT_EQ(about->HomepageLabel->font().color, RGB(0, 0, 255));
  // The whole address is readable, and so is the longer dedication.
  EXPECT_GE(about->HomepageLabel->left(), 0);
  EXPECT_LE(about->HomepageLabel->left() + about->HomepageLabel->width(), about->clientWidth());
  Language = 0;
  about->SetCurrentLanguage();
  EXPECT_GE(about->WidmungLabel->left(), 0);
  EXPECT_LE(about->WidmungLabel->left() + about->WidmungLabel->width(), about->clientWidth());
  EXPECT_EQ(about->OKButton->caption(), "&OK");
  EXPECT_EQ(about->OKButton->width(), about->clientWidth());
  EXPECT_EQ(about->OKButton->top() + about->OKButton->height(), about->clientHeight());
}

TEST_F(AboutTest, TextsOfTheLanguages) {
  struct { int32_t language; std::string dedication, caption; } cases[] = {
      {0, ansi(u8"für meine Eltern"), "Qz-Rudize&Darozad Edo 2.0"},
      {1, "dedicated to my parents", "Qz-Rudize&Darozad Edo 2.0"},
  };
  for (const auto& c : cases) {
    about->setCaption("design");
    Language = c.language;
    about->SetCurrentLanguage();
    EXPECT_EQ(about->WidmungLabel->caption(), c.dedication);
    EXPECT_EQ(about->caption(), c.caption);
  }
  // Texts of a language file keep the caption; only the dedication is built in.
  about->setCaption("from the language file");
  about->WidmungLabel->setCaption("x");
  Language = -1;
  about->SetCurrentLanguage();
  EXPECT_EQ(about->caption(), "from the language file");
  EXPECT_EQ(about->WidmungLabel->caption(), "dedicated to my parents");
  // Any other number changes nothing.
  Language = 7;
  about->WidmungLabel->setCaption("x");
  about->SetCurrentLanguage();
  EXPECT_EQ(about->caption(), "from the language file");
  EXPECT_EQ(about->WidmungLabel->caption(), "x");
}

TEST_F(AboutTest, TheLinkOpensThePageOfTheLanguage) {
  Language = 0;
  about->HomepageLabel->click();
  Language = 1;
  about->HomepageLabel->click();
  Language = -1;
  about->HomepageLabel->click();
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], ProductHomepage(0));
  EXPECT_NE(opened[0].find("example.org"), std::string::npos);
  EXPECT_EQ(opened[1], ProductHomepage(1));
  EXPECT_EQ(opened[2], ProductHomepage(1));
}

TEST_F(AboutTest, EnterEscapeAndOkEndTheModalBox) {
  for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE), WPARAM(0)}) {
    bool timedOut = false;
    win::Timer press(150, [&] {
      if (key) {
        HWND target = ::GetFocus() ? ::GetFocus() : about->OKButton->handle();
        ::PostMessageA(target, WM_KEYDOWN, key, 0);
        ::PostMessageA(target, WM_KEYUP, key, 0);
      } else {
        about->OKButton->click();
      }
    });
    win::Timer guard(5000, [&] { timedOut = true; about->hide(); });
    press.setEnabled(true);
    guard.setEnabled(true);
    about->showModal();
    EXPECT_FALSE(timedOut) << "key " << key;
    EXPECT_FALSE(about->visible());
  }
}
