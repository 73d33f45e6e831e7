#include <algorithm>
#include <cmath>
#include <cstring>

#include "Classes.h"
#include "TypInfo.h"
#include "SysConst.h"

namespace {

constexpr int kMaxDepth = 200;  // nesting of lists and components

bool SameName(const AnsiString& a, const AnsiString& b) { return SameText(a, b); }

[[noreturn]] void InvalidImage() { throw EReadError(SInvalidImage); }
[[noreturn]] void PropValueError() { throw EReadError(SInvalidPropertyValue); }

// 80-bit extended <-> double, by fields (the host's long double need not be x87).
void DoubleToExtended(double d, uint8_t out[10]) {
  uint64_t mant = 0;
  uint16_t se = std::signbit(d) ? 0x8000 : 0;
  if (std::isnan(d)) {
    se |= 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(d)) {
    se |= 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (d != 0) {
    int e = 0;
    double m = std::frexp(std::fabs(d), &e);  // [0.5, 1)
    mant = static_cast<uint64_t>(std::ldexp(m, 64));
    se |= static_cast<uint16_t>(e - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mant >> (8 * i));
  out[8] = static_cast<uint8_t>(se);
  out[9] = static_cast<uint8_t>(se >> 8);
}

double ExtendedToDouble(const uint8_t in[10]) {
  uint64_t mant = 0;
  for (int i = 0; i < 8; ++i) mant |= static_cast<uint64_t>(in[i]) << (8 * i);
  uint16_t se = static_cast<uint16_t>(in[8] | (in[9] << 8));
  bool neg = (se & 0x8000) != 0;
  int exp = se & 0x7FFF;
  double r;
  if (exp == 0x7FFF)
    r = (mant << 1) == 0 ? INFINITY : NAN;
  else if (mant == 0)
    r = 0.0;
  else
    r = std::ldexp(static_cast<double>(mant), exp - 16383 - 63);
  return neg ? -r : r;
}

bool IsAscii(const WideString& s) {
  return std::all_of(s.begin(), s.end(), [](char16_t c) { return c < 0x80; });
}

struct DepthGuard {
  int& d;
  explicit DepthGuard(int& depth) : d(depth) {
    if (++d > kMaxDepth) {
      --d;
      InvalidImage();
    }
  }
  ~DepthGuard() { --d; }
};

}  // namespace

namespace streaming_detail {
void DoubleToExtended(double d, uint8_t out[10]) { ::DoubleToExtended(d, out); }
double ExtendedToDouble(const uint8_t in[10]) { return ::ExtendedToDouble(in); }
}  // namespace streaming_detail

// ---------------------------------------------------------------------------------------------
// TComponent's streaming defaults.
void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }
void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }
void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  if (Root != this) return;
  for (TComponent* c : components_)
    if (!c->HasParent()) Proc(c);
}

// ---------------------------------------------------------------------------------------------
void TFiler::CallDefineProperties(TPersistent* Instance) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = ClassInfoOf(Instance); c; c = c->Parent()) chain.push_back(c);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const auto& hook : (*it)->Defines) hook(Instance, this);
  Instance->DefineProperties(this);
}

// ---------------------------------------------------------------------------------------------
// TReader
TReader::TReader(TStream* Stream, int) : TFiler(Stream) {}
TReader::~TReader() = default;

void TReader::Read(void* Buf, int32_t Count) {
  if (Count > 0) stream_->ReadBuffer(Buf, Count);
}

int64_t TReader::Remaining() {
  int64_t pos = stream_->Position();
  int64_t size = stream_->Size();
  return pos < 0 || size < pos ? 0 : size - pos;
}

uint32_t TReader::ReadLength() {
  uint32_t n = 0;
  uint8_t b[4];
  Read(b, 4);
  n = static_cast<uint32_t>(b[0] | (b[1] << 8) | (b[2] << 16)) | (static_cast<uint32_t>(b[3]) << 24);
  if (n > Remaining()) throw EReadError(SReadError);
  return n;
}

void TReader::SkipBytes(int64_t Count) {
  if (Count > Remaining()) throw EReadError(SReadError);
  stream_->Seek(Count, soCurrent);
}

TValueType TReader::ReadValue() {
  uint8_t b;
  Read(&b, 1);
  if (b > vaUTF8String) InvalidImage();
  return static_cast<TValueType>(b);
}

// A peek: a prefix byte of a component (0xF0 and up) is not refused here.
TValueType TReader::NextValue() {
  uint8_t b;
  Read(&b, 1);
  stream_->Seek(-1, soCurrent);
  return static_cast<TValueType>(b);
}

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) {
    stream_->Seek(-1, soCurrent);
    SkipValue();
    PropValueError();
  }
}

bool TReader::EndOfList() { return NextValue() == vaNull; }

