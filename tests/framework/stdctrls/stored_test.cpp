// What a form resource leaves out: values an action link supplies (caption and text, hint,
// enabled state, visibility, the click handler), a bit button's caption that is its kind's own,
// and a virtual list's rows; asked through the property registry's stored tests, written, and
// read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActnList.h"
#include "Buttons.h"
#include "Classes_Streaming.h"
#include "Forms.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "ui_fixture.h"

class TStoredForm : public TForm {
 public:
  explicit TStoredForm(TComponent* AOwner) : TForm(AOwner) {}
  void SaveExecute(TObject*) { ++saves; }
  void OtherClick(TObject*) { ++others; }
  int saves = 0;
  int others = 0;
};

static const bool registered = DeclareClass<TStoredForm, TForm>("TStoredForm")
                                   .Method("SaveExecute", &TStoredForm::SaveExecute)
                                   .Method("OtherClick", &TStoredForm::OtherClick)
                                   .Done();

namespace {

// The lines of one object of a form in the text syntax, up to its first nested object or end.
std::string Section(const std::string& text, const std::string& name) {
  size_t at = text.find("object " + name + ":");
  if (at == std::string::npos) return {};
  size_t end = text.find("\n", at);
  size_t stop = std::min(text.find("object ", end), text.find("end\n", end));
  return text.substr(at, stop - at);
}

class StoredProps : public UiTest {
 protected:
  template <class T>
  T* Make(TStoredForm* f, const char* name, int top) {
    T* c = new T(f);
    static_cast<TComponent*>(c)->SetName(name);
    c->SetBounds(10, top, 120, 24);
    c->SetParent(f);
    return c;
  }
  static void SetHandler(TObject* target, const char* event, TStoredForm* f, const char* method) {
    SetMethodProp(target, GetPropInfo(target, event), MethodOf(f, method));
  }
};

TEST_F(StoredProps, ActionSuppliedValuesAreLeftOutAndComeBackFromTheAction) {
  TStoredForm* form = CreateNewForm<TStoredForm>(Application);
  static_cast<TComponent*>(form)->SetName("frmStored");
  auto* actions = new TActionList(form);
  actions->SetName("alMain");
  auto* save = new TAction(form);
  save->SetName("actSave");
  save->SetActionList(actions);
  save->SetCaption("保存");
  save->SetHint("ボードを保存|ボードを ZIP に保存します");
  SetHandler(save, "OnExecute", form, "SaveExecute");
  auto* off = new TAction(form);
  off->SetName("actOff");
  off->SetActionList(actions);
  off->SetCaption("無効");
  off->SetEnabled(false);

  auto* linked = Make<TButton>(form, "btnLinked", 10);
  linked->SetAction(save);
  SetHandler(linked, "OnClick", form, "SaveExecute");
  auto* own = Make<TButton>(form, "btnOwn", 40);
  own->SetAction(save);
  own->SetCaption("別名");
  SetHandler(own, "OnClick", form, "OtherClick");
  auto* plain = Make<TButton>(form, "btnPlain", 70);
  plain->SetCaption("普通");
  plain->SetHint("ヒント");
  plain->SetEnabled(false);
  auto* disabled = Make<TButton>(form, "btnOff", 100);
  disabled->SetAction(off);
  auto* edit = Make<TEdit>(form, "edtLinked", 130);
  edit->SetAction(save);

  // The registry's stored tests.
  struct Case { TObject* o; const char* prop; bool stored; };
  const std::vector<Case> cases = {
      {linked, "Caption", false}, {linked, "Hint", false}, {linked, "OnClick", false}, {linked, "Enabled", false},
      {own, "Caption", true},     {own, "Hint", false},    {own, "OnClick", true},     {plain, "Caption", true},
      {plain, "Hint", true},      {plain, "Enabled", true}, {plain, "OnClick", true},  {disabled, "Enabled", false},
      {disabled, "Caption", false}, {edit, "Text", false}, {edit, "Hint", false},     {linked, "Visible", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsStoredProp(c.o, c.prop), c.stored) << static_cast<TComponent*>(c.o)->Name() << "." << c.prop;
  EXPECT_THROW(IsStoredProp(linked, "Nothing"), EPropertyError);

  TMemoryStream m;
  WriteComponentToStream(&m, form);
  std::vector<uint8_t> bytes(static_cast<const uint8_t*>(m.Memory()), static_cast<const uint8_t*>(m.Memory()) + m.Size());
  const std::string text = ObjectBinaryToText(bytes);
  SCOPED_TRACE(text);
  const std::string sLinked = Section(text, "btnLinked"), sOwn = Section(text, "btnOwn");
  const std::string sPlain = Section(text, "btnPlain"), sOff = Section(text, "btnOff"), sEdit = Section(text, "edtLinked");
  ASSERT_FALSE(sLinked.empty());
  EXPECT_NE(sLinked.find("Action = actSave"), std::string::npos);
  for (const char* p : {"Caption", "Hint", "OnClick", "Enabled"}) EXPECT_EQ(sLinked.find(p), std::string::npos) << p;
  EXPECT_NE(sOwn.find("Caption = "), std::string::npos);
  EXPECT_NE(sOwn.find("OnClick = OtherClick"), std::string::npos);
  EXPECT_EQ(sOwn.find("Hint"), std::string::npos);
  for (const char* p : {"Caption = ", "Hint = ", "Enabled = False"}) EXPECT_NE(sPlain.find(p), std::string::npos) << p;
  EXPECT_EQ(sOff.find("Enabled"), std::string::npos);
  EXPECT_EQ(sOff.find("Caption"), std::string::npos);
  EXPECT_EQ(sEdit.find("Text"), std::string::npos);

  // Read back: what was left out comes from the actions again.
  FreeAndNil(form);
  TStoredForm* back = CreateNewForm<TStoredForm>(Application);
  static_cast<TComponent*>(back)->SetName("frmStored");
  m.SetPosition(0);
  ReadComponentFromStream(&m, back);
  auto* bLinked = dynamic_cast<TButton*>(back->FindComponent("btnLinked"));
  auto* bOwn = dynamic_cast<TButton*>(back->FindComponent("btnOwn"));
  auto* bPlain = dynamic_cast<TButton*>(back->FindComponent("btnPlain"));
  auto* bOff = dynamic_cast<TButton*>(back->FindComponent("btnOff"));
  auto* bEdit = dynamic_cast<TEdit*>(back->FindComponent("edtLinked"));
  ASSERT_TRUE(bLinked && bOwn && bPlain && bOff && bEdit);
  EXPECT_EQ(bLinked->Caption(), "保存");
  EXPECT_EQ(bLinked->Hint(), "ボードを保存|ボードを ZIP に保存します");
  EXPECT_EQ(bOwn->Caption(), "別名");
  EXPECT_EQ(bOwn->Hint(), "ボードを保存|ボードを ZIP に保存します");
  EXPECT_EQ(bPlain->Caption(), "普通");
  EXPECT_EQ(bPlain->Hint(), "ヒント");
  EXPECT_FALSE(bPlain->Enabled());
  EXPECT_FALSE(bOff->Enabled());
  EXPECT_EQ(bOff->Caption(), "無効");
  EXPECT_EQ(bEdit->Text(), "保存");
  // The linked button's click is the action's; the other keeps its own handler.
  bLinked->Click();
  EXPECT_EQ(back->saves, 1);
  bOwn->Click();
  EXPECT_EQ(back->others, 1);
  EXPECT_EQ(back->saves, 1);
  // Written again, the form is the same.
  TMemoryStream again;
  WriteComponentToStream(&again, back);
  std::vector<uint8_t> bytes2(static_cast<const uint8_t*>(again.Memory()),
                              static_cast<const uint8_t*>(again.Memory()) + again.Size());
  EXPECT_EQ(ObjectBinaryToText(bytes2), text);
  FreeAndNil(back);
}

TEST_F(StoredProps, ABitButtonsCaptionIsStoredWhenItIsNotItsKindsOwn) {
  TStoredForm* form = CreateNewForm<TStoredForm>(Application);
  auto* b = Make<TBitBtn>(form, "btnKind", 10);
  struct Case {
    TBitBtnKind kind;
    const char* caption;  // nullptr: the kind's own
    bool storedByBitBtn;
  };
  const std::vector<Case> cases = {
      {bkCustom, "", true},  // the writer still leaves out an empty text
      {bkCustom, "自由", true},
      {bkOK, nullptr, false},
      {bkOK, "了解", true},
      {bkCancel, nullptr, false},
      {bkYes, "はい", true},
      {bkClose, nullptr, false},
      {bkAll, nullptr, false},
  };
  for (const auto& c : cases) {
    b->SetKind(bkCustom);
    b->SetKind(c.kind);
    if (c.caption) b->SetCaption(c.caption);
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " caption " << b->Caption());
    EXPECT_EQ(IsStoredProp(b, "Caption"), c.storedByBitBtn);
    EXPECT_EQ(IsStoredPropOf(b, "TBitBtn", "Caption"), c.storedByBitBtn);
    // The test of the base class is the action link's alone.
    EXPECT_TRUE(IsStoredPropOf(b, "TButton", "Caption"));
    EXPECT_TRUE(IsStoredPropOf(b, "TControl", "Caption"));
  }
  // Written and read back, a kind's own caption comes from the kind again.
  b->SetKind(bkCustom);
  b->SetKind(bkCancel);
  auto* yes = Make<TBitBtn>(form, "btnYes", 40);
  yes->SetKind(bkYes);
  yes->SetCaption("はい");
  TMemoryStream m;
  WriteComponentToStream(&m, form);
  TStoredForm* back = CreateNewForm<TStoredForm>(Application);
  m.SetPosition(0);
  ReadComponentFromStream(&m, back);
  auto* bKind = dynamic_cast<TBitBtn*>(back->FindComponent("btnKind"));
  auto* bYes = dynamic_cast<TBitBtn*>(back->FindComponent("btnYes"));
  ASSERT_TRUE(bKind && bYes);
  EXPECT_EQ(bKind->Kind(), bkCancel);
  EXPECT_EQ(bKind->Caption(), TBitBtn::KindCaption(bkCancel));
  EXPECT_EQ(bYes->Caption(), "はい");
  // An action's caption on a bit button is the action's.
  auto* act = new TAction(form);
  act->SetCaption("送る");
  b->SetKind(bkCustom);
  b->SetCaption("");
  b->SetAction(act);
  EXPECT_EQ(b->Caption(), "送る");
  EXPECT_FALSE(IsStoredPropOf(b, "TBitBtn", "Caption"));
  EXPECT_FALSE(IsStoredPropOf(b, "TButton", "Caption"));
  // Asking a class the button is not, or a property the class has not.
  struct Bad { const char* cls; const char* prop; };
  for (const Bad& bad : {Bad{"TBitBtn", "Nothing"}, Bad{"TEdit", "Text"}, Bad{"TNoSuchClass", "Caption"}}) {
    try {
      IsStoredPropOf(b, bad.cls, bad.prop);
      ADD_FAILURE() << bad.cls << "." << bad.prop;
    } catch (const EPropertyError& e) {
      EXPECT_EQ(e.Message(), "プロパティが存在しません");
    }
  }
  FreeAndNil(back);
  FreeAndNil(form);
}

TEST_F(StoredProps, ACheckBoxFollowsItsActionsCheckedWhichIsThenLeftOut) {
  TStoredForm* form = CreateNewForm<TStoredForm>(Application);
  auto* grid = new TAction(form);
  grid->SetCaption("方眼");
  grid->SetAutoCheck(true);
  grid->SetChecked(true);
  int runs = 0;
  grid->OnExecute = [&](TObject*) { ++runs; };
  auto* box = Make<TCheckBox>(form, "chkGrid", 10);
  box->SetAction(grid);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(box->Caption(), "方眼");
  EXPECT_EQ(runs, 0) << "taking the action's state is no click";
  EXPECT_FALSE(IsStoredProp(box, "Checked"));
  // The action's changes reach the box, quietly.
  grid->SetChecked(false);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(runs, 0);
  // A click runs the action once; checking itself, the action checks the box along.
  box->Click();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(grid->Checked());
  EXPECT_TRUE(box->Checked());
  // A box of its own state keeps it in the form.
  auto* own = Make<TCheckBox>(form, "chkOwn", 40);
  own->SetChecked(true);
  EXPECT_TRUE(IsStoredProp(own, "Checked"));
  own->SetAction(grid);  // the action's Checked is the box's too: linked
  EXPECT_FALSE(IsStoredProp(own, "Checked"));
  grid->SetAutoCheck(false);
  own->SetChecked(false);
  EXPECT_TRUE(IsStoredProp(own, "Checked")) << "a state apart from the action's";
  // Radio buttons alike.
  auto* radio = Make<TRadioButton>(form, "rbGrid", 70);
  radio->SetAction(grid);
  EXPECT_TRUE(radio->Checked());
  EXPECT_FALSE(IsStoredProp(radio, "Checked"));
  FreeAndNil(form);
}

TEST_F(StoredProps, AMenuItemLeavesOutWhatItsActionSupplies) {
  TStoredForm* form = CreateNewForm<TStoredForm>(Application);
  auto* save = new TAction(form);
  save->SetCaption("保存(&S)");
  save->SetHelpContext(12);
  save->SetShortCut(static_cast<TShortCut>('S' | scCtrl));
  SetHandler(save, "OnExecute", form, "SaveExecute");
  auto* menu = new TPopupMenu(form);
  menu->SetAutoHotkeys(maManual);
  auto* linked = new TMenuItem(form);
  menu->Items()->Add(linked);
  linked->SetAction(save);
  SetHandler(linked, "OnClick", form, "SaveExecute");
  auto* own = new TMenuItem(form);
  menu->Items()->Add(own);
  own->SetAction(save);
  own->SetHelpContext(40);
  SetHandler(own, "OnClick", form, "OtherClick");
  EXPECT_EQ(linked->HelpContext(), 12);
  struct Case { TMenuItem* item; const char* prop; bool stored; };
  const std::vector<Case> cases = {
      {linked, "Caption", false}, {linked, "HelpContext", false}, {linked, "OnClick", false},
      {linked, "ShortCut", false}, {own, "HelpContext", true}, {own, "OnClick", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsStoredProp(c.item, c.prop), c.stored) << (c.item == linked ? "linked." : "own.") << c.prop;
  // The action's help context reaches the item that follows it.
  save->SetHelpContext(13);
  EXPECT_EQ(linked->HelpContext(), 13);
  // The item with a handler of its own runs it, the other the action.
  own->Click();
  EXPECT_EQ(form->others, 1);
  EXPECT_EQ(form->saves, 0);
  FreeAndNil(form);
}

TEST_F(StoredProps, AVirtualListsRowsAreNotWritten) {
  TStoredForm* form = CreateNewForm<TStoredForm>(Application);
  auto* l = Make<TListBox>(form, "lstRows", 10);
  l->SetStyle(lbVirtual);
  l->OnData = [](TWinControl*, int i, AnsiString& d) { d = IntToStr(i); };
  l->SetCount(1000);
  TMemoryStream m;
  WriteComponentToStream(&m, form);
  std::vector<uint8_t> bytes(static_cast<const uint8_t*>(m.Memory()), static_cast<const uint8_t*>(m.Memory()) + m.Size());
  const std::string s = Section(ObjectBinaryToText(bytes), "lstRows");
  EXPECT_NE(s.find("Style = lbVirtual"), std::string::npos) << s;
  EXPECT_EQ(s.find("Items"), std::string::npos) << s;
  FreeAndNil(form);
}

}  // namespace
