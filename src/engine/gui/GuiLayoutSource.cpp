#include "engine/gui/GuiLayoutSource.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

#include "engine/gui/GuiProperties.h"

namespace {

struct KindWord {
  const char* Word;
  TGuiKind Kind;
};

constexpr KindWord kKindWords[] = {
    {"form", TGuiKind::Form},         {"button", TGuiKind::Button}, {"checkbox", TGuiKind::CheckBox},
    {"radio", TGuiKind::RadioButton}, {"listbox", TGuiKind::ListBox}, {"label", TGuiKind::Label},
    {"edit", TGuiKind::Edit},         {"gauge", TGuiKind::Gauge},   {"paint", TGuiKind::Paint}};

std::optional<TGuiKind> KindOfWord(std::string_view word) {
  for (const KindWord& k : kKindWords)
    if (word == k.Word) return k.Kind;
  return std::nullopt;
}

const char* WordOfKind(TGuiKind kind) {
  for (const KindWord& k : kKindWords)
    if (k.Kind == kind) return k.Word;
  return "form";
}

struct Named {
  const char* Word;
  int Value;
};
constexpr Named kEffects[] = {{"opaque", 1}, {"alpha", 1284}, {"add", 260}};
constexpr Named kAlignments[] = {{"left", 0}, {"right", 1}, {"center", 2}, {"justify", 3}};
constexpr Named kGlyphPositions[] = {{"left", 0}, {"right", 1}, {"top", 2}, {"bottom", 3}};
constexpr Named kStyles[] = {{"bold", 1}, {"italic", 2}, {"shadow", 4}, {"emboss", 8}};

template <size_t N>
std::optional<int> LookUp(const Named (&table)[N], std::string_view word) {
  for (const Named& n : table)
    if (SameText(n.Word, word)) return n.Value;
  return std::nullopt;
}

template <size_t N>
const char* WordFor(const Named (&table)[N], int value) {
  for (const Named& n : table)
    if (n.Value == value) return n.Word;
  return nullptr;
}

bool IsImageProperty(TGuiKind kind, std::string_view name) {
  if (kind == TGuiKind::Form) return SameText(name, "ImageIndex") || SameText(name, "IconIndex");
  if (kind == TGuiKind::Button) return SameText(name, "ImageIndex");
  return false;
}

std::string FormatNumber(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  // Prefer the shortest text that reads back to the same value.
  for (int precision = 1; precision <= 17; ++precision) {
    char shorter[64];
    std::snprintf(shorter, sizeof shorter, "%.*g", precision, v);
    if (std::strtod(shorter, nullptr) == v) return shorter;
  }
  return buf;
}

std::string JoinLines(const DataNode& node, int from, bool trailing) {
  std::string out;
  for (int i = from; i < node.Size(); ++i) {
    if (i > from) out += "\r\n";
    out += node.Tokens[static_cast<size_t>(i)];
  }
  if (trailing && node.Size() > from) out += "\r\n";
  return out;
}

class Compiler {
 public:
  explicit Compiler(const TGuiSourceImages& images) : Images_(images) {}

  std::vector<TGuiLayoutControl> Run(const std::vector<DataFile>& files) {
    for (const DataFile& f : files)
      for (const DataNode& n : f.Nodes) Define(n);
    std::vector<TGuiLayoutControl> out;
    for (const DataFile& f : files)
      for (const DataNode& n : f.Nodes)
        if (KindOfWord(n.Token(0))) out.push_back(Control(n, 0));
    return out;
  }

 private:
  void Define(const DataNode& n) {
    const std::string& word = n.Token(0);
    if (word == "color") {
      n.Expect(3, 3);
      TColor c = 0;
      if (!ParseColor(n, 2, c)) n.Fail("\"" + n.Tokens[2] + "\" is not a colour");
      if (!Colors_.emplace(n.Tokens[1], c).second) n.Fail("colour \"" + n.Tokens[1] + "\" is defined twice");
      if (!n.Children.empty()) n.Children.front().Fail("a colour has no children");
    } else if (word == "style") {
      n.Expect(2, 2);
      if (!Styles_.emplace(n.Tokens[1], &n).second) n.Fail("style \"" + n.Tokens[1] + "\" is defined twice");
    } else if (!KindOfWord(word)) {
      n.Fail("unknown word \"" + word + "\"");
    }
  }

  bool ParseColor(const DataNode& n, int i, TColor& out) const {
    const std::string& t = n.Token(i);
    auto named = Colors_.find(t);
    if (named != Colors_.end()) {
      out = named->second;
      return true;
    }
    return ParseGuiColorText(t, out);
  }

