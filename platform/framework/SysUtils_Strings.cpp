// String helpers. Searches walk the string character by character (lead byte + trail byte), so a
// trail byte never matches a delimiter, a quote or a pattern's first byte.
#include <algorithm>
#include "SysUtils.h"
#include "windows.h"

bool IsLeadByte(char C) { return IsDBCSLeadByte(static_cast<BYTE>(C)) != FALSE; }

std::size_t NextCharIndex(const AnsiString& S, std::size_t Index) {
  if (Index >= S.size()) return S.size();
  if (IsLeadByte(S[Index]) && Index + 1 < S.size() && S[Index + 1] != 0) return Index + 2;
  return Index + 1;
}

AnsiString Trim(const AnsiString& S) {
  std::size_t i = 0, n = S.size();
  while (i < n && static_cast<unsigned char>(S[i]) <= ' ') ++i;
  while (n > i && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
  return S.substr(i, n - i);
}

AnsiString TrimLeft(const AnsiString& S) {
  std::size_t i = 0;
  while (i < S.size() && static_cast<unsigned char>(S[i]) <= ' ') ++i;
  return S.substr(i);
}

AnsiString TrimRight(const AnsiString& S) {
  std::size_t n = S.size();
  while (n > 0 && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
  return S.substr(0, n);
}

AnsiString UpperCase(const AnsiString& S) {
  AnsiString r = S;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

AnsiString LowerCase(const AnsiString& S) {
  AnsiString r = S;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

int CompareStr(const AnsiString& S1, const AnsiString& S2) {
  std::size_t n = std::min(S1.size(), S2.size());
  for (std::size_t i = 0; i < n; ++i) {
    int d = static_cast<unsigned char>(S1[i]) - static_cast<unsigned char>(S2[i]);
    if (d != 0) return d;
  }
  return static_cast<int>(S1.size()) - static_cast<int>(S2.size());
}

int CompareText(const AnsiString& S1, const AnsiString& S2) {
  std::size_t n = std::min(S1.size(), S2.size());
  for (std::size_t i = 0; i < n; ++i) {
    int a = static_cast<unsigned char>(S1[i]);
    int b = static_cast<unsigned char>(S2[i]);
    if (a >= 'a' && a <= 'z') a -= 32;
    if (b >= 'a' && b <= 'z') b -= 32;
    if (a != b) return a - b;
  }
  return static_cast<int>(S1.size()) - static_cast<int>(S2.size());
}

bool SameStr(const AnsiString& S1, const AnsiString& S2) { return S1 == S2; }
bool SameText(const AnsiString& S1, const AnsiString& S2) { return CompareText(S1, S2) == 0; }

int AnsiPos(const AnsiString& SubStr, const AnsiString& S) {
  if (SubStr.empty() || SubStr.size() > S.size()) return 0;
  std::size_t last = S.size() - SubStr.size();
  for (std::size_t i = 0; i <= last; i = NextCharIndex(S, i)) {
    if (S.compare(i, SubStr.size(), SubStr) == 0) return static_cast<int>(i) + 1;
  }
  return 0;
}

AnsiString QuotedStr(const AnsiString& S) { return AnsiQuotedStr(S, '\''); }

AnsiString AnsiQuotedStr(const AnsiString& S, char Quote) {
  AnsiString r(1, Quote);
  for (std::size_t i = 0; i < S.size();) {
    std::size_t next = NextCharIndex(S, i);
    r.append(S, i, next - i);
    if (next == i + 1 && S[i] == Quote) r += Quote;
    i = next;
  }
  r += Quote;
  return r;
}

AnsiString AnsiExtractQuotedStr(const char*& Src, char Quote) {
  if (Src == nullptr || *Src != Quote) return AnsiString();
  const char* p = Src + 1;
  AnsiString r;
  while (*p != 0) {
    if (*p == Quote) {
      if (p[1] == Quote) {
        r += Quote;
        p += 2;
        continue;
      }
      ++p;  // closing quote
      Src = p;
      return r;
    }
    if (IsLeadByte(*p) && p[1] != 0) {
      r.append(p, 2);
      p += 2;
    } else {
      r += *p++;
    }
  }
  Src = p;  // no closing quote: the rest is the text
  return r;
}

AnsiString AnsiDequotedStr(const AnsiString& S, char Quote) {
  if (S.empty() || S[0] != Quote) return S;
  const char* p = S.c_str();
  AnsiString r = AnsiExtractQuotedStr(p, Quote);
  // Only a string that is one whole quoted item loses its quotes.
  if (p != S.c_str() + S.size() || S.size() < 2 || p[-1] != Quote) return S;
  return r;
}

AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern,
                         const AnsiString& NewPattern, TReplaceFlags Flags) {
  if (OldPattern.empty()) return S;
  bool ignoreCase = Flags.Contains(rfIgnoreCase);
  // Upper-casing keeps byte positions, so offsets found in the folded copy hold in S.
  AnsiString search = ignoreCase ? AnsiUpperCase(S) : S;
  AnsiString patt = ignoreCase ? AnsiUpperCase(OldPattern) : OldPattern;
  if (search.size() != S.size()) {
    search = S;
    patt = OldPattern;
  }
  AnsiString result;
  std::size_t pos = 0;
  const std::size_t n = S.size();
  while (pos < n) {
    std::size_t found = AnsiString::npos;
    for (std::size_t i = pos; i + patt.size() <= n; i = NextCharIndex(search, i)) {
      if (search.compare(i, patt.size(), patt) == 0) {
        found = i;
        break;
      }
    }
    if (found == AnsiString::npos) break;
    result.append(S, pos, found - pos);
    result += NewPattern;
    pos = found + patt.size();
    if (!Flags.Contains(rfReplaceAll)) break;
  }
  result.append(S, pos, AnsiString::npos);
  return result;
}

TMbcsByteType StrByteType(const char* Str, unsigned Index) {
  TMbcsByteType t = mbSingleByte;
  for (unsigned i = 0; i <= Index; ++i) {
    if (Str[i] == 0 && i < Index) return mbSingleByte;
    if (t == mbLeadByte) t = mbTrailByte;
    else t = IsLeadByte(Str[i]) ? mbLeadByte : mbSingleByte;
  }
  return t;
}

TMbcsByteType ByteType(const AnsiString& S, int Index) {
  if (Index < 1 || Index > static_cast<int>(S.size())) return mbSingleByte;
  std::size_t target = static_cast<std::size_t>(Index - 1);
  std::size_t i = 0;
  while (i < S.size()) {
    std::size_t next = NextCharIndex(S, i);
    if (target < next) return target == i ? (next - i == 2 ? mbLeadByte : mbSingleByte) : mbTrailByte;
    i = next;
  }
  return mbSingleByte;
}

int LastDelimiter(const AnsiString& Delimiters, const AnsiString& S) {
  int last = 0;
  for (std::size_t i = 0; i < S.size();) {
    std::size_t next = NextCharIndex(S, i);
    if (next == i + 1 && S[i] != 0 && Delimiters.find(S[i]) != AnsiString::npos)
      last = static_cast<int>(i) + 1;
    i = next;
  }
  return last;
}

bool IsDelimiter(const AnsiString& Delimiters, const AnsiString& S, int Index) {
  if (Index < 1 || Index > static_cast<int>(S.size())) return false;
  if (ByteType(S, Index) != mbSingleByte) return false;
  char c = S[static_cast<std::size_t>(Index - 1)];
  return c != 0 && Delimiters.find(c) != AnsiString::npos;
}

bool IsPathDelimiter(const AnsiString& S, int Index) { return IsDelimiter("\\/", S, Index); }

bool IsValidIdent(const AnsiString& Ident) {
  if (Ident.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(Ident[0])) return false;
  for (char c : Ident)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

AnsiString AdjustLineBreaks(const AnsiString& S) {
  AnsiString r;
  for (std::size_t i = 0; i < S.size(); ++i) {
    char c = S[i];
    if (c == '\r') {
      r += "\r\n";
      if (i + 1 < S.size() && S[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      r += "\r\n";
    } else {
      r += c;
    }
  }
  return r;
}
