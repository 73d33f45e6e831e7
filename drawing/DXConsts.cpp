#include "DXConsts.h"

const char* const SInvalidDIB = "不正な DIB です";
const char* const SInvalidDIBPixelFormat = "不正なピクセルフォーマットです";
const char* const SInvalidDIBBitCount = "不正なビット数です (%d)";
const char* const SCannotMade = "%s を作成できません";
const char* const SCannotInitialized = "%s を初期化できません";
const char* const SNotMade = "%s は作成されていません";
const char* const SSinceDirectX6 = "DirectX 6 以降が必要です";
const char* const SSinceDirectX7 = "DirectX 7 以降が必要です";
const char* const SImageNotFound = "画像 '%s' が見つかりません";
const char* const SDirectDraw = "DirectDraw";
const char* const SDirectDrawClipper = "クリッパー";
const char* const SDirectDrawSurface = "サーフェース";
const char* const SDirectDrawPrimarySurface = "プライマリサーフェース";
const char* const SDIB = "DIB";
const char* const SNotFoundForm = "フォームが見つかりません";
const char* const SDisplayModeChange = "ディスプレイモードを変更できません (%dx%d %dbit)";
const char* const SNotFound3DDevice = "3D デバイスが見つかりません";
const char* const SInvalidDisplayBitCount = "8, 16, 24, 32 のいずれかの値でなければなりません";
