#include "MapData.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>

#include "engine/core/DataFile.h"

namespace {

void PutI32(std::vector<uint8_t>& out, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

TPt CatmullPoint(const TPt& p0, const TPt& p1, const TPt& p2, const TPt& p3, double t) {
  // The same curve SmoothOpen draws (a cubic Bezier with Catmull-Rom handles).
  TPt c1{p1.X + (p2.X - p0.X) / 6, p1.Y + (p2.Y - p0.Y) / 6};
  TPt c2{p2.X - (p3.X - p1.X) / 6, p2.Y - (p3.Y - p1.Y) / 6};
  double u = 1 - t;
  return {u * u * u * p1.X + 3 * u * u * t * c1.X + 3 * u * t * t * c2.X + t * t * t * p2.X,
          u * u * u * p1.Y + 3 * u * u * t * c1.Y + 3 * u * t * t * c2.Y + t * t * t * p2.Y};
}

}  // namespace

std::vector<TPt> TrailPolyline(const std::vector<TPt>& p) {
  std::vector<TPt> line;
  size_t n = p.size();
  if (n == 0) return line;
  line.push_back(p[0]);
  for (size_t i = 0; i + 1 < n; ++i) {
    const TPt& a = i == 0 ? p[0] : p[i - 1];
    const TPt& d = i + 2 < n ? p[i + 2] : p[n - 1];
    for (int k = 1; k <= 64; ++k) line.push_back(CatmullPoint(a, p[i], p[i + 1], d, k / 64.0));
  }
  return line;
}

namespace {

// Points at equal distances along the polyline, first and last at its ends.
std::vector<TPt> EvenPoints(const std::vector<TPt>& line, int count) {
  std::vector<double> at(line.size(), 0.0);
  for (size_t i = 1; i < line.size(); ++i)
    at[i] = at[i - 1] + std::hypot(line[i].X - line[i - 1].X, line[i].Y - line[i - 1].Y);
  std::vector<TPt> points;
  double total = at.back();
  size_t seg = 1;
  for (int k = 0; k < count; ++k) {
    double want = count == 1 ? 0 : total * k / (count - 1);
    while (seg + 1 < line.size() && at[seg] < want) ++seg;
    double len = at[seg] - at[seg - 1];
    double t = len > 0 ? (want - at[seg - 1]) / len : 0;
    t = std::clamp(t, 0.0, 1.0);
    points.push_back({line[seg - 1].X + (line[seg].X - line[seg - 1].X) * t,
                      line[seg - 1].Y + (line[seg].Y - line[seg - 1].Y) * t});
  }
  return points;
}

}  // namespace

namespace {

TStoryMap StoryMapFrom(const DataFile& file, const std::string& name, int campaignLevels) {
  TStoryMap map;
  int levels = 0;
  for (const DataNode& node : file.Nodes) {
    const std::string& word = node.Token(0);
    if (word == "levels") {
      node.Expect(2, 2);
      if (node.Token(1) == "auto") {
        if (campaignLevels < 1) node.Fail("the campaign has no levels to count");
        // The game holds at most 110 map points.
        levels = std::min(campaignLevels, 110);
      } else {
        levels = static_cast<int>(node.Int(1, 1, 110));
      }
    } else if (word == "trail") {
      node.Expect(1, 1);
      for (const DataNode& child : node.Children) {
        if (child.Token(0) != "point") child.Fail("unknown word \"" + child.Token(0) + "\" in the trail");
        child.Expect(3, 3);
        map.Trail.push_back({static_cast<double>(child.Int(1, 0, 799)), static_cast<double>(child.Int(2, 0, 599))});
      }
    } else if (word == "label") {
      node.Expect(4, 4);
      map.Labels.push_back(
          {node.Token(1), {static_cast<double>(node.Int(2, 0, 799)), static_cast<double>(node.Int(3, 0, 599))}});
    } else {
      node.Fail("unknown word \"" + word + "\"");
    }
  }
  if (levels == 0) throw DataError(name + ": the level count (\"levels\") is missing");
  if (map.Trail.size() < 2) throw DataError(name + ": the trail needs at least two points");
  map.Points = EvenPoints(TrailPolyline(map.Trail), levels);
  return map;
}

}  // namespace

const char* const kCampaignFolder = "levels/Game Levels";

int CampaignLevelCount(const std::string& contentDir) {
  std::filesystem::path dir = std::filesystem::path(contentDir) / kCampaignFolder;
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return 0;
  std::vector<bool> have(1000, false);
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    std::string stem = entry.path().stem().string();
    if (entry.path().extension() != ".txt" || stem.empty() || stem.size() > 3) continue;
    if (stem.find_first_not_of("0123456789") != std::string::npos) continue;
    have[static_cast<size_t>(std::stoi(stem))] = true;
  }
  int n = 0;
  while (n + 1 < static_cast<int>(have.size()) && have[static_cast<size_t>(n + 1)]) ++n;
  return n;
}

