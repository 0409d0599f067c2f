// The SDL backend: every shown toolkit window is a real window presenting its
// port. Mouse, modifiers and keys become toolkit input; the window manager's
// close box sends the window's cancel command.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "../../toolkit.h"

namespace zv::tk {
namespace {

struct Screen {
  WindowRef ref;
  SDL_Window *window;
  SDL_Renderer *renderer;
  SDL_Texture *texture;
};

UInt32 Modifiers() {
  SDL_Keymod m = SDL_GetModState();
  UInt32 mods = 0;
  if (m & KMOD_SHIFT) mods |= shiftKey;
  if (m & KMOD_ALT) mods |= optionKey;
  if (m & KMOD_GUI) mods |= cmdKey;
  if (m & KMOD_CTRL) mods |= controlKey;
  return mods;
}

class SdlBackend : public Backend {
public:
  ~SdlBackend() override {
    for (auto &s : screens_) Destroy(s);
    SDL_Quit();
  }

  Input next() override {
    for (;;) {
      present();
      SDL_Event e;
      if (!SDL_WaitEventTimeout(&e, 40)) continue;
      Input in;
      if (translate(e, in)) return in;
    }
  }

  void windowShown(WindowRef ref) override {
    Window *w = LiveWindow(ref);
    if (!w) return;
    Screen s{ref, nullptr, nullptr, nullptr};
    s.window = SDL_CreateWindow(w->title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w->width, w->height,
                                SDL_WINDOW_SHOWN);
    if (s.window) s.renderer = SDL_CreateRenderer(s.window, -1, 0);
    if (s.renderer)
      s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_ARGB32, SDL_TEXTUREACCESS_STREAMING, w->width, w->height);
    if (!s.texture) {
      std::fprintf(stderr, "zorvane: cannot show the window %s: %s\n", w->name.c_str(), SDL_GetError());
      Destroy(s);
      return;
    }
    screens_.push_back(s);
  }

  void windowGone(WindowRef ref) override {
    auto it = std::find_if(screens_.begin(), screens_.end(), [&](const Screen &s) { return s.ref == ref; });
    if (it == screens_.end()) return;
    Destroy(*it);
    screens_.erase(it);
  }

private:
  static void Destroy(Screen &s) {
    if (s.texture) SDL_DestroyTexture(s.texture);
    if (s.renderer) SDL_DestroyRenderer(s.renderer);
    if (s.window) SDL_DestroyWindow(s.window);
  }

  void present() {
    for (auto &s : screens_) {
      Window *w = LiveWindow(s.ref);
      if (!w) continue;
      PixMapHandle pm = GetPortPixMap(w->port);
      SDL_UpdateTexture(s.texture, nullptr, GetPixBaseAddr(pm), static_cast<int>(GetPixRowBytes(pm)));
      SDL_RenderClear(s.renderer);
      SDL_RenderCopy(s.renderer, s.texture, nullptr, nullptr);
      SDL_RenderPresent(s.renderer);
    }
  }

  WindowRef refOf(Uint32 windowID) {
    SDL_Window *win = SDL_GetWindowFromID(windowID);
    for (auto &s : screens_)
      if (s.window == win) return s.ref;
    return nullptr;
  }

  bool mouse(InputKind kind, Uint32 windowID, int x, int y, Input &in) {
    in.kind = kind;
    in.window = refOf(windowID);
    in.x = x;
    in.y = y;
    in.modifiers = Modifiers();
    return in.window != nullptr;
  }

  bool translate(const SDL_Event &e, Input &in) {
    switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button != SDL_BUTTON_LEFT) return false;
      SDL_CaptureMouse(SDL_TRUE);  // the release arrives even off the window
      return mouse(InputKind::MouseDown, e.button.windowID, e.button.x, e.button.y, in);
    case SDL_MOUSEBUTTONUP:
      if (e.button.button != SDL_BUTTON_LEFT) return false;
      SDL_CaptureMouse(SDL_FALSE);
      return mouse(InputKind::MouseUp, e.button.windowID, e.button.x, e.button.y, in);
    case SDL_MOUSEMOTION:
      if (!(e.motion.state & SDL_BUTTON_LMASK)) return false;
      return mouse(InputKind::MouseDrag, e.motion.windowID, e.motion.x, e.motion.y, in);
    case SDL_KEYDOWN: {
      in.kind = InputKind::Key;
      in.window = refOf(e.key.windowID);
      in.modifiers = Modifiers();
      SDL_Keycode k = e.key.keysym.sym;
      if (k == SDLK_RETURN || k == SDLK_KP_ENTER) in.key = Key::Return;
      else if (k == SDLK_ESCAPE) in.key = Key::Escape;
      else if (k >= 32 && k < 127) in.character = static_cast<char>(k);
      else return false;
      return in.window != nullptr;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event != SDL_WINDOWEVENT_CLOSE) return false;
      in.kind = InputKind::Close;
      in.window = refOf(e.window.windowID);
      return in.window != nullptr;
    case SDL_QUIT:
      in.kind = InputKind::Close;  // to the front window
      return true;
    default: return false;
    }
  }

  std::vector<Screen> screens_;
};

// An X display, or a Wayland socket that exists. Without either SDL would try
// the console's drivers, which can wait forever for a screen nobody sees.
bool DisplayReachable() {
  const char *x = std::getenv("DISPLAY");
  if (x != nullptr && x[0] != '\0') return true;
  const char *wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland == nullptr || wayland[0] == '\0') return false;
  std::string socket = wayland;
  if (socket[0] != '/') {
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') return false;
    socket = std::string(runtime) + "/" + socket;
  }
  struct stat info {};
  return ::stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

std::unique_ptr<Backend> MakeSdlBackend(OSStatus *err) {
  *err = ioErr;
  if (std::getenv("SDL_VIDEODRIVER") == nullptr && !DisplayReachable()) return nullptr;
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
    std::fprintf(stderr, "zorvane: cannot open the screen: %s\n", SDL_GetError());
    return nullptr;
  }
  *err = noErr;
  return std::make_unique<SdlBackend>();
}

}  // namespace zv::tk
