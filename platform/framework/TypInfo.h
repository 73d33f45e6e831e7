// Run-time type information: the published properties of each streamed class, the class registry
// (name -> factory) and the method registry of root classes (name -> event binder).
//
// A class is described once, usually by a static registration in its .cpp:
//
//   static const bool reg = DeclareClass<TMyButton, TMyControl>("TMyButton")
//       .Integer("Left", &TMyButton::Left, &TMyButton::SetLeft, Default(0))
//       .WideString("Caption", &TMyButton::Caption, &TMyButton::SetCaption)
//       .Object("Font", &TMyButton::Font)
//       .Event("OnClick", &TMyButton::OnClick)
//       .Done();
//
// Lookups follow the chain to the base class, and base-class properties come first in the list.
#pragma once
#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <typeindex>
#include <type_traits>
#include <vector>
#include "Classes.h"

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkSet, tkClass, tkMethod, tkWChar,
  tkLString, tkWString, tkInt64
};

// What a class-typed property holds: an owned part (Font, Items, a collection) written inline,
// or a reference to a component written by name.
enum TClassPropKind { cpOwned, cpComponentRef };

// Float properties: how the value is streamed.
enum TFloatType { ftExtended, ftSingle, ftCurrency, ftDate };

struct TMethodEntry;

// An event value: the object that handles it and the registered method (none when unassigned or
// bound to a callable that is not a registered method).
struct TMethod {
  TObject* Data = nullptr;
  const TMethodEntry* Method = nullptr;
  bool Assigned() const { return Method != nullptr; }
  AnsiString Name() const;
  bool operator==(const TMethod& o) const { return Data == o.Data && Method == o.Method; }
};

struct TPropInfo {
  AnsiString Name;
  TTypeKind Kind = tkUnknown;
  // tkEnumeration and tkSet: the element names in value order (Boolean: False, True).
  std::shared_ptr<const std::vector<AnsiString>> Names;
  TFloatType FloatType = ftExtended;
  TClassPropKind ClassKind = cpOwned;
  bool HasDefault = false;
  int64_t Default = 0;
  // Stored test: none means "always stored"; StoredConst applies when StoredFn is empty.
  bool StoredConst = true;
  std::function<bool(TObject*)> StoredFn;
  // Integer properties with named values (colours: clRed): written as the name when one fits.
  std::function<bool(const AnsiString&, int32_t&)> IdentToInt;
  std::function<bool(int32_t, AnsiString&)> IntToIdent;

  // Accessors; only those of the property's kind are set. Ordinal kinds (integer, char, wide
  // char, enumeration, set as its bits, Int64) use GetOrd/SetOrd.
  std::function<int64_t(TObject*)> GetOrd;
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<AnsiString(TObject*)> GetStr;
  std::function<void(TObject*, const AnsiString&)> SetStr;
  std::function<WideString(TObject*)> GetWStr;
  std::function<void(TObject*, const WideString&)> SetWStr;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<TObject*(TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;

  bool HasGetter() const;
  bool HasSetter() const;
};

// A handler method of a root class, found by name when an event value is read.
struct TMethodEntry {
  AnsiString Name;
  std::any Member;  // the member function pointer
  // Makes the event value (a std::function of the handler's signature, in a std::any) that
  // calls the method on Data.
  std::function<std::any(TObject* Data, const TMethodEntry* Self)> Bind;
};

// The callable stored in an event bound to a registered method; the writer finds the method's
// name through std::function::target.
template <class Sig>
struct TBoundMethod;
template <class R, class... A>
struct TBoundMethod<R(A...)> {
  TObject* Data;
  const TMethodEntry* Entry;
  R (*Call)(TObject*, const TMethodEntry*, A...);
  R operator()(A... a) const { return Call(Data, Entry, std::forward<A>(a)...); }
};

class TFiler;
using TDefinePropertiesHook = std::function<void(TObject* Instance, TFiler* Filer)>;

struct TClassInfo {
  AnsiString Name;
  std::type_index Type = typeid(void);
  std::type_index ParentType = typeid(void);  // typeid(void): no registered base
  std::vector<TPropInfo> Props;               // this class's own, in declaration order
  std::function<TComponent*(TComponent* Owner)> Create;  // components only
  std::function<TPersistent*()> CreatePersistent;        // other persistent classes
  std::vector<std::unique_ptr<TMethodEntry>> Methods;
  // Published fields of a root: set when a component of that name is read into the root.
  std::vector<std::pair<AnsiString, std::function<void(TObject* Root, TComponent* C)>>> Fields;
  // Extra property definitions of this class (run before the object's own DefineProperties).
  std::vector<TDefinePropertiesHook> Defines;

