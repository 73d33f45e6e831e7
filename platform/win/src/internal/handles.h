// The platform's handle table. A handle is a pointer-sized value naming a slot and its generation,
// so a stale or forged handle is recognised (lookup fails) instead of reaching freed memory.
#pragma once
#include <memory>
#include <mutex>
#include <vector>
#include "wintypes.h"

namespace winplat {

enum class HandleKind : uint8_t {
  File, Find, Module, Global, Mapping, Event,
  DC, Bitmap, Pen, Brush, Font, Region, Palette,
  Window, Hook, Menu, Icon, Cursor, ImageList, Timer, Listing, Other
};

// Every object a handle names derives from this.
struct HandleObject {
  virtual ~HandleObject() = default;
};

class HandleTable {
 public:
  static HandleTable& Instance();

  // Stores the object and answers its new handle (never null, never INVALID_HANDLE_VALUE).
  void* Add(HandleKind kind, std::shared_ptr<HandleObject> object);
  // The object for a live handle of the given kind, or null.
  std::shared_ptr<HandleObject> Lookup(const void* handle, HandleKind kind) const;
  template <class T>
  std::shared_ptr<T> Get(const void* handle, HandleKind kind) const {
    return std::dynamic_pointer_cast<T>(Lookup(handle, kind));
  }
  // Kind of a live handle; false when the handle is not live.
  bool KindOf(const void* handle, HandleKind* kind) const;
  // Frees the slot; false when the handle is not live or of another kind.
  bool Remove(const void* handle, HandleKind kind);
  // Live handles of one kind, in slot order (for enumerations).
  std::vector<void*> LiveHandles(HandleKind kind) const;

 private:
  struct Slot {
    std::shared_ptr<HandleObject> object;
    uint32_t generation = 1;
    HandleKind kind = HandleKind::Other;
    bool live = false;
  };
  bool Decode(const void* handle, size_t* index) const;
  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  std::vector<size_t> free_;
};

}  // namespace winplat
