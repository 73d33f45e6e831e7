// What the extraction engine asks of the user and the platform: its message boxes, the password
// prompt and the overwrite question (dialogs; headless, the message box answerer answers them on
// the dialog itself), and the conversions of ANSI names to wide text and back.
#pragma once

#include <cstdint>
#include <string>

#include "windows.h"
#include "ziplib/getpassword.h"

namespace zipvault {

// A message box of the library, through its application object (caption "ZIPVAULT").
int unzip_message_box(HWND owner, const std::string& text, UINT type);

// The password prompt, owned by the caller's window. IDOK with the typed text (at most 80
// bytes, whole characters) or IDCANCEL.
int ask_password_dialog(HWND owner, std::string* password);

// The overwrite question: IDOK (yes), IDCANCEL (no); *all set for the all-files button.
inline constexpr int IDC_OVERWRITE_ALL = 1003;
int ask_overwrite_dialog(HWND owner, const std::string& name, const FILETIME& entry_time, uint64_t entry_size,
                         const FILETIME& file_time, uint64_t file_size, bool* all);
// The size text of the overwrite question ("999,999 バイト", "976KB", "1.17MB", "150MB").
std::string overwrite_size_text(uint64_t n);

// Text in a code page (CP_ACP, CP_UTF8...) as wide text; invalid bytes become U+FFFD.
std::u16string bytes_to_wide(const std::string& s, UINT codepage);
inline std::u16string ansi_to_wide(const std::string& s) { return bytes_to_wide(s, CP_ACP); }
std::string wide_to_ansi(const std::u16string& s);

// The DOS date and time as the file time (UTC) of that local time; false for an invalid date.
bool dos_to_filetime(uint16_t date, uint16_t time, FILETIME* ft);

}  // namespace zipvault
