#include "UcWideStrings.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "SysUtils.h"
#include "UcClasses.h"
#include "UcSystem.h"
#include "UcWideStrUtils.h"

namespace {

class AnsiUpdateScope {
 public:
  explicit AnsiUpdateScope(TStrings* S) : s_(S) { s_->BeginUpdate(); }
  ~AnsiUpdateScope() { s_->EndUpdate(); }
  AnsiUpdateScope(const AnsiUpdateScope&) = delete;
  AnsiUpdateScope& operator=(const AnsiUpdateScope&) = delete;

 private:
  TStrings* s_;
};

bool IsLineBreak(WideChar c) { return c == u'\n' || c == u'\r' || c == u'\u2028'; }

}  // namespace

TWideStrings::~TWideStrings() { SetStringsAdapter(nullptr); }

void TWideStrings::Error(const char* Msg, int Data) {
  const TResStringRec message{nullptr, reinterpret_cast<uintptr_t>(Msg)};
  throw EStringListError(Format(WideToAnsi(LoadWideResourceString(&message)), {Data}));
}

void TWideStrings::BeginUpdate() {
  if (update_count_ == 0) SetUpdateState(true);
  ++update_count_;
}

void TWideStrings::EndUpdate() {
  if (update_count_ <= 0) return;
  if (--update_count_ == 0) SetUpdateState(false);
}

void TWideStrings::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* wide = dynamic_cast<TWideStrings*>(Source)) {
    TWideStringsUpdate update(this);
    Clear();
    defined_flags_ = wide->defined_flags_;
    quote_char_ = wide->quote_char_;
    delimiter_ = wide->delimiter_;
    AddStrings(wide);
    return;
  }
  if (auto* ansi = dynamic_cast<TStrings*>(Source)) {
    TWideStringsUpdate update(this);
    Clear();
    SetQuoteChar(static_cast<WideChar>(static_cast<unsigned char>(ansi->QuoteChar())));
    SetDelimiter(static_cast<WideChar>(static_cast<unsigned char>(ansi->Delimiter())));
    AddAnsiStrings(ansi);
    return;
  }
  TPersistent::Assign(Source);
}

void TWideStrings::AssignTo(TPersistent* Dest) {
  if (auto* wide = dynamic_cast<TWideStrings*>(Dest)) {
    wide->Assign(this);
    return;
  }
  if (auto* ansi = dynamic_cast<TStrings*>(Dest)) {
    AnsiUpdateScope update(ansi);
    ansi->Clear();
    ansi->SetQuoteChar(WideToAnsi(WideString(1, QuoteChar())).c_str()[0]);
    ansi->SetDelimiter(WideToAnsi(WideString(1, Delimiter())).c_str()[0]);
    const int n = Count();
    for (int i = 0; i < n; ++i) ansi->AddObject(WideToAnsi(Get(i)), GetObject(i));
    return;
  }
  TPersistent::AssignTo(Dest);
}

bool TWideStrings::Equals(TWideStrings* Strings) {
  const int n = Count();
  if (!Strings || n != Strings->Count()) return false;
  for (int i = 0; i < n; ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

WideString TWideStrings::GetTextStr() {
  const int n = Count();
  size_t total = 0;
  std::vector<WideString> lines;
  lines.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    lines.push_back(Get(i));
    total += lines.back().size() + 2;
  }
  WideString text;
  text.reserve(total);
  for (const auto& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

void TWideStrings::Put(int Index, const WideString& S) {
  TObject* object = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, object);
}

namespace {

// The end of the line that starts at p: its first CR, LF, U+2028 or NUL, or the text's end.
const WideChar* LineEnd(const WideChar* p, const WideChar* end) {
  for (; p < end; ++p) {
    const WideChar c = *p;
    if (c > u'\r') {  // most characters: one test, and one more for U+2028
      if (c == u'\u2028') break;
    } else if (c == u'\r' || c == u'\n' || c == 0) {
      break;
    }
  }
  return p;
}

// Calls Line(start, length) for each line of a text as SetTextStr splits it: at CR, LF, CR LF
// and U+2028 (each of them also after a CR LF), the text ending at its first NUL.
template <typename F>
void ForEachTextLine(const WideString& Value, F&& Line) {
  const WideChar* p = Value.c_str();
  const WideChar* end = p + Value.size();
  while (p < end && *p) {
    const WideChar* start = p;
    p = LineEnd(p, end);
    Line(start, static_cast<size_t>(p - start));
    if (p < end && *p == u'\r') ++p;
    if (p < end && *p == u'\n') ++p;
    if (p < end && *p == u'\u2028') ++p;
  }
}

}  // namespace

size_t MaxTextLines(const WideString& Value) {
  // One more than the line breaks: a CR LF counts twice, which only makes the bound looser.
  const WideChar* p = Value.data();
  const size_t n = Value.size();
  size_t breaks = 0, i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi16(u'\r'), lf = _mm_set1_epi16(u'\n');
  const __m128i ls = _mm_set1_epi16(static_cast<short>(0x2028));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)), _mm_cmpeq_epi16(v, ls));
    breaks += static_cast<size_t>(__builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(hit)))) / 2;
  }
