// sdl.cpp — the SDL2 display: real windows on the desktop (X11 or Wayland).
//
// Each top-level window is one SDL window showing the frame winport presents (menu bar, then
// client area), copied band by band into the window's surface. SDL's input becomes calls of the input sink
// for the window it belongs to. Waiting blocks inside SDL until input arrives or the deadline
// passes, so an idle program costs no processor time.
//
// On a large screen every window is shown at twice its size, or at WINPORT_SCALE times; winport
// itself never sees the scale: screen_size reports the desktop divided by it, window positions and
// sizes are multiplied by it, and mouse coordinates are divided by it before they reach the sink.
// Positions and sizes scale alike, so windows placed apart on the screen the program sees stay
// apart; but a program lays its windows out for the screen it sees, and one made for a desktop of
// ordinary size (TEVRA's graphics window above a text window on the bottom third) overlaps on a
// smaller one. So a scale is used only while the screen it leaves is at least kMinScaled.
#include "display/display.h"
#include "display/input.h"
#include "display/sdl_scale.h"
#include "keyboard/keys.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace winport::display {
namespace {

// What the display keeps per window. NativeWindow stays an opaque name for the rest of winport.
struct SdlWindow {
  HWND hwnd;
  SDL_Window *window;
  Uint32 id;
  int image_width;   // size of the image last presented, before scaling
  int image_height;
  // Shown, but nothing presented yet: the window is mapped once it has its real size (the image's,
  // not the outer rectangle's), so the desktop never places or shows it at the wrong size.
  bool show_pending;
};

NativeWindow *as_native(SdlWindow *w) { return reinterpret_cast<NativeWindow *>(w); }
SdlWindow *as_sdl(NativeWindow *w) { return reinterpret_cast<SdlWindow *>(w); }

struct State {
  bool started = false;
  int scale = 1;
  std::vector<SdlWindow *> windows;
};
State sdl;

[[noreturn]] void give_up(const char *what) {
  std::fprintf(stderr,
               "winport: %s; set DISPLAY to a running X server, "
               "or WINPORT_DISPLAY=headless to run without a screen\n",
               what);
  std::exit(EXIT_FAILURE);
}

// The smallest screen a scale may leave the program.
constexpr int kMinScaledWidth = 1280;
constexpr int kMinScaledHeight = 960;

// SDL2's functions, looked up when the SDL display is first used: a program that never shows a
// window (a headless run, a tool) does not load SDL2 and the many libraries it brings at all.
#define WINPORT_SDL_FUNCTIONS(X) \
  X(SDL_SetHint) \
  X(SDL_SetHintWithPriority) \
  X(SDL_InitSubSystem) \
  X(SDL_GetError) \
  X(SDL_GetCurrentVideoDriver) \
  X(SDL_StopTextInput) \
  X(SDL_GetDesktopDisplayMode) \
  X(SDL_CreateWindow) \
  X(SDL_GetWindowID) \
  X(SDL_DestroyWindow) \
  X(SDL_ShowWindow) \
  X(SDL_HideWindow) \
  X(SDL_SetWindowTitle) \
  X(SDL_SetWindowSize) \
  X(SDL_GetWindowSurface) \
  X(SDL_LockSurface) \
  X(SDL_UnlockSurface) \
  X(SDL_CreateRGBSurfaceWithFormatFrom) \
  X(SDL_UpperBlitScaled) \
  X(SDL_FreeSurface) \
  X(SDL_UpdateWindowSurface) \
  X(SDL_GetTicks64) \
  X(SDL_PollEvent) \
  X(SDL_WaitEventTimeout)

struct Api {
#define WINPORT_SDL_MEMBER(name) decltype(&::name) name = nullptr;
  WINPORT_SDL_FUNCTIONS(WINPORT_SDL_MEMBER)
#undef WINPORT_SDL_MEMBER
};
Api api;

void load() {
  static bool loaded = false;
  if (loaded) return;
  void *library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    char what[512];
    std::snprintf(what, sizeof what, "SDL2 could not be loaded (%s)", dlerror());
    give_up(what);
  }
#define WINPORT_SDL_LOOKUP(name)                                                      \
  api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, #name));            \
  if (api.name == nullptr) give_up("SDL2 lacks " #name " (version 2.0.18 or later is needed)");
  WINPORT_SDL_FUNCTIONS(WINPORT_SDL_LOOKUP)
#undef WINPORT_SDL_LOOKUP
  loaded = true;
}

int scale_for_screen() {
  SDL_DisplayMode mode;
  const bool known = api.SDL_GetDesktopDisplayMode(0, &mode) == 0;
  auto fits = [&](int scale) {
    return !known || (mode.w / scale >= kMinScaledWidth && mode.h / scale >= kMinScaledHeight);
  };
  if (const char *forced = std::getenv("WINPORT_SCALE"); forced != nullptr && *forced != '\0') {
    char *end = nullptr;
    long n = std::strtol(forced, &end, 10);
    if (*end == '\0' && n >= 1 && n <= 8) {
      int scale = static_cast<int>(n);
      while (scale > 1 && !fits(scale)) --scale;
      if (scale != n)
        std::fprintf(stderr,
                     "winport: WINPORT_SCALE=%s would leave a screen of %d x %d (less than %d x %d), "
                     "where windows laid out for the desktop would overlap; using %d\n",
                     forced, mode.w / static_cast<int>(n), mode.h / static_cast<int>(n), kMinScaledWidth,
                     kMinScaledHeight, scale);
      return scale;
    }
    std::fprintf(stderr, "winport: ignoring WINPORT_SCALE=%s (a whole number from 1 to 8)\n", forced);
  }
  return known && fits(2) ? 2 : 1;
}

void start() {
  if (sdl.started) return;
  load();
  // Ctrl+C should end the program as usual, not become an SDL_QUIT nobody asked for.
  api.SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A window program does not hold off the screen saver.
  api.SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // The first click into a window that lacks the focus still counts as a click.
  api.SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Draw through the window system's own image path (shared memory on X11), not an OpenGL texture:
  // nothing to set up, nothing running behind an idle window, and it works on any X server.
  api.SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
  // These are ordinary desktop windows, not full-screen games: leave the compositor alone.
  api.SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Without a Wayland display named, the desktop is X's: SDL need not try Wayland first (which
  // only fills standard error with complaints when it is not there either).
  const char *asked = std::getenv("SDL_VIDEODRIVER");
  const char *x_display = std::getenv("DISPLAY");
  const char *wayland_display = std::getenv("WAYLAND_DISPLAY");
  if (x_display != nullptr && *x_display == '\0') x_display = nullptr;
  if (wayland_display != nullptr && *wayland_display == '\0') wayland_display = nullptr;
  if ((asked == nullptr || *asked == '\0') && wayland_display == nullptr) api.SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  bool started = api.SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  // Without a desktop SDL quietly picks its offscreen driver: windows nobody can see, input that
  // never comes. Accept it only when asked for by name.
  const char *driver = started ? api.SDL_GetCurrentVideoDriver() : nullptr;
  bool invisible = driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
  if (invisible && (asked == nullptr || driver == nullptr || std::strcmp(asked, driver) != 0)) {
    char what[512];
    if (wayland_display != nullptr || x_display != nullptr) {
      // Name the display that did not answer, as the user set it.
      bool wayland = wayland_display != nullptr;
      std::snprintf(what, sizeof what, "cannot reach the %s display %s (from %s)", wayland ? "Wayland" : "X",
                    wayland ? wayland_display : x_display, wayland ? "WAYLAND_DISPLAY" : "DISPLAY");
    } else if (started) {
      std::snprintf(what, sizeof what, "SDL found no desktop (it offered its '%s' driver, which shows nothing)",
                    driver != nullptr ? driver : "none");
    } else {
      std::snprintf(what, sizeof what, "SDL found no desktop (%s)", api.SDL_GetError());
    }
    give_up(what);
  }
  // Characters come from the keys themselves (translate() below), paired with their key-down as
  // Win32 pairs WM_CHAR with WM_KEYDOWN; an input method in between would only reorder them.
  api.SDL_StopTextInput();
  sdl.scale = scale_for_screen();
  sdl.started = true;
}

SdlWindow *find(Uint32 id) {
  for (SdlWindow *w : sdl.windows)
    if (w->id == id) return w;
  return nullptr;
}

int unscale(int v) { return sdl_scale::unscale(v, sdl.scale); }

// ---- keys ----------------------------------------------------------------------------------

// Keys that type no character of their own in SDL's keycodes: SDL names them apart.
constexpr int kVkClear = 0x0C;
constexpr int kVkNumpad0 = 0x60;

struct KeyMapping {
  SDL_Keycode key;
  int vk;
};

constexpr KeyMapping kKeys[] = {
    {SDLK_KP_ENTER, VK_RETURN}, {SDLK_DELETE, VK_DELETE}, {SDLK_INSERT, VK_INSERT},
    {SDLK_HOME, VK_HOME},       {SDLK_END, VK_END},       {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},   {SDLK_LEFT, VK_LEFT},     {SDLK_RIGHT, VK_RIGHT},
    {SDLK_UP, VK_UP},           {SDLK_DOWN, VK_DOWN},     {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL},   {SDLK_LSHIFT, VK_SHIFT},  {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LALT, VK_MENU},       {SDLK_RALT, VK_MENU},     {SDLK_KP_MULTIPLY, 0x6A},
    {SDLK_KP_PLUS, 0x6B},       {SDLK_KP_MINUS, 0x6D},    {SDLK_KP_DIVIDE, 0x6F},
};

// The keypad's digit keys with Num Lock off act as the navigation keys printed on them.
constexpr int kKeypadNavigation[10] = {VK_INSERT, VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,
                                       kVkClear,  VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR};

struct Key {
  int vk = 0;             // 0: a key winport does not know
  unsigned char ch = 0;   // the character it types without Ctrl, US layout
};

// The virtual key of a keypad key, or 0 for a key off the keypad's digits and point.
int keypad_vk(SDL_Keycode key, Uint16 mod) {
  if (!((key >= SDLK_KP_1 && key <= SDLK_KP_0) || key == SDLK_KP_PERIOD)) return 0;
  // SDL numbers the keypad 1..9 then 0.
  int digit = key == SDLK_KP_0 ? 0 : key == SDLK_KP_PERIOD ? -1 : static_cast<int>(key - SDLK_KP_1) + 1;
  if ((mod & KMOD_NUM) == 0) return digit < 0 ? VK_DELETE : kKeypadNavigation[digit];
  return digit < 0 ? 0x6E : kVkNumpad0 + digit;
}

int virtual_key(SDL_Keycode key, Uint16 mod) {
  // The keycode of a key that types a character is the character it types without Shift.
  bool shifted = false;
  const keyboard::Key *typed = key > 0 && key < 0x80 ? keyboard::typing(static_cast<unsigned char>(key), &shifted)
                                                     : nullptr;
  if (typed != nullptr && !shifted) return typed->vk;
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<int>(key - SDLK_F1);
  if (int vk = keypad_vk(key, mod)) return vk;
  for (const KeyMapping &m : kKeys)
    if (m.key == key) return m.vk;
  return 0;
}

Key translate(SDL_Keycode key, Uint16 mod) {
  const int vk = virtual_key(key, mod);
  bool shift = (mod & KMOD_SHIFT) != 0;
  if (vk >= 'A' && vk <= 'Z' && (mod & KMOD_CAPS) != 0) shift = !shift;  // Caps Lock shifts letters only
  return {vk, keyboard::character(vk, shift, false)};
}

// ---- events --------------------------------------------------------------------------------

void handle_window_event(const SDL_WindowEvent &e) {
  SdlWindow *w = find(e.windowID);
  if (w == nullptr) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: input::close(w->hwnd); break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:  // a new window surface, still empty
      input::expose(w->hwnd);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: input::focus(w->hwnd, true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: input::focus(w->hwnd, false); break;
    default: break;
  }
}

void handle(const SDL_Event &e) {
  switch (e.type) {
    case SDL_WINDOWEVENT: handle_window_event(e.window); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      SdlWindow *w = find(e.button.windowID);
      if (w == nullptr || e.button.button < SDL_BUTTON_LEFT || e.button.button > SDL_BUTTON_RIGHT) break;
      input::mouse_button(w->hwnd, e.button.button, e.type == SDL_MOUSEBUTTONDOWN, unscale(e.button.x),
                          unscale(e.button.y));
      break;
    }
    case SDL_MOUSEMOTION: {
      if (SdlWindow *w = find(e.motion.windowID)) input::mouse_move(w->hwnd, unscale(e.motion.x), unscale(e.motion.y));
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      SdlWindow *w = find(e.key.windowID);
      if (w == nullptr) break;
      Uint16 mod = e.key.keysym.mod;
      Key k = translate(e.key.keysym.sym, mod);
      if (k.vk == 0) break;
      input::key(w->hwnd, k.vk, e.type == SDL_KEYDOWN, e.type == SDL_KEYDOWN ? k.ch : 0, (mod & KMOD_CTRL) != 0,
                 (mod & KMOD_SHIFT) != 0, (mod & KMOD_ALT) != 0);
      break;
    }
    default: break;  // text input is covered by the key-downs; SDL_QUIT by each window's close
  }
}

