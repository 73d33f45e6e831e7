// The SDL2 screen: one real window showing the framebuffer, presented by changed rectangles
// with vsync where the renderer has it; SDL events become input events with Windows
// virtual-key codes.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>

#include "internal/text.h"
#include "winplat_screen.h"
#include "winuser.h"

namespace winplat::screen {

namespace {

std::atomic<int> g_req_w{0}, g_req_h{0};

UINT VkOfScancode(SDL_Scancode s, bool* extended) {
  *extended = false;
  if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) return 'A' + (s - SDL_SCANCODE_A);
  if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) return '1' + (s - SDL_SCANCODE_1);
  if (s == SDL_SCANCODE_0) return '0';
  if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F12) return VK_F1 + (s - SDL_SCANCODE_F1);
  if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9) return VK_NUMPAD1 + (s - SDL_SCANCODE_KP_1);
  switch (s) {
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    case SDL_SCANCODE_INTERNATIONAL1: return VK_OEM_102;
    case SDL_SCANCODE_INTERNATIONAL3: return VK_OEM_5;
    case SDL_SCANCODE_INTERNATIONAL4: return VK_CONVERT;
    case SDL_SCANCODE_INTERNATIONAL5: return VK_NONCONVERT;
    case SDL_SCANCODE_LANG1: case SDL_SCANCODE_LANG2: return VK_KANJI;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN: *extended = true; return VK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_INSERT: *extended = true; return VK_INSERT;
    case SDL_SCANCODE_HOME: *extended = true; return VK_HOME;
    case SDL_SCANCODE_PAGEUP: *extended = true; return VK_PRIOR;
    case SDL_SCANCODE_DELETE: *extended = true; return VK_DELETE;
    case SDL_SCANCODE_END: *extended = true; return VK_END;
    case SDL_SCANCODE_PAGEDOWN: *extended = true; return VK_NEXT;
    case SDL_SCANCODE_RIGHT: *extended = true; return VK_RIGHT;
    case SDL_SCANCODE_LEFT: *extended = true; return VK_LEFT;
    case SDL_SCANCODE_DOWN: *extended = true; return VK_DOWN;
    case SDL_SCANCODE_UP: *extended = true; return VK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE: *extended = true; return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_ENTER: *extended = true; return VK_RETURN;
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_APPLICATION: *extended = true; return VK_APPS;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_LGUI: *extended = true; return VK_LWIN;
    case SDL_SCANCODE_RCTRL: *extended = true; return VK_RCONTROL;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_RALT: *extended = true; return VK_RMENU;
    case SDL_SCANCODE_RGUI: *extended = true; return VK_RWIN;
    default: return 0;
  }
}

class SdlBackend : public Backend {
 public:
  ~SdlBackend() override {
    for (auto& [id, c] : cursors_) SDL_FreeCursor(c);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    if (started_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  }

  bool Open(const char* title) {
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    started_ = true;
    SDL_DisplayMode dm{};
    if (SDL_GetDesktopDisplayMode(0, &dm) != 0) {
      dm.w = 1024;
      dm.h = 768;
    }
    int w = g_req_w.load(), h = g_req_h.load();
    if (w <= 0 || h <= 0) {
      w = dm.w;
      h = dm.h;
    }
    // The program asks for the screen's size: the window covers the desktop.
    const bool full = w == dm.w && h == dm.h;
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h,
                               SDL_WINDOW_SHOWN | (full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
    if (!window_) return false;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) return false;
    SDL_RenderSetLogicalSize(renderer_, w, h);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!texture_) return false;
    size_ = SIZE{w, h};
    pixels_ = std::make_shared<std::vector<uint32_t>>(static_cast<size_t>(w) * h);
    wakeType_ = SDL_RegisterEvents(1);
    SDL_StartTextInput();
    Damage(RECT{0, 0, w, h});
    return true;
  }

