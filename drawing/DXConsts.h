// Messages of the drawing layer.
#pragma once

extern const char* const SInvalidDIB;              // "不正な DIB です"
extern const char* const SInvalidDIBPixelFormat;   // "不正なピクセルフォーマットです"
extern const char* const SInvalidDIBBitCount;      // "不正なビット数です (%d)"
extern const char* const SCannotMade;              // "%s を作成できません"
extern const char* const SCannotInitialized;       // "%s を初期化できません"
extern const char* const SNotMade;                 // "%s は作成されていません"
extern const char* const SSinceDirectX6;           // "DirectX 6 以降が必要です"
extern const char* const SSinceDirectX7;           // "DirectX 7 以降が必要です"
extern const char* const SImageNotFound;           // "画像 '%s' が見つかりません"
extern const char* const SDirectDraw;              // "DirectDraw"
extern const char* const SDirectDrawClipper;       // "クリッパー"
extern const char* const SDirectDrawSurface;       // "サーフェース"
extern const char* const SDirectDrawPrimarySurface;  // "プライマリサーフェース"
extern const char* const SDIB;                     // "DIB"
