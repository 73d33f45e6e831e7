// The wide twins of the framework's edit, list box, label, button, check box, radio button and
// group box: the framework class stays the base; texts are wide, windows are Unicode.
#pragma once
#include <memory>

#include "StdCtrls.h"
#include "TypInfo.h"
#include "UcActnList.h"
#include "UcClasses.h"
#include "UcControls.h"
#include "UcWideProperties.h"

// What every control of the layer adds to its framework class: wide Caption and Hint, the wide
// form-resource companions, the wide action update and links.
template <class Base>
class TUcWideControl : public Base {
 public:
  using Base::Base;
  WideString Caption() { return GetControlWideText(this); }
  void SetCaption(const WideString& Value) { SetControlWideText(this, Value); }
  WideString Hint() { return GetControlWideHint(this); }
  void SetHint(const WideString& Value) { SetControlWideHint(this, Value); }

 protected:
  void DefineProperties(TFiler* Filer) override {
    Base::DefineProperties(Filer);
    DefineWideProperties(Filer, this);
  }
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    WideControlActionChange(this, Sender, CheckDefaults);
    Base::ActionChange(Sender, CheckDefaults);
  }
  TControlActionLinkClass GetActionLinkClass() override {
    return WideActionLinkClass(this, Base::GetActionLinkClass());
  }
};

// The same for a windowed control made from the platform class WindowClass.
template <class Base>
class TUcWideWinControl : public TUcWideControl<Base> {
 public:
  using TUcWideControl<Base>::TUcWideControl;

 protected:
  virtual const char16_t* WideWindowClass() const = 0;
  void CreateWindowHandle(const TCreateParams& Params) override {
    CreateWideWindowHandle(this, Params, WideWindowClass(), false);
  }
};

// Publishes the wide Caption (or another name for it, such as Text) and Hint of a control class
// of the layer, stored while its action does not supply them.
template <class T>
TClassBuilder<T>& PublishWideTexts(TClassBuilder<T>&& Builder, const char* CaptionName = "Caption") {
  return Builder
      .WideString(CaptionName, [](T* c) { return c->Caption(); }, [](T* c, const WideString& v) { c->SetCaption(v); },
                  [](T* c) { return CaptionNotLinked(c); })
      .WideString("Hint", [](T* c) { return c->Hint(); }, [](T* c, const WideString& v) { c->SetHint(v); },
                  [](T* c) { return HintNotLinked(c); });
}

// ---------------------------------------------------------------------------------------------
class TUcCustomEdit : public TUcWideWinControl<TCustomEdit> {
 public:
  explicit TUcCustomEdit(TComponent* AOwner) : TUcWideWinControl(AOwner) {}
  WideString Text() { return Caption(); }
  void SetText(const WideString& Value) { SetCaption(Value); }
  // The wide password character; the framework holds its byte form ("*" above U+00FF).
  WideChar PasswordChar();
  void SetPasswordChar(WideChar Value);
  // The selection in wide characters (converted on an ANSI window).
  virtual int GetSelStartW();
  virtual void SetSelStartW(int Value);
  virtual int GetSelLengthW();
  virtual void SetSelLengthW(int Value);
  virtual WideString GetSelTextW();

 protected:
  const char16_t* WideWindowClass() const override { return u"EDIT"; }
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  WideChar password_char_ = 0;
};

class TUcEdit : public TUcCustomEdit {
 public:
  using TUcCustomEdit::TUcCustomEdit;
};

// ---------------------------------------------------------------------------------------------
class TUcCustomLabel : public TUcWideControl<TCustomLabel> {
 public:
  explicit TUcCustomLabel(TComponent* AOwner) : TUcWideControl(AOwner) {}
  // The wide caption.
  virtual WideString GetLabelTextW() { return Caption(); }

 protected:
  void DoDrawText(TRect& Rect, UINT Flags) override;
  void Dispatch(TMessage& Message) override;
};

class TUcLabel : public TUcCustomLabel {
 public:
  using TUcCustomLabel::TUcCustomLabel;
};

// ---------------------------------------------------------------------------------------------
class TUcButton : public TUcWideWinControl<TButton> {
 public:
  explicit TUcButton(TComponent* AOwner) : TUcWideWinControl(AOwner) {}

