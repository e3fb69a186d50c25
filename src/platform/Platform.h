// The platform layer: window, input events, clock, message boxes, clipboard and
// the render back end. Only the files of this folder include SDL; everything
// else talks to the classes declared here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// Virtual-key codes as the game's key handlers expect them.
enum VirtualKey : int {
  vkBack = 8, vkTab = 9, vkReturn = 13, vkShift = 16, vkControl = 17, vkMenu = 18,
  vkPause = 19, vkEscape = 27, vkSpace = 32, vkPrior = 33, vkNext = 34, vkEnd = 35,
  vkHome = 36, vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40, vkInsert = 45,
  vkDelete = 46, vk0 = 48, vkA = 65, vkF1 = 112, vkF12 = 123
};

// Game-controller buttons and axes, in the layout of the common pads (A at
// the bottom of the four face buttons, B to its right).
enum class PadButton : int {
  A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
  DpadUp, DpadDown, DpadLeft, DpadRight, Count
};
enum class PadAxis : int { LeftX, LeftY, RightX, RightY, TriggerLeft, TriggerRight, Count };
// The names scripts and replays give them ("A", "Start", "LB", "Up"; "LeftX",
// "LT"); -1 for an unknown name.
const char* PadButtonName(PadButton b);
int PadButtonFromName(const std::string& name);
const char* PadAxisName(PadAxis a);
int PadAxisFromName(const std::string& name);

enum class EventType {
  Quit,       // the window's close box, or the desktop asked us to end
  KeyDown,    // Key holds the virtual-key code
  KeyUp,
  KeyChar,    // Char holds one 8-bit character (Windows-1252)
  MouseDown,  // Button 0 left, 1 right, 2 middle; X, Y in game pixels
  MouseUp,
  MouseMove,  // X, Y in game pixels
  FocusLost,
  FocusGained,
  RenderReset,  // the render targets were lost and must be drawn again
  PadDown,      // Button holds the PadButton
  PadUp,
  PadAxis,      // Button holds the PadAxis, X its value (-32768..32767)
  PadAdded,     // a game controller was plugged in (or found at start)
  PadRemoved
};

struct Event {
  EventType Type = EventType::Quit;
  int Key = 0;
  unsigned char Char = 0;
  int Button = 0;
  int X = 0, Y = 0;
};

// Monotonic time source with a sleep. The headless clock is virtual: it moves
// only when the main loop advances it, so runs are deterministic.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint64_t Counter() = 0;
  virtual uint64_t Frequency() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
};

class SystemClock final : public Clock {
 public:
  uint64_t Counter() override;
  uint64_t Frequency() override;
  void SleepMs(uint32_t ms) override;
};

// Every frame of a headless run lasts exactly 1/60 s; sleeping costs nothing.
class VirtualClock final : public Clock {
 public:
  static constexpr uint64_t kFrequency = 60'000'000;
  uint64_t Counter() override { return Now; }
  uint64_t Frequency() override { return kFrequency; }
  void SleepMs(uint32_t ms) override { Slept += ms; }
  void AdvanceFrame() { Now += kFrequency / 60; }
  uint64_t Now = 0;
  uint64_t Slept = 0;
};

// One vertex as the render back end takes it. Colour is the game's colour
// (red in bits 0-7, green 8-15, blue 16-23, alpha 24-31).
struct Vertex {
  float X = 0, Y = 0;
  uint32_t Color = 0xFFFFFFFF;
  float U = 0, V = 0;
};

struct ClipRect {
  int X = 0, Y = 0, W = 0, H = 0;
};

using TextureId = uint32_t;  // 0 = no texture

