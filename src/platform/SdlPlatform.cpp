// The SDL2 implementation of the platform layer: window, events, clock,
// message boxes and clipboard. The render back end is in SdlRenderer.cpp.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <deque>

#include "platform/Platform.h"
#include "platform/SdlControllers.h"
#include "platform/SdlRenderer.h"

namespace plat {
namespace {

// The smallest client area the window may be given: below it the texts of the
// forms cannot be read.
constexpr int kMinClientWidth = 400;
constexpr int kMinClientHeight = 300;
// How long a full-screen request may take to reach the window before the
// window system is taken to have refused it (no window manager to carry it out).
constexpr Uint32 kFullScreenGraceMs = 1000;

int VirtualKeyFromSdl(SDL_Keycode k) {
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return vkF1 + (k - SDLK_F1);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return 97 + (k - SDLK_KP_1);
  switch (k) {
    case SDLK_KP_0: return 96;
    case SDLK_BACKSPACE: return vkBack;
    case SDLK_TAB: return vkTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return vkReturn;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vkShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vkControl;
    case SDLK_LALT:
    case SDLK_RALT: return vkMenu;
    case SDLK_PAUSE: return vkPause;
    case SDLK_ESCAPE: return vkEscape;
    case SDLK_SPACE: return vkSpace;
    case SDLK_PAGEUP: return vkPrior;
    case SDLK_PAGEDOWN: return vkNext;
    case SDLK_END: return vkEnd;
    case SDLK_HOME: return vkHome;
    case SDLK_LEFT: return vkLeft;
    case SDLK_UP: return vkUp;
    case SDLK_RIGHT: return vkRight;
    case SDLK_DOWN: return vkDown;
    case SDLK_INSERT: return vkInsert;
    case SDLK_DELETE: return vkDelete;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_COMMA: return 188;
    default: return 0;
  }
}

int ButtonFromSdl(uint8_t b) {
  switch (b) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    case SDL_BUTTON_X2: return 4;
    default: return -1;
  }
}

class SdlPlatform final : public Platform {
 public:
  ~SdlPlatform() override {
    Controllers_.reset();
    Renderer_.reset();
    if (Window_) SDL_DestroyWindow(Window_);
    SDL_QuitSubSystem(Subsystems_);
  }

