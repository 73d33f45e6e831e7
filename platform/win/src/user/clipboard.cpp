// The clipboard of the process: formats placed by an owner window, plus the text and bitmap
// formats the system makes on demand from what was placed (CF_TEXT, CF_OEMTEXT and
// CF_UNICODETEXT from one another, CF_DIB and CF_BITMAP from one another).
//
// Data given to SetClipboardData belongs to the clipboard from then on: emptying or replacing a
// format frees it (global blocks with GlobalFree, GDI formats with DeleteObject; private formats
// are left to their owner, who hears WM_DESTROYCLIPBOARD).
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winbase.h"
#include "wingdi.h"
#include "winnls.h"

namespace {

using winplat::user::PeekWnd;
using winplat::user::SendW;

struct Entry {
  UINT format = 0;
  HANDLE data = nullptr;
  bool synthesized = false;  // made from another format; dropped whenever a format is placed
};

struct Clipboard {
  std::recursive_mutex mutex;
  DWORD openThread = 0;      // 0 while closed
  HWND openWindow = nullptr;
  HWND owner = nullptr;
  std::vector<Entry> entries;  // placement order, synthesized ones after the formats they come from
};

Clipboard& Board() {
  static auto* board = new Clipboard;
  return *board;
}

bool OpenedHere(const Clipboard& c) {
  if (c.openThread && c.openThread == GetCurrentThreadId()) return true;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return false;
}

bool IsGdiFormat(UINT format) {
  return format == CF_BITMAP || format == CF_PALETTE || (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
}
bool IsPrivateFormat(UINT format) { return format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST; }

void FreeData(const Entry& e) {
  if (!e.data) return;
  if (IsGdiFormat(e.format)) DeleteObject(e.data);
  else if (!IsPrivateFormat(e.format)) GlobalFree(e.data);
}

Entry* Find(Clipboard& c, UINT format) {
  for (auto& e : c.entries)
    if (e.format == format) return &e;
  return nullptr;
}

void DropSynthesized(Clipboard& c) {
  std::vector<Entry> kept;
  for (auto& e : c.entries) {
    if (e.synthesized) FreeData(e);
    else kept.push_back(e);
  }
  c.entries.swap(kept);
}

// ---- making one format from another ----------------------------------------------------------------

bool IsTextFormat(UINT f) { return f == CF_TEXT || f == CF_OEMTEXT || f == CF_UNICODETEXT; }
bool IsBitmapFormat(UINT f) { return f == CF_DIB || f == CF_BITMAP; }

// The placed format another one can be made from: Unicode text first (it loses nothing).
std::optional<UINT> SourceFor(Clipboard& c, UINT format) {
  auto placed = [&](UINT f) {
    const Entry* e = Find(c, f);
    return e && !e->synthesized;
  };
  if (IsTextFormat(format)) {
    for (UINT f : {UINT{CF_UNICODETEXT}, UINT{CF_TEXT}, UINT{CF_OEMTEXT}})
      if (f != format && placed(f)) return f;
  } else if (IsBitmapFormat(format)) {
    const UINT other = format == CF_DIB ? CF_BITMAP : CF_DIB;
    if (placed(other)) return other;
  }
  return std::nullopt;
}

UINT CodePageOf(UINT textFormat) { return textFormat == CF_OEMTEXT ? CP_OEMCP : CP_ACP; }

HGLOBAL BlockOf(const void* data, size_t size) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!h) return nullptr;
  std::memcpy(GlobalLock(h), data, size);
  GlobalUnlock(h);
  return h;
}

// The text of a block up to its terminator, never past the block's end.
std::u16string TextOfBlock(HGLOBAL h, UINT format) {
  const SIZE_T size = GlobalSize(h);
  const void* p = size ? GlobalLock(h) : nullptr;
  if (!p) return {};
  std::u16string text;
  if (format == CF_UNICODETEXT) {
    const auto* s = static_cast<const char16_t*>(p);
    size_t n = 0;
    while (n < size / 2 && s[n]) ++n;
    text.assign(s, n);
  } else {
    const auto* s = static_cast<const char*>(p);
    text = winplat::AnsiToWide(std::string_view(s, strnlen(s, size)), CodePageOf(format));
  }
  GlobalUnlock(h);
  return text;
}

