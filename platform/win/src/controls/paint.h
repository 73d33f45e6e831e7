// Classic painting of the standard controls into a DC, apart from any window. Each painter
// draws with the font already selected into the DC and the system colours, and leaves the DC's
// objects, colours and background mode as it found them.
#pragma once
#include <string_view>
#include <vector>

#include "wingdi.h"
#include "wintypes.h"

namespace winplat::controls::paint {

// Classic 3D edges: a raised button outside, a sunken client edge (edits, list boxes, check
// boxes), and the etched line of group boxes and frames.
enum class Edge { Raised, Sunken, Etched, RaisedThin, SunkenThin };
void DrawEdge3D(HDC dc, const RECT& r, Edge edge);
void Fill(HDC dc, const RECT& r, COLORREF c);
void FillSys(HDC dc, const RECT& r, int colorIndex);

struct ButtonState {
  bool pushed = false;    // held down
  bool focused = false;
  bool isDefault = false;  // the default push button: a black frame round it
  bool disabled = false;
  int check = 0;           // BST_UNCHECKED 0, BST_CHECKED 1, BST_INDETERMINATE 2
};

// The texts take "&" prefixes (the mnemonic is underlined) unless noPrefix.
void PushButton(HDC dc, const RECT& r, std::u16string_view text, const ButtonState& s, bool noPrefix = false);
// The box or circle sits at the left (at the right with leftText); the text follows it.
void CheckBox(HDC dc, const RECT& r, std::u16string_view text, const ButtonState& s, bool leftText = false);
void RadioButton(HDC dc, const RECT& r, std::u16string_view text, const ButtonState& s, bool leftText = false);
void GroupBox(HDC dc, const RECT& r, std::u16string_view text, bool disabled);
// The 13 x 13 glyphs alone (also used by list and toolbar painters).
void CheckGlyph(HDC dc, int x, int y, int check, bool pushed, bool disabled);
void RadioGlyph(HDC dc, int x, int y, bool checked, bool pushed, bool disabled);

// Static text: DrawText flags from the SS_ style (left, centre, right, no prefix, word wrap
// unless SS_LEFTNOWORDWRAP or simple).
void StaticText(HDC dc, const RECT& r, std::u16string_view text, UINT dtFlags, bool disabled);

// An edit field's inside (its border drawn by the caller with DrawEdge3D): the shown text from
// scroll x, the selection highlighted, grey when disabled or read-only. Answers the caret's x
// (client coordinates) for the caret position `caret` (in shown text).
int EditField(HDC dc, const RECT& client, std::u16string_view shown, size_t selStart, size_t selEnd,
              size_t caret, int scrollX, bool focused, bool disabled, bool readOnly);
// The x extent of the first `count` units of `text` in the DC's font.
int TextWidth(HDC dc, std::u16string_view text, size_t count);
// The shown position nearest to x (for clicks), with scroll x.
size_t PosFromX(HDC dc, std::u16string_view text, int x, int scrollX);

// One list box row.
void ListItem(HDC dc, const RECT& row, std::u16string_view text, bool selected, bool focusRect, bool disabled,
              bool controlFocused);

// CLR_DEFAULT of the common controls: the system's colour for the part.
inline constexpr COLORREF kDefaultColor = 0xFF000000u;

// A progress bar: sunken frame, then blocks (or one smooth bar) for pos in [lo, hi].
void ProgressBar(HDC dc, const RECT& r, int lo, int hi, int pos, bool smooth, bool vertical, COLORREF bar);

// A toolbar button face: flat (hot and pressed only raise or sink it) or raised.
struct ToolState {
  bool pressed = false;
  bool checked = false;
  bool hot = false;
  bool disabled = false;
  bool flat = true;
};
void ToolButtonFace(HDC dc, const RECT& r, const ToolState& s);

// An arrow in a square (up-down buttons, scroll bars): dir 0 up, 1 down, 2 left, 3 right.
void ArrowButton(HDC dc, const RECT& r, int dir, bool pushed, bool disabled);

}  // namespace winplat::controls::paint
