#include "TypInfo.h"

#include <map>
#include <unordered_map>

void RegisterFrameworkClasses();

namespace {

AnsiString Upper(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

bool SameName(const AnsiString& a, const AnsiString& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

struct Registry {
  std::unordered_map<std::type_index, std::unique_ptr<TClassInfo>> by_type;
  std::map<AnsiString, TClassInfo*> by_name;  // upper-cased
};

Registry& Reg() {
  static Registry r;
  return r;
}

// The framework's own classes, declared on first lookup (a static library would drop a file
// that only registers).
void Ensure() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterFrameworkClasses();
}

[[noreturn]] void NoProp(const AnsiString& name) { throw EPropertyError(SUnknownProperty, {name}); }
[[noreturn]] void BadKind() { throw EPropertyError(SInvalidPropertyValue); }
[[noreturn]] void ReadOnly(const TPropInfo* p) { throw EPropertyError(SReadOnlyProperty, {p->Name}); }

const TPropInfo* Need(TObject* instance, const AnsiString& name) {
  const TPropInfo* p = GetPropInfo(instance, name);
  if (!p) NoProp(name);
  return p;
}

}  // namespace

AnsiString TMethod::Name() const { return Method ? Method->Name : AnsiString(); }

bool TPropInfo::HasGetter() const {
  return GetOrd || GetStr || GetWStr || GetFloat || GetObj || GetMethod;
}
bool TPropInfo::HasSetter() const {
  return SetOrd || SetStr || SetWStr || SetFloat || SetObj || SetMethod;
}

const TClassInfo* TClassInfo::Parent() const {
  if (ParentType == std::type_index(typeid(void))) return nullptr;
  return FindClassInfo(ParentType);
}

bool TClassInfo::InheritsFrom(const TClassInfo* Other) const {
  for (const TClassInfo* c = this; c; c = c->Parent())
    if (c == Other) return true;
  return false;
}

namespace typinfo_detail {
TClassInfo& Declare(const AnsiString& Name, std::type_index Type, std::type_index Parent) {
  Registry& r = Reg();
  auto& slot = r.by_type[Type];
  if (!slot) slot = std::make_unique<TClassInfo>();
  slot->Name = Name;
  slot->Type = Type;
  slot->ParentType = Parent;
  r.by_name[Upper(Name)] = slot.get();
  return *slot;
}

std::shared_ptr<const std::vector<AnsiString>> MakeNames(std::initializer_list<const char*> N) {
  auto v = std::make_shared<std::vector<AnsiString>>();
  for (const char* n : N) v->push_back(n);
  return v;
}
}  // namespace typinfo_detail

const TClassInfo* FindClassInfo(std::type_index Type) {
  Ensure();
  auto& m = Reg().by_type;
  auto it = m.find(Type);
  return it == m.end() ? nullptr : it->second.get();
}

const TClassInfo* ClassInfoOf(const TObject* Instance) {
  return Instance ? FindClassInfo(std::type_index(typeid(*Instance))) : nullptr;
}

const TClassInfo* FindClassInfo(const AnsiString& ClassName) {
  Ensure();
  auto& m = Reg().by_name;
  auto it = m.find(Upper(ClassName));
  return it == m.end() ? nullptr : it->second;
}

const TClassInfo* GetClass(const AnsiString& ClassName) {
  const TClassInfo* c = FindClassInfo(ClassName);
  return c && (c->Create || c->CreatePersistent) ? c : nullptr;
}

const TClassInfo* FindClass(const AnsiString& ClassName) {
  const TClassInfo* c = GetClass(ClassName);
  if (!c) throw EClassNotFound(SClassNotFound, {ClassName});
  return c;
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo* Info) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = Info; c; c = c->Parent()) chain.push_back(c);
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const TPropInfo& p : (*it)->Props) {
      // A redeclaration in a descendant replaces the base's entry in place.
      bool replaced = false;
      for (auto& q : out)
        if (SameName(q->Name, p.Name)) { q = &p; replaced = true; break; }
      if (!replaced) out.push_back(&p);
    }
  return out;
}

std::vector<const TPropInfo*> GetPropList(const TObject* Instance) {
  return GetPropList(ClassInfoOf(Instance));
}

const TPropInfo* GetPropInfo(const TClassInfo* Info, const AnsiString& PropName) {
  for (const TClassInfo* c = Info; c; c = c->Parent())
    for (const TPropInfo& p : c->Props)
      if (SameName(p.Name, PropName)) return &p;
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName) {
  return GetPropInfo(ClassInfoOf(Instance), PropName);
}

bool IsPublishedProp(const TObject* Instance, const AnsiString& PropName) {
  return GetPropInfo(Instance, PropName) != nullptr;
}

bool IsStoredProp(TObject* Instance, const TPropInfo* Prop) {
  if (Prop->StoredFn) return Prop->StoredFn(Instance);
  return Prop->StoredConst;
}

bool IsStoredProp(TObject* Instance, const AnsiString& PropName) {
  return IsStoredProp(Instance, Need(Instance, PropName));
}

bool IsStoredPropOf(TObject* Instance, const AnsiString& ClassName, const AnsiString& PropName) {
  const TClassInfo* cls = FindClassInfo(ClassName);
  const TClassInfo* own = ClassInfoOf(Instance);
  // The test is a function of that class: it may only be asked of one of its instances.
  if (!cls || !own || !own->InheritsFrom(cls)) throw EPropertyError(SPropertyNotFound);
  const TPropInfo* p = GetPropInfo(cls, PropName);
  if (!p) throw EPropertyError(SPropertyNotFound);
  return IsStoredProp(Instance, p);
}