  TColor Color(const DataNode& n, int i) const {
    TColor c = 0;
    if (!ParseColor(n, i, c)) n.Fail("\"" + n.Token(i) + "\" is not a colour");
    return c;
  }

  TGuiLayoutControl Control(const DataNode& n, int depth) {
    if (depth >= kGuiLayoutMaxDepth) n.Fail("controls nest too deep");
    TGuiKind kind = *KindOfWord(n.Token(0));
    n.Expect(1, 2);
    TGuiLayoutControl c;
    c.ClassName = GuiClassInfo(kind).ClassName;
    if (n.Size() == 2) Set(c, {"Name", ptString, n.Tokens[1], {}, {}});
    for (const DataNode& child : n.Children) {
      if (KindOfWord(child.Token(0)))
        c.Children.push_back(Control(child, depth + 1));
      else
        Line(c, kind, child, 0);
    }
    return c;
  }

  static void Set(TGuiLayoutControl& c, TGuiLayoutProp p) {
    for (TGuiLayoutProp& q : c.Props) {
      if (SameText(q.Name, p.Name)) {
        q = std::move(p);
        return;
      }
    }
    c.Props.push_back(std::move(p));
  }

  void Line(TGuiLayoutControl& c, TGuiKind kind, const DataNode& n, int styleDepth) {
    const std::string& word = n.Token(0);
    if (!n.Children.empty()) n.Children.front().Fail("a property line has no children");
    if (word == "style") {
      n.Expect(2, 2);
      auto it = Styles_.find(n.Tokens[1]);
      if (it == Styles_.end()) n.Fail("unknown style \"" + n.Tokens[1] + "\"");
      if (styleDepth > 16) n.Fail("styles nest too deep (a style uses itself?)");
      for (const DataNode& line : it->second->Children) {
        if (KindOfWord(line.Token(0))) line.Fail("a style holds properties, not controls");
        Line(c, kind, line, styleDepth + 1);
      }
      return;
    }
    if (word == "bounds") {
      n.Expect(5, 5);
      const char* names[] = {"Left", "Top", "Width", "Height"};
      for (int i = 0; i < 4; ++i)
        Set(c, {names[i], ptInteger, std::to_string(n.Int(i + 1, -100000, 100000)), {}, {}});
      return;
    }
    if (word == "raw") {
      if (n.Size() < 3) n.Fail("raw takes a name, a type and values");
      TGuiLayoutProp p;
      p.Name = n.Tokens[1];
      p.Type = static_cast<uint8_t>(n.Int(2, 0, 255));
      // Raw values are kept as written; only fills and fonts have a shape.
      if (p.Type == ptFill)
        Fill(p.Fill, n, 3);
      else if (p.Type == ptFont)
        Font(p.Font, n, 3);
      else
        p.Value = JoinLines(n, 3, false);
      Set(c, std::move(p));
      return;
    }
    const TGuiPropDesc* desc = FindGuiProp(GuiClassInfo(kind).Props, word);
    if (!desc)
      n.Fail(std::string(GuiClassInfo(kind).ClassName) + " has no property \"" + word + "\"");
    TGuiLayoutProp p;
    p.Name = desc->Name;
    p.Type = desc->Type;
    Value(p, n, 1, kind);
    // An image given by key keeps its key beside the index, for the game to
    // look up; one given by number has none (a style's key goes with it).
    const std::string_view keyProp = IsImageProperty(kind, p.Name) ? GuiImageKeyProperty(p.Name) : "";
    const int index = keyProp.empty() ? -1 : std::atoi(p.Value.c_str());
    Set(c, std::move(p));
    if (keyProp.empty()) return;
    if (n.IsNumber(1)) {
      Remove(c, keyProp);
    } else {
      std::string key = Images_.KeyOf ? Images_.KeyOf(index) : std::string();
      Set(c, {std::string(keyProp), ptString, key.empty() ? n.Tokens[1] : key, {}, {}});
    }
  }

  static void Remove(TGuiLayoutControl& c, std::string_view name) {
    std::erase_if(c.Props, [&](const TGuiLayoutProp& q) { return SameText(q.Name, name); });
  }