  SIZE DisplaySize() const override { return size_; }
  POINT CursorPos() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return cursor_;
  }
  void SetCursorPos(POINT p) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      cursor_ = p;
    }
    SDL_WarpMouseInWindow(window_, p.x, p.y);
  }
  void SetCursorVisible(bool visible) override {
    visible_ = visible;
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
  }
  bool CursorVisible() const override { return visible_; }
  bool HasDisplay() const override { return true; }

  Framebuffer GetFramebuffer() override {
    Framebuffer fb;
    fb.bits = reinterpret_cast<uint8_t*>(pixels_->data());
    fb.pitch = static_cast<ptrdiff_t>(size_.cx) * 4;
    fb.width = size_.cx;
    fb.height = size_.cy;
    fb.keepAlive = pixels_;
    return fb;
  }

  void Damage(const RECT& r) override {
    RECT c{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, size_.cx),
           std::min<LONG>(r.bottom, size_.cy)};
    if (c.right <= c.left || c.bottom <= c.top) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!dirty_) dirtyRect_ = c;
    else dirtyRect_ = RECT{std::min(dirtyRect_.left, c.left), std::min(dirtyRect_.top, c.top),
                           std::max(dirtyRect_.right, c.right), std::max(dirtyRect_.bottom, c.bottom)};
    dirty_ = true;
  }

  // Uploads the changed rectangle and presents (waiting for the vertical blank when vsync is on).
  void Present() override {
    RECT r;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!dirty_) return;
      r = dirtyRect_;
      dirty_ = false;
    }
    SDL_Rect sr{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_UpdateTexture(texture_, &sr, pixels_->data() + static_cast<size_t>(r.top) * size_.cx + r.left, size_.cx * 4);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  bool PollEvent(InputEvent* e) override {
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
      if (Convert(ev, e)) return true;
    }
    return false;
  }

  void WaitEvent(int timeoutMs) override {
    if (timeoutMs < 0) SDL_WaitEvent(nullptr);
    else SDL_WaitEventTimeout(nullptr, timeoutMs);
  }

  void Wake() override {
    SDL_Event ev{};
    ev.type = wakeType_;
    SDL_PushEvent(&ev);
  }

  void SetCursorShape(int idc) override {
    SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
    switch (idc) {
      case 32513: id = SDL_SYSTEM_CURSOR_IBEAM; break;
      case 32514: id = SDL_SYSTEM_CURSOR_WAIT; break;
      case 32515: id = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
      case 32642: id = SDL_SYSTEM_CURSOR_SIZENWSE; break;
      case 32643: id = SDL_SYSTEM_CURSOR_SIZENESW; break;
      case 32644: id = SDL_SYSTEM_CURSOR_SIZEWE; break;
      case 32645: id = SDL_SYSTEM_CURSOR_SIZENS; break;
      case 32640: case 32646: id = SDL_SYSTEM_CURSOR_SIZEALL; break;
      case 32648: id = SDL_SYSTEM_CURSOR_NO; break;
      case 32649: id = SDL_SYSTEM_CURSOR_HAND; break;
      case 32650: id = SDL_SYSTEM_CURSOR_WAITARROW; break;
      case 0:
        SDL_ShowCursor(SDL_DISABLE);  // no cursor (crNone)
        return;
      default: break;
    }
    if (visible_) SDL_ShowCursor(SDL_ENABLE);
    auto it = cursors_.find(id);
    if (it == cursors_.end()) it = cursors_.emplace(id, SDL_CreateSystemCursor(id)).first;
    if (it->second) SDL_SetCursor(it->second);
  }

  std::vector<SIZE> DisplayModes() const override {
    std::vector<SIZE> out{size_};
    const int n = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < n; ++i) {
      SDL_DisplayMode m;
      if (SDL_GetDisplayMode(0, i, &m) == 0) {
        SIZE s{m.w, m.h};
        if (std::none_of(out.begin(), out.end(), [&](const SIZE& o) { return o.cx == s.cx && o.cy == s.cy; })) out.push_back(s);
      }
    }
    return out;
  }

 private:
  bool Convert(const SDL_Event& ev, InputEvent* e) {
    *e = InputEvent{};
    switch (ev.type) {
      case SDL_MOUSEMOTION:
        e->kind = InputEvent::MouseMove;
        e->pt = POINT{ev.motion.x, ev.motion.y};
        SetKnownCursor(e->pt);
        return true;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        e->kind = InputEvent::MouseButton;
        e->pt = POINT{ev.button.x, ev.button.y};
        e->down = ev.type == SDL_MOUSEBUTTONDOWN;
        switch (ev.button.button) {
          case SDL_BUTTON_LEFT: e->button = 0; break;
          case SDL_BUTTON_RIGHT: e->button = 1; break;
          case SDL_BUTTON_MIDDLE: e->button = 2; break;
          case SDL_BUTTON_X1: e->button = 3; break;
          case SDL_BUTTON_X2: e->button = 4; break;
          default: return false;
        }
        SetKnownCursor(e->pt);
        return true;
      }
      case SDL_MOUSEWHEEL: {
        e->kind = InputEvent::MouseWheel;
        e->pt = CursorPos();
        int dy = ev.wheel.y;
        if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) dy = -dy;
        e->wheel = dy * WHEEL_DELTA;
        return dy != 0;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        bool ext = false;
        const UINT vk = VkOfScancode(ev.key.keysym.scancode, &ext);
        if (!vk) return false;
        e->kind = InputEvent::Key;
        e->vk = vk;
        e->down = ev.type == SDL_KEYDOWN;
        e->repeat = ev.key.repeat != 0;
        e->extended = ext;
        return true;
      }
      case SDL_TEXTINPUT:
        e->kind = InputEvent::Text;
        e->text = Utf8ToWide(ev.text.text);  // characters above U+FFFF as surrogate pairs
        return !e->text.empty();
      case SDL_WINDOWEVENT:
        switch (ev.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED: e->kind = InputEvent::FocusGained; return true;
          case SDL_WINDOWEVENT_FOCUS_LOST: e->kind = InputEvent::FocusLost; return true;
          case SDL_WINDOWEVENT_EXPOSED:
            Damage(RECT{0, 0, size_.cx, size_.cy});
            Present();
            return false;
          default: return false;
        }
      case SDL_QUIT:
        e->kind = InputEvent::Quit;
        return true;
      default:
        return false;  // the wake-up event and the rest
    }
  }

  void SetKnownCursor(POINT p) {
    std::lock_guard<std::mutex> lock(mutex_);
    cursor_ = p;
  }

  mutable std::mutex mutex_;
  bool started_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SIZE size_{0, 0};
  std::shared_ptr<std::vector<uint32_t>> pixels_;
  bool dirty_ = false;
  RECT dirtyRect_{};
  POINT cursor_{0, 0};
  bool visible_ = true;
  Uint32 wakeType_ = 0;
  std::map<int, SDL_Cursor*> cursors_;
};

}  // namespace

std::shared_ptr<Backend> MakeSdlBackend(const char* title) {
  auto b = std::make_shared<SdlBackend>();
  if (!b->Open(title ? title : "")) return nullptr;
  return b;
}

void SetSdlWindowSize(int width, int height) {
  g_req_w = width;
  g_req_h = height;
}

}  // namespace winplat::screen