// ---- the table -----------------------------------------------------------------------------

void screen_size(int *width, int *height) {
  start();
  SDL_DisplayMode mode;
  if (api.SDL_GetDesktopDisplayMode(0, &mode) != 0) {
    mode.w = 1024 * sdl.scale;
    mode.h = 768 * sdl.scale;
  }
  *width = mode.w / sdl.scale;
  *height = mode.h / sdl.scale;
}

NativeWindow *create(HWND hwnd, const char *title, int x, int y, int width, int height) {
  start();
  const auto [px, py, w, h] = sdl_scale::place(x, y, width, height, sdl.scale);
  SDL_Window *window = api.SDL_CreateWindow(title != nullptr ? title : "", px, py, w, h, SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    char what[512];
    std::snprintf(what, sizeof what, "SDL could not create a window (%s)", api.SDL_GetError());
    give_up(what);
  }
  auto *native = new SdlWindow{hwnd, window, api.SDL_GetWindowID(window), 0, 0, false};
  sdl.windows.push_back(native);
  return as_native(native);
}

void destroy(NativeWindow *window) {
  SdlWindow *w = as_sdl(window);
  if (w == nullptr) return;
  sdl.windows.erase(std::remove(sdl.windows.begin(), sdl.windows.end(), w), sdl.windows.end());
  api.SDL_DestroyWindow(w->window);
  delete w;
}