TStoryMap ParseStoryMap(const std::string& text, const std::string& name, int campaignLevels) {
  return StoryMapFrom(DataFile::Parse(text, name), name, campaignLevels);
}

TStoryMap LoadStoryMap(const std::string& contentDir) {
  std::string path = (std::filesystem::path(contentDir) / "map" / "story-map.txt").string();
  return StoryMapFrom(DataFile::Load(path), path, CampaignLevelCount(contentDir));
}

std::vector<uint8_t> MapPointsBytes(const TStoryMap& map) {
  std::vector<uint8_t> out;
  for (const TPt& p : map.Points) {
    PutI32(out, static_cast<int32_t>(std::lround(p.X)));
    PutI32(out, static_cast<int32_t>(std::lround(p.Y)));
  }
  return out;
}

// ---------------------------------------------------------------------------

bool Utf8ToCp1252(const std::string& utf8, std::string& out) {
  // Code points 0x80..0x9F of the code page that are not Latin-1.
  static const struct {
    uint32_t Code;
    unsigned char Byte;
  } extras[] = {{0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
                {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
                {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
                {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
                {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};
  out.clear();
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t code;
    int len;
    if (c < 0x80) {
      code = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      code = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      code = c & 0x0F;
      len = 3;
    } else {
      return false;
    }
    if (i + static_cast<size_t>(len) > utf8.size()) return false;
    for (int k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
      if ((cc & 0xC0) != 0x80) return false;
      code = (code << 6) | (cc & 0x3F);
    }
    i += static_cast<size_t>(len);
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      out += static_cast<char>(code);
      continue;
    }
    bool found = false;
    for (const auto& e : extras) {
      if (e.Code == code) {
        out += static_cast<char>(e.Byte);
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

namespace {

std::vector<THiscoreEntry> HiscoresFrom(const DataFile& file, const std::string& name) {
  std::vector<THiscoreEntry> entries;
  for (const DataNode& node : file.Nodes) {
    if (node.Token(0) != "entry") node.Fail("unknown word \"" + node.Token(0) + "\"");
    node.Expect(3, 3);
    THiscoreEntry e;
    if (!Utf8ToCp1252(node.Token(1), e.Name)) node.Fail("the name has characters the game cannot show");
    if (e.Name.empty() || e.Name.size() > 40) node.Fail("a name has 1 to 40 characters");
    e.Score = static_cast<int32_t>(node.Int(2, 0, INT32_MAX));
    if (!entries.empty() && e.Score > entries.back().Score) node.Fail("scores must not rise down the table");
    entries.push_back(e);
  }
  if (entries.size() != 10) throw DataError(name + ": the table needs exactly ten entries");
  return entries;
}

}  // namespace

std::vector<THiscoreEntry> ParseHiscores(const std::string& text, const std::string& name) {
  return HiscoresFrom(DataFile::Parse(text, name), name);
}

std::vector<THiscoreEntry> LoadHiscores(const std::string& contentDir) {
  std::string path = (std::filesystem::path(contentDir) / "hiscores" / "hiscore.txt").string();
  return HiscoresFrom(DataFile::Load(path), path);
}

std::vector<uint8_t> HiscoreBytes(const std::vector<THiscoreEntry>& entries) {
  THiscoreTable table;
  for (size_t i = 0; i < entries.size() && i < table.Entries.size(); ++i) table.Entries[i] = entries[i];
  return table.Encode();
}