  bool Init(const PlatformOptions& options, std::string& error) {
    Options_ = options;
    if (options.Headless) {
      // No window and no audio device: a software renderer into an off-screen
      // picture and a virtual clock.
      Subsystems_ = SDL_INIT_TIMER;
      if (SDL_InitSubSystem(Subsystems_) != 0) {
        error = SDL_GetError();
        return false;
      }
      Renderer_ = CreateSdlRenderer(nullptr, options.Width, options.Height, false, error);
      if (Renderer_ && options.Controllers) StartControllers();
      return Renderer_ != nullptr;
    }
    Subsystems_ = SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS;
    if (SDL_InitSubSystem(Subsystems_) != 0) {
      error = SDL_GetError();
      return false;
    }
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (options.FullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    Window_ = SDL_CreateWindow(options.Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               options.Width, options.Height, flags);
    if (!Window_) {
      error = SDL_GetError();
      return false;
    }
    SDL_SetWindowMinimumSize(Window_, kMinClientWidth, kMinClientHeight);
    Renderer_ = CreateSdlRenderer(Window_, options.Width, options.Height, options.VSync, error);
    if (!Renderer_) return false;
    FullScreen_ = options.FullScreen;
    SDL_StartTextInput();
    StartControllers();
    return true;
  }

  // Pads are a convenience: without them the game plays on keys and mouse.
  void StartControllers() {
    Controllers_ = std::make_unique<SdlControllers>();
    if (!Controllers_->Init()) Controllers_.reset();
  }

  int PadCount() const override { return Controllers_ ? Controllers_->Count() : 0; }

  bool Headless() const override { return Options_.Headless; }
  Clock& GetClock() override {
    if (Options_.Headless) return Virtual_;
    return System_;
  }
  Renderer& GetRenderer() override { return *Renderer_; }

  void ShowWindow() override {
    if (Window_) SDL_ShowWindow(Window_);
  }
  void HideWindow() override {
    if (Window_) SDL_HideWindow(Window_);
  }
  bool SetFullScreen(bool fullScreen) override {
    if (Window_ && SDL_SetWindowFullscreen(Window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
      return false;
    FullScreen_ = fullScreen;
    FullScreenSince_ = SDL_GetTicks();
    FullScreenChecked_ = false;
    return true;
  }
  void SetClientSize(int w, int h) override {
    if (Window_ && !FullScreen_) SDL_SetWindowSize(Window_, w, h);
  }
  bool FullScreen() const override { return FullScreen_; }
  void SetWindowPosition(int left, int top) override {
    if (!Window_ || FullScreen_) return;
    // The requested position is the client area's; keep the title bar on screen.
    int borderTop = 0;
    SDL_GetWindowBordersSize(Window_, &borderTop, nullptr, nullptr, nullptr);
    SDL_SetWindowPosition(Window_, left, top < borderTop ? borderTop : top);
  }
  void DesktopSize(int& w, int& h) override {
    SDL_DisplayMode mode;
    if (Window_ && SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(Window_), &mode) == 0) {
      w = mode.w;
      h = mode.h;
    } else {
      w = Options_.Width;
      h = Options_.Height;
    }
  }
  void SetSystemCursorVisible(bool visible) override {
    if (Window_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
  }
  void CursorPosition(int& x, int& y) override {
    x = CursorX_;
    y = CursorY_;
  }

  bool PollEvent(Event& e) override {
    if (Window_ || Controllers_) {
      SDL_Event ev;
      while (SDL_PollEvent(&ev)) Translate(ev);
      if (Window_) CheckFullScreenTaken();
    }
    if (Queue_.empty()) return false;
    e = Queue_.front();
    Queue_.pop_front();
    if (e.Type == EventType::MouseMove || e.Type == EventType::MouseDown || e.Type == EventType::MouseUp) {
      CursorX_ = e.X;
      CursorY_ = e.Y;
    }
    return true;
  }

  void InjectEvent(const Event& e) override { Queue_.push_back(e); }

  void MessageBox(const std::string& title, const std::string& text, bool error) override {
    if (Options_.Headless || !Window_) {
      std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
      return;
    }
    // The box shows each line as it is: a long sentence (with a file's path)
    // would run off the screen.
    SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, title.c_str(),
                             AnsiToUtf8(WrapLines(text, 72)).c_str(), Window_);
  }

  std::string ClipboardText() override {
    if (!Window_) return HeadlessClipboard_;
    char* text = SDL_GetClipboardText();
    std::string out = text ? Utf8ToAnsi(text) : std::string();
    SDL_free(text);
    return out;
  }
  void SetClipboardText(const std::string& text) override {
    if (!Window_) {
      HeadlessClipboard_ = text;
      return;
    }
    SDL_SetClipboardText(AnsiToUtf8(text).c_str());
  }

 private:
  // The client area the window system has really given the window, when it
  // can be asked (X11); false otherwise.
  bool SystemClientSize(int& w, int& h) const {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(Window_, &info)) return false;
#if defined(SDL_VIDEO_DRIVER_X11) && defined(GW_HAVE_X11)
    XWindowAttributes attributes;
    if (info.subsystem == SDL_SYSWM_X11 &&
        XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes)) {
      w = attributes.width;
      h = attributes.height;
      return true;
    }
#endif
    (void)w;
    (void)h;
    return false;
  }

  // SDL takes a full-screen request as carried out at once and from then on
  // reports the desktop's size for the window, its renderer and its mouse.
  // Without a window manager nobody carries it out: the window keeps its size
  // and a picture drawn for the desktop is cropped. When the window does not
  // cover the desktop once the request has had time to arrive, the request is
  // withdrawn, so that SDL again measures the window it has and the picture
  // is letterboxed into that.
  void CheckFullScreenTaken() {
    if (!FullScreen_ || FullScreenChecked_ || !(SDL_GetWindowFlags(Window_) & SDL_WINDOW_SHOWN)) return;
    if (SDL_GetTicks() - FullScreenSince_ < kFullScreenGraceMs) return;
    FullScreenChecked_ = true;  // once: the question is a round trip to the X server
    int realW = 0, realH = 0;
    SDL_DisplayMode desktop;
    if (!SystemClientSize(realW, realH) ||
        SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(Window_), &desktop) != 0)
      return;
    if (realW == desktop.w && realH == desktop.h) return;
    std::fprintf(stderr, "grovewright: the window system kept the window at %dx%d; full screen is off\n", realW,
                 realH);
    SDL_SetWindowFullscreen(Window_, 0);
    SDL_SetWindowSize(Window_, realW < kMinClientWidth ? kMinClientWidth : realW,
                      realH < kMinClientHeight ? kMinClientHeight : realH);
    FullScreen_ = false;
    if (Renderer_) Renderer_->Invalidate();
  }