int64_t TReader::ReadInt64() {
  switch (ReadValue()) {
    case vaInt8: { int8_t v; Read(&v, 1); return v; }
    case vaInt16: { uint8_t b[2]; Read(b, 2); return static_cast<int16_t>(b[0] | (b[1] << 8)); }
    case vaInt32: {
      uint8_t b[4]; Read(b, 4);
      return static_cast<int32_t>(static_cast<uint32_t>(b[0] | (b[1] << 8) | (b[2] << 16)) |
                                  (static_cast<uint32_t>(b[3]) << 24));
    }
    case vaInt64: {
      uint8_t b[8]; Read(b, 8);
      uint64_t v = 0;
      for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(b[i]) << (8 * i);
      return static_cast<int64_t>(v);
    }
    default: stream_->Seek(-1, soCurrent); SkipValue(); PropValueError();
  }
}

int32_t TReader::ReadInteger() {
  if (NextValue() == vaInt64) {
    SkipValue();
    PropValueError();
  }
  return static_cast<int32_t>(ReadInt64());
}

bool TReader::ReadBoolean() {
  TValueType v = ReadValue();
  if (v == vaTrue) return true;
  if (v == vaFalse) return false;
  stream_->Seek(-1, soCurrent);
  SkipValue();
  PropValueError();
}

char TReader::ReadChar() {
  AnsiString s = ReadString();
  if (s.size() != 1) PropValueError();
  return s[0];
}

WideChar TReader::ReadWideChar() {
  WideString s = ReadWideString();
  if (s.size() != 1) PropValueError();
  return s[0];
}

long double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      uint8_t b[10];
      Read(b, 10);
      return ExtendedToDouble(b);
    }
    case vaSingle: return ReadSingle();
    case vaCurrency: return ReadCurrency();
    case vaDate: return ReadDate();
    default: return static_cast<long double>(ReadInt64());
  }
}

float TReader::ReadSingle() {
  if (NextValue() != vaSingle) return static_cast<float>(ReadInt64());
  ReadValue();
  uint8_t b[4];
  Read(b, 4);
  uint32_t u = static_cast<uint32_t>(b[0] | (b[1] << 8) | (b[2] << 16)) | (static_cast<uint32_t>(b[3]) << 24);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

double TReader::ReadCurrency() {
  if (NextValue() != vaCurrency) return static_cast<double>(ReadInt64());
  return static_cast<double>(ReadCurrencyUnits()) / 10000.0;
}

int64_t TReader::ReadCurrencyUnits() {
  CheckValue(vaCurrency);
  uint8_t b[8];
  Read(b, 8);
  uint64_t u = 0;
  for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(b[i]) << (8 * i);
  return static_cast<int64_t>(u);
}

TDateTime TReader::ReadDate() {
  if (NextValue() != vaDate) return static_cast<double>(ReadInt64());
  ReadValue();
  uint8_t b[8];
  Read(b, 8);
  uint64_t u = 0;
  for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(b[i]) << (8 * i);
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}

AnsiString TReader::ReadStr() {
  uint8_t n;
  Read(&n, 1);
  AnsiString s(n, '\0');
  Read(s.data(), n);
  return s;
}

AnsiString TReader::ReadString() {
  switch (NextValue()) {
    case vaWString:
    case vaUTF8String: return WideToAnsi(ReadWideString());
    default: break;
  }
  TValueType v = ReadValue();
  if (v == vaString) return ReadStr();
  if (v == vaLString) {
    uint32_t n = ReadLength();
    AnsiString s(n, '\0');
    Read(s.data(), static_cast<int32_t>(n));
    return s;
  }
  stream_->Seek(-1, soCurrent);
  SkipValue();
  PropValueError();
}

WideString TReader::ReadWideString() {
  TValueType v = NextValue();
  if (v == vaString || v == vaLString) return AnsiToWide(ReadString());
  ReadValue();
  if (v == vaWString) {
    uint32_t n = ReadLength();
    if (n > Remaining() / 2) throw EReadError(SReadError);
    std::vector<uint8_t> b(static_cast<std::size_t>(n) * 2);
    Read(b.data(), static_cast<int32_t>(b.size()));
    WideString s(n, u'\0');
    for (uint32_t i = 0; i < n; ++i) s[i] = static_cast<char16_t>(b[2 * i] | (b[2 * i + 1] << 8));
    return s;
  }
  if (v == vaUTF8String) {
    uint32_t n = ReadLength();
    std::string s(n, '\0');
    Read(s.data(), static_cast<int32_t>(n));
    return UTF8Decode(s);
  }
  stream_->Seek(-1, soCurrent);
  SkipValue();
  PropValueError();
}

AnsiString TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: stream_->Seek(-1, soCurrent); SkipValue(); PropValueError();
  }
}