HGLOBAL TextBlock(const std::u16string& text, UINT format) {
  if (format == CF_UNICODETEXT) return BlockOf(text.c_str(), (text.size() + 1) * sizeof(char16_t));
  const std::string bytes = winplat::WideToAnsi(text, CodePageOf(format));
  return BlockOf(bytes.c_str(), bytes.size() + 1);
}

// Size of the header and colour table of a packed DIB, and of its pixels; false when the block
// is too small for what its header describes or the layout is not one we draw.
bool PackedDibLayout(const BITMAPINFOHEADER& h, size_t blockSize, size_t* bitsOffset) {
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > blockSize || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biPlanes != 1)
    return false;
  if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) return false;
  const int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (h.biCompression == BI_BITFIELDS && bpp != 16 && bpp != 32) return false;
  uint64_t colors = h.biClrUsed ? h.biClrUsed : (bpp <= 8 ? (1u << bpp) : 0);
  if (bpp <= 8 && colors > (1u << bpp)) return false;
  uint64_t offset = uint64_t{h.biSize} + colors * sizeof(RGBQUAD);
  if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) offset += 3 * sizeof(DWORD);
  const uint64_t stride = ((uint64_t(h.biWidth) * bpp + 31) / 32) * 4;
  const uint64_t rows = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
  if (offset + stride * rows > blockSize) return false;
  *bitsOffset = static_cast<size_t>(offset);
  return true;
}

HBITMAP BitmapFromDib(HGLOBAL dib) {
  const SIZE_T size = GlobalSize(dib);
  if (size < sizeof(BITMAPINFOHEADER)) return nullptr;
  const auto* p = static_cast<const uint8_t*>(GlobalLock(dib));
  if (!p) return nullptr;
  BITMAPINFOHEADER header;
  std::memcpy(&header, p, sizeof(header));
  HBITMAP bitmap = nullptr;
  size_t bitsOffset = 0;
  if (PackedDibLayout(header, size, &bitsOffset)) {
    HDC screen = GetDC(nullptr);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(p);
    bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, p + bitsOffset, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
  }
  GlobalUnlock(dib);
  return bitmap;
}

// A bottom-up 24-bit packed DIB of a bitmap.
HGLOBAL DibFromBitmap(HBITMAP bitmap) {
  BITMAP bm{};
  if (!GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = bm.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const size_t stride = ((size_t(bm.bmWidth) * 24 + 31) / 32) * 4;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(stride * bm.bmHeight);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + info.bmiHeader.biSizeImage);
  if (!h) return nullptr;
  auto* p = static_cast<uint8_t*>(GlobalLock(h));
  std::memcpy(p, &info.bmiHeader, sizeof(BITMAPINFOHEADER));
  HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, bitmap, 0, bm.bmHeight, p + sizeof(BITMAPINFOHEADER), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  GlobalUnlock(h);
  if (lines != bm.bmHeight) {
    GlobalFree(h);
    return nullptr;
  }
  return h;
}

HANDLE Synthesize(UINT format, const Entry& source) {
  if (IsTextFormat(format)) return TextBlock(TextOfBlock(source.data, source.format), format);
  if (format == CF_BITMAP) return BitmapFromDib(source.data);
  if (format == CF_DIB) return DibFromBitmap(static_cast<HBITMAP>(source.data));
  return nullptr;
}

// Placed formats, then those that can be made from them.
std::vector<UINT> AvailableFormats(Clipboard& c) {
  std::vector<UINT> formats;
  for (auto& e : c.entries)
    if (!e.synthesized) formats.push_back(e.format);
  for (UINT f : {UINT{CF_TEXT}, UINT{CF_OEMTEXT}, UINT{CF_UNICODETEXT}, UINT{CF_DIB}, UINT{CF_BITMAP}}) {
    const Entry* e = Find(c, f);
    if ((!e || e->synthesized) && SourceFor(c, f)) formats.push_back(f);
  }
  return formats;
}

}  // namespace

namespace winplat::user {

// A destroyed window no longer owns or holds the clipboard; the data stays.
void ClipboardWindowDestroyed(HWND h) {
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  if (c.owner == h) c.owner = nullptr;
  if (c.openThread && c.openWindow == h) c.openWindow = nullptr;
}

}  // namespace winplat::user

