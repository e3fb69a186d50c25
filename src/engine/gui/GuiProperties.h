// The GUI's property registry: every control class lists its named, typed
// properties with a numeric id and a one-line description. The layout loader
// applies properties by name through it, and the layout compiler checks names
// and value types against it.
#pragma once

#include "engine/core/TextCompare.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render/CanopyTypes.h"

// Value type codes as stored in the layout file.
enum TGuiPropType : uint8_t {
  ptInteger = 0,
  ptString = 2,
  ptBoolean = 3,
  ptFill = 4,
  ptFont = 5,
  ptEffect = 6,
  ptAlignment = 7,
  ptColor = 8,
  ptStrings = 9,
  ptGlyphPos = 10
};

// Ids shared by every control. Class-specific ids count up from kGuiClassPropBase
// in the order the class lists them.
enum TGuiPropId : int32_t {
  piLeft = 0x70000,
  piTop = 0x70001,
  piWidth = 0x70002,
  piHeight = 0x70003,
  piTag = 0x70004,
  piVisible = 0x70005,
  piEnabled = 0x70006,
  piName = 0x80000,
  piDrawFx = 0x80001,
  piFont = 0x80002,
  piBkgrnd = 0x80003,
  piBorder = 0x80004,
  piSelected = 0x80005,
  piDisabledFont = 0x80006
};
constexpr int32_t kGuiClassPropBase = 0xA000;

struct TGuiPropDesc {
  const char* Name;
  uint8_t Type;
  const char* Description;
  int32_t Id;
};

// The control classes. The first nine after gkTaskbar are the kinds a layout
// file can create; the taskbar is the invisible root and the scroll bar belongs
// to a list box.
enum class TGuiKind : uint8_t {
  Taskbar,
  Form,
  Button,
  CheckBox,
  RadioButton,
  ListBox,
  Label,
  Edit,
  Gauge,
  Paint,
  Scroll
};

struct TGuiClassInfo {
  TGuiKind Kind;
  const char* ClassName;
  const char* Description;
  TSize DefaultSize;
  std::vector<TGuiPropDesc> Props;  // the shared rows first, then the class's own
};

const TGuiClassInfo& GuiClassInfo(TGuiKind kind);
// One of the nine loadable class names, compared ignoring case.
std::optional<TGuiKind> GuiKindFromClassName(std::string_view className);
// True for the nine kinds a layout file may hold.
bool GuiKindLoadable(TGuiKind kind);
// Case-insensitive lookup; the first match wins. nullptr when absent.
const TGuiPropDesc* FindGuiProp(const std::vector<TGuiPropDesc>& props, std::string_view name);

// Conversions of the text values stored for non-fill, non-font properties.
std::optional<int64_t> ParseGuiInt(std::string_view text);
// Colours are stored as decimal numbers; negative values wrap (-1 is white).
std::optional<TColor> ParseGuiColor(std::string_view text);
// "True"/"False" in any case, or a number (non-zero is true).
std::optional<bool> ParseGuiBool(std::string_view text);
const char* FormatGuiBool(bool value);
// String lists: one item per line (CR LF, LF or CR separated); a final line
// break adds no empty item.
std::vector<std::string> SplitGuiLines(std::string_view text);
std::string JoinGuiLines(const std::vector<std::string>& items);
