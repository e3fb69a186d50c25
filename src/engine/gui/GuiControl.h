// The base classes of the GUI tree: TGuiObject (named, typed properties),
// TGuiComponent (bounds, tag, visibility, enabled state) and TGuiControl
// (parent and ordered children, name, styles, events, drawing and dispatch).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gui/GuiProperties.h"
#include "engine/gui/GuiStyle.h"
#include "engine/render/CanopyTypes.h"

class TCanopyCanvas;
class TCanopyImages;
class TCanopyFonts;
class TGuiControl;
class TGuiComponent;
class TGuiTaskbar;

// Modifier keys and mouse buttons held during an input event.
using TShiftState = uint32_t;
enum : uint32_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };

// Mouse buttons as the GUI numbers them.
enum : int { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

enum class TGuiMouseEvent { Down, Up, Move, Click, DblClick, Enter, Leave };
enum class TGuiKeyEvent { Down, Up, Press };

// What the controls draw with, and the clipboard for edit fields. Owned by the
// GUI base; the root points at it.
struct TGuiContext {
  TCanopyCanvas* Canvas = nullptr;
  TCanopyImages* Images = nullptr;
  TCanopyFonts* Fonts = nullptr;
  std::function<std::string()> ClipboardText;
};

using TGuiNotify = std::function<void(TGuiControl& sender)>;
using TGuiComponentNotify = std::function<void(TGuiComponent& sender)>;
using TGuiMouseHandler =
    std::function<void(TGuiControl& sender, TGuiMouseEvent event, int button, TShiftState shift, int x, int y)>;
// key is the virtual-key code for Down and Up, the 8-bit character for Press.
using TGuiKeyHandler = std::function<void(TGuiControl& sender, TGuiKeyEvent event, int key, TShiftState shift)>;

class TGuiObject {
 public:
  explicit TGuiObject(TGuiKind kind) : Kind_(kind) {}
  virtual ~TGuiObject() = default;
  TGuiObject(const TGuiObject&) = delete;
  TGuiObject& operator=(const TGuiObject&) = delete;

  TGuiKind Kind() const { return Kind_; }
  const char* ClassName() const { return GuiClassInfo(Kind_).ClassName; }
  const char* Description() const { return GuiClassInfo(Kind_).Description; }
  const std::vector<TGuiPropDesc>& Properties() const { return GuiClassInfo(Kind_).Props; }
  const TGuiPropDesc* FindProperty(std::string_view name) const { return FindGuiProp(Properties(), name); }

  // Applies a value given as text, converted to the property's type. False for
  // an unknown name, a fill or font property, or text that does not convert.
  bool SetProperty(std::string_view name, std::string_view value);
  // The fill or font property of that name; nullptr when the class has none.
  TGuiFill* GetFill(std::string_view name);
  TGuiFont* GetFont(std::string_view name);

 protected:
  // Class hooks by property id; each class handles its own ids and passes the
  // rest to its base.
  virtual bool ApplyProp(int32_t id, uint8_t type, std::string_view value);
  virtual TGuiFill* FillById(int32_t id);
  virtual TGuiFont* FontById(int32_t id);

 private:
  TGuiKind Kind_;
};

class TGuiComponent : public TGuiObject {
 public:
  explicit TGuiComponent(TGuiKind kind);

  // Relative to the parent's top-left corner.
  TRect Bounds;
  std::string Tag = "0";
  TGuiComponentNotify OnShow, OnHide;

  bool Visible() const { return Visible_; }
  bool Enabled() const { return Enabled_; }
  void SetVisible(bool visible);
  void SetEnabled(bool enabled);
  // which: 0 Left (keeps the width), 1 Top (keeps the height), 2 Width, 3 Height.
  void SetBound(int which, int value);
  // which: 0 Left, 1 Top, 2 Width, 3 Height.
  int GetSize(int which) const;
  int Width() const { return Bounds.Right - Bounds.Left; }
  int Height() const { return Bounds.Bottom - Bounds.Top; }
  void SetBounds(int left, int top, int width, int height);

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  virtual void ShowStep() {}
  virtual void HideStep() {}
  virtual void EnableStep(bool /*enabled*/) {}
  // A class may change a new rectangle before it is taken.
  virtual void AdjustBounds(TRect& /*bounds*/) {}
  virtual void BoundsChanged() {}

