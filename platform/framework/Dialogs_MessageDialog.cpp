// The message dialogs: a form laid out in dialog units of its font, with the type's standard
// icon, the word-wrapped message and the buttons centred below.
#include <algorithm>
#include <memory>

#include <wintext.h>

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

// Spacing in dialog units (a quarter of the average character width, an eighth of its height).
constexpr int kHorzMargin = 8;
constexpr int kVertMargin = 8;
constexpr int kHorzSpacing = 10;
constexpr int kVertSpacing = 10;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonSpacing = 4;
constexpr int kIconSize = 32;

const char* const kCaptions[] = {"警告", "エラー", "情報", "確認"};
LPCSTR IconOf(TMsgDlgType Type) {
  switch (Type) {
    case mtWarning: return IDI_EXCLAMATION;
    case mtError: return IDI_HAND;
    case mtInformation: return IDI_ASTERISK;
    case mtConfirmation: return IDI_QUESTION;
    default: return nullptr;
  }
}

struct ButtonKind {
  const char* name;
  const char* caption;
  TModalResult result;
};
const ButtonKind kButtons[] = {
    {"Yes", "はい(&Y)", mrYes},
    {"No", "いいえ(&N)", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "キャンセル", mrCancel},
    {"Abort", "中止(&A)", mrAbort},
    {"Retry", "再試行(&R)", mrRetry},
    {"Ignore", "無視(&I)", mrIgnore},
    {"All", "すべて(&A)", mrAll},
    {"NoToAll", "すべていいえ(&O)", mrNoToAll},
    {"YesToAll", "すべてはい(&A)", mrYesToAll},
    {"Help", "ヘルプ(&H)", mrNone},
};
constexpr int kButtonKinds = static_cast<int>(sizeof kButtons / sizeof kButtons[0]);

class TMessageForm : public TForm {
 public:
  explicit TMessageForm(TComponent* AOwner) : TForm(AOwner) {}
};

// A screen DC with a font selected, for measuring before the dialog is shown.
class MeasureDC {
 public:
  explicit MeasureDC(TFont* Font) : dc_(GetDC(nullptr)), old_(SelectObject(dc_, Font->Handle())) {}
  ~MeasureDC() {
    SelectObject(dc_, old_);
    ReleaseDC(nullptr, dc_);
  }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The average character size of the font: the width over the Latin letters, the full height.
TPoint AverageCharSize(HDC DC) {
  static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE s{0, 0};
  GetTextExtentPoint32A(DC, letters, 52, &s);
  TEXTMETRICA tm{};
  GetTextMetricsA(DC, &tm);
  return TPoint{std::max<int>(s.cx / 52, 1), std::max<int>(tm.tmHeight, 1)};
}

UINT MessageBoxTypeOf(TMsgDlgType Type, TMsgDlgButtons Buttons) {
  UINT t = MB_OK;
  if (Buttons.Contains(mbYes) && Buttons.Contains(mbNo)) t = Buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (Buttons.Contains(mbAbort) && Buttons.Contains(mbRetry)) t = MB_ABORTRETRYIGNORE;
  else if (Buttons.Contains(mbRetry) && Buttons.Contains(mbCancel)) t = MB_RETRYCANCEL;
  else if (Buttons.Contains(mbOK) && Buttons.Contains(mbCancel)) t = MB_OKCANCEL;
  switch (Type) {
    case mtWarning: t |= MB_ICONWARNING; break;
    case mtError: t |= MB_ICONERROR; break;
    case mtInformation: t |= MB_ICONINFORMATION; break;
    case mtConfirmation: t |= MB_ICONQUESTION; break;
    default: break;
  }
  return t;
}

// What the installed answerer chose for the dialog, shown on the screen while it decides.
int AnswerByAnswerer(TForm* Dialog, const AnsiString& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons) {
  winplat::screen::MessageBoxRequest req;
  req.owner = Dialog->Handle();
  req.text = AnsiToWide(Msg);
  req.caption = AnsiToWide(Dialog->Caption());
  req.type = MessageBoxTypeOf(Type, Buttons);
  req.defaultButton = mrNone;
  for (int i = 0; i < Dialog->ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(Dialog->Components(i)); b && b->Default()) req.defaultButton = b->ModalResult();
  Dialog->Show();
  Dialog->Update();
  winplat::user::PresentScreen();
  struct HideAgain {
    TForm* f;
    ~HideAgain() { f->Hide(); }
  } hide{Dialog};
  const winplat::screen::MessageBoxAnswerer answerer = winplat::screen::CurrentMessageBoxAnswerer();
  return answerer ? answerer(req) : req.defaultButton;
}

}  // namespace

