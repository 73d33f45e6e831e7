// The ZIP library's resources: string-table strings, dialog templates and icon identifiers.
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

struct ControlTemplate {
  int id;            // -1 for a static without an identifier
  ControlKind kind;
  const char* text;  // for an icon: nullptr (its resource is icon_id)
  UINT icon_id = 0;
};

struct DialogTemplate {
  UINT id;
  const char* title;
  std::span<const ControlTemplate> controls;
};

// The template, or nullptr.
const DialogTemplate* FindDialogTemplate(UINT id);

}  // namespace mfc