  // Without a window manager nothing holds a window to its minimum size: a
  // resize from outside below it is undone.
  void KeepMinimumSize(int w, int h) {
    if (FullScreen_ || (w >= kMinClientWidth && h >= kMinClientHeight)) return;
    SDL_SetWindowSize(Window_, w < kMinClientWidth ? kMinClientWidth : w, h < kMinClientHeight ? kMinClientHeight : h);
  }

  // Window pixels to game pixels through the letterbox.
  void ToGame(int wx, int wy, int& gx, int& gy) {
    int ww = 0, wh = 0;
    SDL_GetWindowSize(Window_, &ww, &wh);
    SDL_Rect r = LetterboxRect(ww, wh, Options_.Width, Options_.Height);
    if (r.w <= 0 || r.h <= 0) {
      gx = wx;
      gy = wy;
      return;
    }
    gx = static_cast<int>(static_cast<int64_t>(wx - r.x) * Options_.Width / r.w);
    gy = static_cast<int>(static_cast<int64_t>(wy - r.y) * Options_.Height / r.h);
  }

  void Push(const Event& e) { Queue_.push_back(e); }

  void Translate(const SDL_Event& ev) {
    if (Controllers_) {
      std::vector<Event> pads;
      if (Controllers_->Translate(ev, pads)) {
        for (const Event& p : pads) Push(p);
        return;
      }
    }
    Event e;
    switch (ev.type) {
      case SDL_QUIT:
        e.Type = EventType::Quit;
        Push(e);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const int vk = VirtualKeyFromSdl(ev.key.keysym.sym);
        if (vk == 0) break;
        e.Type = ev.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
        e.Key = vk;
        Push(e);
        // Keys that type a control character, as the window system reports them.
        if (ev.type == SDL_KEYDOWN &&
            (vk == vkBack || vk == vkTab || vk == vkReturn || vk == vkEscape)) {
          Event c;
          c.Type = EventType::KeyChar;
          c.Char = static_cast<unsigned char>(vk);
          Push(c);
        }
        break;
      }
      case SDL_TEXTINPUT: {
        for (char ch : Utf8ToAnsi(ev.text.text)) {
          Event c;
          c.Type = EventType::KeyChar;
          c.Char = static_cast<unsigned char>(ch);
          Push(c);
        }
        break;
      }
      case SDL_MOUSEMOTION:
        e.Type = EventType::MouseMove;
        ToGame(ev.motion.x, ev.motion.y, e.X, e.Y);
        Push(e);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const int b = ButtonFromSdl(ev.button.button);
        if (b < 0) break;
        e.Type = ev.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseDown : EventType::MouseUp;
        e.Button = b;
        ToGame(ev.button.x, ev.button.y, e.X, e.Y);
        Push(e);
        break;
      }
      case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_EXPOSED || ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
            ev.window.event == SDL_WINDOWEVENT_SHOWN || ev.window.event == SDL_WINDOWEVENT_RESTORED) {
          if (Renderer_) Renderer_->Invalidate();
        }
        if (ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) KeepMinimumSize(ev.window.data1, ev.window.data2);
        // A window manager carries out a full-screen request only once the
        // window is on screen: its time to do so starts there.
        if (ev.window.event == SDL_WINDOWEVENT_SHOWN) FullScreenSince_ = SDL_GetTicks();
        if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
          e.Type = EventType::FocusLost;
          Push(e);
        } else if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
          e.Type = EventType::FocusGained;
          Push(e);
        }
        break;
      case SDL_RENDER_TARGETS_RESET:
      case SDL_RENDER_DEVICE_RESET:
        e.Type = EventType::RenderReset;
        Push(e);
        break;
      default:
        break;
    }
  }

  PlatformOptions Options_;
  Uint32 Subsystems_ = 0;
  SDL_Window* Window_ = nullptr;
  std::unique_ptr<Renderer> Renderer_;
  std::unique_ptr<SdlControllers> Controllers_;
  SystemClock System_;
  VirtualClock Virtual_;
  std::deque<Event> Queue_;
  bool FullScreen_ = false;
  Uint32 FullScreenSince_ = 0;  // when full screen was last switched
  bool FullScreenChecked_ = false;  // whether the window system has been asked since
  int CursorX_ = 0, CursorY_ = 0;
  std::string HeadlessClipboard_;
};

}  // namespace

std::unique_ptr<Platform> Platform::Create(const PlatformOptions& options, std::string& error) {
  auto platform = std::make_unique<SdlPlatform>();
  if (!platform->Init(options, error)) return nullptr;
  return platform;
}

}  // namespace plat
