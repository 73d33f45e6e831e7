// The process clipboard: opening rules, ownership of the data, the formats made on demand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "test_window_class.h"
#include "winbase.h"
#include "wingdi.h"
#include "winplat_mode.h"
#include "winplat_screen.h"
#include "winuser.h"

namespace {

std::vector<HWND> g_destroy_clipboard;  // windows that heard WM_DESTROYCLIPBOARD

LRESULT CALLBACK OwnerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DESTROYCLIPBOARD) g_destroy_clipboard.push_back(h);
  return DefWindowProcW(h, m, w, l);
}

HGLOBAL Block(const void* data, size_t size) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(h), data, size);
  GlobalUnlock(h);
  return h;
}
std::vector<uint8_t> BytesOf(HANDLE h) {
  std::vector<uint8_t> out(GlobalSize(h));
  if (!out.empty()) {
    std::memcpy(out.data(), GlobalLock(h), out.size());
    GlobalUnlock(h);
  }
  return out;
}
std::vector<uint8_t> Bytes(const char* s) { return std::vector<uint8_t>(s, s + std::strlen(s) + 1); }
std::vector<uint8_t> Bytes(const std::u16string& s) {
  std::vector<uint8_t> out((s.size() + 1) * 2);
  std::memcpy(out.data(), s.c_str(), out.size());
  return out;
}

bool BlockFreed(HGLOBAL h) {
  SetLastError(0);
  return GlobalSize(h) == 0 && GetLastError() == ERROR_INVALID_HANDLE;
}

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    ASSERT_TRUE(RegisterTestClassOnce(u"ClipOwner", OwnerProc));
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(CloseClipboard());
    g_destroy_clipboard.clear();
  }
  void TearDown() override {
    while (CloseClipboard()) {}
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
  }
  HWND Owner() {
    HWND h = CreateWindowExW(0, u"ClipOwner", u"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    made_.push_back(h);
    return h;
  }
  std::vector<HWND> made_;
};

