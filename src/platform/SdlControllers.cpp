#include "platform/SdlControllers.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

namespace plat {
namespace {

const char* const kButtonNames[] = {"A",          "B",  "X",  "Y",  "Back", "Guide", "Start", "LeftStick",
                                    "RightStick", "LB", "RB", "Up", "Down", "Left",  "Right"};
const char* const kAxisNames[] = {"LeftX", "LeftY", "RightX", "RightY", "LT", "RT"};
static_assert(sizeof(kButtonNames) / sizeof(*kButtonNames) == static_cast<size_t>(PadButton::Count));
static_assert(sizeof(kAxisNames) / sizeof(*kAxisNames) == static_cast<size_t>(PadAxis::Count));

bool SameName(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return i == a.size() && !b[i];
}

int ButtonFromSdl(Uint8 b) {
  switch (b) {
    case SDL_CONTROLLER_BUTTON_A: return static_cast<int>(PadButton::A);
    case SDL_CONTROLLER_BUTTON_B: return static_cast<int>(PadButton::B);
    case SDL_CONTROLLER_BUTTON_X: return static_cast<int>(PadButton::X);
    case SDL_CONTROLLER_BUTTON_Y: return static_cast<int>(PadButton::Y);
    case SDL_CONTROLLER_BUTTON_BACK: return static_cast<int>(PadButton::Back);
    case SDL_CONTROLLER_BUTTON_GUIDE: return static_cast<int>(PadButton::Guide);
    case SDL_CONTROLLER_BUTTON_START: return static_cast<int>(PadButton::Start);
    case SDL_CONTROLLER_BUTTON_LEFTSTICK: return static_cast<int>(PadButton::LeftStick);
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK: return static_cast<int>(PadButton::RightStick);
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return static_cast<int>(PadButton::LeftShoulder);
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return static_cast<int>(PadButton::RightShoulder);
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return static_cast<int>(PadButton::DpadUp);
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return static_cast<int>(PadButton::DpadDown);
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return static_cast<int>(PadButton::DpadLeft);
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return static_cast<int>(PadButton::DpadRight);
    default: return -1;
  }
}

int AxisFromSdl(Uint8 a) {
  switch (a) {
    case SDL_CONTROLLER_AXIS_LEFTX: return static_cast<int>(PadAxis::LeftX);
    case SDL_CONTROLLER_AXIS_LEFTY: return static_cast<int>(PadAxis::LeftY);
    case SDL_CONTROLLER_AXIS_RIGHTX: return static_cast<int>(PadAxis::RightX);
    case SDL_CONTROLLER_AXIS_RIGHTY: return static_cast<int>(PadAxis::RightY);
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: return static_cast<int>(PadAxis::TriggerLeft);
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: return static_cast<int>(PadAxis::TriggerRight);
    default: return -1;
  }
}

}  // namespace

const char* PadButtonName(PadButton b) {
  const int i = static_cast<int>(b);
  return i >= 0 && i < static_cast<int>(PadButton::Count) ? kButtonNames[i] : "";
}

int PadButtonFromName(const std::string& name) {
  for (int i = 0; i < static_cast<int>(PadButton::Count); ++i)
    if (SameName(name, kButtonNames[i])) return i;
  return -1;
}

const char* PadAxisName(PadAxis a) {
  const int i = static_cast<int>(a);
  return i >= 0 && i < static_cast<int>(PadAxis::Count) ? kAxisNames[i] : "";
}

int PadAxisFromName(const std::string& name) {
  for (int i = 0; i < static_cast<int>(PadAxis::Count); ++i)
    if (SameName(name, kAxisNames[i])) return i;
  return -1;
}

SdlControllers::~SdlControllers() {
  for (auto& [id, pad] : Open_) SDL_GameControllerClose(pad);
  if (Started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlControllers::Init() {
  if (Started_) return true;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "grovewright: game controllers are not available: %s\n", SDL_GetError());
    return false;
  }
  Started_ = true;
  // Pads already plugged in arrive as "added" events on the first poll.
  SDL_GameControllerEventState(SDL_ENABLE);
  return true;
}

bool SdlControllers::Translate(const SDL_Event& ev, std::vector<Event>& out) {
  if (!Started_) return false;
  Event e;
  switch (ev.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      SDL_GameController* pad = SDL_GameControllerOpen(ev.cdevice.which);
      if (!pad) {
        std::fprintf(stderr, "grovewright: cannot open a game controller: %s\n", SDL_GetError());
        return true;
      }
      const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
      if (Open_.count(id)) {
        SDL_GameControllerClose(pad);  // already open (found at start and reported again)
        return true;
      }
      Open_[id] = pad;
      e.Type = EventType::PadAdded;
      out.push_back(e);
      return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
      auto it = Open_.find(ev.cdevice.which);
      if (it == Open_.end()) return true;
      SDL_GameControllerClose(it->second);
      Open_.erase(it);
      e.Type = EventType::PadRemoved;
      out.push_back(e);
      return true;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const int b = ButtonFromSdl(ev.cbutton.button);
      if (b < 0) return true;
      e.Type = ev.type == SDL_CONTROLLERBUTTONDOWN ? EventType::PadDown : EventType::PadUp;
      e.Button = b;
      out.push_back(e);
      return true;
    }
    case SDL_CONTROLLERAXISMOTION: {
      const int a = AxisFromSdl(ev.caxis.axis);
      if (a < 0) return true;
      e.Type = EventType::PadAxis;
      e.Button = a;
      e.X = ev.caxis.value;
      out.push_back(e);
      return true;
    }
    default:
      return false;
  }
}

// ---- The virtual pad of the tests -------------------------------------------

namespace {
class SdlVirtualPad final : public VirtualPad {
 public:
  ~SdlVirtualPad() override {
    if (Joystick_) SDL_JoystickClose(Joystick_);
    if (Index_ >= 0) SDL_JoystickDetachVirtual(Index_);
  }
  bool Attach(std::string& error) {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
    desc.name = "Grovewright test pad";
    Index_ = SDL_JoystickAttachVirtualEx(&desc);
    if (Index_ < 0) {
      error = SDL_GetError();
      return false;
    }
    Joystick_ = SDL_JoystickOpen(Index_);
    if (!Joystick_) {
      error = SDL_GetError();
      return false;
    }
    return true;
  }
  bool SetButton(PadButton button, bool down) override {
    // The virtual pad's buttons are numbered as SDL's controller buttons,
    // which the platform's own enumeration follows.
    return SDL_JoystickSetVirtualButton(Joystick_, static_cast<int>(button), down ? 1 : 0) == 0;
  }
  bool SetAxis(PadAxis axis, int value) override {
    if (value < -32768) value = -32768;
    if (value > 32767) value = 32767;
    return SDL_JoystickSetVirtualAxis(Joystick_, static_cast<int>(axis), static_cast<Sint16>(value)) == 0;
  }

 private:
  int Index_ = -1;
  SDL_Joystick* Joystick_ = nullptr;
};
}  // namespace

std::unique_ptr<VirtualPad> VirtualPad::Attach(std::string& error) {
  if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
    error = "the game-controller part of SDL is not started";
    return nullptr;
  }
  auto pad = std::make_unique<SdlVirtualPad>();
  if (!pad->Attach(error)) return nullptr;
  return pad;
}

}  // namespace plat