void TReader::ReadSignature() {
  char sig[4];
  Read(sig, 4);
  if (std::memcmp(sig, "TPF0", 4) != 0) InvalidImage();
}

void TReader::ReadPrefix(TFilerFlags& Flags, int& AChildPos) {
  Flags = TFilerFlags();
  AChildPos = 0;
  uint8_t b;
  Read(&b, 1);
  if ((b & 0xF0) == 0xF0) {
    Flags = TFilerFlags::FromBits(b & 0x07);
    if (Flags.Contains(ffChildPos)) AChildPos = ReadInteger();
  } else {
    stream_->Seek(-1, soCurrent);
  }
}

void TReader::SkipSetBody() {
  while (true) {
    uint8_t n;
    Read(&n, 1);
    if (n == 0) break;
    SkipBytes(n);
  }
}

void TReader::SkipValue() {
  DepthGuard g(depth_);
  switch (ReadValue()) {
    case vaNull: break;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaInt8: SkipBytes(1); break;
    case vaInt16: SkipBytes(2); break;
    case vaInt32: case vaSingle: SkipBytes(4); break;
    case vaExtended: SkipBytes(10); break;
    case vaString: case vaIdent: { uint8_t n; Read(&n, 1); SkipBytes(n); break; }
    case vaFalse: case vaTrue: case vaNil: break;
    case vaBinary: case vaLString: case vaUTF8String: SkipBytes(ReadLength()); break;
    case vaWString: {
      uint32_t n = ReadLength();
      SkipBytes(static_cast<int64_t>(n) * 2);
      break;
    }
    case vaSet: SkipSetBody(); break;
    case vaCollection:
      while (!EndOfList()) {
        TValueType v = NextValue();
        if (v == vaInt8 || v == vaInt16 || v == vaInt32) ReadInteger();
        CheckValue(vaList);
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    case vaCurrency: case vaDate: case vaInt64: SkipBytes(8); break;
  }
}

void TReader::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                             const TWriterProc&, bool) {
  if (ReadData && !prop_name_.empty() && SameName(Name, prop_name_)) {
    prop_name_.clear();
    ReadData(this);
  }
}

void TReader::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                   const TStreamProc&, bool) {
  if (ReadData && !prop_name_.empty() && SameName(Name, prop_name_)) {
    prop_name_.clear();
    CheckValue(vaBinary);
    uint32_t n = ReadLength();
    TMemoryStream ms;
    ms.SetSize(n);
    Read(ms.Memory(), static_cast<int32_t>(n));
    ms.SetPosition(0);
    ReadData(&ms);
  }
}

void TReader::ReadProperty(TPersistent* AInstance) {
  AnsiString full = ReadStr();
  TPersistent* instance = AInstance;
  std::size_t start = 0;
  while (true) {
    std::size_t dot = full.find('.', start);
    if (dot == AnsiString::npos) break;
    AnsiString seg = full.substr(start, dot - start);
    const TPropInfo* p = GetPropInfo(instance, seg);
    if (!p) throw EReadError(SUnknownProperty, {seg});
    if (p->Kind != tkClass || p->ClassKind != cpOwned) throw EReadError(SInvalidPropertyPath);
    auto* sub = dynamic_cast<TPersistent*>(p->GetObj(instance));
    if (!sub) throw EReadError(SInvalidPropertyPath);
    instance = sub;
    start = dot + 1;
  }
  prop_name_ = full.substr(start);
  if (prop_name_.empty()) throw EReadError(SInvalidPropertyPath);
  AnsiString name = prop_name_;
  CallDefineProperties(instance);
  if (prop_name_.empty()) return;
  prop_name_.clear();
  const TPropInfo* p = GetPropInfo(instance, name);
  if (!p && !ClassInfoOf(instance)) throw EReadError(SClassNotFound, {instance->ClassName()});  // never declared
  if (!p) throw EReadError(SUnknownProperty, {name});
  try {
    ReadPropValue(instance, p);
  } catch (const EPropertyError& e) {
    throw EReadError(e.Message());
  }
}