  const TClassInfo* Parent() const;
  bool InheritsFrom(const TClassInfo* Other) const;
};

struct TPropDefault {
  bool Has;
  int64_t Value;
};
inline constexpr TPropDefault NoDefault{false, 0};
constexpr TPropDefault Default(int64_t v) { return {true, v}; }

// ---------------------------------------------------------------------------------------------
// Registry lookups.
const TClassInfo* ClassInfoOf(const TObject* Instance);     // most derived registered class
const TClassInfo* FindClassInfo(const AnsiString& ClassName);  // case-insensitive
const TClassInfo* FindClassInfo(std::type_index Type);
// The class registry: classes with a factory. FindClass raises EClassNotFound
// ("クラス %s が見つかりません"); GetClass answers nullptr.
const TClassInfo* GetClass(const AnsiString& ClassName);
const TClassInfo* FindClass(const AnsiString& ClassName);

// Published properties, base class first; case-insensitive lookup (nullptr when none).
std::vector<const TPropInfo*> GetPropList(const TObject* Instance);
std::vector<const TPropInfo*> GetPropList(const TClassInfo* Info);
const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName);
const TPropInfo* GetPropInfo(const TClassInfo* Info, const AnsiString& PropName);
bool IsPublishedProp(const TObject* Instance, const AnsiString& PropName);

// Property access. A property without the needed accessor, or of another kind, raises
// EPropertyError.
bool IsStoredProp(TObject* Instance, const TPropInfo* Prop);
// The stored test of PropName on Instance (EPropertyError SUnknownProperty when it has none).
bool IsStoredProp(TObject* Instance, const AnsiString& PropName);
// The stored test of PropName as the class ClassName (Instance's class or one of its bases)
// declares it, asked of Instance: a base's test, whatever a descendant redeclares. A class that
// is unknown, not Instance's, or without the property raises EPropertyError SPropertyNotFound.
bool IsStoredPropOf(TObject* Instance, const AnsiString& ClassName, const AnsiString& PropName);
int64_t GetOrdProp(TObject* Instance, const TPropInfo* Prop);
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int64_t Value);
AnsiString GetStrProp(TObject* Instance, const TPropInfo* Prop);  // string kinds (wide narrowed)
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value);
WideString GetWideStrProp(TObject* Instance, const TPropInfo* Prop);  // string kinds
void SetWideStrProp(TObject* Instance, const TPropInfo* Prop, const WideString& Value);
double GetFloatProp(TObject* Instance, const TPropInfo* Prop);
void SetFloatProp(TObject* Instance, const TPropInfo* Prop, double Value);
TObject* GetObjectProp(TObject* Instance, const TPropInfo* Prop);
void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value);
TMethod GetMethodProp(TObject* Instance, const TPropInfo* Prop);
void SetMethodProp(TObject* Instance, const TPropInfo* Prop, const TMethod& Value);
// By name (raising EPropertyError "プロパティ %s は存在しません" when unknown).
int64_t GetOrdProp(TObject* Instance, const AnsiString& PropName);
void SetOrdProp(TObject* Instance, const AnsiString& PropName, int64_t Value);
AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName);
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
WideString GetWideStrProp(TObject* Instance, const AnsiString& PropName);
void SetWideStrProp(TObject* Instance, const AnsiString& PropName, const WideString& Value);

// Element names of enumeration and set properties; GetEnumValue answers -1 for an unknown name.
AnsiString GetEnumName(const TPropInfo* Prop, int64_t Value);
int64_t GetEnumValue(const TPropInfo* Prop, const AnsiString& Name);