BOOL WINAPI OpenClipboard(HWND hWndNewOwner) {
  if (hWndNewOwner && !PeekWnd(hWndNewOwner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  if (c.openThread && c.openThread != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  c.openThread = GetCurrentThreadId();
  c.openWindow = hWndNewOwner;
  return TRUE;
}

BOOL WINAPI CloseClipboard() {
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  if (!OpenedHere(c)) return FALSE;
  c.openThread = 0;
  c.openWindow = nullptr;
  return TRUE;
}

BOOL WINAPI EmptyClipboard() {
  Clipboard& c = Board();
  std::unique_lock<std::recursive_mutex> lock(c.mutex);
  if (!OpenedHere(c)) return FALSE;
  // The old owner hears it while its data is still there, so it can free what it keeps itself.
  if (c.owner && PeekWnd(c.owner)) SendW(c.owner, WM_DESTROYCLIPBOARD, 0, 0);
  for (auto& e : c.entries) FreeData(e);
  c.entries.clear();
  c.owner = c.openWindow;
  return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT uFormat, HANDLE hMem) {
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  if (!OpenedHere(c)) return nullptr;
  // Rendering on request (a null handle) is not offered: every format comes with its data.
  if (uFormat == 0 || !hMem) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DropSynthesized(c);
  if (Entry* e = Find(c, uFormat)) {
    if (e->data != hMem) FreeData(*e);
    e->data = hMem;
  } else {
    c.entries.push_back(Entry{uFormat, hMem, false});
  }
  return hMem;
}

HANDLE WINAPI GetClipboardData(UINT uFormat) {
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  if (!OpenedHere(c)) return nullptr;
  if (Entry* e = Find(c, uFormat)) return e->data;
  const auto source = SourceFor(c, uFormat);
  if (!source) {
    SetLastError(ERROR_SUCCESS);
    return nullptr;
  }
  HANDLE made = Synthesize(uFormat, *Find(c, *source));
  if (made) c.entries.push_back(Entry{uFormat, made, true});
  return made;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  for (UINT f : AvailableFormats(c))
    if (f == format) return TRUE;
  return FALSE;
}

int WINAPI CountClipboardFormats() {
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  return static_cast<int>(AvailableFormats(c).size());
}

UINT WINAPI EnumClipboardFormats(UINT format) {
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  if (!OpenedHere(c)) return 0;
  SetLastError(ERROR_SUCCESS);
  const std::vector<UINT> formats = AvailableFormats(c);
  if (format == 0) return formats.empty() ? 0 : formats.front();
  for (size_t i = 0; i + 1 < formats.size(); ++i)
    if (formats[i] == format) return formats[i + 1];
  return 0;
}

UINT WINAPI RegisterClipboardFormatW(LPCWSTR lpszFormat) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!lpszFormat || IS_INTRESOURCE(lpszFormat) || !*lpszFormat) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return winplat::user::AddAtomInternal(lpszFormat, true);
}

UINT WINAPI RegisterClipboardFormatA(LPCSTR lpszFormat) {
  if (!lpszFormat || IS_INTRESOURCE(lpszFormat) || !*lpszFormat) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return winplat::user::AddAtomInternal(winplat::AnsiToWide(lpszFormat), true);
}

HWND WINAPI GetClipboardOwner() {
  Clipboard& c = Board();
  std::lock_guard<std::recursive_mutex> lock(c.mutex);
  return c.owner;
}

VSE_EXPORT("user32.dll", OpenClipboard);
VSE_EXPORT("user32.dll", CloseClipboard);
VSE_EXPORT("user32.dll", EmptyClipboard);
VSE_EXPORT("user32.dll", SetClipboardData);
VSE_EXPORT("user32.dll", GetClipboardData);
VSE_EXPORT("user32.dll", IsClipboardFormatAvailable);
VSE_EXPORT("user32.dll", CountClipboardFormats);
VSE_EXPORT("user32.dll", EnumClipboardFormats);
VSE_EXPORT("user32.dll", RegisterClipboardFormatA);
VSE_EXPORT("user32.dll", RegisterClipboardFormatW);
VSE_EXPORT("user32.dll", GetClipboardOwner);
