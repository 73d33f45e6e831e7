#include "internal/handles.h"

namespace winplat {

// Handle value layout: bits 2..31 slot index + 1, bits 32..63 generation. The low two bits stay
// zero so a handle looks like an aligned pointer and never equals INVALID_HANDLE_VALUE.
namespace {
constexpr uint64_t kIndexMask = 0x3FFFFFFFull;

uint64_t Encode(size_t index, uint32_t generation) {
  return (static_cast<uint64_t>(generation) << 32) | ((static_cast<uint64_t>(index) + 1) << 2);
}
}  // namespace

HandleTable& HandleTable::Instance() {
  static HandleTable* table = new HandleTable;  // lives until exit, past static destructors
  return *table;
}

bool HandleTable::Decode(const void* handle, size_t* index) const {
  const uint64_t v = reinterpret_cast<uintptr_t>(handle);
  if (v & 3) return false;
  const uint64_t slot = (v >> 2) & kIndexMask;
  if (slot == 0 || slot > slots_.size()) return false;
  const Slot& s = slots_[slot - 1];
  if (!s.live || s.generation != static_cast<uint32_t>(v >> 32)) return false;
  *index = slot - 1;
  return true;
}

void* HandleTable::Add(HandleKind kind, std::shared_ptr<HandleObject> object) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else {
    index = slots_.size();
    slots_.emplace_back();
  }
  Slot& s = slots_[index];
  s.object = std::move(object);
  s.kind = kind;
  s.live = true;
  return reinterpret_cast<void*>(static_cast<uintptr_t>(Encode(index, s.generation)));
}

std::shared_ptr<HandleObject> HandleTable::Lookup(const void* handle, HandleKind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t index;
  if (!Decode(handle, &index) || slots_[index].kind != kind) return nullptr;
  return slots_[index].object;
}

bool HandleTable::KindOf(const void* handle, HandleKind* kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t index;
  if (!Decode(handle, &index)) return false;
  *kind = slots_[index].kind;
  return true;
}

bool HandleTable::Remove(const void* handle, HandleKind kind) {
  std::shared_ptr<HandleObject> dying;  // destroyed after the lock is released
  {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t index;
    if (!Decode(handle, &index) || slots_[index].kind != kind) return false;
    Slot& s = slots_[index];
    dying = std::move(s.object);
    s.live = false;
    s.generation = s.generation == 0xFFFFFFFFu ? 1 : s.generation + 1;
    free_.push_back(index);
  }
  return true;
}

std::vector<void*> HandleTable::LiveHandles(HandleKind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<void*> out;
  for (size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i].live && slots_[i].kind == kind)
      out.push_back(reinterpret_cast<void*>(static_cast<uintptr_t>(Encode(i, slots_[i].generation))));
  return out;
}

}  // namespace winplat
