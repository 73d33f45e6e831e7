// Archiver options: one switch per letter of the archiver libraries' commands, plus the
// component's own settings. And the file arguments of Extract and Pack.
#pragma once
#include <memory>
#include <vector>

#include "Classes.h"
#include "System.h"

// The 63 number switches (-1: not given), in published order.
#define VSE_ARCHIVER_NUMBER_SWITCHES(X)                                                                           \
  X(a) X(c) X(e) X(f) X(h) X(i) X(l) X(m) X(n) X(o) X(p) X(r) X(s) X(t) X(u) X(x) X(y) X(z) X(jc) X(jd) X(je)   \
  X(jf) X(jh) X(ji) X(jm) X(jn) X(jp) X(jr) X(jsb) X(jsc) X(jsd) X(jse) X(jsf) X(jsl) X(jso) X(jss) X(jst)      \
  X(jsv) X(jsz) X(jw) X(jyc) X(jyd) X(jyk) X(jyn) X(jyo) X(ga) X(gd) X(ge) X(gf) X(gj) X(gm) X(gn) X(go) X(gp) \
  X(gs) X(gu) X(gw) X(gya) X(gyc) X(gyo) X(gyq) X(gys) X(gyx)
// The 9 text switches (the not-given marker when not given).
#define VSE_ARCHIVER_TEXT_SWITCHES(X) X(w) X(jo) X(job) X(jz) X(gr) X(gyd) X(gye) X(gyt) X(gyw)

// The text of a text switch that is not given: one NUL character. An empty text is given.
extern const AnsiString kNotGiven;
inline bool IsNotGiven(const AnsiString& S) { return S == kNotGiven; }

enum TPackFilter { pfArchiver, pfComponent };
enum TResFileUse { ruOnPack, ruOnUnpack, ruOnRemoveItem, ruOnUpdate };
using TResFileUsage = TSet<TResFileUse>;

class TArchiverOptions : public TPersistent {
 public:
  TArchiverOptions();
  ~TArchiverOptions() override;
  // Every property to its reset value (IncludeExtraStreams and StreamSeparator stay).
  void SetDefaults();

#define VSE_NUMBER_ACCESSORS(n)          \
  int8_t n() const { return F_##n; }     \
  void Set##n(int8_t Value) { F_##n = Value; }
  VSE_ARCHIVER_NUMBER_SWITCHES(VSE_NUMBER_ACCESSORS)
#undef VSE_NUMBER_ACCESSORS
#define VSE_TEXT_ACCESSORS(n)                  \
  const AnsiString& n() const { return F_##n; } \
  void Set##n(const AnsiString& Value) { F_##n = Value; }
  VSE_ARCHIVER_TEXT_SWITCHES(VSE_TEXT_ACCESSORS)
#undef VSE_TEXT_ACCESSORS

  // Exclusion patterns (owned).
  TStringList* jx() const { return F_jx.get(); }
  void Setjx(TStrings* Value) { F_jx->Assign(Value); }
  const AnsiString& UserOptions() const { return FUserOptions; }
  void SetUserOptions(const AnsiString& Value) { FUserOptions = Value; }
  const AnsiString& UserFileList() const { return FUserFileList; }
  void SetUserFileList(const AnsiString& Value) { FUserFileList = Value; }
  TPackFilter PackFilter() const { return FPackFilter; }
  void SetPackFilter(TPackFilter Value) { FPackFilter = Value; }
  const AnsiString& ResFileName() const { return FResFileName; }
  void SetResFileName(const AnsiString& Value) { FResFileName = Value; }
  TResFileUsage ResFileUsage() const { return FResFileUsage; }
  void SetResFileUsage(TResFileUsage Value) { FResFileUsage = Value; }
  bool IncludeExtraStreams() const { return FIncludeExtraStreams; }
  void SetIncludeExtraStreams(bool Value) { FIncludeExtraStreams = Value; }
  const AnsiString& StreamSeparator() const { return FStreamSeparator; }
  void SetStreamSeparator(const AnsiString& Value) { FStreamSeparator = Value; }

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
#define VSE_NUMBER_FIELD(n) int8_t F_##n = -1;
  VSE_ARCHIVER_NUMBER_SWITCHES(VSE_NUMBER_FIELD)
#undef VSE_NUMBER_FIELD
#define VSE_TEXT_FIELD(n) AnsiString F_##n;
  VSE_ARCHIVER_TEXT_SWITCHES(VSE_TEXT_FIELD)
#undef VSE_TEXT_FIELD
  std::unique_ptr<TStringList> F_jx;
  AnsiString FUserOptions;
  AnsiString FUserFileList;
  TPackFilter FPackFilter = pfComponent;
  AnsiString FResFileName;
  TResFileUsage FResFileUsage;
  bool FIncludeExtraStreams = true;
  AnsiString FStreamSeparator;
};

// One element of the file arguments: a text, a nil-terminated array of texts (a nil pointer
// gives none), a string list (each of its strings), or a wide text.
class TFileArg {
 public:
  enum TKind { fkText, fkPointer, fkStrings, fkWide };
  TFileArg(const char* Text) : kind_(fkText), text_(Text ? Text : "") {}
  TFileArg(const AnsiString& Text) : kind_(fkText), text_(Text) {}
  TFileArg(const char* const* Names) : kind_(fkPointer), names_(Names) {}
  TFileArg(std::nullptr_t) : kind_(fkPointer) {}
  TFileArg(TStrings* Strings) : kind_(fkStrings), strings_(Strings) {}
  TFileArg(const char16_t* Text) : kind_(fkWide), wide_(Text ? Text : u"") {}
  TFileArg(const WideString& Text) : kind_(fkWide), wide_(Text) {}

  TKind Kind() const { return kind_; }
  const AnsiString& Text() const { return text_; }
  const char* const* Names() const { return names_; }
  TStrings* Strings() const { return strings_; }
  const WideString& Wide() const { return wide_; }

 private:
  TKind kind_;
  AnsiString text_;
  const char* const* names_ = nullptr;
  TStrings* strings_ = nullptr;
  WideString wide_;
};
using TFileArgs = std::vector<TFileArg>;

// The names of the file arguments in order. SkipEmpty leaves out empty texts.
std::unique_ptr<TStringList> CollectNames(const TFileArgs& Files, bool SkipEmpty = true);
