// What the game installs for the desktop: the manual page against `--help`
// and the README's keys, one desktop id for the entry, the icons and the
// metainfo, the icons at every size, and the program finding its data from
// /usr/games as the Debian package installs it.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/LaunchOptions.h"
#include "automation/Replay.h"
#include "datagen/AppIcon.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A roff line as it reads: the macro dropped, quotes and escaped hyphens
// undone, spaces collapsed.
std::string Plain(const std::string& roff) {
  std::string text = roff.substr(std::min(roff.find(' '), roff.size()));
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') continue;
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-') {
      out += '-';
      ++i;
      continue;
    }
    if (text[i] == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += text[i];
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The tags of a section's .TP entries (the line after each .TP).
std::vector<std::string> ManTags(const std::string& page, const std::string& section) {
  std::vector<std::string> tags;
  const std::vector<std::string> lines = Lines(page);
  bool inside = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(".SH ", 0) == 0) inside = lines[i] == ".SH " + section;
    if (inside && lines[i] == ".TP" && i + 1 < lines.size()) tags.push_back(Plain(lines[i + 1]));
  }
  return tags;
}

fs::path ManPage() { return fs::path(GW_SOURCE_DIR) / "packaging" / "grovewright.6"; }

// The one desktop entry in packaging/, named after the desktop id.
std::string DesktopId() {
  std::vector<std::string> ids;
  for (const auto& entry : fs::directory_iterator(fs::path(GW_SOURCE_DIR) / "packaging"))
    if (entry.path().extension() == ".desktop") ids.push_back(entry.path().stem().string());
  return ids.size() == 1 ? ids[0] : "";
}

struct TPixels {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Argb;
  int Alpha(int x, int y) const { return static_cast<int>(Argb[static_cast<size_t>(y * Width + x)] >> 24); }
};

TPixels LoadPng(const fs::path& path) {
  TPixels p;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                                       cairo_image_surface_get_height(s));
    cairo_t* cr = cairo_create(argb);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(argb);
    p.Width = cairo_image_surface_get_width(argb);
    p.Height = cairo_image_surface_get_height(argb);
    const int stride = cairo_image_surface_get_stride(argb);
    const unsigned char* data = cairo_image_surface_get_data(argb);
    for (int y = 0; y < p.Height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      p.Argb.insert(p.Argb.end(), row, row + p.Width);
    }
    cairo_surface_destroy(argb);
  }
  cairo_surface_destroy(s);
  return p;
}

}  // namespace

TEST(ManPage, ListsTheOptionsOfHelpTheKeysOfTheReadmeAndThisVersion) {
  const std::string page = ReadText(ManPage());
  ASSERT_FALSE(page.empty()) << ManPage();

  // Every option of --help with its values, and no other.
  std::set<std::string> help;
  for (const std::string& line : Lines(LaunchUsage())) {
    if (line.rfind("  --", 0) != 0) continue;
    help.insert(line.substr(2, line.find("  ", 2) - 2));
  }
  ASSERT_GE(help.size(), 10u);
  const std::vector<std::string> listed = ManTags(page, "OPTIONS");
  EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), help);
  EXPECT_EQ(listed.size(), help.size()) << "an option is listed twice";

  // The keys of the README's Controls section ("- **KEY**: what it does").
  std::set<std::string> readme;
  bool controls = false;
  for (const std::string& line : Lines(ReadText(fs::path(GW_SOURCE_DIR) / "README.md"))) {
    if (line.rfind("#", 0) == 0) controls = line == "### Controls";
    if (controls && line.rfind("- **", 0) == 0) readme.insert(line.substr(4, line.find("**", 4) - 4));
  }
  ASSERT_GE(readme.size(), 5u);
  std::set<std::string> keys;
  for (const std::string& tag : ManTags(page, "KEYS")) keys.insert(tag.substr(0, tag.find(' ')));
  EXPECT_EQ(keys, readme);

  // The header names this version of the game.
  const std::vector<std::string> lines = Lines(page);
  const auto header =
      std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind(".TH ", 0) == 0; });
  ASSERT_NE(header, lines.end());
  EXPECT_NE(header->find("\"Grovewright " + std::string(GameVersion()) + "\""), std::string::npos)
      << "the .TH line names another version";
}

