#include "win/GuiControls.h"
#include "win/GuiForm.h"
#include <gtest/gtest.h>

using namespace win;

namespace {
struct GuiTest : ::testing::Test {
  Form* form = nullptr;
  void SetUp() override {
    form = new Form(nullptr, "TestForm");
    form->setBounds(50, 50, 400, 300);
  }
  void TearDown() override { form->release(); }
};
}  // namespace

TEST_F(GuiTest, CheckBoxFiresOnEveryStateChangeAndCyclesLikeTheClassLibrary) {
  auto* box = new CheckBox(form, form, "Box", "box");
  int clicks = 0;
  box->onClick = [&](Control&) { ++clicks; };
  box->setChecked(true);
  box->setChecked(true);          // no change, no click
  EXPECT_EQ(clicks, 1);
  box->setChecked(false);
  EXPECT_EQ(clicks, 2);

  box->setAllowGrayed(true);
  std::vector<CheckState> seen;
  box->onClick = [&](Control&) { seen.push_back(box->state()); };
  // A user click arrives as BN_CLICKED at the parent.
  for (int i = 0; i < 3; ++i)
    ::SendMessageA(form->handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(box->handle()));
  EXPECT_EQ(seen, (std::vector<CheckState>{CheckState::Grayed, CheckState::Checked, CheckState::Unchecked}));
  EXPECT_EQ(::SendMessageA(box->handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(GuiTest, OwnerFreesComponentsAndKeepsCreationOrder) {
  auto* panel = new Panel(form, form, "Panel", 0, 0, 100, 100);
  auto* label = new Label(form, panel, "Label", "text", 5, 5);
  auto* freed = new Label(form, panel, "Gone");
  delete freed;
  ASSERT_EQ(form->components().size(), 2u);
  EXPECT_EQ(form->components()[0]->name(), "Panel");
  EXPECT_EQ(form->components()[1], label);
  EXPECT_EQ(panel->controls().size(), 1u);
  EXPECT_EQ(form->controls().size(), 1u);   // the label lies on the panel, not on the form
  EXPECT_EQ(label->parentForm(), form);
  EXPECT_EQ(label->caption(), "text");
  EXPECT_GT(label->width(), 0);             // labels size themselves to the text
}

TEST_F(GuiTest, ComboBoxKeepsItemsTextAndSelectionWhenItsStyleChanges) {
  auto* combo = new ComboBox(form, form, "Combo", 10, 10, 150, 21);
  combo->addItem("one");
  combo->addItem("two");
  combo->setItemIndex(1);
  int changes = 0;
  combo->onChange = [&](Control&) { ++changes; };
  combo->setStyle(ComboStyle::DropDownList);
  EXPECT_EQ(combo->style(), ComboStyle::DropDownList);
  EXPECT_EQ(combo->items(), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(combo->itemIndex(), 1);
  EXPECT_EQ(combo->text(), "two");
  combo->setStyle(ComboStyle::DropDown);
  combo->setText("free text");
  EXPECT_EQ(combo->text(), "free text");
  EXPECT_EQ(changes, 0);                    // changes by code fire nothing
  EXPECT_LT(combo->height(), 40);           // the height is the closed box, not the list
  combo->setItemText(0, "uno");
  EXPECT_EQ(combo->item(0), "uno");
}

TEST_F(GuiTest, DropDownListShowsAnyTextAndTakesTheOldBoxsPlace) {
  auto* before = new Button(form, form, "Before", "b", 10, 40, 50, 21);
  auto* combo = new ComboBox(form, form, "Combo", 10, 10, 150, 21);
  auto* after = new Button(form, form, "After", "a", 10, 70, 50, 21);
  ::SetWindowLongPtrA(combo->handle(), GWLP_ID, 4711);
  combo->addItem("A..");
  combo->addItem("a..");
  const int height = combo->height();
  combo->setText("..");
  combo->setStyle(ComboStyle::DropDownList);
  EXPECT_EQ(combo->text(), "..");           // no item has it, the list shows it all the same
  EXPECT_EQ(combo->itemIndex(), -1);
  EXPECT_EQ(combo->height(), height);       // the row keeps its layout
  EXPECT_EQ(::GetDlgCtrlID(combo->handle()), 4711);
  EXPECT_EQ(::GetWindow(combo->handle(), GW_HWNDPREV), before->handle());   // the tab order stays
  EXPECT_EQ(::GetWindow(combo->handle(), GW_HWNDNEXT), after->handle());
  combo->setText("a..");                    // the item of exactly this text, not of another case
  EXPECT_EQ(combo->itemIndex(), 1);
  EXPECT_EQ(combo->text(), "a..");
  combo->setText("..");
  combo->setStyle(ComboStyle::DropDown);
  EXPECT_EQ(combo->text(), "..");
  EXPECT_EQ(combo->items(), (std::vector<std::string>{"A..", "a.."}));
}

TEST(Accelerator, IsTheLetterAfterASingleAmpersand) {
  const std::pair<const char*, char> cases[] = {
      {"&Path", 'P'}, {"Filen&ame", 'a'}, {"Radavi&&&Dezevud", 'D'}, {"Radavi&&Dezevud", 0}, {"end&", 0}, {"none", 0}};
  for (const auto& [caption, letter] : cases) EXPECT_EQ(acceleratorOf(caption), letter) << caption;
}

TEST_F(GuiTest, AltWithAnUnderlinedLetterFocusesTheLabelledControlOrPressesTheButton) {
  auto* label = new Label(form, form, "Label", "&Name", 10, 10);
  auto* edit = new Edit(form, form, "Edit", 60, 10, 100, 21);
  auto* unlinked = new Label(form, form, "Unlinked", "&Other", 10, 40);
  auto* button = new Button(form, form, "Button", "Radavi&&&Dezevud", 10, 70, 120, 25);
  label->focusControl = edit;
  (void)unlinked;
  int clicks = 0;
  button->onClick = [&](Control&) { ++clicks; };
  form->setVisible(true);
  EXPECT_TRUE(form->dialogChar('n'));
  EXPECT_TRUE(edit->focused());
  EXPECT_FALSE(form->dialogChar('o')) << "a label without a control to move to";
  EXPECT_TRUE(form->dialogChar('D'));
  EXPECT_EQ(clicks, 1);
  button->setEnabled(false);
  EXPECT_FALSE(form->dialogChar('d')) << "a disabled button";
}

TEST_F(GuiTest, ListShowsTheTextTheBoxHadNotTheItemItHadSelected) {
  auto* combo = new ComboBox(form, form, "Combo", 10, 10, 150, 21);
  combo->addItem("XYZ");
  combo->setItemIndex(0);
  combo->setText("..");                     // a box keeps its selection when its text is set
  combo->setStyle(ComboStyle::DropDownList);
  EXPECT_EQ(combo->text(), "..");
  char shown[16] = {};
  ::GetWindowTextA(combo->handle(), shown, sizeof shown);
  EXPECT_STREQ(shown, "..") << "the window answers with the text it shows";
  combo->setItemIndex(0);
  combo->setStyle(ComboStyle::DropDown);
  EXPECT_EQ(combo->itemIndex(), 0);         // a selection that names the text stays
  EXPECT_EQ(combo->text(), "XYZ");
}

TEST_F(GuiTest, PointerOverAWindowOfNoControlLeavesOnlyWhenOutside) {
  form->setVisible(true);
  auto* combo = new ComboBox(form, form, "Combo", 10, 10, 150, 21);
  std::vector<std::string> log;
  combo->onMouseLeave = [&](Control&) { log.push_back("combo-"); };
  combo->onMouseEnter = [&](Control&) { log.push_back("combo+"); };
  RECT r;
  ::GetWindowRect(combo->handle(), &r);
  const POINT inside{r.left + 5, r.top + 5}, outside{r.right + 40, r.bottom + 40};
  app().trackMouseOver(combo->handle(), &inside);
  app().trackMouseOver(nullptr, &inside);    // e.g. a tool tip under the pointer
  log.push_back("|");
  app().trackMouseOver(nullptr, &outside);
  app().trackMouseOver(combo->handle(), &inside);
  app().trackMouseOver(form->handle(), &inside);   // another control of ours: a real move
  EXPECT_EQ(log, (std::vector<std::string>{"combo+", "|", "combo-", "combo+", "combo-"}));
}

TEST_F(GuiTest, MouseEnterAndLeaveCoverChildrenOfAContainer) {
  auto* frame = new Frame(form, form, "Frame", 10, 10, 200, 100);
  auto* combo = new ComboBox(form, frame, "Combo", 10, 10, 150, 21);
  std::vector<std::string> log;
  frame->onMouseEnter = [&](Control&) { log.push_back("frame+"); };
  frame->onMouseLeave = [&](Control&) { log.push_back("frame-"); };
  combo->onMouseEnter = [&](Control&) { log.push_back("combo+"); };
  combo->onMouseLeave = [&](Control&) { log.push_back("combo-"); };
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetComboBoxInfo(combo->handle(), &info));
  app().trackMouseOver(frame->handle());   // frame background
  app().trackMouseOver(info.hwndItem);     // the combo's edit part: still inside the frame
  app().trackMouseOver(frame->handle());
  app().trackMouseOver(form->handle());    // outside the frame
  app().trackMouseOver(nullptr);           // outside the program
  log.push_back("|");
  app().trackMouseOver(info.hwndItem);     // straight in from outside
  delete combo;                            // freed while under the pointer
  app().trackMouseOver(nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"frame+", "combo+", "combo-", "frame-", "|", "frame+", "combo+", "frame-"}));
}

TEST_F(GuiTest, PageControlHidesAndShowsTabsByPage) {
  auto* pages = new PageControl(form, form, "Pages", 0, 0, 300, 200);
  auto* a = new TabSheet(form, pages, "A", "first");
  auto* b = new TabSheet(form, pages, "B", "second");
  auto* c = new TabSheet(form, pages, "C", "third");
  EXPECT_EQ(pages->activePageIndex(), 0);
  c->setTabVisible(false);
  EXPECT_EQ(TabCtrl_GetItemCount(pages->handle()), 2);
  pages->setActivePageIndex(1);
  EXPECT_EQ(pages->activePage(), b);
  EXPECT_TRUE(b->visible());
  EXPECT_FALSE(a->visible());
  b->setTabVisible(false);                  // the shown page loses its tab
  EXPECT_EQ(pages->activePage(), a);
  EXPECT_EQ(c->pageIndex(), 2);
  EXPECT_GT(a->width(), 250);               // sheets fill the tab control's display area
}

TEST_F(GuiTest, PageShowsOnlyItsBackgroundWhereItHoldsNoControl) {
  auto* pages = new PageControl(form, form, "Pages", 0, 0, 300, 200);
  auto* page = new TabSheet(form, pages, "P", "multi line");
  form->setVisible(true);
  ::RedrawWindow(form->handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // What the page painted, read back from its own surface (no other window counts).
  const int w = page->clientWidth(), h = page->clientHeight();
  HDC dc = ::GetDC(page->handle());
  HDC mem = ::CreateCompatibleDC(dc);
  HBITMAP bmp = ::CreateCompatibleBitmap(dc, w, h);
  HGDIOBJ old = ::SelectObject(mem, bmp);
  ::BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  const COLORREF background = ::GetPixel(mem, 0, 0);
  int other = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) other += ::GetPixel(mem, x, y) != background;
  ::SelectObject(mem, old);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(page->handle(), dc);
  EXPECT_EQ(other, 0) << "the caption belongs on the tab";
}

TEST_F(GuiTest, AnchorsKeepDistancesWhenTheParentResizes) {
  auto* panel = new Panel(form, form, "Panel", 0, 0, 200, 100);
  auto* right = new Button(form, panel, "Right", "r", 150, 10, 40, 20);
  right->setAnchors(akRight | akTop);
  auto* wide = new Edit(form, panel, "Wide", 10, 40, 180, 20);
  wide->setAnchors(akLeft | akTop | akRight);
  auto* fill = new Panel(form, form, "Fill");
  panel->setBounds(0, 0, 300, 100);
  EXPECT_EQ(right->left(), 250);
  EXPECT_EQ(wide->width(), 280);
  fill->setAlign(Align::Client);
  form->setClientSize(320, 240);
  EXPECT_EQ(fill->width(), 320);
}

TEST_F(GuiTest, CheckListBoxKeepsChecksWhenItemsChange) {
  auto* list = new CheckListBox(form, form, "List", 0, 0, 200, 100, true);
  list->addItem("a", true);
  list->addItem("b");
  list->insertItem(0, "first");
  EXPECT_FALSE(list->checked(0));
  EXPECT_TRUE(list->checked(1));
  list->setItemText(1, "A");
  EXPECT_TRUE(list->checked(1));
  EXPECT_EQ(list->item(1), "A");
  list->setSelected(2, true);
  EXPECT_TRUE(list->selected(2));
  EXPECT_FALSE(list->selected(1));
}

TEST_F(GuiTest, MemoLinesAndMenuShortcuts) {
  auto* memo = new Memo(form, form, "Memo", 0, 0, 200, 100, ScrollBars::Both);
  memo->addLine("one");
  memo->addLine("");
  memo->addLine("three");
  EXPECT_EQ(memo->lines(), (std::vector<std::string>{"one", "", "three"}));
  memo->clearLines();
  EXPECT_TRUE(memo->lines().empty());

  auto* menu = new MainMenu(form, "Menu");
  auto* file = new MenuItem(form, menu, "File1", "File");
  auto* item = new MenuItem(form, file, "Item1", "Item", ShortCut{'B', true});
  int clicks = 0;
  item->onClick = [&](MenuItem&) { ++clicks; };
  form->setMenu(menu);
  item->setChecked(true);
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_STATE;
  ASSERT_TRUE(::GetMenuItemInfoA(::GetMenu(form->handle()), item->id(), FALSE, &mi));
  EXPECT_TRUE(mi.fState & MFS_CHECKED);
  ::SendMessageA(form->handle(), WM_COMMAND, item->id(), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(GuiTest, DirectoryListShowsThePathAndTheSubfolders) {
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  std::string base = std::string(tmp) + "qz_gui_dirlist_" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(base.c_str(), nullptr);
  ::CreateDirectoryA((base + "\\beta").c_str(), nullptr);
  ::CreateDirectoryA((base + "\\Alpha").c_str(), nullptr);
  auto* dirs = new DirectoryListBox(form, form, "Dirs", 0, 0, 200, 200);
  dirs->setDirectory(base + "\\");
  EXPECT_EQ(dirs->directory(), base);
  EXPECT_EQ(dirs->selectedDirectory(), base);
  int n = dirs->count();
  ASSERT_GE(n, 3);
  EXPECT_EQ(dirs->item(n - 2).find_first_not_of(' '), dirs->item(n - 1).find_first_not_of(' '));
  EXPECT_NE(dirs->item(n - 2).find("Alpha"), std::string::npos);   // sorted without regard to case
  dirs->setItemIndex(n - 1);
  EXPECT_EQ(dirs->selectedDirectory(), base + "\\beta");
  ::RemoveDirectoryA((base + "\\beta").c_str());
  ::RemoveDirectoryA((base + "\\Alpha").c_str());
  ::RemoveDirectoryA(base.c_str());
}

TEST_F(GuiTest, ModalFormEndsWithTheResultOfItsButtonsAndKeys) {
  auto* dialog = new Form(nullptr, "Dialog");
  auto* ok = new Button(dialog, dialog, "OKButton", "&OK", 10, 10);
  ok->setDefault(true);
  ok->modalResult = mrOk;
  auto* cancel = new Button(dialog, dialog, "CancelButton", "&Cancel", 100, 10);
  cancel->setCancel(true);
  cancel->modalResult = mrCancel;
  int okClicks = 0;
  ok->onClick = [&](Control&) { ++okClicks; };
  HWND ownerWhileShown = nullptr;
  dialog->onShow = [&](Form& d) { ownerWhileShown = ::GetWindow(d.handle(), GW_OWNER); };
  // Escape arrives as IDCANCEL, Enter as IDOK.
  ::PostMessageA(dialog->handle(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(dialog->showModal(), mrCancel);
  ASSERT_EQ(app().mainForm(), form);
  EXPECT_EQ(ownerWhileShown, form->handle());   // owned by the main window while it runs
  EXPECT_EQ(::GetWindow(dialog->handle(), GW_OWNER), nullptr);
  ok->setEnabled(false);
  ::PostMessageA(dialog->handle(), WM_COMMAND, IDOK, 0);          // a disabled default button stays unpressed
  ::PostMessageA(dialog->handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(cancel->handle()));
  EXPECT_EQ(dialog->showModal(), mrCancel);
  EXPECT_EQ(okClicks, 0);
  ok->setEnabled(true);
  ::PostMessageA(dialog->handle(), WM_COMMAND, IDOK, 0);
  EXPECT_EQ(dialog->showModal(), mrOk);
  EXPECT_EQ(okClicks, 1);
  EXPECT_FALSE(dialog->visible());
  EXPECT_TRUE(::IsWindowEnabled(form->handle()));   // the other windows work again
  dialog->release();
}

TEST_F(GuiTest, AnchoredComboBoxKeepsItsDropDownList) {
  auto* combo = new ComboBox(form, form, "Combo", 10, 10, 150, 21);
  combo->setAnchors(akLeft | akTop | akRight);
  form->setClientSize(500, 300);
  RECT r;
  ::SendMessageA(combo->handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_GT(r.bottom - r.top, 60);
  EXPECT_GT(combo->width(), 150);
}