 private:
  bool Visible_ = true;
  bool Enabled_ = true;
};

class TGuiControl : public TGuiComponent {
 public:
  explicit TGuiControl(TGuiKind kind);
  ~TGuiControl() override;

  std::string Name;
  TGuiFont Font;
  TGuiFont DisabledFont;
  TGuiFill Bkgrnd, Border, Selected;
  int DrawFx = 1;
  int FocusIndex = -1;  // the focused child, -1 = none
  bool MouseOver = false;

  TGuiMouseHandler OnMouse;
  TGuiKeyHandler OnKey;
  TGuiNotify OnClick, OnDblClick, OnMouseEnter, OnMouseLeave;

  TGuiControl* Parent() const { return Parent_; }
  int ChildCount() const { return static_cast<int>(Children_.size()); }
  TGuiControl* Child(int i) const;  // nullptr outside range; 0 is the topmost
  int IndexOf(const TGuiControl* child) const;
  // Adds as the last child (the bottom of the stacking order); the first child
  // a control gets becomes its focused child.
  TGuiControl* AddChild(std::unique_ptr<TGuiControl> child);
  TGuiControl* FocusedChild() const { return Child(FocusIndex); }

  // Depth-first, ignoring case: own name first, then children in index order.
  TGuiControl* FindControl(std::string_view name);

  TRect ScreenRect() const;
  // The screen rectangle cut by every ancestor's.
  TRect ClippedRect() const;
  // Moves this control to index 0 among its siblings (drawn last, hit first).
  void BringToFront();
  // Makes every control from this one up to the root its parent's focused
  // child. Forms on the way are brought to the front when front is set.
  void SetFocus(bool front = false);
  // On the focus path from the root.
  bool Focused() const;
  TGuiTaskbar* Root();
  const TGuiTaskbar* Root() const;
  TGuiContext* Context() const;

  // Event delivery to this control (the root's dispatch calls it).
  void DeliverMouse(TGuiMouseEvent event, int button, TShiftState shift, int x, int y);
  bool DeliverKey(TGuiKeyEvent event, int key, TShiftState shift);

  // The per-tick step of this control and all below it.
  void UpdateTree();
  // Draws this control and its visible children inside clip (screen pixels).
  void DrawTree(const TRect& clip);

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  TGuiFill* FillById(int32_t id) override;
  TGuiFont* FontById(int32_t id) override;

  virtual void MouseStep(TGuiMouseEvent /*event*/, int /*button*/, TShiftState /*shift*/, int /*x*/,
                         int /*y*/) {}
  // True when the key was used.
  virtual bool KeyStep(TGuiKeyEvent /*event*/, int /*key*/, TShiftState /*shift*/) { return false; }
  virtual void Tick() {}
  // Draws the control itself; r is its screen rectangle, the clip is already set.
  virtual void DrawSelf(const TRect& /*r*/) {}

  const TGuiFont& TextFont() const { return Enabled() ? Font : DisabledFont; }
  TCanopyCanvas* Canvas() const;
  TCanopyFonts* Fonts() const;
  TCanopyImages* Images() const;
  // The first child of that class (the list box finds its scroll bar so).
  TGuiControl* ChildOfKind(TGuiKind kind) const;

 private:
  friend class TGuiTaskbar;
  TGuiControl* Parent_ = nullptr;
  std::vector<std::unique_ptr<TGuiControl>> Children_;
};

// Draws pattern of an image list entry stretched over r, tinted by color
// (white: as it is); nothing when the image is absent.
void DrawGuiImage(TCanopyCanvas* canvas, TCanopyImages* images, int index, int pattern, const TRect& r,
                  int effect, TColor color = 0xFFFFFFFF);
