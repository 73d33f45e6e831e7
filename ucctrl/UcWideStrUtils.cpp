#include "UcWideStrUtils.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "SysUtils.h"

PWideChar WideBufAlloc(int Size) {
  if (Size < 0) Size = 0;
  const uint32_t total = static_cast<uint32_t>(Size) * 2u + 4u;
  auto* block = static_cast<uint8_t*>(std::malloc(total));
  if (!block) throw std::bad_alloc();
  std::memcpy(block, &total, 4);
  return reinterpret_cast<PWideChar>(block + 4);
}

void WideBufFree(PWideChar Buffer) {
  if (Buffer) std::free(reinterpret_cast<uint8_t*>(Buffer) - 4);
}

PWideChar WideBufMove(PWideChar Dest, const WideChar* Source, int Count) {
  if (Count > 0) std::memmove(Dest, Source, static_cast<size_t>(Count) * sizeof(WideChar));
  return Dest;
}

PWideChar WideBufDuplicate(const WideChar* Source) {
  if (!Source) return nullptr;
  const int n = WideBufLength(Source);
  PWideChar copy = WideBufAlloc(n + 1);
  WideBufMove(copy, Source, n + 1);
  return copy;
}

int WideBufLength(const WideChar* S) {
  if (!S) return 0;
  const WideChar* p = S;
  while (*p) ++p;
  return static_cast<int>(p - S);
}

PWideChar WideBufEnd(PWideChar S) { return S + WideBufLength(S); }

PWideChar WideBufCopyMax(PWideChar Dest, const WideChar* Source, int MaxLen) {
  int i = 0;
  if (Source)
    for (; i < MaxLen && Source[i]; ++i) Dest[i] = Source[i];
  Dest[i] = 0;
  return Dest;
}

PWideChar WideBufCopy(PWideChar Dest, const WideChar* Source) {
  return WideBufCopyMax(Dest, Source, WideBufLength(Source));
}

PWideChar WideBufFromAnsiMax(PWideChar Dest, const char* Ansi, int MaxLen) {
  const WideString wide = AnsiToWide(Ansi ? AnsiString(Ansi) : AnsiString());
  return WideBufCopyMax(Dest, wide.c_str(), MaxLen);
}

PWideChar WideBufFromAnsi(PWideChar Dest, const char* Ansi) {
  const WideString wide = AnsiToWide(Ansi ? AnsiString(Ansi) : AnsiString());
  return WideBufCopyMax(Dest, wide.c_str(), static_cast<int>(wide.size()));
}

PWideChar WideBufScan(PWideChar S, WideChar Ch) {
  if (!S) return nullptr;
  for (PWideChar p = S;; ++p) {
    if (*p == Ch) return p;
    if (!*p) return nullptr;
  }
}