// Root classes' handler methods (searched along the class chain of Root).
const TMethodEntry* FindMethod(const TObject* Root, const AnsiString& MethodName);
TMethod MethodOf(TObject* Root, const AnsiString& MethodName);  // none when not found
// Sets the published field of Root named after C (when Root's class has one).
bool SetComponentField(TObject* Root, TComponent* C);
bool SetComponentField(TObject* Root, const AnsiString& FieldName, TComponent* C);  // C may be nullptr

VSE_EXCEPTION_CLASS(EPropertyError, Exception);

inline constexpr const char* SUnknownProperty = "プロパティ %s は存在しません";
inline constexpr const char* SPropertyNotFound = "プロパティが存在しません";
inline constexpr const char* SClassNotFound = "クラス %s が見つかりません";
inline constexpr const char* SMethodNotFound = "メソッド %s が見つかりません";
inline constexpr const char* SReadOnlyProperty = "プロパティ %s は読み込み専用です";

// ---------------------------------------------------------------------------------------------
// Registration.
namespace typinfo_detail {
TClassInfo& Declare(const AnsiString& Name, std::type_index Type, std::type_index Parent);
std::shared_ptr<const std::vector<AnsiString>> MakeNames(std::initializer_list<const char*> N);

template <class T, class F>
auto Getter(F f) {
  return [f](TObject* o) { return std::invoke(f, static_cast<T*>(o)); };
}
template <class V>
int64_t ToOrd(const V& v) {
  if constexpr (requires { v.Bits(); }) return static_cast<int64_t>(v.Bits());
  else return static_cast<int64_t>(v);
}
template <class V>
V FromOrd(int64_t v) {
  if constexpr (requires { V::FromBits(uint64_t{}); }) return V::FromBits(static_cast<uint64_t>(v));
  else return static_cast<V>(v);
}
template <class T, class S>
std::function<bool(TObject*)> StoredOf(S s, bool& constant) {
  if constexpr (std::is_same_v<S, bool>) {
    constant = s;
    return nullptr;
  } else {
    constant = true;
    return [s](TObject* o) { return static_cast<bool>(std::invoke(s, static_cast<T*>(o))); };
  }
}
}  // namespace typinfo_detail

template <class T>
class TClassBuilder {
 public:
  explicit TClassBuilder(TClassInfo& Info) : info_(Info) {}

  // Ordinal properties. The getter gives (and the setter takes) an integer, enumeration, bool,
  // char or TSet; getter and setter may be member functions, data members (getter) or lambdas
  // taking T*. A setter of nullptr makes the property read-only.
  template <class G, class S, class St = bool>
  TClassBuilder& Integer(const char* Name, G Get, S Set, TPropDefault Def = NoDefault, St Stored = true) {
    return Ord(tkInteger, Name, Get, Set, Def, Stored, nullptr);
  }
  template <class G, class S, class St = bool>
  TClassBuilder& Int64(const char* Name, G Get, S Set, TPropDefault Def = NoDefault, St Stored = true) {
    return Ord(tkInt64, Name, Get, Set, Def, Stored, nullptr);
  }
  template <class G, class S, class St = bool>
  TClassBuilder& Char(const char* Name, G Get, S Set, TPropDefault Def = NoDefault, St Stored = true) {
    return Ord(tkChar, Name, Get, Set, Def, Stored, nullptr);
  }
  template <class G, class S, class St = bool>
  TClassBuilder& WideChar(const char* Name, G Get, S Set, TPropDefault Def = NoDefault, St Stored = true) {
    return Ord(tkWChar, Name, Get, Set, Def, Stored, nullptr);
  }
  template <class G, class S, class St = bool>
  TClassBuilder& Boolean(const char* Name, G Get, S Set, TPropDefault Def = NoDefault, St Stored = true) {
    return Ord(tkEnumeration, Name, Get, Set, Def, Stored, typinfo_detail::MakeNames({"False", "True"}));
  }
  template <class G, class S, class St = bool>
  TClassBuilder& Enum(const char* Name, std::initializer_list<const char*> Names, G Get, S Set,
                      TPropDefault Def = NoDefault, St Stored = true) {
    return Ord(tkEnumeration, Name, Get, Set, Def, Stored, typinfo_detail::MakeNames(Names));
  }
  // A set: element names in bit order; the value is the bit word.
  template <class G, class S, class St = bool>
  TClassBuilder& Set(const char* Name, std::initializer_list<const char*> Names, G Get, S Set,
                     TPropDefault Def = NoDefault, St Stored = true) {
    return Ord(tkSet, Name, Get, Set, Def, Stored, typinfo_detail::MakeNames(Names));
  }

