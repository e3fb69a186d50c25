#include "data/ParticleSource.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "data/DataManifest.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// In the order of the patterns of particles-arvanels.image.
constexpr std::array<const char*, psShapeCount> kPatternWords = {
    "glow", "dot",  "star",  "ring",   "leaf", "drop",  "flame",   "shard",
    "smoke", "swirl", "star8", "streak", "rune", "petal", "crystal", "bubble"};
static_assert(psLeaf == 4 && psDrop == 5 && psStar8 == 10 && psBubble == 15, "pattern words follow the image");

struct TBlendWord {
  const char* Word;
  int Code;
};
constexpr TBlendWord kBlendWords[] = {{"opaque", kBlendOpaque}, {"alpha", kBlendAlpha}, {"additive", kBlendAdditive}};

float ToFloat(const DataNode& node, int i) { return static_cast<float>(node.Value(i)); }
float DegreesToRadians(double degrees) { return static_cast<float>(degrees * kPi / 180.0); }

bool SameFloat(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

// The shortest number that reads back as v through read (a float, or degrees
// that become radians).
template <typename Read>
std::string ShortestNumber(float v, double shown, Read read) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buffer[64];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, shown);
    if (!SameFloat(read(std::strtod(buffer, nullptr)), v)) continue;
    // The same digits without an exponent, as people write them ("420", not "4.2e+02").
    const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
    if (exponent >= -6 && exponent < 18) {
      char plain[64];
      std::snprintf(plain, sizeof plain, "%.*f", std::max(0, digits - 1 - exponent), shown);
      if (SameFloat(read(std::strtod(plain, nullptr)), v)) return plain;
    }
    return buffer;
  }
  std::snprintf(buffer, sizeof buffer, "%.17g", shown);
  return buffer;
}

std::string Number(float v) {
  return ShortestNumber(v, v, [](double d) { return static_cast<float>(d); });
}

std::string Degrees(float radians) {
  return ShortestNumber(radians, radians * 180.0 / kPi, DegreesToRadians);
}

// "RRGGBB" and alpha of a colour in the canvas order (red in the low byte).
std::vector<std::string> ColorWords(TColor c) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X%02X%02X", c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu);
  return {hex, std::to_string((c >> 24) & 0xFFu)};
}

TColor ReadColor(const DataNode& node) {
  node.Expect(3, 3);
  const std::string& hex = node.Token(1);
  if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    node.Fail("\"" + hex + "\" is not a colour: write RRGGBB in hexadecimal");
  const auto rgb = static_cast<uint32_t>(std::strtoul(hex.c_str(), nullptr, 16));
  const auto alpha = static_cast<uint32_t>(node.Int(2, 0, 255));
  return ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16) | alpha << 24;
}

// A range of one value (both ends alike) or two.
void ReadRange(const DataNode& node, float& lo, float& hi) {
  node.Expect(2, 3);
  lo = ToFloat(node, 1);
  hi = node.Size() == 3 ? ToFloat(node, 2) : lo;
}

}  // namespace

std::string ParticlePatternName(int pattern) {
  if (pattern < 0 || pattern >= psShapeCount) return "";
  return kPatternWords[static_cast<size_t>(pattern)];
}

int ParticlePatternByName(std::string_view name) {
  for (size_t i = 0; i < kPatternWords.size(); ++i)
    if (name == kPatternWords[i]) return static_cast<int>(i);
  return -1;
}

