#include "mfc/resources.h"

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
    {2, K::Button, "キャンセル"},
    {-1, K::Static, "対象ファイル名 :"},
    {1006, K::Static, ""},
    {1007, K::Progress, ""},
    {-1, K::Static, "書庫ファイル名 :"},
    {1009, K::Static, ""},
    {1015, K::Static, "作成ファイル名 :"},
    {1010, K::Static, ""},
    {1008, K::Static, ""},
    {1011, K::Static, ""},
    {1012, K::Static, ""},
    {1016, K::Static, ""},
};

constexpr ControlTemplate kOverWrite[] = {
    {-1, K::Static, "指定されたファイルがすでに存在します。"},
    {1005, K::Static, ""},
    {-1, K::Static, "書庫内のファイル :"},
    {1001, K::Static, ""},
    {-1, K::Static, "ディスク内のファイル :"},
    {1002, K::Static, ""},
    {-1, K::Static, "書庫内のファイルで上書きしますか？"},
    {1, K::DefButton, "はい(&Y)"},
    {2, K::Button, "いいえ(&N)"},
    {1003, K::Button, "すべて上書き(&A)"},
    {-1, K::Icon, nullptr, IDI_OVERWRITE},
};

constexpr ControlTemplate kPassword[] = {
    {1016, K::Password, ""},
    {1, K::DefButton, "OK"},
    {2, K::Button, "キャンセル"},
    {-1, K::Static, "この書庫は、パスワードにより保護されています。\nパスワードを入力してください。"},
    {-1, K::Icon, nullptr, IDI_PASSWORD},
};

const DialogTemplate kTemplates[] = {
    {IDD_OVERWRITE, "ファイルの上書き", kOverWrite},
    {IDD_EXTMSG, "圧縮書庫の解凍", kExtMsg},
    {IDD_PASSWORD, "パスワードの入力", kPassword},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(UINT id) {
  for (const DialogTemplate& t : kTemplates)
    if (t.id == id) return &t;
  return nullptr;
}

}  // namespace mfc