int64_t GetOrdProp(TObject* Instance, const TPropInfo* Prop) {
  if (!Prop->GetOrd) BadKind();
  return Prop->GetOrd(Instance);
}
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int64_t Value) {
  if (!Prop->GetOrd) BadKind();
  if (!Prop->SetOrd) ReadOnly(Prop);
  Prop->SetOrd(Instance, Value);
}

AnsiString GetStrProp(TObject* Instance, const TPropInfo* Prop) {
  if (Prop->GetStr) return Prop->GetStr(Instance);
  if (Prop->GetWStr) return WideToAnsi(Prop->GetWStr(Instance));
  BadKind();
}
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value) {
  if (Prop->Kind == tkLString) {
    if (!Prop->SetStr) ReadOnly(Prop);
    Prop->SetStr(Instance, Value);
  } else if (Prop->Kind == tkWString) {
    if (!Prop->SetWStr) ReadOnly(Prop);
    Prop->SetWStr(Instance, AnsiToWide(Value));
  } else {
    BadKind();
  }
}
WideString GetWideStrProp(TObject* Instance, const TPropInfo* Prop) {
  if (Prop->GetWStr) return Prop->GetWStr(Instance);
  if (Prop->GetStr) return AnsiToWide(Prop->GetStr(Instance));
  BadKind();
}
void SetWideStrProp(TObject* Instance, const TPropInfo* Prop, const WideString& Value) {
  if (Prop->Kind == tkWString) {
    if (!Prop->SetWStr) ReadOnly(Prop);
    Prop->SetWStr(Instance, Value);
  } else if (Prop->Kind == tkLString) {
    if (!Prop->SetStr) ReadOnly(Prop);
    Prop->SetStr(Instance, WideToAnsi(Value));
  } else {
    BadKind();
  }
}

double GetFloatProp(TObject* Instance, const TPropInfo* Prop) {
  if (!Prop->GetFloat) BadKind();
  return Prop->GetFloat(Instance);
}
void SetFloatProp(TObject* Instance, const TPropInfo* Prop, double Value) {
  if (!Prop->GetFloat) BadKind();
  if (!Prop->SetFloat) ReadOnly(Prop);
  Prop->SetFloat(Instance, Value);
}
TObject* GetObjectProp(TObject* Instance, const TPropInfo* Prop) {
  if (!Prop->GetObj) BadKind();
  return Prop->GetObj(Instance);
}
void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value) {
  if (!Prop->GetObj) BadKind();
  if (!Prop->SetObj) ReadOnly(Prop);
  Prop->SetObj(Instance, Value);
}
TMethod GetMethodProp(TObject* Instance, const TPropInfo* Prop) {
  if (!Prop->GetMethod) BadKind();
  return Prop->GetMethod(Instance);
}
void SetMethodProp(TObject* Instance, const TPropInfo* Prop, const TMethod& Value) {
  if (!Prop->SetMethod) BadKind();
  Prop->SetMethod(Instance, Value);
}

int64_t GetOrdProp(TObject* Instance, const AnsiString& PropName) {
  return GetOrdProp(Instance, Need(Instance, PropName));
}
void SetOrdProp(TObject* Instance, const AnsiString& PropName, int64_t Value) {
  SetOrdProp(Instance, Need(Instance, PropName), Value);
}
AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName) {
  return GetStrProp(Instance, Need(Instance, PropName));
}
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value) {
  SetStrProp(Instance, Need(Instance, PropName), Value);
}
WideString GetWideStrProp(TObject* Instance, const AnsiString& PropName) {
  return GetWideStrProp(Instance, Need(Instance, PropName));
}
void SetWideStrProp(TObject* Instance, const AnsiString& PropName, const WideString& Value) {
  SetWideStrProp(Instance, Need(Instance, PropName), Value);
}

AnsiString GetEnumName(const TPropInfo* Prop, int64_t Value) {
  if (!Prop->Names || Value < 0 || Value >= static_cast<int64_t>(Prop->Names->size())) return AnsiString();
  return (*Prop->Names)[static_cast<std::size_t>(Value)];
}

int64_t GetEnumValue(const TPropInfo* Prop, const AnsiString& Name) {
  if (!Prop->Names) return -1;
  for (std::size_t i = 0; i < Prop->Names->size(); ++i)
    if (SameName((*Prop->Names)[i], Name)) return static_cast<int64_t>(i);
  return -1;
}

const TMethodEntry* FindMethod(const TObject* Root, const AnsiString& MethodName) {
  for (const TClassInfo* c = ClassInfoOf(Root); c; c = c->Parent())
    for (const auto& m : c->Methods)
      if (SameName(m->Name, MethodName)) return m.get();
  return nullptr;
}

TMethod MethodOf(TObject* Root, const AnsiString& MethodName) {
  const TMethodEntry* m = FindMethod(Root, MethodName);
  return m ? TMethod{Root, m} : TMethod{};
}

bool SetComponentField(TObject* Root, const AnsiString& Name, TComponent* C) {
  if (!Root || Name.empty()) return false;
  for (const TClassInfo* c = ClassInfoOf(Root); c; c = c->Parent())
    for (const auto& f : c->Fields)
      if (SameName(f.first, Name)) {
        f.second(Root, C);
        return true;
      }
  return false;
}

bool SetComponentField(TObject* Root, TComponent* C) {
  return C && SetComponentField(Root, C->Name(), C);
}