TPssSettings ParticleSettingsFromNodes(const std::vector<DataNode>& nodes, const std::string& file) {
  TPssSettings s;
  std::map<std::string, int> seen;  // key -> line
  for (const DataNode& node : nodes) {
    const std::string& key = node.Token(0);
    if (!node.Children.empty()) node.Children.front().Fail("settings take no indented lines");
    if (auto [it, fresh] = seen.emplace(key, node.Line); !fresh)
      node.Fail("\"" + key + "\" given twice (first on line " + std::to_string(it->second) + ")");
    if (key == "pattern") {
      node.Expect(2, 2);
      if (node.IsNumber(1)) {
        s.Pattern = static_cast<int32_t>(node.Int(1, 0, psShapeCount - 1));
      } else {
        s.Pattern = ParticlePatternByName(node.Token(1));
        if (s.Pattern < 0) node.Fail("unknown pattern \"" + node.Token(1) + "\"");
      }
    } else if (key == "blend") {
      node.Expect(2, 2);
      if (node.IsNumber(1)) {
        s.BlendEffect = static_cast<int32_t>(node.Int(1, INT32_MIN, INT32_MAX));
      } else {
        bool known = false;
        for (const TBlendWord& b : kBlendWords)
          if (node.Token(1) == b.Word) s.BlendEffect = b.Code, known = true;
        if (!known) node.Fail("unknown blend \"" + node.Token(1) + "\" (opaque, alpha, additive or a code)");
      }
    } else if (key == "emission") {
      node.Expect(2, 2);
      s.Emission = ToFloat(node, 1);
    } else if (key == "lifetime") {
      node.Expect(2, 2);
      s.Lifetime = node.Token(1) == "endless" ? -1.0f : ToFloat(node, 1);
    } else if (key == "life") {
      node.Expect(2, 3);
      s.LifeMin = static_cast<int32_t>(node.Int(1, INT32_MIN, INT32_MAX));
      s.LifeMax = node.Size() == 3 ? static_cast<int32_t>(node.Int(2, INT32_MIN, INT32_MAX)) : s.LifeMin;
    } else if (key == "direction") {
      node.Expect(2, 2);
      s.Direction = DegreesToRadians(node.Value(1));
    } else if (key == "spread") {
      node.Expect(2, 2);
      s.Spread = DegreesToRadians(node.Value(1));
    } else if (key == "relative") {
      node.Expect(2, 2);
      const std::string& v = node.Token(1);
      if (v == "yes")
        s.Relative = 1;
      else if (v == "no")
        s.Relative = 0;
      else
        s.Relative = static_cast<uint8_t>(node.Int(1, 0, 255));
    } else if (key == "speed") {
      ReadRange(node, s.SpeedMin, s.SpeedMax);
    } else if (key == "gravity") {
      ReadRange(node, s.GravityMin, s.GravityMax);
    } else if (key == "radial") {
      ReadRange(node, s.RadialMin, s.RadialMax);
    } else if (key == "tangential") {
      ReadRange(node, s.TangentialMin, s.TangentialMax);
    } else if (key == "size") {
      ReadRange(node, s.SizeStart, s.SizeEnd);
    } else if (key == "size-var") {
      node.Expect(2, 2);
      s.SizeVar = ToFloat(node, 1);
    } else if (key == "spin") {
      node.Expect(2, 3);
      s.SpinStart = DegreesToRadians(node.Value(1));
      s.SpinEnd = node.Size() == 3 ? DegreesToRadians(node.Value(2)) : s.SpinStart;
    } else if (key == "spin-var") {
      node.Expect(2, 2);
      s.SpinVar = ToFloat(node, 1);
    } else if (key == "color-start") {
      s.ColorStart = ReadColor(node);
    } else if (key == "color-end") {
      s.ColorEnd = ReadColor(node);
    } else if (key == "color-var") {
      node.Expect(2, 2);
      s.ColorVar = ToFloat(node, 1);
    } else if (key == "alpha-var") {
      node.Expect(2, 2);
      s.AlphaVar = ToFloat(node, 1);
    } else if (key == "reserved") {
      node.Expect(3, 3);
      s.Reserved1 = static_cast<int32_t>(node.Int(1, INT32_MIN, INT32_MAX));
      s.Reserved2 = static_cast<int32_t>(node.Int(2, INT32_MIN, INT32_MAX));
    } else {
      node.Fail("unknown setting \"" + key + "\"");
    }
  }
  for (const char* required :
       {"pattern", "blend", "emission", "lifetime", "life", "speed", "size", "color-start", "color-end"})
    if (!seen.count(required)) throw DataError(file + ": missing \"" + required + "\"");
  return s;
}

TPssSettings ParseParticleSource(const std::string& text, const std::string& name) {
  return ParticleSettingsFromNodes(DataFile::Parse(text, name).Nodes, name);
}

TPssSettings LoadParticleSource(const std::string& path) {
  return ParticleSettingsFromNodes(DataFile::Load(path).Nodes, path);
}

std::string ParticleSourceText(const TPssSettings& s, const std::string& heading) {
  DataWriter w;
  if (!heading.empty()) w.Comment(heading);
  const std::string pattern = ParticlePatternName(s.Pattern);
  w.Write({"pattern", pattern.empty() ? std::to_string(s.Pattern) : pattern});
  std::string blend = std::to_string(s.BlendEffect);
  for (const TBlendWord& b : kBlendWords)
    if (s.BlendEffect == b.Code) blend = b.Word;
  w.Write({"blend", blend});
  w.Write({"emission", Number(s.Emission)});
  const bool endless = SameFloat(s.Lifetime, -1.0f);
  w.Write({"lifetime", endless ? "endless" : Number(s.Lifetime)});
  w.Write({"life", std::to_string(s.LifeMin), std::to_string(s.LifeMax)});
  w.Write({"direction", Degrees(s.Direction)});
  w.Write({"spread", Degrees(s.Spread)});
  w.Write({"relative", s.Relative == 0 ? "no" : s.Relative == 1 ? "yes" : std::to_string(s.Relative)});
  w.Write({"speed", Number(s.SpeedMin), Number(s.SpeedMax)});
  w.Write({"gravity", Number(s.GravityMin), Number(s.GravityMax)});
  w.Write({"radial", Number(s.RadialMin), Number(s.RadialMax)});
  w.Write({"tangential", Number(s.TangentialMin), Number(s.TangentialMax)});
  w.Write({"size", Number(s.SizeStart), Number(s.SizeEnd)});
  w.Write({"size-var", Number(s.SizeVar)});
  w.Write({"spin", Degrees(s.SpinStart), Degrees(s.SpinEnd)});
  w.Write({"spin-var", Number(s.SpinVar)});
  std::vector<std::string> start = ColorWords(s.ColorStart), end = ColorWords(s.ColorEnd);
  start.insert(start.begin(), "color-start");
  end.insert(end.begin(), "color-end");
  w.Write(start);
  w.Write(end);
  w.Write({"color-var", Number(s.ColorVar)});
  w.Write({"alpha-var", Number(s.AlphaVar)});
  if (s.Reserved1 != 0 || s.Reserved2 != 0)
    w.Write({"reserved", std::to_string(s.Reserved1), std::to_string(s.Reserved2)});
  return w.Text();
}