TEST(DesktopFiles, OneDesktopIdNamesTheEntryTheIconsAndTheMetainfo) {
  const std::string id = DesktopId();
  ASSERT_FALSE(id.empty()) << "packaging/ should hold exactly one desktop entry";
  EXPECT_EQ(std::count(id.begin(), id.end(), '.'), 3) << id << " is not a reverse-DNS id";

  const std::string entry = ReadText(fs::path(GW_SOURCE_DIR) / "packaging" / (id + ".desktop"));
  EXPECT_NE(entry.find("\nIcon=" + id + "\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=grovewright\n"), std::string::npos);

  const std::string metainfo = ReadText(fs::path(GW_BUILD_DIR) / "packaging" / (id + ".metainfo.xml"));
  ASSERT_FALSE(metainfo.empty()) << "the build writes packaging/" << id << ".metainfo.xml";
  EXPECT_NE(metainfo.find("<id>" + id + "</id>"), std::string::npos);
  EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">" + id + ".desktop</launchable>"), std::string::npos);
  EXPECT_NE(metainfo.find("<binary>grovewright</binary>"), std::string::npos);
  EXPECT_NE(metainfo.find("<release version=\"" + std::string(GameVersion()) + "\""), std::string::npos);

  // The build's icon theme holds a picture of the right size in every folder
  // under the same name, and the scalable one.
  const fs::path theme = fs::path(GW_BUILD_DIR) / "icons" / "hicolor";
  if (!fs::exists(theme)) GTEST_SKIP() << "the data (and the icons) have not been built";
  for (int size : kAppIconSizes) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    const TPixels icon = LoadPng(theme / folder / "apps" / (id + ".png"));
    EXPECT_EQ(icon.Width, size) << folder;
    EXPECT_EQ(icon.Height, size) << folder;
  }
  EXPECT_TRUE(fs::exists(theme / "scalable" / "apps" / (id + ".svg")));
}

TEST(AppIcon, EverySizeIsATileOnATransparentGroundAndTheSvgIsAllPaths) {
  const fs::path dir = fs::temp_directory_path() / "gw-icon-test";
  fs::remove_all(dir);
  WriteAppIconTheme(dir.string(), "test.icon");
  for (int size : kAppIconSizes) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    const TPixels icon = LoadPng(dir / folder / "apps" / "test.icon.png");
    ASSERT_EQ(icon.Width, size) << folder;
    ASSERT_EQ(icon.Height, size) << folder;
    // The rounded tile leaves the corners clear and covers the middle and
    // the middle of each edge.
    EXPECT_EQ(icon.Alpha(0, 0), 0) << folder;
    EXPECT_EQ(icon.Alpha(size - 1, size - 1), 0) << folder;
    EXPECT_EQ(icon.Alpha(size / 2, size / 2), 255) << folder;
    EXPECT_EQ(icon.Alpha(size / 2, size * 9 / 10), 255) << folder;
    EXPECT_EQ(icon.Alpha(size / 10, size / 2), 255) << folder;
  }
  // The scalable icon is drawn, not a picture wrapped in SVG: it scales
  // without blur only so.
  const std::string svg = ReadText(dir / "scalable" / "apps" / "test.icon.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 512 512\""), std::string::npos);
  EXPECT_NE(svg.find("<path"), std::string::npos);
  EXPECT_EQ(svg.find("<image"), std::string::npos);
  fs::remove_all(dir);
}

TEST(LaunchOptions, FindsTheDataOfAGameInstalledToGamesAsDebianDoes) {
  const fs::path root = fs::temp_directory_path() / "gw-games-folders-test";
  fs::remove_all(root);
  fs::create_directories(root / "usr" / "share" / "grovewright" / "Data");
  std::ofstream(root / "usr" / "share" / "grovewright" / "Data" / "GameData.CPDB") << "x";
  fs::create_directories(root / "usr" / "games");
  TLaunchOptions options;
  ResolveGameFolders(options, (root / "usr" / "games").string(), nullptr, "/home/ann");
  EXPECT_EQ(options.Home, (root / "usr" / "share" / "grovewright").string());
  EXPECT_EQ(options.SaveHome, "/home/ann/.local/share/grovewright");
  fs::remove_all(root);
}