TEST_F(Clipboard, CallsNeedTheClipboardOpenedByThisThread) {
  SetLastError(0);
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  SetLastError(0);
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  HGLOBAL text = Block("x", 2);
  EXPECT_EQ(SetClipboardData(CF_TEXT, text), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  GlobalFree(text);  // refused, so still the caller's
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_EQ(EnumClipboardFormats(0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));

  // Open here: another thread can neither open it nor use it.
  HWND owner = Owner();
  ASSERT_TRUE(OpenClipboard(owner));
  EXPECT_TRUE(OpenClipboard(owner));  // again from the same thread
  BOOL otherOpened = TRUE, otherEmptied = TRUE;
  DWORD otherError = 0;
  std::thread([&] {
    otherOpened = OpenClipboard(nullptr);
    otherError = GetLastError();
    otherEmptied = EmptyClipboard();
  }).join();
  EXPECT_FALSE(otherOpened);
  EXPECT_EQ(otherError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(otherEmptied);
  EXPECT_TRUE(CloseClipboard());
  std::thread([&] {
    otherOpened = OpenClipboard(nullptr);
    if (otherOpened) CloseClipboard();
  }).join();
  EXPECT_TRUE(otherOpened);

  EXPECT_FALSE(OpenClipboard(reinterpret_cast<HWND>(uintptr_t{0x7777})));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Clipboard, EmptyingTellsTheOldOwnerAndFreesTheData) {
  HWND first = Owner(), second = Owner();
  ASSERT_TRUE(OpenClipboard(first));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_TRUE(g_destroy_clipboard.empty());  // nobody owned it
  HGLOBAL text = Block("one", 4), replaced = Block("old", 4);
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  const UINT privateFormat = CF_PRIVATEFIRST + 5;
  HGLOBAL privateData = Block("p", 2);
  ASSERT_EQ(SetClipboardData(CF_OEMTEXT, replaced), replaced);
  ASSERT_EQ(SetClipboardData(CF_OEMTEXT, text), text);  // a format set again frees the old data
  EXPECT_TRUE(BlockFreed(replaced));
  ASSERT_EQ(SetClipboardData(CF_BITMAP, bitmap), bitmap);
  ASSERT_EQ(SetClipboardData(privateFormat, privateData), privateData);
  EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);  // every format comes with its data
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardOwner(), first);

  ASSERT_TRUE(OpenClipboard(second));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(g_destroy_clipboard, std::vector<HWND>{first});
  EXPECT_EQ(GetClipboardOwner(), second);
  EXPECT_TRUE(BlockFreed(text));
  EXPECT_EQ(GetObjectType(bitmap), 0u);
  EXPECT_FALSE(BlockFreed(privateData));  // private data is its owner's to free
  GlobalFree(privateData);
  EXPECT_EQ(CountClipboardFormats(), 0);

  // The owner goes away: the data stays, owned by nobody.
  ASSERT_TRUE(OpenClipboard(second));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_NE(SetClipboardData(CF_TEXT, Block("kept", 5)), nullptr);
  ASSERT_TRUE(CloseClipboard());
  DestroyWindow(second);
  EXPECT_EQ(GetClipboardOwner(), nullptr);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(BytesOf(GetClipboardData(CF_TEXT)), Bytes("kept"));
  ASSERT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, TextFormatsAreMadeFromOneAnother) {
  const std::u16string japanese = u"\u65e5\u672c\u8a9e abc";  // 日本語 abc
  const char japaneseSjis[] = "\x93\xfa\x96\x7b\x8c\xea abc";
  struct Case {
    const char* name;
    UINT acp;
    UINT placed;
    std::vector<uint8_t> data;
    std::vector<uint8_t> ansi, oem;
    std::u16string wide;
  };
  const std::vector<Case> cases = {
      {"wide to Shift-JIS", 932, CF_UNICODETEXT, Bytes(japanese), Bytes(japaneseSjis), Bytes(japaneseSjis), japanese},
      {"Shift-JIS to wide", 932, CF_TEXT, Bytes(japaneseSjis), Bytes(japaneseSjis), Bytes(japaneseSjis), japanese},
      {"OEM to the others", 932, CF_OEMTEXT, Bytes(japaneseSjis), Bytes(japaneseSjis), Bytes(japaneseSjis), japanese},
      {"unmappable character", 932, CF_UNICODETEXT, Bytes(u"caf\u0101"), Bytes("caf?"), Bytes("caf?"), u"caf\u0101"},
      {"best fit", 932, CF_UNICODETEXT, Bytes(u"caf\u00e9"), Bytes("cafe"), Bytes("cafe"), u"caf\u00e9"},
      {"western ANSI and OEM", 1252, CF_TEXT, Bytes("caf\xe9"), Bytes("caf\xe9"), Bytes("caf\x82"), u"caf\u00e9"},
      {"block without terminator", 932, CF_TEXT, {'a', 'b', 'c'}, {'a', 'b', 'c'}, Bytes("abc"), u"abc"},
      {"text ends at the terminator", 932, CF_UNICODETEXT, Bytes(std::u16string(u"ab\0cd", 5)), Bytes("ab"), Bytes("ab"),
       std::u16string(u"ab\0cd", 5)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(winplat::SetAnsiCodePage(c.acp));
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_NE(SetClipboardData(c.placed, Block(c.data.data(), c.data.size())), nullptr);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(CountClipboardFormats(), 3);
    for (UINT f : {UINT{CF_TEXT}, UINT{CF_OEMTEXT}, UINT{CF_UNICODETEXT}}) EXPECT_TRUE(IsClipboardFormatAvailable(f));

    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(BytesOf(GetClipboardData(CF_TEXT)), c.placed == CF_TEXT ? c.data : c.ansi);
    EXPECT_EQ(BytesOf(GetClipboardData(CF_OEMTEXT)), c.placed == CF_OEMTEXT ? c.data : c.oem);
    const std::vector<uint8_t> wide = BytesOf(GetClipboardData(CF_UNICODETEXT));
    EXPECT_EQ(wide, c.placed == CF_UNICODETEXT ? c.data : Bytes(c.wide));
    EXPECT_EQ(GetClipboardData(CF_TEXT), GetClipboardData(CF_TEXT));  // made once, kept
    ASSERT_TRUE(CloseClipboard());
  }
  winplat::SetAnsiCodePage(932);
}

TEST_F(Clipboard, EnumerationListsPlacedFormatsThenTheMadeOnes) {
  const UINT registered = RegisterClipboardFormatA("Vse Board Strokes");
  EXPECT_GE(registered, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatW(u"vse board strokes"), registered);
  EXPECT_EQ(RegisterWindowMessageA("Vse Board Strokes"), registered);  // one table of names
  EXPECT_EQ(RegisterClipboardFormatA(""), 0u);

  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(EnumClipboardFormats(0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_NE(SetClipboardData(registered, Block("s", 2)), nullptr);
  ASSERT_NE(SetClipboardData(CF_TEXT, Block("t", 2)), nullptr);
  ASSERT_NE(SetClipboardData(CF_BITMAP, CreateBitmap(2, 2, 1, 32, nullptr)), nullptr);
  std::vector<UINT> order;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) order.push_back(f);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  const std::vector<UINT> expected = {registered, CF_TEXT, CF_BITMAP, CF_OEMTEXT, CF_UNICODETEXT, CF_DIB};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(CountClipboardFormats(), 6);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_PALETTE));
  EXPECT_EQ(GetClipboardData(CF_PALETTE), nullptr);
  ASSERT_TRUE(CloseClipboard());
}

