#include "System.h"

#include <algorithm>
#include <cxxabi.h>
#include <cstdlib>
#include <memory>

#include <dlfcn.h>
#include <sys/auxv.h>

TObject::~TObject() = default;

bool IsLibrary() {
  // The program's own file is the one its program headers were loaded from.
  Dl_info self{}, program{};
  const auto* headers = reinterpret_cast<const void*>(getauxval(AT_PHDR));
  if (!headers || !dladdr(reinterpret_cast<const void*>(&IsLibrary), &self) || !dladdr(headers, &program))
    return false;
  return self.dli_fbase != program.dli_fbase;
}

AnsiString TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  AnsiString name = (status == 0 && demangled) ? AnsiString(demangled.get()) : AnsiString(mangled);
  // Class names are unqualified in the class library.
  std::size_t colon = name.rfind("::");
  if (colon != AnsiString::npos) name.erase(0, colon + 2);
  return name;
}

int Length(const AnsiString& S) { return static_cast<int>(S.size()); }

int Pos(const AnsiString& SubStr, const AnsiString& S) {
  if (SubStr.empty()) return 0;
  std::size_t p = S.find(SubStr);
  return p == AnsiString::npos ? 0 : static_cast<int>(p) + 1;
}

AnsiString Copy(const AnsiString& S, int Index, int Count) {
  if (Index < 1) Index = 1;
  if (Count <= 0 || Index > static_cast<int>(S.size())) return AnsiString();
  std::size_t start = static_cast<std::size_t>(Index - 1);
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(Count), S.size() - start);
  return S.substr(start, n);
}

void Delete(AnsiString& S, int Index, int Count) {
  if (Index < 1 || Count <= 0 || Index > static_cast<int>(S.size())) return;
  std::size_t start = static_cast<std::size_t>(Index - 1);
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(Count), S.size() - start);
  S.erase(start, n);
}

void Insert(const AnsiString& Source, AnsiString& S, int Index) {
  if (Index < 1) Index = 1;
  std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(Index - 1), S.size());
  S.insert(at, Source);
}

AnsiString StringOfChar(char Ch, int Count) {
  return Count > 0 ? AnsiString(static_cast<std::size_t>(Count), Ch) : AnsiString();
}

char UpCase(char Ch) { return (Ch >= 'a' && Ch <= 'z') ? static_cast<char>(Ch - 32) : Ch; }
