#include "mfc/resources.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "commctrl.h"

namespace mfc {

const char* LoadStringResource(UINT id) {
  switch (id) {
    case IDS_ERROR_NAME: return "error:  %s%s %s";
    case IDS_ERROR: return "error:  %s%s";
    case IDS_LIST_SHORT: return "%7lu  %02u-%02u-%02u  %02u:%02u  %c";
    default: return nullptr;
  }
}

namespace {

using K = ControlKind;

constexpr ControlTemplate kExtMsg[] = {
    {2, K::Button, "キャンセル", 95, 72, 50, 14},
    {-1, K::Static, "対象ファイル名 :", 7, 8, 62, 8},
    {1006, K::Static, "", 70, 8, 163, 8},
    {1007, K::Progress, "", 7, 22, 226, 10},
    {-1, K::Static, "書庫ファイル名 :", 7, 40, 62, 8},
    {1009, K::Static, "", 70, 40, 163, 8},
    {1015, K::Static, "作成ファイル名 :", 7, 53, 62, 8},
    {1010, K::Static, "", 70, 53, 100, 8},
    {1008, K::Static, "", 172, 53, 2, 8},
    {1011, K::Static, "", 176, 53, 2, 8},
    {1012, K::Static, "", 180, 53, 2, 8},
    {1016, K::Static, "", 184, 53, 2, 8},
};

constexpr ControlTemplate kOverWrite[] = {
    {-1, K::Static, "指定されたファイルがすでに存在します。", 36, 8, 246, 8},
    {1005, K::Static, "", 36, 20, 246, 8},
    {-1, K::Static, "書庫内のファイル :", 36, 36, 74, 8},
    {1001, K::Static, "", 110, 36, 172, 8},
    {-1, K::Static, "ディスク内のファイル :", 36, 48, 74, 8},
    {1002, K::Static, "", 110, 48, 172, 8},
    {-1, K::Static, "書庫内のファイルで上書きしますか？", 36, 64, 246, 8},
    {1, K::DefButton, "はい(&Y)", 56, 82, 60, 14},
    {2, K::Button, "いいえ(&N)", 124, 82, 60, 14},
    {1003, K::Button, "すべて上書き(&A)", 192, 82, 74, 14},
    {-1, K::Icon, nullptr, 8, 8, 22, 20, IDI_OVERWRITE},
};

constexpr ControlTemplate kPassword[] = {
    {1016, K::Password, "", 36, 34, 150, 12},
    {1, K::DefButton, "OK", 52, 54, 50, 14},
    {2, K::Button, "キャンセル", 110, 54, 50, 14},
    {-1, K::Static, "この書庫は、パスワードにより保護されています。\nパスワードを入力してください。", 36, 8, 160, 20},
    {-1, K::Icon, nullptr, 8, 8, 22, 20, IDI_PASSWORD},
};

const DialogTemplate kTemplates[] = {
    {IDD_OVERWRITE, "ファイルの上書き", 290, 104, kOverWrite},
    {IDD_EXTMSG, "圧縮書庫の解凍", 240, 94, kExtMsg},
    {IDD_PASSWORD, "パスワードの入力", 204, 76, kPassword},
};

// The resources are Japanese whatever the process's ANSI code page.
std::u16string Wide(const char* s) {
  if (!s || !*s) return {};
  int n = MultiByteToWideChar(932, 0, s, -1, nullptr, 0);
  if (n <= 1) return {};
  std::u16string w(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(932, 0, s, -1, reinterpret_cast<LPWSTR>(w.data()), n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}

struct BuiltTemplate {
  DLGTEMPLATEW dialog;
  std::vector<DLGITEMTEMPLATEW> items;
  std::vector<std::u16string> texts;   // titles; reserved up front so the pointers stay put
};

DLGITEMTEMPLATEW Item(const ControlTemplate& c, const char16_t* title) {
  DLGITEMTEMPLATEW it;
  it.x = c.x;
  it.y = c.y;
  it.cx = c.cx;
  it.cy = c.cy;
  // An icon is found by its resource number.
  it.id = static_cast<WORD>(c.kind == K::Icon ? c.icon_id : c.id < 0 ? 0xFFFF : c.id);
  it.title = title;
  DWORD style = WS_CHILD | WS_VISIBLE;
  switch (c.kind) {
    case K::Button: it.windowClass = u"BUTTON"; style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case K::DefButton: it.windowClass = u"BUTTON"; style |= BS_DEFPUSHBUTTON | WS_TABSTOP; break;
    case K::Static:
      it.windowClass = u"STATIC";
      // Names and counters stay on one line and show '&' as it is.
      style |= c.id < 0 ? SS_LEFT : SS_LEFTNOWORDWRAP | SS_NOPREFIX;
      break;
    case K::Edit: it.windowClass = u"EDIT"; style |= WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL; break;
    case K::Password: it.windowClass = u"EDIT"; style |= WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD; break;
    case K::Progress: it.windowClass = PROGRESS_CLASSW; style |= WS_BORDER; break;
    case K::Icon: it.windowClass = u"STATIC"; style |= SS_ICON | SS_CENTERIMAGE; break;
  }
  it.style = style;
  return it;
}

std::unique_ptr<BuiltTemplate> Build(const DialogTemplate& t) {
  auto b = std::make_unique<BuiltTemplate>();
  b->texts.reserve(t.controls.size() + 1);
  b->texts.push_back(Wide(t.title));
  b->dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
  b->dialog.cx = t.cx;
  b->dialog.cy = t.cy;
  b->dialog.title = b->texts.front().c_str();
  b->dialog.typeface = u"MS UI Gothic";
  b->dialog.pointSize = 9;
  for (const ControlTemplate& c : t.controls) {
    b->texts.push_back(Wide(c.text));
    b->items.push_back(Item(c, b->texts.back().c_str()));
  }
  b->dialog.items = b->items.data();
  b->dialog.cdit = static_cast<WORD>(b->items.size());
  return b;
}

// Icon drawing: a padlock (password) and a warning sign (overwrite).
using Pixels = std::array<uint32_t, ICON_SIZE * ICON_SIZE>;

bool InRect(int x, int y, int l, int t, int r, int b) { return x >= l && x < r && y >= t && y < b; }
int Dist2(int x, int y, int cx, int cy) { return (x - cx) * (x - cx) + (y - cy) * (y - cy); }

Pixels Padlock() {
  Pixels p;
  for (int y = 0; y < ICON_SIZE; ++y)
    for (int x = 0; x < ICON_SIZE; ++x) {
      uint32_t c = ICON_CLEAR;
      const int d = Dist2(x, y, 16, 13);
      if (y <= 14 && d >= 36 && d <= 90) c = d >= 81 || d <= 42 ? 0x404040u : 0xA0A0A8u;   // the shackle
      if (InRect(x, y, 5, 14, 27, 30)) {
        const bool edge = !InRect(x, y, 6, 15, 26, 29);
        c = edge ? 0x705000u : (y < 18 ? 0xFFE070u : 0xE8B820u);
        if (Dist2(x, y, 16, 20) <= 5 || InRect(x, y, 15, 20, 18, 26)) c = 0x202020u;   // the keyhole
      }
      p[static_cast<size_t>(y * ICON_SIZE + x)] = c;
    }
  return p;
}

Pixels WarningSign() {
  Pixels p;
  for (int y = 0; y < ICON_SIZE; ++y)
    for (int x = 0; x < ICON_SIZE; ++x) {
      uint32_t c = ICON_CLEAR;
      // A triangle with its apex at (16, 2) and its base on row 29, two pixels of border.
      const int half = (y - 2) * 15 / 27;
      if (y >= 2 && y <= 29 && x >= 16 - half - 1 && x <= 16 + half) {
        const int inner = (y - 4) * 15 / 27 - 1;
        const bool edge = y > 27 || y < 5 || x < 16 - inner - 1 || x > 16 + inner;
        c = edge ? 0x604000u : 0xFFD020u;
        if (InRect(x, y, 15, 10, 18, 21) || InRect(x, y, 15, 23, 18, 26)) c = 0x101010u;   // '!'
      }
      p[static_cast<size_t>(y * ICON_SIZE + x)] = c;
    }
  return p;
}

std::mutex g_mutex;

}  // namespace

const DialogTemplate* FindDialogTemplate(UINT id) {
  for (const DialogTemplate& t : kTemplates)
    if (t.id == id) return &t;
  return nullptr;
}

const DLGTEMPLATEW* LoadDialogTemplate(UINT id) {
  static auto* built = new std::map<UINT, std::unique_ptr<BuiltTemplate>>;
  const DialogTemplate* t = FindDialogTemplate(id);
  if (!t) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto& slot = (*built)[id];
  if (!slot) slot = Build(*t);
  return &slot->dialog;
}

std::span<const uint32_t> LoadIconPixels(UINT id) {
  static const Pixels padlock = Padlock(), warning = WarningSign();
  switch (id) {
    case IDI_PASSWORD: return padlock;
    case IDI_OVERWRITE: return warning;
    default: return {};
  }
}

}  // namespace mfc