void show(NativeWindow *window, bool visible) {
  SdlWindow *w = as_sdl(window);
  if (w == nullptr) return;
  w->show_pending = visible && w->image_width == 0;
  if (w->show_pending) return;  // shown by the first present, or the next pump at the latest
  if (visible)
    api.SDL_ShowWindow(w->window);
  else
    api.SDL_HideWindow(w->window);
}

void show_pending_windows() {
  for (SdlWindow *w : sdl.windows)
    if (w->show_pending) {
      w->show_pending = false;
      api.SDL_ShowWindow(w->window);
    }
}

void set_title(NativeWindow *window, const char *title) {
  if (window != nullptr) api.SDL_SetWindowTitle(as_sdl(window)->window, title != nullptr ? title : "");
}

// Copies the frame into a 32-bit window surface, each pixel as a scale x scale block. `fill` sets
// the bits the surface wants set that the frame leaves clear (opaque alpha).
void copy_scaled(const Frame &frame, SDL_Surface *dst, uint32_t fill) {
  int s = sdl.scale;
  int columns = std::min(frame.width, dst->w / s);
  int rows = std::min(frame.height(), dst->h / s);
  auto *base = static_cast<uint8_t *>(dst->pixels);
  for (int y = 0; y < rows; ++y) {
    const uint32_t *src = frame.row(y);
    for (int r = 0; r < s; ++r) {
      auto *out = reinterpret_cast<uint32_t *>(base + static_cast<size_t>(y * s + r) * static_cast<size_t>(dst->pitch));
      if (s == 1) {
        for (int x = 0; x < columns; ++x) out[x] = src[x] | fill;
        continue;
      }
      for (int x = 0; x < columns; ++x)
        for (int k = 0; k < s; ++k) out[x * s + k] = src[x] | fill;
    }
  }
}

