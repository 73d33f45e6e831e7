// The class library's message texts (its resource strings), in the Japanese edition's wording.
// Other units and layers raise with these, so one failure reads the same everywhere.
#pragma once

// SysUtils
inline constexpr const char* SInvalidInteger = "'%s' は有効な整数値ではありません";
inline constexpr const char* SInvalidFloat = "'%s' は有効な浮動小数点数値ではありません";
inline constexpr const char* SInvalidDate = "'%s' は有効な日付ではありません";
inline constexpr const char* SInvalidTime = "'%s' は有効な時刻ではありません";
inline constexpr const char* SInvalidDateTime = "'%s' は有効な日付および時刻ではありません";
inline constexpr const char* SInvalidFormat = "書式 '%s' が無効か、引数と矛盾しています";
inline constexpr const char* SArgumentMissing = "書式 '%s' に対応する引数がありません";
inline constexpr const char* SDateEncodeError = "日付のエンコードに無効な引数が指定されました";
inline constexpr const char* STimeEncodeError = "時刻のエンコードに無効な引数が指定されました";
inline constexpr const char* SOSError = "システム エラー。コード: %d。\r\n%s";
inline constexpr const char* SUnkOSError = "OS 関数の呼び出しに失敗しました";
inline constexpr const char* SAssertError = "%s (%s、%d 行)";
inline constexpr const char* SAssertionFailed = "アサーションに失敗しました";
inline constexpr const char* SOperationAborted = "操作は中止されました";
inline constexpr const char* SOutOfMemory = "メモリが不足しています";
inline constexpr const char* SInvalidCast = "無効なクラス型キャストです";
inline constexpr const char* SDivByZero = "0 で除算しました";
inline constexpr const char* SRangeError = "範囲チェック エラー";
inline constexpr const char* SIntOverflow = "整数オーバーフロー";
inline constexpr const char* SInvalidOp = "浮動小数点演算が無効です";
inline constexpr const char* SCannotCreateDir = "ディレクトリを作成できません";
inline constexpr const char* SInOutError = "I/O エラー %d";

// Classes
inline constexpr const char* SAssignError = "%s を %s に代入できません";
inline constexpr const char* SFCreateError = "ファイル %s を作成できません";
inline constexpr const char* SFOpenError = "ファイル %s は開けません";
inline constexpr const char* SReadError = "ストリームの読み込みエラーです";
inline constexpr const char* SWriteError = "ストリームの書き込みエラーです";
inline constexpr const char* SMemoryStreamError = "メモリ ストリームを拡張するためのメモリが不足しています";
inline constexpr const char* SListIndexError = "リストのインデックスが範囲を超えています (%d)";
inline constexpr const char* SListCapacityError = "リストの容量が範囲を超えています (%d)";
inline constexpr const char* SListCountError = "リストの要素数が範囲を超えています (%d)";
inline constexpr const char* SSortedListError = "ソート済みのリストではこの操作は実行できません";
inline constexpr const char* SDuplicateString = "文字列リストは重複を許しません";
inline constexpr const char* SBitsIndexError = "ビットのインデックスが範囲を超えています";
inline constexpr const char* SInvalidName = "'%s' はコンポーネント名として無効です";
inline constexpr const char* SDuplicateName = "%s という名前のコンポーネントはすでに存在します";
inline constexpr const char* SDuplicateItem = "リストは重複 ($0%x) を許しません";
inline constexpr const char* SInvalidProperty = "プロパティの値が無効です";
inline constexpr const char* SInvalidPropertyValue = "不正なプロパティの値です";
inline constexpr const char* SIniFileWriteError = "%s に書き込めません";