void TReader::ReadSetValue(TPersistent* Instance, const TPropInfo* Prop) {
  CheckValue(vaSet);
  uint64_t bits = 0;
  bool bad = false;
  while (true) {
    AnsiString n = ReadStr();
    if (n.empty()) break;
    int64_t v = GetEnumValue(Prop, n);
    if (v < 0 || v >= 64) bad = true;
    else bits |= uint64_t{1} << v;
  }
  if (bad) PropValueError();
  SetOrdProp(Instance, Prop, static_cast<int64_t>(bits));
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* Prop) {
  switch (Prop->Kind) {
    case tkInteger:
    case tkInt64: {
      if (NextValue() == vaIdent && Prop->IdentToInt) {
        AnsiString id = ReadIdent();
        int32_t v;
        if (!Prop->IdentToInt(id, v)) PropValueError();
        SetOrdProp(Instance, Prop, v);
      } else {
        SetOrdProp(Instance, Prop, Prop->Kind == tkInt64 ? ReadInt64() : ReadInteger());
      }
      break;
    }
    case tkChar: SetOrdProp(Instance, Prop, static_cast<uint8_t>(ReadChar())); break;
    case tkWChar: SetOrdProp(Instance, Prop, ReadWideChar()); break;
    case tkEnumeration: {
      TValueType v = NextValue();
      if (v == vaInt8 || v == vaInt16 || v == vaInt32) {
        int64_t n = ReadInteger();
        if (n < 0 || !Prop->Names || n >= static_cast<int64_t>(Prop->Names->size())) PropValueError();
        SetOrdProp(Instance, Prop, n);
      } else {
        int64_t n = GetEnumValue(Prop, ReadIdent());
        if (n < 0) PropValueError();
        SetOrdProp(Instance, Prop, n);
      }
      break;
    }
    case tkSet: ReadSetValue(Instance, Prop); break;
    case tkFloat: {
      long double f = ReadFloat();
      SetFloatProp(Instance, Prop, static_cast<double>(f));
      break;
    }
    case tkLString: SetStrProp(Instance, Prop, ReadString()); break;
    case tkWString: SetWideStrProp(Instance, Prop, ReadWideString()); break;
    case tkMethod: {
      if (NextValue() == vaNil) {
        ReadValue();
        SetMethodProp(Instance, Prop, TMethod{});
        break;
      }
      AnsiString name = ReadIdent();
      TMethod m = MethodOf(root_, name);
      if (!m.Assigned()) {
        if (IgnoreMissingMethods) break;
        throw EReadError(SMethodNotFound, {name});
      }
      SetMethodProp(Instance, Prop, m);
      break;
    }
    case tkClass: {
      TValueType v = NextValue();
      if (v == vaNil) {
        ReadValue();
        if (Prop->SetObj) Prop->SetObj(Instance, nullptr);
        break;
      }
      if (Prop->ClassKind == cpComponentRef) {
        if (v != vaIdent) {
          SkipValue();
          PropValueError();
        }
        AnsiString name = ReadIdent();
        if (!Prop->SetObj) break;
        fixups_.push_back({Instance, Prop, name});
        break;
      }
      if (v == vaCollection) {
        auto* coll = dynamic_cast<TCollection*>(Prop->GetObj(Instance));
        if (!coll) {
          SkipValue();
          PropValueError();
        }
        ReadCollection(coll);
        break;
      }
      SkipValue();
      PropValueError();
    }
    default: SkipValue(); PropValueError();
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  DepthGuard g(depth_);
  CheckValue(vaCollection);
  Collection->BeginUpdate();
  try {
    Collection->Clear();
    while (!EndOfList()) {
      TValueType v = NextValue();
      if (v == vaInt8 || v == vaInt16 || v == vaInt32) ReadInteger();
      TCollectionItem* item = Collection->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    Collection->EndUpdate();
    throw;
  }
  Collection->EndUpdate();
}

void TReader::ReadData(TComponent* Instance) {
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  TComponent* old_parent = parent_;
  TComponent* old_owner = owner_;
  parent_ = Instance->GetChildParent();
  owner_ = Instance->GetChildOwner();
  if (!owner_) owner_ = root_;
  try {
    while (!EndOfList()) ReadComponent(nullptr);
    ReadListEnd();
  } catch (...) {
    parent_ = old_parent;
    owner_ = old_owner;
    throw;
  }
  parent_ = old_parent;
  owner_ = old_owner;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  DepthGuard g(depth_);
  TFilerFlags flags;
  int child_pos = 0;
  ReadPrefix(flags, child_pos);
  AnsiString cls = ReadStr();
  AnsiString name = ReadStr();
  TComponent* result = Component;
  std::unique_ptr<TComponent> made;
  if (!result) {
    if (flags.Contains(ffInherited)) {
      result = owner_ ? owner_->FindComponent(name) : nullptr;
      if (!result) throw EReadError(SAncestorNotFound, {name});
    } else {
      const TClassInfo* ci = FindClass(cls);
      if (!ci->Create) throw EClassNotFound(SClassNotFound, {cls});
      made.reset(ci->Create(owner_));
      result = made.get();
      result->IncludeState(csLoading);
      result->IncludeState(csReading);
      result->SetName(name);
      if (owner_ == root_) SetComponentField(root_, result);
      if (parent_) result->SetParentComponent(parent_);
    }
  }
  result->IncludeState(csLoading);
  result->IncludeState(csReading);
  try {
    if (flags.Contains(ffChildPos) && parent_) parent_->SetChildOrder(result, child_pos);
    result->ReadState(this);
  } catch (...) {
    // The component made here goes; the root's field must not point at it.
    if (made && owner_ == root_) SetComponentField(root_, made->Name(), nullptr);
    throw;
  }
  made.release();
  std::vector<TComponent*>& list = shared_loaded_ ? *shared_loaded_ : loaded_;
  if (std::find(list.begin(), list.end(), result) == list.end()) list.push_back(result);
  return result;
}

namespace {
std::function<TComponent*(const AnsiString&)> g_find_global;
}

void SetFindGlobalComponent(std::function<TComponent*(const AnsiString& Name)> Find) {
  g_find_global = std::move(Find);
}

void TReader::ResolveFixups() {
  std::vector<Fixup> pending;
  pending.swap(fixups_);
  for (const Fixup& f : pending) {
    TComponent* target = nullptr;
    if (root_) {
      if (SameName(f.Name, root_->Name()) || SameName(f.Name, "Owner")) target = root_;
      else target = root_->FindComponent(f.Name);
    }
    // "Form.Component", or another root by its name, through the global lookup.
    if (!target && g_find_global) {
      std::size_t dot = f.Name.find('.');
      TComponent* global = g_find_global(dot == AnsiString::npos ? f.Name : f.Name.substr(0, dot));
      if (global && dot != AnsiString::npos) target = global->FindComponent(f.Name.substr(dot + 1));
      else if (dot == AnsiString::npos) target = global;
    }
    // A name that is not found is left unset: the reference stays empty.
    if (target) {
      try {
        f.Prop->SetObj(f.Instance, target);
      } catch (const EPropertyError& e) {
        throw EReadError(e.Message());
      }
    }
  }
}

void TReader::CallLoaded() {
  std::vector<TComponent*> list;
  list.swap(loaded_);
  for (TComponent* c : list) c->ExcludeState(csReading);
  for (TComponent* c : list) {
    c->Loaded();
    c->ExcludeState(csLoading);
  }
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  ReadSignature();
  TFilerFlags flags;
  int pos;
  ReadPrefix(flags, pos);
  ReadStr();  // the class name: the root exists already
  AnsiString name = ReadStr();
  root_ = Root;
  lookup_root_ = Root;
  std::vector<TComponent*>& list = shared_loaded_ ? *shared_loaded_ : loaded_;
  try {
    Root->IncludeState(csLoading);
    Root->IncludeState(csReading);
    if (std::find(list.begin(), list.end(), Root) == list.end()) list.insert(list.begin(), Root);
    if (!Root->ComponentState().Contains(csDesigning) && !name.empty() && name != Root->Name()) {
      try {
        Root->SetName(name);
      } catch (const EComponentError&) {
        // The owner has a component of that name already: the root keeps its own.
      }
    }
    Root->ReadState(this);
    ResolveFixups();
  } catch (...) {
    for (TComponent* c : list) {
      c->ExcludeState(csReading);
      c->ExcludeState(csLoading);
    }
    list.clear();
    fixups_.clear();
    throw;
  }
  if (!shared_loaded_) CallLoaded();
  return Root;
}

// ---------------------------------------------------------------------------------------------
// TWriter
TWriter::TWriter(TStream* Stream, int) : TFiler(Stream) {}
TWriter::~TWriter() = default;

void TWriter::Write(const void* Buf, int32_t Count) {
  if (Count > 0) stream_->WriteBuffer(Buf, Count);
}

void TWriter::WriteValue(TValueType Value) {
  uint8_t b = Value;
  Write(&b, 1);
}

namespace {
void PutLE(TWriter* w, uint64_t v, int n) {
  uint8_t b[8];
  for (int i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
  w->Write(b, n);
}
}  // namespace

void TWriter::WriteInteger(int64_t Value) {
  if (Value >= -128 && Value <= 127) {
    WriteValue(vaInt8);
    PutLE(this, static_cast<uint64_t>(Value), 1);
  } else if (Value >= -32768 && Value <= 32767) {
    WriteValue(vaInt16);
    PutLE(this, static_cast<uint64_t>(Value), 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    PutLE(this, static_cast<uint64_t>(Value), 4);
  } else {
    WriteValue(vaInt64);
    PutLE(this, static_cast<uint64_t>(Value), 8);
  }
}

void TWriter::WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
void TWriter::WriteChar(char Value) { WriteString(AnsiString(1, Value)); }
void TWriter::WriteWideChar(WideChar Value) { WriteWideString(WideString(1, Value)); }

void TWriter::WriteFloat(long double Value) {
  WriteValue(vaExtended);
  uint8_t b[10];
  DoubleToExtended(static_cast<double>(Value), b);
  Write(b, 10);
}

void TWriter::WriteCurrencyUnits(int64_t Units) {
  WriteValue(vaCurrency);
  PutLE(this, static_cast<uint64_t>(Units), 8);
}

void TWriter::WriteSingle(float Value) {
  WriteValue(vaSingle);
  uint32_t u;
  std::memcpy(&u, &Value, 4);
  PutLE(this, u, 4);
}

void TWriter::WriteCurrency(double Value) {
  double scaled = Value * 10000.0;
  if (!(std::fabs(scaled) < 9.2e18)) throw EWriteError(SInvalidPropertyValue);
  WriteValue(vaCurrency);
  PutLE(this, static_cast<uint64_t>(static_cast<int64_t>(std::llround(scaled))), 8);
}

void TWriter::WriteDate(TDateTime Value) {
  WriteValue(vaDate);
  uint64_t u;
  std::memcpy(&u, &Value, 8);
  PutLE(this, u, 8);
}

void TWriter::WriteString(const AnsiString& Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(Value);
  } else {
    if (Value.size() > INT32_MAX) throw EWriteError(SWriteError);
    WriteValue(vaLString);
    PutLE(this, Value.size(), 4);
    Write(Value.data(), static_cast<int32_t>(Value.size()));
  }
}

void TWriter::WriteWideString(const WideString& Value) {
  if (Value.size() > INT32_MAX / 2) throw EWriteError(SWriteError);
  WriteValue(vaWString);
  PutLE(this, Value.size(), 4);
  std::vector<uint8_t> b(Value.size() * 2);
  for (std::size_t i = 0; i < Value.size(); ++i) {
    b[2 * i] = static_cast<uint8_t>(Value[i]);
    b[2 * i + 1] = static_cast<uint8_t>(Value[i] >> 8);
  }
  Write(b.data(), static_cast<int32_t>(b.size()));
}

void TWriter::WriteIdent(const AnsiString& Ident) {
  if (SameName(Ident, "False")) WriteValue(vaFalse);
  else if (SameName(Ident, "True")) WriteValue(vaTrue);
  else if (SameName(Ident, "nil")) WriteValue(vaNil);
  else if (SameName(Ident, "Null")) WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteStr(const AnsiString& Value) {
  if (Value.size() > 255) throw EWriteError(SWriteError);
  uint8_t n = static_cast<uint8_t>(Value.size());
  Write(&n, 1);
  Write(Value.data(), n);
}

void TWriter::WriteClassName(const AnsiString& Value) {
  if (Value.size() > MaxClassNameLength) throw EWriteError(SWriteError);
  WriteStr(Value);
}

void TWriter::WriteSignature() { Write("TPF0", 4); }

void TWriter::WritePrefix(TFilerFlags Flags, int AChildPos) {
  if (Flags.Empty()) return;
  uint8_t b = static_cast<uint8_t>(0xF0 | Flags.Bits());
  Write(&b, 1);
  if (Flags.Contains(ffChildPos)) WriteInteger(AChildPos);
}

void TWriter::WritePropName(const AnsiString& Name) { WriteStr(prop_path_ + Name); }

void TWriter::DefineProperty(const AnsiString& Name, const TReaderProc&,
                             const TWriterProc& WriteData, bool HasData) {
  if (HasData && WriteData) {
    WritePropName(Name);
    WriteData(this);
  }
}

namespace {
// Collects what an object would write for one binary property, to compare a descendant's data
// with its ancestor's.
class BinaryPropertyCapture : public TFiler {
 public:
  BinaryPropertyCapture(TPersistent* Instance, const AnsiString& Name) : TFiler(nullptr), name_(Name) {
    CallDefineProperties(Instance);
  }
  void DefineProperty(const AnsiString&, const TReaderProc&, const TWriterProc&, bool) override {}
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc&, const TStreamProc& WriteData,
                            bool HasData) override {
    if (found_ || !HasData || !WriteData || !SameText(Name, name_)) return;
    found_ = true;
    WriteData(&data_);
  }
  bool Holds(TMemoryStream& Data) {
    return found_ && data_.Size() == Data.Size() &&
           std::memcmp(data_.Memory(), Data.Memory(), static_cast<std::size_t>(Data.Size())) == 0;
  }

 private:
  AnsiString name_;
  bool found_ = false;
  TMemoryStream data_;
};
}  // namespace

void TWriter::DefineBinaryProperty(const AnsiString& Name, const TStreamProc&,
                                   const TStreamProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream ms;
  WriteData(&ms);
  // Data the ancestor holds byte for byte is inherited, not written again.
  if (ancestor_ && BinaryPropertyCapture(ancestor_, Name).Holds(ms)) return;
  WritePropName(Name);
  if (ms.Size() > INT32_MAX) throw EWriteError(SWriteError);
  WriteValue(vaBinary);
  PutLE(this, static_cast<uint64_t>(ms.Size()), 4);
  Write(ms.Memory(), static_cast<int32_t>(ms.Size()));
}

void TWriter::WriteCollection(TCollection* Value) {
  WriteValue(vaCollection);
  TPersistent* saved_anc = ancestor_;
  AnsiString saved_path = prop_path_;
  ancestor_ = nullptr;
  prop_path_.clear();
  for (int i = 0; i < Value->Count(); ++i) {
    WriteListBegin();
    WriteProperties(Value->Items(i));
    WriteListEnd();
  }
  ancestor_ = saved_anc;
  prop_path_ = saved_path;
  WriteListEnd();
}

namespace {
bool CollectionsEqual(TCollection* a, TCollection* b) {
  if (!a || !b) return false;
  TMemoryStream sa, sb;
  TWriter wa(&sa), wb(&sb);
  wa.WriteCollection(a);
  wb.WriteCollection(b);
  return sa.Size() == sb.Size() && std::memcmp(sa.Memory(), sb.Memory(), static_cast<std::size_t>(sa.Size())) == 0;
}
}  // namespace

AnsiString TWriter::ComponentRefName(TComponent* C) {
  if (C == lookup_root_ || C->Owner() == lookup_root_ || !C->Owner()) return C->Name();
  if (!C->Owner()->Name().empty()) return C->Owner()->Name() + "." + C->Name();
  return C->Name();
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* Prop) {
  TPersistent* anc = ancestor_;
  const TPropInfo* ap = anc ? GetPropInfo(anc, Prop->Name) : nullptr;
  if (ap && ap->Kind != Prop->Kind) ap = nullptr;
  switch (Prop->Kind) {
    case tkInteger: case tkInt64: case tkChar: case tkWChar: case tkEnumeration: case tkSet: {
      int64_t v = Prop->GetOrd(Instance);
      if (ap) {
        if (v == ap->GetOrd(anc)) return;
      } else if (Prop->HasDefault && v == Prop->Default) {
        return;
      }
      WritePropName(Prop->Name);
      if (Prop->Kind == tkSet) {
        WriteValue(vaSet);
        for (int i = 0; i < 64; ++i)
          if (static_cast<uint64_t>(v) & (uint64_t{1} << i)) {
            AnsiString n = GetEnumName(Prop, i);
            if (n.empty()) throw EWriteError(SInvalidPropertyValue);
            WriteStr(n);
          }
        WriteStr(AnsiString());
      } else if (Prop->Kind == tkEnumeration) {
        AnsiString n = GetEnumName(Prop, v);
        if (n.empty()) throw EWriteError(SInvalidPropertyValue);
        WriteIdent(n);
      } else if (Prop->Kind == tkChar) {
        WriteChar(static_cast<char>(v));
      } else if (Prop->Kind == tkWChar) {
        WriteWideChar(static_cast<WideChar>(v));
      } else {
        AnsiString id;
        if (Prop->IntToIdent && v >= INT32_MIN && v <= INT32_MAX &&
            Prop->IntToIdent(static_cast<int32_t>(v), id))
          WriteIdent(id);
        else
          WriteInteger(v);
      }
      return;
    }
    case tkFloat: {
      double v = Prop->GetFloat(Instance);
      if (ap ? v == ap->GetFloat(anc) : v == 0) return;
      WritePropName(Prop->Name);
      switch (Prop->FloatType) {
        case ftSingle: WriteSingle(static_cast<float>(v)); break;
        case ftCurrency: WriteCurrency(v); break;
        case ftDate: WriteDate(v); break;
        default: WriteFloat(v); break;
      }
      return;
    }
    case tkLString: {
      AnsiString v = Prop->GetStr(Instance);
      if (ap ? v == ap->GetStr(anc) : v.empty()) return;
      WritePropName(Prop->Name);
      WriteString(v);
      return;
    }
    case tkWString: {
      WideString v = Prop->GetWStr(Instance);
      if (ap ? v == ap->GetWStr(anc) : v.empty()) return;
      WritePropName(Prop->Name);
      // ASCII text is written as a byte string, as the text form syntax converts it.
      if (IsAscii(v)) WriteString(AnsiString(v.begin(), v.end()));
      else WriteWideString(v);
      return;
    }
    case tkMethod: {
      TMethod m = Prop->GetMethod(Instance);
      if (ap) {
        if (m.Name() == ap->GetMethod(anc).Name()) return;
      } else if (!m.Assigned()) {
        return;
      }
      WritePropName(Prop->Name);
      if (m.Assigned()) WriteIdent(m.Name());
      else WriteValue(vaNil);
      return;
    }
    case tkClass: {
      TObject* obj = Prop->GetObj(Instance);
      TObject* aobj = ap ? ap->GetObj(anc) : nullptr;
      if (Prop->ClassKind == cpComponentRef) {
        auto* c = dynamic_cast<TComponent*>(obj);
        auto* ac = dynamic_cast<TComponent*>(aobj);
        if (ap) {
          if ((!c && !ac) || (c && ac && c->Name() == ac->Name())) return;
        } else if (!c) {
          return;
        }
        WritePropName(Prop->Name);
        if (c) WriteIdent(ComponentRefName(c));
        else WriteValue(vaNil);
        return;
      }
      if (!obj) return;
      auto* sub = dynamic_cast<TPersistent*>(obj);
      if (!sub || dynamic_cast<TComponent*>(obj)) return;
      // The object's own properties under "Name." (a collection's too), then a collection's items.
      AnsiString saved_path = prop_path_;
      TPersistent* saved_anc = ancestor_;
      prop_path_ += Prop->Name + ".";
      ancestor_ = dynamic_cast<TPersistent*>(aobj);
      WriteProperties(sub);
      prop_path_ = saved_path;
      ancestor_ = saved_anc;
      if (auto* coll = dynamic_cast<TCollection*>(obj)) {
        if (ap ? CollectionsEqual(coll, dynamic_cast<TCollection*>(aobj)) : coll->Count() == 0) return;
        WritePropName(Prop->Name);
        WriteCollection(coll);
      }
      return;
    }
    default: return;
  }
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (const TPropInfo* p : GetPropList(Instance)) {
    if (!p->HasGetter() || !IsStoredProp(Instance, p)) continue;
    if (!p->HasSetter() && !(p->Kind == tkClass && p->ClassKind == cpOwned)) continue;
    WriteProperty(Instance, p);
  }
  CallDefineProperties(Instance);
}

namespace {
struct AncestorChildren {
  std::vector<TComponent*> list;
  TComponent* Find(const AnsiString& name) const {
    for (TComponent* c : list)
      if (SameText(c->Name(), name)) return c;
    return nullptr;
  }
};
thread_local AncestorChildren* g_ancestor_children = nullptr;
}  // namespace

void TWriter::WriteComponent(TComponent* Component) {
  TComponent* anc = nullptr;
  if (Component == root_) anc = root_ancestor_;
  else if (g_ancestor_children) anc = g_ancestor_children->Find(Component->Name());

  // Written aside first, so an inherited component without changes can be left out.
  TMemoryStream body;
  TStream* saved_stream = stream_;
  TPersistent* saved_anc = ancestor_;
  stream_ = &body;
  ancestor_ = anc;
  Component->IncludeState(csWriting);
  try {
    TFilerFlags flags;
    if (anc) flags.Include(ffInherited);
    if (Component->ComponentState().Contains(csInline)) flags.Include(ffInline);
    WritePrefix(flags, 0);
    WriteClassName(Component->ClassName());
    WriteStr(Component->Name());
    int64_t header = body.Size();
    Component->WriteState(this);
    stream_ = saved_stream;
    ancestor_ = saved_anc;
    Component->ExcludeState(csWriting);
    bool unchanged = anc && Component != root_ && body.Size() == header + 2;
    if (!unchanged) Write(body.Memory(), static_cast<int32_t>(body.Size()));
  } catch (...) {
    stream_ = saved_stream;
    ancestor_ = saved_anc;
    Component->ExcludeState(csWriting);
    throw;
  }
}

void TWriter::WriteData(TComponent* Instance) {
  WriteProperties(Instance);
  WriteListEnd();
  AncestorChildren children;
  AncestorChildren* saved = g_ancestor_children;
  if (auto* anc = dynamic_cast<TComponent*>(ancestor_))
    anc->GetChildren([&](TComponent* c) { children.list.push_back(c); }, root_ancestor_);
  g_ancestor_children = &children;
  TPersistent* saved_anc = ancestor_;
  try {
    if (!ignore_children_)
      Instance->GetChildren([&](TComponent* c) { WriteComponent(c); }, root_);
  } catch (...) {
    g_ancestor_children = saved;
    ancestor_ = saved_anc;
    throw;
  }
  g_ancestor_children = saved;
  ancestor_ = saved_anc;
  WriteListEnd();
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* AAncestor) {
  root_ = Root;
  lookup_root_ = Root;
  root_ancestor_ = AAncestor;
  ancestor_ = AAncestor;
  WriteSignature();
  WriteComponent(Root);
}

void WriteComponentToStream(TStream* Stream, TComponent* Root, TComponent* Ancestor) {
  TWriter w(Stream);
  w.WriteDescendent(Root, Ancestor);
}

void ReadComponentFromStream(TStream* Stream, TComponent* Root) {
  TReader r(Stream);
  r.ReadRootComponent(Root);
}