// Some other surface layout: SDL converts (and stretches) each band.
void blit_band(const uint32_t *pixels, int width, int height, int stride, int top, SDL_Surface *dst) {
  if (pixels == nullptr || height <= 0) return;
  SDL_Surface *src = api.SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t *>(pixels), width, height, 32,
                                                        stride * 4, SDL_PIXELFORMAT_RGB888);
  if (src == nullptr) return;
  SDL_Rect to{0, top * sdl.scale, width * sdl.scale, height * sdl.scale};
  api.SDL_UpperBlitScaled(src, nullptr, dst, &to);
  api.SDL_FreeSurface(src);
}

bool valid(const Frame &f) {
  const bool bar_ok = f.bar_height == 0 || (f.bar != nullptr && f.bar_height > 0 && f.bar_stride >= f.width);
  const bool client_ok =
      f.client_height == 0 || (f.client != nullptr && f.client_height > 0 && f.client_stride >= f.width);
  return f.width > 0 && f.bar_height >= 0 && f.client_height >= 0 && f.height() > 0 && bar_ok && client_ok;
}

void present(NativeWindow *window, const Frame &frame) {
  SdlWindow *w = as_sdl(window);
  if (w == nullptr || !valid(frame)) return;
  Frame f = frame;
  f.width = std::min(f.width, 16384);
  f.bar_height = std::min(f.bar_height, 16384);
  f.client_height = std::min(f.client_height, 16384 - f.bar_height);
  const int width = f.width, height = f.height();
  // The window shows the image and nothing else: follow its size (a menu bar added or taken away).
  if (width != w->image_width || height != w->image_height) {
    api.SDL_SetWindowSize(w->window, width * sdl.scale, height * sdl.scale);
    w->image_width = width;
    w->image_height = height;
  }
  SDL_Surface *dst = api.SDL_GetWindowSurface(w->window);
  if (dst == nullptr) return;  // the window system refused a surface; the next present tries again
  if (SDL_MUSTLOCK(dst) && api.SDL_LockSurface(dst) != 0) return;
  Uint32 format = dst->format->format;
  if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888) {
    copy_scaled(f, dst, format == SDL_PIXELFORMAT_ARGB8888 ? 0xFF000000u : 0u);
    if (SDL_MUSTLOCK(dst)) api.SDL_UnlockSurface(dst);
  } else {
    if (SDL_MUSTLOCK(dst)) api.SDL_UnlockSurface(dst);
    blit_band(f.bar, width, f.bar_height, f.bar_stride, 0, dst);
    blit_band(f.client, width, f.client_height, f.client_stride, f.bar_height, dst);
  }
  api.SDL_UpdateWindowSurface(w->window);
  if (w->show_pending) {
    w->show_pending = false;
    api.SDL_ShowWindow(w->window);  // its expose brings the first frame on screen
  }
}

uint64_t now_ms() {
  load();
  return api.SDL_GetTicks64();
}

void pump(bool wait, uint64_t deadline_ms) {
  start();
  show_pending_windows();  // a window shown but never presented still appears
  SDL_Event e;
  bool any = false;
  while (api.SDL_PollEvent(&e) != 0) {
    handle(e);
    any = true;
  }
  if (!wait || any) return;
  uint64_t now = api.SDL_GetTicks64();
  if (deadline_ms != UINT64_MAX && now >= deadline_ms) return;
  int timeout = deadline_ms == UINT64_MAX ? -1 : static_cast<int>(std::min<uint64_t>(deadline_ms - now, INT_MAX));
  // Blocks in the window system's connection: no processor time until input or the deadline.
  if (api.SDL_WaitEventTimeout(&e, timeout) == 0) return;
  handle(e);
  while (api.SDL_PollEvent(&e) != 0) handle(e);
}

}  // namespace

const Display &sdl_display() {
  static const Display display{"sdl", screen_size, create, destroy, show, set_title, present, now_ms, pump};
  return display;
}

}  // namespace winport::display
