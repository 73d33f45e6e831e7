// The ZIP library's resources: string-table strings, dialog templates and icons.
// The dialog texts are Japanese (ANSI, code page 932 at run time).
#pragma once

#include <cstdint>
#include <span>

#include "windows.h"

namespace mfc {

// String-table identifiers.
inline constexpr UINT IDS_ERROR_NAME = 1;      // "error:  %s%s %s"
inline constexpr UINT IDS_ERROR = 2;           // "error:  %s%s"
inline constexpr UINT IDS_LIST_SHORT = 4;      // short listing line

// Dialog templates and icons.
inline constexpr UINT IDD_OVERWRITE = 130;
inline constexpr UINT IDD_EXTMSG = 131;
inline constexpr UINT IDD_PASSWORD = 135;
inline constexpr UINT IDI_PASSWORD = 136;
inline constexpr UINT IDI_OVERWRITE = 138;

// A string-table string, or nullptr.
const char* LoadStringResource(UINT id);

enum class ControlKind : uint8_t { Button, DefButton, Static, Edit, Password, Progress, Icon };

// Positions and sizes are dialog units.
struct ControlTemplate {
  int id;            // -1 for a static without an identifier
  ControlKind kind;
  const char* text;  // for an icon: nullptr (its resource is icon_id)
  short x, y, cx, cy;
  UINT icon_id = 0;
};

struct DialogTemplate {
  UINT id;
  const char* title;
  short cx, cy;
  std::span<const ControlTemplate> controls;
};

// The template, or nullptr.
const DialogTemplate* FindDialogTemplate(UINT id);

// The template as the window layer builds dialogs from it (ANSI texts turned into wide text,
// kept for the life of the process), or nullptr.
const DLGTEMPLATEW* LoadDialogTemplate(UINT id);

// Icon pixels: ICON_SIZE x ICON_SIZE, 0x00RRGGBB, row 0 at the top; ICON_CLEAR marks what shows
// the dialog's face.
inline constexpr int ICON_SIZE = 32;
inline constexpr uint32_t ICON_CLEAR = 0xFF000000u;
// The pixels of icon `id` (ICON_SIZE * ICON_SIZE of them), or an empty span.
std::span<const uint32_t> LoadIconPixels(UINT id);

}  // namespace mfc
