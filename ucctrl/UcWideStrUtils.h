// Null-terminated wide (UTF-16) buffers.
//
// A buffer made by WideBufAlloc is one heap block: a 32-bit total size in bytes (2 per character
// plus 4) followed by the characters. The caller gets the address after the size word and gives
// that address back to WideBufFree.
#pragma once
#include "System.h"

PWideChar WideBufAlloc(int Size);
void WideBufFree(PWideChar Buffer);
PWideChar WideBufMove(PWideChar Dest, const WideChar* Source, int Count);
// A WideBufAlloc copy with the terminator; none for none.
PWideChar WideBufDuplicate(const WideChar* Source);
int WideBufLength(const WideChar* S);
PWideChar WideBufEnd(PWideChar S);
// Copies until the NUL or MaxLen characters and always writes a NUL after them.
PWideChar WideBufCopyMax(PWideChar Dest, const WideChar* Source, int MaxLen);
PWideChar WideBufCopy(PWideChar Dest, const WideChar* Source);
// Widens Ansi with the system code page, then copies as above.
PWideChar WideBufFromAnsiMax(PWideChar Dest, const char* Ansi, int MaxLen);
PWideChar WideBufFromAnsi(PWideChar Dest, const char* Ansi);
// The first Ch (the terminator itself when Ch is 0), or none.
PWideChar WideBufScan(PWideChar S, WideChar Ch);