#endif
  for (; i < n; ++i) breaks += IsLineBreak(p[i]);
  return breaks + 1;
}

void TWideStrings::SetTextStr(const WideString& Value) {
  TWideStringsUpdate update(this);
  Clear();
  WideString line;  // one buffer for every line: Add copies it
  ForEachTextLine(Value, [&](const WideChar* start, size_t length) {
    line.assign(start, length);
    Add(line);
  });
}

int TWideStrings::CompareStrings(const WideString& S1, const WideString& S2) { return WideCompareText(S1, S2); }

int TWideStrings::Add(const WideString& S) {
  const int index = Count();
  Insert(index, S);
  return index;
}

int TWideStrings::AddObject(const WideString& S, TObject* AObject) {
  const int index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TWideStrings::AddAnsiStrings(TStrings* Strings) {
  TWideStringsUpdate update(this);
  const int n = Strings->Count();
  for (int i = 0; i < n; ++i) AddObject(AnsiToWide(Strings->Strings(i)), Strings->Objects(i));
}

void TWideStrings::AddStrings(TWideStrings* Strings) {
  TWideStringsUpdate update(this);
  const int n = Strings->Count();  // taken first: adding a list to itself doubles it once
  for (int i = 0; i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TWideStrings::Exchange(int Index1, int Index2) {
  TWideStringsUpdate update(this);
  TObject* object = GetObject(Index1);
  const WideString s = Get(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, s);
  PutObject(Index2, object);
}

PWideChar TWideStrings::GetText() {
  const WideString text = GetTextStr();
  PWideChar buffer = WideBufAlloc(static_cast<int>(text.size()) + 1);
  WideBufMove(buffer, text.c_str(), static_cast<int>(text.size()) + 1);
  return buffer;
}

int TWideStrings::IndexOf(const WideString& S) {
  const int n = Count();
  for (int i = 0; i < n; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TWideStrings::IndexOfName(const WideString& Name) {
  const int n = Count();
  for (int i = 0; i < n; ++i) {
    const WideString s = Get(i);
    const size_t eq = s.find(NameValueSeparator);
    if (eq != WideString::npos && CompareStrings(s.substr(0, eq), Name) == 0) return i;
  }
  return -1;
}

int TWideStrings::IndexOfObject(TObject* AObject) {
  const int n = Count();
  for (int i = 0; i < n; ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TWideStrings::InsertObject(int Index, const WideString& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TWideStrings::LoadFromFile(const WideString& FileName) {
  TUcFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TWideStrings::LoadFromStream(TStream* Stream) {
  TWideStringsUpdate update(this);
  const int64_t size = Stream->Size() - Stream->Position();
  WideString text(static_cast<size_t>(size > 1 ? size / 2 : 0), u'\0');
  if (!text.empty()) Stream->ReadBuffer(text.data(), static_cast<int32_t>(text.size() * 2));
  SetTextStr(text);
}

void TWideStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TWideStringsUpdate update(this);
  const WideString s = Get(CurIndex);
  TObject* object = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, object);
}

void TWideStrings::SaveToFile(const WideString& FileName) {
  TUcFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TWideStrings::SaveToStream(TStream* Stream) {
  const WideString text = GetTextStr();
  if (!text.empty()) Stream->WriteBuffer(text.data(), static_cast<int32_t>(text.size() * 2));
}

void TWideStrings::SetText(const WideChar* Text) { SetTextStr(Text ? WideString(Text) : WideString()); }

WideString TWideStrings::Names(int Index) {
  const WideString s = Get(Index);
  const size_t eq = s.find(NameValueSeparator);
  return eq == WideString::npos ? WideString() : s.substr(0, eq);
}

WideString TWideStrings::Values(const WideString& Name) {
  const int i = IndexOfName(Name);
  if (i < 0) return WideString();
  const WideString s = Get(i);
  return s.substr(s.find(NameValueSeparator) + 1);
}

WideChar TWideStrings::Delimiter() {
  if (!(defined_flags_ & 1)) {
    defined_flags_ |= 1;
    delimiter_ = u',';
  }
  return delimiter_;
}

void TWideStrings::SetDelimiter(WideChar Value) {
  defined_flags_ |= 1;
  delimiter_ = Value;
}

WideChar TWideStrings::QuoteChar() {
  if (!(defined_flags_ & 2)) {
    defined_flags_ |= 2;
    quote_char_ = u'"';
  }
  return quote_char_;
}

void TWideStrings::SetQuoteChar(WideChar Value) {
  defined_flags_ |= 2;
  quote_char_ = Value;
}

void TWideStrings::SetStringsAdapter(std::shared_ptr<IWideStringsAdapter> Value) {
  if (adapter_) adapter_->ReleaseStrings();
  adapter_ = std::move(Value);
  if (adapter_) adapter_->ReferenceStrings(this);
}
