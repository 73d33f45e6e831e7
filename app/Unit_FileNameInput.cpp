// The title form of a board being saved.
#include "Unit_FileNameInput.h"

#include "TypInfo.h"
#include "windows.h"

TfrmFileNameInput* frmFileNameInput = nullptr;

namespace {

bool IsBlank(char16_t c) { return c <= u' ' || c == u'\x7F' || c == u'\x3000'; }

bool IsForbidden(char32_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  for (char16_t f : u"\\:*?\"/<>|")
    if (f && c == f) return true;
  return false;
}

// The character's bytes in the ANSI code page when it reads back as itself; empty otherwise.
std::string Spell(const char16_t* Units, int Count) {
  char bytes[8] = {};
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<LPCWSTR>(Units), Count, bytes,
                                    sizeof bytes, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return {};
  char16_t back[4] = {};
  const int m = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, n, reinterpret_cast<LPWSTR>(back), 4);
  if (m != Count || std::char_traits<char16_t>::compare(back, Units, static_cast<size_t>(Count)) != 0) return {};
  return std::string(bytes, static_cast<size_t>(n));
}

}  // namespace

bool IsBoardTitle(const WideString& Title) {
  for (char16_t c : Title)
    if (!IsBlank(c)) return true;
  return false;
}

AnsiString BoardFileTitle(const WideString& Title) {
  std::string out;
  for (size_t i = 0; i < Title.size();) {
    const char16_t c = Title[i];
    int units = 1;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Title.size() && Title[i + 1] >= 0xDC00 && Title[i + 1] <= 0xDFFF)
      units = 2;
    std::string bytes;
    if (!(units == 1 && IsForbidden(c))) bytes = Spell(Title.data() + i, units);
    out += bytes.empty() ? std::string("-") : bytes;
    i += static_cast<size_t>(units);
  }
  return AnsiString(out.c_str());
}

TfrmFileNameInput::~TfrmFileNameInput() {
  if (frmFileNameInput == this) frmFileNameInput = nullptr;
}

void TfrmFileNameInput::FormShow(TObject*) {
  if (edtTitle->CanFocus()) edtTitle->SetFocus();
}

void TfrmFileNameInput::FormCloseQuery(TObject*, bool& CanClose) {
  if (ModalResult() != mrOk || IsBoardTitle(edtTitle->Text())) return;
  CanClose = false;
  MessageBeep(MB_ICONEXCLAMATION);
  if (edtTitle->CanFocus()) edtTitle->SetFocus();
}

static const bool registered = DeclareClass<TfrmFileNameInput, TUcForm>("TfrmFileNameInput")
                                   .Method("FormShow", &TfrmFileNameInput::FormShow)
                                   .Method("FormCloseQuery", &TfrmFileNameInput::FormCloseQuery)
                                   .Field("lblMes", &TfrmFileNameInput::lblMes)
                                   .Field("edtTitle", &TfrmFileNameInput::edtTitle)
                                   .Field("btnOK", &TfrmFileNameInput::btnOK)
                                   .Field("btnCancel", &TfrmFileNameInput::btnCancel)
                                   .Done();
