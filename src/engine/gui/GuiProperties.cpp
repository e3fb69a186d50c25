#include "engine/gui/GuiProperties.h"

#include <charconv>

namespace {

std::vector<TGuiPropDesc> SharedRows(std::initializer_list<int32_t> requested) {
  std::vector<TGuiPropDesc> rows = {
      {"Left", ptInteger, "The horizontal position of component in pixels", piLeft},
      {"Top", ptInteger, "The vertical position of component in pixels", piTop},
      {"Width", ptInteger, "The width of component in pixels", piWidth},
      {"Height", ptInteger, "The height of component in pixels", piHeight},
      {"Tag", ptString, "A free value kept for the program", piTag},
      {"Visible", ptBoolean, "Whether the component and its children are shown", piVisible},
      {"Enabled", ptBoolean, "Whether the component reacts to the mouse and keyboard", piEnabled},
      {"Name", ptString, "The name by which the program finds the control", piName},
      {"DrawFx", ptEffect, "The blend effect of the control's fills and texts", piDrawFx},
  };
  for (int32_t id : requested) {
    switch (id) {
      case piFont: rows.push_back({"Font", ptFont, "The text style of the control", piFont}); break;
      case piBkgrnd:
        rows.push_back({"Bkgrnd", ptFill, "The background fill of the control", piBkgrnd});
        break;
      case piBorder: rows.push_back({"Border", ptFill, "The outline of the control", piBorder}); break;
      case piSelected:
        rows.push_back({"Selected", ptFill, "The fill of the selected or active part", piSelected});
        break;
      case piDisabledFont:
        rows.push_back(
            {"DisabledFont", ptFont, "The text style while the control is disabled", piDisabledFont});
        break;
      default: break;
    }
  }
  return rows;
}

struct OwnRow {
  const char* Name;
  uint8_t Type;
  const char* Description;
};

TGuiClassInfo MakeClass(TGuiKind kind, const char* name, const char* description, TSize size,
                        std::initializer_list<int32_t> requested, std::initializer_list<OwnRow> own) {
  TGuiClassInfo info{kind, name, description, size, SharedRows(requested)};
  int32_t id = kGuiClassPropBase;
  for (const OwnRow& r : own) info.Props.push_back({r.Name, r.Type, r.Description, id++});
  return info;
}

std::vector<TGuiClassInfo> BuildClasses() {
  std::vector<TGuiClassInfo> c;
  c.push_back(MakeClass(TGuiKind::Taskbar, "TGuiTaskbar", "The invisible root covering the screen",
                        {800, 600}, {}, {}));
  c.push_back(MakeClass(
      TGuiKind::Form, "TGuiForm", "A window with a caption strip, a body and a shadow", {300, 200},
      {piBkgrnd, piBorder},
      {{"Caption", ptString, "The text of the caption strip"},
       {"CaptSize", ptInteger, "The height of the caption strip in pixels (0: no caption)"},
       {"CaptAdjust", ptInteger, "Vertical shift of the caption text in pixels"},
       {"CaptActive", ptFill, "The caption fill while the form has the focus"},
       {"CaptUnactive", ptFill, "The caption fill while the form has no focus"},
       {"FontActive", ptFont, "The caption text style while the form has the focus"},
       {"FontUnactive", ptFont, "The caption text style while the form has no focus"},
       {"IconFill", ptFill, "The colour of the plain caption icon"},
       {"IconIndex", ptInteger, "The image list index of the caption icon (-1: a plain square)"},
       {"IconPattern", ptInteger, "The pattern of the caption icon image"},
       {"IconWidth", ptInteger, "The width of the caption icon in pixels"},
       {"IconHeight", ptInteger, "The height of the caption icon in pixels"},
       {"ImageIndex", ptInteger, "The image list index of the body picture (-1: none)"},
       {"ImagePattern", ptInteger, "The pattern of the body picture"},
       {"ShadowSize", ptInteger, "The width of the shadow on the right and bottom in pixels"},
       {"ShadowColor", ptColor, "The colour of the shadow"}}));
  c.push_back(MakeClass(
      TGuiKind::Button, "TGuiButton", "A push button with a caption and a glyph", {90, 24},
      {piFont, piBkgrnd, piBorder, piDisabledFont},
      {{"OutFill", ptFill, "The outer outline of the button"},
       {"Caption", ptString, "The text of the button"},
       {"ImageIndex", ptInteger, "The image list index of the glyph (-1: none)"},
       {"NormalGlyph", ptInteger, "The glyph pattern in the normal state"},
       {"DisabledGlyph", ptInteger, "The glyph pattern while disabled"},
       {"ClickedGlyph", ptInteger, "The glyph pattern while pressed"},
       {"GlyphSpacer", ptInteger, "Pixels between the glyph and the caption"},
       {"GlyphWidth", ptInteger, "The width the glyph is drawn at"},
       {"GlyphHeight", ptInteger, "The height the glyph is drawn at"},
       {"GlyphPosition", ptGlyphPos, "Where the glyph sits beside the caption"}}));
  c.push_back(MakeClass(TGuiKind::CheckBox, "TGuiCheckBox", "A box with a check mark and a caption",
                        {100, 15}, {piFont, piBkgrnd, piBorder, piSelected, piDisabledFont},
                        {{"Checked", ptBoolean, "Whether the mark is set"},
                         {"Caption", ptString, "The text beside the box"},
                         {"TextAdjust", ptInteger, "Vertical shift of the caption in pixels"},
                         {"CheckColor", ptColor, "The colour of the check mark"},
                         {"HorizSpace", ptInteger, "Pixels between the box and the caption"}}));
  c.push_back(MakeClass(TGuiKind::RadioButton, "TGuiRadioButton", "One choice of a group", {120, 15},
                        {piFont, piBkgrnd, piDisabledFont},
                        {{"Checked", ptBoolean, "Whether this choice is taken"},
                         {"Caption", ptString, "The text beside the circle"},
                         {"TextAdjust", ptInteger, "Vertical shift of the caption in pixels"},
                         {"BorderColor", ptColor, "The colour of the circle's outline"},
                         {"CheckColor", ptColor, "The colour of the dot"},
                         {"OverColor", ptColor, "The outline colour under the mouse"},
                         {"HorizSpace", ptInteger, "Pixels between the circle and the caption"},
                         {"GroupIndex", ptInteger, "Radio buttons of one group exclude each other"}}));
  c.push_back(MakeClass(TGuiKind::ListBox, "TGuiListBox", "A scrolling list of text lines", {200, 150},
                        {piFont, piBkgrnd, piSelected},
                        {{"Items", ptStrings, "The lines, one per line"},
                         {"ItemSize", ptInteger, "The height of a line in pixels"},
                         {"Indexed", ptFill, "The fill of the selected line"},
                         {"ItemIndex", ptInteger, "The selected line (-1: none)"},
                         {"TextAdjust", ptInteger, "Vertical shift of the line texts in pixels"},
                         {"IndexedFont", ptFont, "The text style of the selected line"},
                         {"BorderColor", ptColor, "The colour of the outline"},
                         {"ScrollButton", ptFill, "The fill of the scroll bar's arrow buttons"},
                         {"ScrollFill", ptFill, "The fill of the scroll bar's track"},
                         {"ScrollPressed", ptFill, "The fill of a pressed scroll bar part"},
                         {"ScrollArrow", ptColor, "The colour of the scroll bar's arrows"}}));
  c.push_back(MakeClass(TGuiKind::Label, "TGuiLabel", "A line or block of text", {100, 20},
                        {piFont, piBkgrnd, piBorder, piDisabledFont},
                        {{"Text", ptString, "The text shown"},
                         {"WordWrap", ptBoolean, "Whether the text wraps into lines"},
                         {"TextAdjust", ptInteger, "Vertical shift of the text in pixels"},
                         {"Alignment", ptAlignment, "Left, right, centred or justified"},
                         {"LineSpacing", ptInteger, "Pixels from one wrapped line to the next"},
                         {"Progressive", ptBoolean, "Whether the text types itself out"},
                         {"ShowDelay", ptInteger, "Updates per typed character"}}));
  c.push_back(MakeClass(TGuiKind::Edit, "TGuiEdit", "A one-line text field", {100, 20},
                        {piFont, piBkgrnd, piBorder, piDisabledFont},
                        {{"Text", ptString, "The text in the field"},
                         {"ReadOnly", ptBoolean, "Whether typing is refused"},
                         {"TextAdjust", ptInteger, "Vertical shift of the text in pixels"},
                         {"BlinkTicks", ptInteger, "Updates per caret blink"},
                         {"Selector", ptFill, "The fill of the caret"},
                         {"MaxLength", ptInteger, "The longest text accepted (0: no limit)"},
                         {"TabOrder", ptInteger, "The order in which Tab visits the fields"}}));
  c.push_back(MakeClass(TGuiKind::Gauge, "TGuiGauge", "A bar showing a value in a range", {120, 20},
                        {piFont, piBkgrnd, piBorder, piSelected, piDisabledFont},
                        {{"Caption", ptString, "The text shown after the value"},
                         {"Theta", ptInteger, "The value shown"},
                         {"MinValue", ptInteger, "The value of an empty bar"},
                         {"MaxValue", ptInteger, "The value of a full bar"},
                         {"ShowText", ptBoolean, "Whether the value is written on the bar"},
                         {"Alignment", ptAlignment, "Where the text sits on the bar"}}));
  c.push_back(MakeClass(TGuiKind::Paint, "TGuiPaint", "A surface the program draws on", {120, 120},
                        {piBkgrnd, piBorder}, {}));
  c.push_back(MakeClass(TGuiKind::Scroll, "TGuiScroll", "The vertical scroll bar of a list box",
                        {16, 150}, {}, {}));
  return c;
}

const std::vector<TGuiClassInfo>& Classes() {
  static const std::vector<TGuiClassInfo> classes = BuildClasses();
  return classes;
}


std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

const TGuiClassInfo& GuiClassInfo(TGuiKind kind) { return Classes()[static_cast<size_t>(kind)]; }

bool GuiKindLoadable(TGuiKind kind) { return kind != TGuiKind::Taskbar && kind != TGuiKind::Scroll; }

std::optional<TGuiKind> GuiKindFromClassName(std::string_view className) {
  for (const TGuiClassInfo& info : Classes())
    if (GuiKindLoadable(info.Kind) && SameText(info.ClassName, className)) return info.Kind;
  return std::nullopt;
}

const TGuiPropDesc* FindGuiProp(const std::vector<TGuiPropDesc>& props, std::string_view name) {
  for (const TGuiPropDesc& p : props)
    if (SameText(p.Name, name)) return &p;
  return nullptr;
}

std::optional<int64_t> ParseGuiInt(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int64_t v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<TColor> ParseGuiColor(std::string_view text) {
  auto v = ParseGuiInt(text);
  if (!v || *v < INT32_MIN || *v > UINT32_MAX) return std::nullopt;
  return static_cast<TColor>(static_cast<uint32_t>(*v));
}

std::optional<bool> ParseGuiBool(std::string_view text) {
  text = Trim(text);
  if (SameText(text, "true")) return true;
  if (SameText(text, "false")) return false;
  if (auto v = ParseGuiInt(text)) return *v != 0;
  return std::nullopt;
}

const char* FormatGuiBool(bool value) { return value ? "True" : "False"; }

std::vector<std::string> SplitGuiLines(std::string_view text) {
  std::vector<std::string> items;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      items.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) items.push_back(std::move(line));
  return items;
}

std::string JoinGuiLines(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& s : items) {
    out += s;
    out += "\r\n";
  }
  return out;
}