  template <class G, class S, class St = bool>
  TClassBuilder& String(const char* Name, G Get, S Set, St Stored = true) {
    TPropInfo& p = Add(Name, tkLString, Stored);
    p.GetStr = [Get](TObject* o) -> AnsiString { return std::invoke(Get, static_cast<T*>(o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [Set](TObject* o, const AnsiString& v) { std::invoke(Set, static_cast<T*>(o), v); };
    return *this;
  }
  template <class G, class S, class St = bool>
  TClassBuilder& WideString(const char* Name, G Get, S Set, St Stored = true) {
    TPropInfo& p = Add(Name, tkWString, Stored);
    p.GetWStr = [Get](TObject* o) -> ::WideString { return std::invoke(Get, static_cast<T*>(o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetWStr = [Set](TObject* o, const ::WideString& v) { std::invoke(Set, static_cast<T*>(o), v); };
    return *this;
  }
  // Float: the default is 0 (a zero value is not written), as the framework has it.
  template <class G, class S, class St = bool>
  TClassBuilder& Float(const char* Name, G Get, S Set, TFloatType Type = ftExtended, St Stored = true) {
    TPropInfo& p = Add(Name, tkFloat, Stored);
    p.FloatType = Type;
    p.GetFloat = [Get](TObject* o) { return static_cast<double>(std::invoke(Get, static_cast<T*>(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetFloat = [Set](TObject* o, double v) {
        using V = std::remove_cvref_t<std::invoke_result_t<G, T*>>;
        std::invoke(Set, static_cast<T*>(o), static_cast<V>(v));
      };
    return *this;
  }
  // An owned part (TFont, TStrings, a collection, any TPersistent): its properties are streamed
  // with dotted names ("Font.Name"); the setter (usually Assign) is optional.
  template <class G, class St = bool>
  TClassBuilder& Object(const char* Name, G Get, St Stored = true) {
    TPropInfo& p = Add(Name, tkClass, Stored);
    p.ClassKind = cpOwned;
    p.GetObj = [Get](TObject* o) -> TObject* { return std::invoke(Get, static_cast<T*>(o)); };
    return *this;
  }
  // A reference to another component, written as its name and fixed up after loading.
  template <class G, class S, class St = bool>
  TClassBuilder& Component(const char* Name, G Get, S Set, St Stored = true) {
    TPropInfo& p = Add(Name, tkClass, Stored);
    p.ClassKind = cpComponentRef;
    p.GetObj = [Get](TObject* o) -> TObject* { return std::invoke(Get, static_cast<T*>(o)); };
    using V = std::remove_cvref_t<std::invoke_result_t<G, T*>>;
    p.SetObj = [Set](TObject* o, TObject* v) {
      V c = v ? dynamic_cast<V>(v) : nullptr;
      if (v && !c) throw EPropertyError(SInvalidPropertyValue);
      std::invoke(Set, static_cast<T*>(o), c);
    };
    return *this;
  }
  // An event held in a std::function data member.
  template <class Sig, class St = bool>
  TClassBuilder& Event(const char* Name, std::function<Sig> T::*Member, St Stored = true) {
    TPropInfo& p = Add(Name, tkMethod, Stored);
    p.GetMethod = [Member](TObject* o) {
      const auto& f = static_cast<T*>(o)->*Member;
      const auto* b = f.template target<TBoundMethod<Sig>>();
      return b ? TMethod{b->Data, b->Entry} : TMethod{};
    };
    p.SetMethod = [Member](TObject* o, const TMethod& m) {
      auto& f = static_cast<T*>(o)->*Member;
      if (!m.Method) { f = nullptr; return; }
      std::any a = m.Method->Bind(m.Data, m.Method);
      auto* fn = std::any_cast<std::function<Sig>>(&a);
      if (!fn) throw EPropertyError(SInvalidPropertyValue);
      f = *fn;
    };
    return *this;
  }

  // A handler method of this (root) class, found by name for event values.
  template <class R, class... A>
  TClassBuilder& Method(const char* Name, R (T::*M)(A...)) {
    auto e = std::make_unique<TMethodEntry>();
    e->Name = Name;
    e->Member = M;
    e->Bind = [](TObject* data, const TMethodEntry* self) -> std::any {
      using Sig = R(A...);
      struct Thunk {
        static R Call(TObject* d, const TMethodEntry* s, A... a) {
          auto m = std::any_cast<R (T::*)(A...)>(s->Member);
          return (static_cast<T*>(d)->*m)(std::forward<A>(a)...);
        }
      };
      return std::any(std::function<Sig>(TBoundMethod<Sig>{data, self, &Thunk::Call}));
    };
    info_.Methods.push_back(std::move(e));
    return *this;
  }
  // A published field of this root class: set to the component of that name when it is read.
  template <class C>
  TClassBuilder& Field(const char* Name, C* T::*Member) {
    info_.Fields.emplace_back(Name, [Member](TObject* root, TComponent* c) {
      static_cast<T*>(root)->*Member = dynamic_cast<C*>(c);
    });
    return *this;
  }
  // Extra defined properties (as DefineProperties would add), for classes that cannot override.
  TClassBuilder& Define(std::function<void(T*, TFiler*)> F) {
    info_.Defines.push_back([F](TObject* o, TFiler* f) { F(static_cast<T*>(o), f); });
    return *this;
  }
  // Named values for the integer property declared last (IdentToColor / ColorToIdent).
  TClassBuilder& Idents(std::function<bool(const AnsiString&, int32_t&)> ToInt,
                        std::function<bool(int32_t, AnsiString&)> ToIdent) {
    info_.Props.back().IdentToInt = std::move(ToInt);
    info_.Props.back().IntToIdent = std::move(ToIdent);
    return *this;
  }
  bool Done() { return true; }

 private:
  template <class St>
  TPropInfo& Add(const char* Name, TTypeKind Kind, St Stored) {
    info_.Props.emplace_back();
    TPropInfo& p = info_.Props.back();
    p.Name = Name;
    p.Kind = Kind;
    p.StoredFn = typinfo_detail::StoredOf<T>(Stored, p.StoredConst);
    return p;
  }
  template <class G, class S, class St>
  TClassBuilder& Ord(TTypeKind Kind, const char* Name, G Get, S Set, TPropDefault Def, St Stored,
                     std::shared_ptr<const std::vector<AnsiString>> Names) {
    using V = std::remove_cvref_t<std::invoke_result_t<G, T*>>;
    TPropInfo& p = Add(Name, Kind, Stored);
    p.Names = std::move(Names);
    p.HasDefault = Def.Has;
    p.Default = Def.Value;
    p.GetOrd = [Get](TObject* o) { return typinfo_detail::ToOrd<V>(std::invoke(Get, static_cast<T*>(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Set](TObject* o, int64_t v) {
        std::invoke(Set, static_cast<T*>(o), typinfo_detail::FromOrd<V>(v));
      };
    return *this;
  }
  TClassInfo& info_;
};

// Declares T (derived from Base, which is declared too; use TObject for none) under Name. A
// component class constructible from an owner, or a persistent class constructible without
// arguments, gets a factory, which puts it into the class registry.
template <class T, class Base>
TClassBuilder<T> DeclareClass(const char* Name) {
  static_assert(std::is_base_of_v<Base, T> || std::is_same_v<Base, TObject>);
  TClassInfo& info = typinfo_detail::Declare(
      Name, typeid(T), std::is_same_v<Base, TObject> ? std::type_index(typeid(void)) : std::type_index(typeid(Base)));
  if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*> &&
                !std::is_abstract_v<T>)
    info.Create = [](TComponent* owner) -> TComponent* { return new T(owner); };
  else if constexpr (std::is_base_of_v<TPersistent, T> && std::is_default_constructible_v<T> &&
                     !std::is_abstract_v<T>)
    info.CreatePersistent = []() -> TPersistent* { return new T(); };
  return TClassBuilder<T>(info);
}