 protected:
  const char16_t* WideWindowClass() const override { return u"BUTTON"; }
  void Dispatch(TMessage& Message) override;
};

class TUcCustomCheckBox : public TUcWideWinControl<TCustomCheckBox> {
 public:
  explicit TUcCustomCheckBox(TComponent* AOwner) : TUcWideWinControl(AOwner) {}

 protected:
  const char16_t* WideWindowClass() const override { return u"BUTTON"; }
  void Dispatch(TMessage& Message) override;
};

class TUcCheckBox : public TUcCustomCheckBox {
 public:
  using TUcCustomCheckBox::TUcCustomCheckBox;
};

class TUcRadioButton : public TUcWideWinControl<TRadioButton> {
 public:
  explicit TUcRadioButton(TComponent* AOwner) : TUcWideWinControl(AOwner) {}

 protected:
  const char16_t* WideWindowClass() const override { return u"BUTTON"; }
  void Dispatch(TMessage& Message) override;
};

class TUcCustomGroupBox : public TUcWideWinControl<TCustomGroupBox> {
 public:
  explicit TUcCustomGroupBox(TComponent* AOwner) : TUcWideWinControl(AOwner) {}

 protected:
  // The framework's group box paints itself: its window class is its own.
  const char16_t* WideWindowClass() const override { return u""; }
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};

class TUcGroupBox : public TUcCustomGroupBox {
 public:
  using TUcCustomGroupBox::TUcCustomGroupBox;
};

// ---------------------------------------------------------------------------------------------
class TUcCustomListBox;

inline constexpr const char* SInsertLineError = "行を挿入できません";

// The wide items of a list box: its Unicode window's, its framework items' on an ANSI window,
// and kept wide while it has no window.
class TUcListBoxStrings : public TUcStrings {
 public:
  explicit TUcListBoxStrings(TUcCustomListBox* ListBox) : list_(ListBox) {}
  WideString Get(int Index) override;
  int GetCount() override;
  TObject* GetObject(int Index) override;
  void PutObject(int Index, TObject* AObject) override;
  void Put(int Index, const WideString& S) override;
  int Add(const WideString& S) override;
  void Insert(int Index, const WideString& S) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;
  int IndexOf(const WideString& S) override;
  void SetUpdateState(bool Updating) override;
  TUcCustomListBox* ListBox() const { return list_; }

 private:
  HWND UnicodeWindow() const;
  bool KeptWide() const;
  TStrings* Framework() const;
  TUcCustomListBox* list_;
};

// The wide text of a virtual list box's row.
using TUcLBGetDataEvent = std::function<void(TWinControl* Control, int Index, WideString& Data)>;

class TUcCustomListBox : public TUcWideWinControl<TCustomListBox>, public IWideListControl {
 public:
  explicit TUcCustomListBox(TComponent* AOwner);
  ~TUcCustomListBox() override;
  // A virtual list box's rows (lbVirtual, lbVirtualOwnerDraw): LB_GETTEXTLEN and LB_GETTEXT are
  // answered from it in wide text (the framework's ANSI OnData serves when it is not set).
  TUcLBGetDataEvent OnData;
  TUcListBoxStrings* Items() const { return items_.get(); }
  void SetItems(TWideStrings* Value) { items_->Assign(Value); }
  virtual void AddItemW(const WideString& Item, TObject* AObject);
  void AddWideItem(const WideString& Item, TObject* AObject) override { AddItemW(Item, AObject); }
  virtual void CopySelectionW(TControl* Destination);

 protected:
  friend class TUcListBoxStrings;
  const char16_t* WideWindowClass() const override { return u"LISTBOX"; }
  void CreateWnd() override;
  void DestroyWnd() override;
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  AnsiString DoGetData(int Index) override;
  void Dispatch(TMessage& Message) override;

 private:
  // LB_GETTEXTLEN and LB_GETTEXT of a virtual window.
  void AnswerWideVirtualText(TMessage& Message);
  std::unique_ptr<TUcListBoxStrings> items_;
  std::unique_ptr<TUcStringList> kept_;  // the items while there is no window
  int kept_top_ = -1;
  int kept_index_ = -1;
};

class TUcListBox : public TUcCustomListBox {
 public:
  using TUcCustomListBox::TUcCustomListBox;
};
