// The table of form resources and the reading of inherited forms.
#include <map>

#include "Classes.h"
#include "TypInfo.h"

namespace {

std::map<AnsiString, std::span<const uint8_t>>& Table() {
  static std::map<AnsiString, std::span<const uint8_t>> t;
  return t;
}

// A read-only stream over bytes that outlive it.
class ResourceStream : public TCustomMemoryStream {
 public:
  explicit ResourceStream(std::span<const uint8_t> b) {
    SetPointer(const_cast<uint8_t*>(b.data()), static_cast<int64_t>(b.size()));
  }
  int32_t Write(const void*, int32_t) override { return 0; }
};

}  // namespace

void RegisterFormResource(const AnsiString& ClassName, const uint8_t* Data, std::size_t Size) {
  Table()[UpperCase(ClassName)] = std::span<const uint8_t>(Data, Size);
}

std::span<const uint8_t> FindFormResource(const AnsiString& ClassName) {
  auto it = Table().find(UpperCase(ClassName));
  return it == Table().end() ? std::span<const uint8_t>() : it->second;
}

void ReadInheritedResources(TComponent* Instance, const std::vector<AnsiString>& Names) {
  std::vector<TComponent*> loaded;
  for (const AnsiString& n : Names) {
    ResourceStream s(FindFormResource(n));
    TReader r(&s);
    r.shared_loaded_ = &loaded;
    r.ReadRootComponent(Instance);
  }
  // Loaded once, after every level.
  TReader done(nullptr);
  done.loaded_ = std::move(loaded);
  done.CallLoaded();
}

bool InitInheritedComponent(TComponent* Instance, const AnsiString& RootAncestorClass) {
  std::vector<AnsiString> names;
  for (const TClassInfo* c = ClassInfoOf(Instance); c && !SameText(c->Name, RootAncestorClass); c = c->Parent())
    if (!FindFormResource(c->Name).empty()) names.insert(names.begin(), c->Name);
  if (names.empty()) return false;
  ReadInheritedResources(Instance, names);
  return true;
}

void ReadComponentRes(const AnsiString& ResName, TComponent* Instance) {
  if (FindFormResource(ResName).empty()) throw EResNotFound(SResNotFound, {ResName});
  ReadInheritedResources(Instance, {ResName});
}