// The 2D render back end. Drawing goes into an 800 x 600 picture that Present
// scales onto the window (letterboxed); ReadPixels returns the last presented
// picture, the stand-in for the front buffer.
class Renderer {
 public:
  virtual ~Renderer() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Textures hold 32-bit A8R8G8B8 pixels (0xAARRGGBB). Returns 0 on failure.
  virtual TextureId CreateTexture(int w, int h) = 0;
  virtual bool UpdateTexture(TextureId id, const uint32_t* argb, int pitchPixels) = 0;
  virtual void DestroyTexture(TextureId id) = 0;
  // Linear (true) or nearest (false) filtering for textures created afterwards.
  virtual void SetLinearFiltering(bool linear) = 0;
  // Effect code: bits 0-7 source factor, 8-15 destination factor, 16-23 operation
  // (the table of the rendering layer). 1 = opaque copy, 1284 = alpha blend,
  // 260 = additive. Codes the back end cannot do map to the nearest one.
  virtual void DrawTriangles(TextureId tex, const Vertex* v, int vertexCount, const int* indices,
                             int indexCount, int effect) = 0;
  virtual void DrawLines(const Vertex* v, int vertexCount, const int* indices, int indexCount,
                         int effect) = 0;
  virtual void DrawPoints(const Vertex* v, int vertexCount, int effect) = 0;
  virtual void SetClip(const ClipRect* rect) = 0;  // nullptr = the whole picture
  virtual void Clear(uint32_t color) = 0;
  virtual void Present() = 0;
  // The last presented picture, one 0xAARRGGBB value per pixel, rows top first.
  virtual bool ReadPixels(std::vector<uint32_t>& argb, int& w, int& h) = 0;
  // Statistics of the current frame.
  virtual int DrawCalls() const = 0;
  // Headless runs skip the rasterising of frames nobody will look at; the
  // picture of a discarded frame is not kept.
  virtual void SetDiscardFrames(bool /*discard*/) {}
  // The window's picture was lost (uncovered, resized): show the next frame
  // even if it equals the last one.
  virtual void Invalidate() {}
  // Largest texture side the back end can create (0 = no limit).
  virtual int MaxTextureSize() const { return 0; }
};

struct PlatformOptions {
  bool Headless = false;
  bool FullScreen = false;
  bool VSync = true;
  int Width = 800, Height = 600;
  std::string Title = "Grovewright - 1.2";
  // Opens game controllers (plugged in now or later). Windowed runs always
  // do; a headless run only when asked (tests drive a virtual pad so).
  bool Controllers = false;
};

// Window, input, clock and dialogs. One instance for the program.
class Platform {
 public:
  // Returns nullptr and fills error when SDL cannot start.
  static std::unique_ptr<Platform> Create(const PlatformOptions& options, std::string& error);
  virtual ~Platform() = default;

  virtual bool Headless() const = 0;
  virtual Clock& GetClock() = 0;
  virtual Renderer& GetRenderer() = 0;

  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  // False when the window system refused; the window then stays as it was.
  virtual bool SetFullScreen(bool fullScreen) = 0;
  virtual bool FullScreen() const = 0;
  // Places the window so that its client area starts at (left, top) on the desktop.
  virtual void SetWindowPosition(int left, int top) = 0;
  virtual void DesktopSize(int& w, int& h) = 0;
  // Sizes the window's client area (windowed only).
  virtual void SetClientSize(int w, int h) = 0;
  virtual void SetSystemCursorVisible(bool visible) = 0;
  // Cursor position in game pixels (800 x 600 space).
  virtual void CursorPosition(int& x, int& y) = 0;

  // Takes the next event; false when none is waiting.
  virtual bool PollEvent(Event& e) = 0;
  // Queues an event as if it came from the window (input scripts use it).
  // Mouse events also move the cursor position.
  virtual void InjectEvent(const Event& e) = 0;

  // A modal message box; in headless mode the text goes to standard error.
  virtual void MessageBox(const std::string& title, const std::string& text, bool error) = 0;

  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;

  // How many game controllers are open.
  virtual int PadCount() const { return 0; }
};

// A game controller that exists only in this process, for tests: it shows up
// as a plugged-in pad (through the same events as a real one) and its buttons
// and axes are set by hand. Needs a platform created with Controllers.
class VirtualPad {
 public:
  // nullptr with the reason in error when the pad cannot be attached.
  static std::unique_ptr<VirtualPad> Attach(std::string& error);
  virtual ~VirtualPad() = default;
  virtual bool SetButton(PadButton button, bool down) = 0;
  virtual bool SetAxis(PadAxis axis, int value) = 0;
};

// Converts between UTF-8 and the game's 8-bit code page (Windows-1252).
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);

// The text with its long lines broken at spaces into lines of at most width
// characters (a longer word keeps a line of its own): a message box shows
// each line as it is, however wide.
std::string WrapLines(const std::string& text, size_t width);

}  // namespace plat