  void Value(TGuiLayoutProp& p, const DataNode& n, int at, TGuiKind kind) {
    auto one = [&] { n.Expect(at + 1, at + 1); };
    switch (p.Type) {
      case ptInteger:
        one();
        if (IsImageProperty(kind, p.Name) && !n.IsNumber(at)) {
          int index = Images_.IndexOf ? Images_.IndexOf(n.Tokens[static_cast<size_t>(at)]) : -1;
          if (index < 0) n.Fail("unknown image \"" + n.Tokens[static_cast<size_t>(at)] + "\"");
          p.Value = std::to_string(index);
        } else {
          p.Value = std::to_string(n.Int(at, INT32_MIN, INT32_MAX));
        }
        return;
      case ptBoolean: {
        one();
        auto b = ParseGuiBool(n.Tokens[static_cast<size_t>(at)]);
        if (!b || n.IsNumber(at)) n.Fail("\"" + n.Tokens[static_cast<size_t>(at)] + "\" is not true or false");
        p.Value = FormatGuiBool(*b);
        return;
      }
      case ptFill: Fill(p.Fill, n, at); return;
      case ptFont: Font(p.Font, n, at); return;
      case ptEffect: p.Value = std::to_string(Choice(kEffects, n, at, 0, INT32_MAX)); return;
      case ptAlignment: p.Value = std::to_string(Choice(kAlignments, n, at, 0, 3)); return;
      case ptGlyphPos: p.Value = std::to_string(Choice(kGlyphPositions, n, at, 0, 3)); return;
      case ptColor: one(); p.Value = std::to_string(Color(n, at)); return;
      case ptStrings: p.Value = JoinLines(n, at, true); return;
      default:
        if (n.Size() <= at) n.Fail("\"" + n.Tokens[0] + "\" needs a value");
        p.Value = JoinLines(n, at, false);
        return;
    }
  }

  template <size_t N>
  int Choice(const Named (&table)[N], const DataNode& n, int at, int64_t min, int64_t max) {
    n.Expect(at + 1, at + 1);
    if (n.IsNumber(at)) return static_cast<int>(n.Int(at, min, max));
    auto v = LookUp(table, n.Tokens[static_cast<size_t>(at)]);
    if (!v) n.Fail("unknown word \"" + n.Tokens[static_cast<size_t>(at)] + "\"");
    return *v;
  }

  void Fill(TGuiFill& f, const DataNode& n, int at) {
    int i = at;
    f = TGuiFill{};
    if (i < n.Size() && n.Tokens[static_cast<size_t>(i)] == "none") {
      f.Active = 0;
      ++i;
      if (i == n.Size()) return;
    }
    int count = n.Size() - i;
    if (count == 1) {
      f.SetAll(Color(n, i));
    } else if (count == 2) {
      TColor top = Color(n, i), bottom = Color(n, i + 1);
      f.Colors = {top, top, bottom, bottom};
    } else if (count == 4) {
      for (int k = 0; k < 4; ++k) f.Colors[static_cast<size_t>(k)] = Color(n, i + k);
    } else {
      n.Fail("a fill takes none, or 1, 2 or 4 colours");
    }
  }

  void Font(TGuiFont& f, const DataNode& n, int at) {
    f = TGuiFont{};
    if (n.Size() < at + 2) n.Fail("a font takes an index and a colour");
    f.Index = static_cast<int32_t>(n.Int(at, INT32_MIN, INT32_MAX));
    f.Top = f.Bottom = Color(n, at + 1);
    int i = at + 2;
    if (i < n.Size() && !n.IsNumber(i) && n.Tokens[static_cast<size_t>(i)] != "scale" &&
        n.Tokens[static_cast<size_t>(i)] != "style" && n.Tokens[static_cast<size_t>(i)] != "interleave")
      f.Bottom = Color(n, i++);
    while (i < n.Size()) {
      const std::string& key = n.Tokens[static_cast<size_t>(i)];
      if (i + 1 >= n.Size()) n.Fail("\"" + key + "\" needs a value");
      if (key == "scale") {
        f.Scale = n.Value(i + 1);
      } else if (key == "interleave") {
        f.Interleave = n.Value(i + 1);
      } else if (key == "style") {
        f.Style = static_cast<uint8_t>(StyleBits(n, i + 1));
      } else {
        n.Fail("unknown word \"" + key + "\"");
      }
      i += 2;
    }
  }

  static int StyleBits(const DataNode& n, int i) {
    if (n.IsNumber(i)) return static_cast<int>(n.Int(i, 0, 255));
    int bits = 0;
    std::string_view t = n.Tokens[static_cast<size_t>(i)];
    while (!t.empty()) {
      size_t plus = t.find('+');
      std::string_view part = t.substr(0, plus);
      auto v = LookUp(kStyles, part);
      if (!v) n.Fail("unknown font style \"" + std::string(part) + "\"");
      bits |= *v;
      if (plus == std::string_view::npos) break;
      t.remove_prefix(plus + 1);
    }
    return bits;
  }

