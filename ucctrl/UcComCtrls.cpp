#include "UcComCtrls.h"

#include <algorithm>
#include <cstring>

#include "TypInfo.h"
#include "UcMenus.h"
#include "UcSysUtils.h"
#include "commctrl.h"

void CreateUnicodeHandle_ComCtl(TWinControl* Control, const TCreateParams& Params, const WideString& SubClassName) {
  Assert(!SubClassName.empty(), "UC Internal Error: Only call CreateUnicodeHandle_ComCtl for Common Controls.");
  CreateWideWindowHandle(Control, Params, SubClassName, false);
  if (PlatformIsUnicode && Control->HandleAllocated()) SendMessageW(Control->Handle(), CCM_SETUNICODEFORMAT, 1, 0);
}

void TUcToolBar::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle_ComCtl(this, Params, WideWindowClass());
}

INT_PTR TUcToolBar::AddButtonString(TToolButton* Button) {
  auto* wide = dynamic_cast<TUcToolButton*>(Button);
  if (!wide || !PlatformIsUnicode || !HandleAllocated() || !IsWindowUnicode(Handle()))
    return TToolBar::AddButtonString(Button);
  WideString pool = wide->Caption();
  pool.push_back(u'\0');
  pool.push_back(u'\0');
  return SendMessageW(Handle(), TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(pool.data()));
}

void TUcToolBar::Dispatch(TMessage& Message) {
  // The bar's own text: the window's messages carry wide buffers here.
  if (PlatformIsUnicode && HandleAllocated() && IsWindowUnicode(Handle())) {
    switch (Message.Msg) {
      case WM_GETTEXT: {
        const size_t size = static_cast<size_t>(Message.WParam);
        auto* buf = reinterpret_cast<char16_t*>(Message.LParam);
        if (size == 0 || !buf) {
          Message.Result = 0;  // no room, not even for the terminator
          return;
        }
        const size_t n = std::min(caption_.size(), size - 1);
        std::memcpy(buf, caption_.data(), n * sizeof(char16_t));
        buf[n] = 0;
        Message.Result = static_cast<LRESULT>(n);
        return;
      }
      case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(caption_.size());
        return;
      case WM_SETTEXT: {
        const auto* s = reinterpret_cast<const char16_t*>(Message.LParam);
        caption_ = s ? WideString(s) : WideString();
        Message.Result = 1;
        return;
      }
      default:
        break;
    }
  }
  TToolBar::Dispatch(Message);
}

void TUcToolButton::SetMenuItem(TMenuItem* Value) {
  TToolButton::SetMenuItem(Value);
  if (auto* item = dynamic_cast<TUcMenuItem*>(Value)) {
    SetCaption(item->Caption());
    SetHint(item->Hint());
  }
}

void TUcToolButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_HINTSHOW && Message.LParam)
    PrepareWideHintInfo(this, *reinterpret_cast<THintInfo*>(Message.LParam));
  TToolButton::Dispatch(Message);
}


static const bool registered = PublishWideTexts(DeclareClass<TUcToolBar, TToolBar>("TUcToolBar")).Done() &&
                               PublishWideTexts(DeclareClass<TUcToolButton, TToolButton>("TUcToolButton")).Done();