// A bottom-up 24-bit packed DIB, 2 x 2: red, green / blue, white (top row first here).
std::vector<uint8_t> SmallDib() {
  std::vector<uint8_t> dib(sizeof(BITMAPINFOHEADER) + 2 * 8);
  BITMAPINFOHEADER h{};
  h.biSize = sizeof(h);
  h.biWidth = 2;
  h.biHeight = 2;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  h.biSizeImage = 16;
  std::memcpy(dib.data(), &h, sizeof(h));
  const uint8_t rows[16] = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,    // bottom: blue, white
                            0, 0, 0xFF, 0, 0xFF, 0, 0, 0};         // top: red, green
  std::memcpy(dib.data() + sizeof(h), rows, sizeof(rows));
  return dib;
}

TEST_F(Clipboard, BitmapAndDibAreMadeFromOneAnother) {
  const COLORREF expected[2][2] = {{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), RGB(255, 255, 255)}};
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP copy = CreateCompatibleBitmap(screen, 2, 2);
  ReleaseDC(nullptr, screen);

  // DIB placed, bitmap made.
  const std::vector<uint8_t> dib = SmallDib();
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_NE(SetClipboardData(CF_DIB, Block(dib.data(), dib.size())), nullptr);
  auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_NE(bitmap, nullptr);
  HGDIOBJ old = SelectObject(mem, bitmap);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(GetPixel(mem, x, y), expected[y][x]) << x << "," << y;
  SelectObject(mem, old);

  // Bitmap placed, DIB made: the same pixels come back in the same layout.
  old = SelectObject(mem, copy);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) SetPixel(mem, x, y, expected[y][x]);
  SelectObject(mem, old);
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_NE(SetClipboardData(CF_BITMAP, copy), nullptr);
  EXPECT_EQ(BytesOf(GetClipboardData(CF_DIB)), dib);

  // A DIB whose header promises more than the block holds gives no bitmap.
  std::vector<uint8_t> truncated = dib;
  reinterpret_cast<BITMAPINFOHEADER*>(truncated.data())->biHeight = 300;
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_NE(SetClipboardData(CF_DIB, Block(truncated.data(), truncated.size())), nullptr);
  EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(CloseClipboard());
  DeleteDC(mem);
}

}  // namespace