  const TGuiSourceImages& Images_;
  std::map<std::string, TColor> Colors_;
  std::map<std::string, const DataNode*> Styles_;
};

// --- decompiling -------------------------------------------------------------

std::vector<std::string> FillTokens(const TGuiFill& f) {
  std::vector<std::string> t;
  if (!f.Active) {
    t.push_back("none");
    if (f.Colors == TGuiFill{}.Colors) return t;
  }
  const TColor4& c = f.Colors;
  if (c[0] == c[1] && c[1] == c[2] && c[2] == c[3]) {
    t.push_back(FormatGuiColor(c[0]));
  } else if (c[0] == c[1] && c[2] == c[3]) {
    t.push_back(FormatGuiColor(c[0]));
    t.push_back(FormatGuiColor(c[2]));
  } else {
    for (TColor col : c) t.push_back(FormatGuiColor(col));
  }
  return t;
}

std::vector<std::string> FontTokens(const TGuiFont& f) {
  std::vector<std::string> t{std::to_string(f.Index), FormatGuiColor(f.Top)};
  if (f.Bottom != f.Top) t.push_back(FormatGuiColor(f.Bottom));
  if (f.Scale != 1.0) t.insert(t.end(), {"scale", FormatNumber(f.Scale)});
  if (f.Style != 0) {
    std::string s;
    int rest = f.Style;
    for (const Named& n : kStyles) {
      if (rest & n.Value) {
        if (!s.empty()) s += '+';
        s += n.Word;
        rest &= ~n.Value;
      }
    }
    t.insert(t.end(), {"style", rest ? std::to_string(f.Style) : s});
  }
  if (f.Interleave != 0) t.insert(t.end(), {"interleave", FormatNumber(f.Interleave)});
  return t;
}

// The value tokens of a property written under its registered type, or
// nullopt when the stored text does not fit that type.
std::optional<std::vector<std::string>> ValueTokens(const TGuiLayoutProp& p, TGuiKind kind,
                                                    const TGuiSourceImages& images) {
  switch (p.Type) {
    case ptFill: return FillTokens(p.Fill);
    case ptFont: return FontTokens(p.Font);
    case ptInteger: {
      auto v = ParseGuiInt(p.Value);
      if (!v || *v < INT32_MIN || *v > INT32_MAX || std::to_string(*v) != p.Value) return std::nullopt;
      if (IsImageProperty(kind, p.Name) && *v >= 0 && images.KeyOf) {
        std::string key = images.KeyOf(static_cast<int>(*v));
        if (!key.empty() && images.IndexOf && images.IndexOf(key) == *v) return std::vector<std::string>{key};
      }
      return std::vector<std::string>{p.Value};
    }
    case ptBoolean:
      if (p.Value == "True") return std::vector<std::string>{"true"};
      if (p.Value == "False") return std::vector<std::string>{"false"};
      return std::nullopt;
    case ptEffect:
    case ptAlignment:
    case ptGlyphPos: {
      auto v = ParseGuiInt(p.Value);
      if (!v || std::to_string(*v) != p.Value) return std::nullopt;
      const char* word = p.Type == ptEffect      ? WordFor(kEffects, static_cast<int>(*v))
                         : p.Type == ptAlignment ? WordFor(kAlignments, static_cast<int>(*v))
                                                 : WordFor(kGlyphPositions, static_cast<int>(*v));
      if (p.Type != ptEffect && (*v < 0 || *v > 3)) return std::nullopt;
      return std::vector<std::string>{word ? word : p.Value};
    }
    case ptColor: {
      auto c = ParseGuiColor(p.Value);
      if (!c || std::to_string(*c) != p.Value) return std::nullopt;
      return std::vector<std::string>{FormatGuiColor(*c)};
    }
    case ptStrings: {
      std::vector<std::string> items = SplitGuiLines(p.Value);
      if (JoinGuiLines(items) != p.Value) return std::nullopt;
      return items;
    }
    default: {
      std::vector<std::string> lines = SplitGuiLines(p.Value);
      std::string joined;
      for (size_t i = 0; i < lines.size(); ++i) joined += (i ? "\r\n" : "") + lines[i];
      if (joined != p.Value || lines.empty()) {
        if (p.Value.empty()) return std::vector<std::string>{""};
        return std::nullopt;
      }
      return lines;
    }
  }
}

bool Writable(const std::string& token) {
  return token.find('"') == std::string::npos || token.find('`') == std::string::npos;
}

// Whether p is the key companion that follows an image property written as
// that very key, so that compiling the text again brings it back in its place.
bool IsWrittenWithItsImage(const TGuiLayoutControl& c, TGuiKind kind, const TGuiLayoutProp& p,
                           const TGuiSourceImages& images) {
  const size_t at = static_cast<size_t>(&p - c.Props.data());
  if (p.Type != ptString || at == 0) return false;
  const TGuiLayoutProp& image = c.Props[at - 1];
  if (image.Type != ptInteger || (image.Name != "ImageIndex" && image.Name != "IconIndex") ||
      !IsImageProperty(kind, image.Name) || p.Name != GuiImageKeyProperty(image.Name))
    return false;
  const auto tokens = ValueTokens(image, kind, images);
  return tokens && tokens->size() == 1 && tokens->front() == p.Value && tokens->front() != image.Value;
}

void WriteControl(DataWriter& w, const TGuiLayoutControl& c, const TGuiSourceImages& images) {
  TGuiKind kind = *GuiKindFromClassName(c.ClassName);
  const TGuiClassInfo& info = GuiClassInfo(kind);
  std::vector<std::string> head{WordOfKind(kind)};
  const TGuiLayoutProp* nameProp = nullptr;
  if (!c.Props.empty() && c.Props.front().Type == ptString && SameText(c.Props.front().Name, "Name") &&
      !c.Props.front().Value.empty() && c.Props.front().Value.find_first_of("\r\n") == std::string::npos &&
      Writable(c.Props.front().Value)) {
    nameProp = &c.Props.front();
    head.push_back(nameProp->Value);
  }
  w.Write(head);
  w.BeginChildren();
  for (const TGuiLayoutProp& p : c.Props) {
    if (&p == nameProp || IsWrittenWithItsImage(c, kind, p, images)) continue;
    const TGuiPropDesc* desc = FindGuiProp(info.Props, p.Name);
    std::optional<std::vector<std::string>> value;
    if (desc && desc->Type == p.Type && std::string(desc->Name) == p.Name) value = ValueTokens(p, kind, images);
    std::vector<std::string> line;
    if (value) {
      line.push_back(p.Name);
    } else {
      line = {"raw", p.Name, std::to_string(p.Type)};
      if (p.Type == ptFill)
        value = FillTokens(p.Fill);
      else if (p.Type == ptFont)
        value = FontTokens(p.Font);
      else
        value = p.Value.empty() ? std::vector<std::string>{""} : SplitGuiLines(p.Value);
    }
    line.insert(line.end(), value->begin(), value->end());
    w.Write(line);
  }
  for (const TGuiLayoutControl& child : c.Children) WriteControl(w, child, images);
  w.EndChildren();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<uint32_t> Hex(std::string_view s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  uint32_t v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  return v;
}

}  // namespace

std::string FormatGuiColor(TColor color) {
  uint32_t a = color >> 24, r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
  char buf[32];
  std::snprintf(buf, sizeof buf, "argb:%02X%02X%02X%02X", a, r, g, b);
  return buf;
}

bool ParseGuiColorText(std::string_view text, TColor& out) {
  auto swap = [](uint32_t argb) {
    return (argb & 0xFF00FF00u) | (argb & 0xFF) << 16 | (argb >> 16 & 0xFF);
  };
  if (text.substr(0, 4) == "rgb:" && text.size() == 10) {
    auto v = Hex(text.substr(4));
    if (!v) return false;
    out = swap(0xFF000000u | *v);
    return true;
  }
  if (text.substr(0, 5) == "argb:" && text.size() == 13) {
    auto v = Hex(text.substr(5));
    if (!v) return false;
    out = swap(*v);
    return true;
  }
  if (text.substr(0, 2) == "0x" && text.size() > 2) {
    auto v = Hex(text.substr(2));
    if (!v) return false;
    out = *v;
    return true;
  }
  return false;
}

std::vector<TGuiLayoutControl> CompileGuiSource(const std::vector<DataFile>& files, const TGuiSourceImages& images) {
  Compiler compiler(images);
  return compiler.Run(files);
}

std::string DecompileGuiLayout(const std::vector<TGuiLayoutControl>& controls, const TGuiSourceImages& images) {
  DataWriter w;
  w.Comment("GUI layout; kinds, properties and values as the layout compiler reads them");
  for (const TGuiLayoutControl& c : controls) {
    w.Blank();
    WriteControl(w, c, images);
  }
  return w.Text();
}
