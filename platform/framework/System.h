// The class library's base unit: integer and string types, TObject, sets, the date-time type.
//
// Strings: AnsiString holds bytes of the platform's ANSI code page (932 by default), WideString holds
// UTF-16. String is the ANSI string, as in the class library of the time. Narrow literals are CP932
// bytes (the build compiles them so), so a literal may be assigned to an AnsiString directly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

using AnsiString = std::string;
using WideString = std::u16string;
using String = AnsiString;

using Integer = int32_t;
using Cardinal = uint32_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using ShortInt = int8_t;
using SmallInt = int16_t;
using Byte = uint8_t;
using Word = uint16_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using NativeInt = intptr_t;
using NativeUInt = uintptr_t;
using Boolean = bool;
using Single = float;
using Double = double;
using Extended = long double;  // x86 extended precision, as the class library's Extended
using AnsiChar = char;
using WideChar = char16_t;
using Char = char;
using PChar = char*;
using PAnsiChar = char*;
using PWideChar = char16_t*;
using Pointer = void*;

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

constexpr std::size_t kMaxListSize = 0x7FFFFFF;

// The root of the class tree. Objects are made with new and freed with delete (or FreeAndNil).
class TObject {
 public:
  TObject() = default;
  virtual ~TObject();
  // Runs before the object is freed by FreeAndNil or by its owner, while it is still whole
  // (a form fires OnDestroy here).
  virtual void BeforeDestruction() {}
  // The class name of the most derived class, as declared ("TStringList").
  AnsiString ClassName() const;
  // True when this object is a T (or derives from it).
  template <class T>
  bool InheritsFrom() const { return dynamic_cast<const T*>(this) != nullptr; }
};

// Whether the code calling this is in a library rather than in the program's own file.
bool IsLibrary();

template <class T>
inline void FreeAndNil(T*& obj) {
  T* tmp = obj;
  obj = nullptr;
  if constexpr (requires { tmp->BeforeDestruction(); })
    if (tmp) tmp->BeforeDestruction();
  delete tmp;
}

// A set of an enumeration with at most 64 members (the class library's "set of").
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) bits_ |= Bit(e);
  }
  static constexpr TSet FromBits(uint64_t bits) { TSet s; s.bits_ = bits; return s; }
  constexpr uint64_t Bits() const { return bits_; }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr TSet& Include(E e) { bits_ |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { bits_ &= ~Bit(e); return *this; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr TSet operator+(E e) const { return FromBits(bits_ | Bit(e)); }
  constexpr TSet operator-(E e) const { return FromBits(bits_ & ~Bit(e)); }
  constexpr TSet& operator+=(TSet o) { bits_ |= o.bits_; return *this; }
  constexpr TSet& operator-=(TSet o) { bits_ &= ~o.bits_; return *this; }
  constexpr TSet& operator*=(TSet o) { bits_ &= o.bits_; return *this; }
  constexpr bool operator==(const TSet& o) const = default;
  // Subset test, as "a <= b" of the class library.
  constexpr bool operator<=(TSet o) const { return (bits_ & ~o.bits_) == 0; }

 private:
  static constexpr uint64_t Bit(E e) { return uint64_t{1} << static_cast<unsigned>(e); }
  uint64_t bits_ = 0;
};

// 1-based string helpers of the class library (positions count bytes, 0 means "not found").
int Pos(const AnsiString& SubStr, const AnsiString& S);
AnsiString Copy(const AnsiString& S, int Index, int Count);
void Delete(AnsiString& S, int Index, int Count);
void Insert(const AnsiString& Source, AnsiString& S, int Index);
AnsiString StringOfChar(char Ch, int Count);
int Length(const AnsiString& S);

// The text of UpCase: ASCII letters only.
char UpCase(char Ch);