TForm* CreateMessageDialog(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
  std::unique_ptr<TForm> form(CreateNewForm<TMessageForm>(nullptr));
  form->SetBorderStyle(bsDialog);
  form->HandleNeeded();  // the frame's size is known from here on

  TPoint units;
  RECT text{0, 0, Screen->Width() / 2, 0};
  int button_width;
  const bool icon = DlgType != mtCustom;
  {
    MeasureDC m(form->Font());
    units = AverageCharSize(m.dc());
    button_width = MulDiv(kButtonWidth, units.x, 4);
    for (int b = 0; b < kButtonKinds; ++b) {
      if (!Buttons.Contains(static_cast<TMsgDlgBtn>(b))) continue;
      RECT r{0, 0, 0, 0};
      DrawTextA(m.dc(), kButtons[b].caption, -1, &r, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
      if (r.right + 8 > button_width) button_width = r.right + 8;
    }
    DrawTextA(m.dc(), Msg.c_str(), static_cast<int>(Msg.size()), &text,
              DT_EXPANDTABS | DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  const int horz_margin = MulDiv(kHorzMargin, units.x, 4);
  const int vert_margin = MulDiv(kVertMargin, units.y, 8);
  const int horz_spacing = MulDiv(kHorzSpacing, units.x, 4);
  const int vert_spacing = MulDiv(kVertSpacing, units.y, 8);
  const int button_height = MulDiv(kButtonHeight, units.y, 8);
  const int button_spacing = MulDiv(kButtonSpacing, units.x, 4);

  int icon_text_width = text.right;
  int icon_text_height = text.bottom;
  if (icon) {
    icon_text_width += kIconSize + horz_spacing;
    icon_text_height = std::max(icon_text_height, kIconSize);
  }
  int button_count = 0;
  for (int b = 0; b < kButtonKinds; ++b)
    if (Buttons.Contains(static_cast<TMsgDlgBtn>(b))) ++button_count;
  const int group_width = button_count ? button_width * button_count + button_spacing * (button_count - 1) : 0;
  form->SetClientWidth(std::max(icon_text_width, group_width) + horz_margin * 2);
  form->SetClientHeight(icon_text_height + button_height + vert_spacing + vert_margin * 2);
  form->SetLeft(Screen->Width() / 2 - form->Width() / 2);
  form->SetTop(Screen->Height() / 2 - form->Height() / 2);
  form->SetCaption(icon ? AnsiString(kCaptions[DlgType]) : Application->Title());

  if (icon) {
    auto* image = new TImage(form.get());
    static_cast<TComponent*>(image)->SetName("Image");
    image->SetParent(form.get());
    TIcon standard;
    standard.SetHandle(LoadIconA(nullptr, IconOf(DlgType)));
    image->Picture()->Assign(&standard);
    image->SetBounds(horz_margin, vert_margin, kIconSize, kIconSize);
  }
  auto* message = new TLabel(form.get());
  static_cast<TComponent*>(message)->SetName("Message");
  message->SetParent(form.get());
  message->SetShowAccelChar(false);
  message->SetWordWrap(true);
  message->SetCaption(Msg);
  message->SetBounds(icon_text_width - text.right + horz_margin, vert_margin, text.right, text.bottom);

  // The first button is the default one; Escape goes to Cancel, else No, else OK.
  const TMsgDlgBtn cancel = Buttons.Contains(mbCancel) ? mbCancel : Buttons.Contains(mbNo) ? mbNo : mbOK;
  bool first = true;
  int x = (form->ClientWidth() - group_width) / 2;
  for (int b = 0; b < kButtonKinds; ++b) {
    const auto kind = static_cast<TMsgDlgBtn>(b);
    if (!Buttons.Contains(kind)) continue;
    auto* button = new TButton(form.get());
    static_cast<TComponent*>(button)->SetName(kButtons[b].name);
    button->SetParent(form.get());
    button->SetCaption(kButtons[b].caption);
    button->SetModalResult(kButtons[b].result);
    if (first) button->SetDefault(true);
    if (kind == cancel) button->SetCancel(true);
    button->SetBounds(x, icon_text_height + vert_margin + vert_spacing, button_width, button_height);
    x += button_width + button_spacing;
    first = false;
  }
  return form.release();
}

int MessageDlgPos(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y) {
  (void)HelpCtx;
  std::unique_ptr<TForm> dialog(CreateMessageDialog(Msg, DlgType, Buttons));
  if (X >= 0) dialog->SetLeft(X);
  if (Y >= 0) dialog->SetTop(Y);
  if (X < 0 && Y < 0) dialog->SetPosition(poScreenCenter);
  if (winplat::screen::HasMessageBoxAnswerer()) return AnswerByAnswerer(dialog.get(), Msg, DlgType, Buttons);
  return dialog->ShowModal();
}

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, -1, -1);
}

void ShowMessage(const AnsiString& Msg) { MessageDlgPos(Msg, mtCustom, TMsgDlgButtons{mbOK}, 0, -1, -1); }
