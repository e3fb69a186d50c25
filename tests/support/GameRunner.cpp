#include "support/GameRunner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "board/LevelFile.h"
#include "support/BoardFixture.h"

namespace fs = std::filesystem;

namespace game_test {

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool GameRunner::Built() {
  const fs::path build(GW_BUILD_DIR);
  return fs::exists(build / "grovewright") && fs::exists(build / "Data" / "GameData.CPDB") &&
         fs::exists(build / "data" / "interface.gui");
}

GameRunner::GameRunner(const std::string& name, bool linkLevels) {
  const fs::path build(GW_BUILD_DIR);
  Home = fs::temp_directory_path() / ("gw-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(Home);
  fs::create_directories(Home);
  fs::create_directory_symlink(build / "Data", Home / "Data");
  // data/ too is the test's own: the hiscore table is a copy that the game
  // may write, the other files link to the build.
  fs::create_directory(Home / "data");
  for (const auto& file : fs::directory_iterator(build / "data")) {
    const fs::path name = file.path().filename();
    if (name == "hiscore.arv")
      fs::copy_file(file.path(), Home / "data" / name);
    else
      fs::create_symlink(file.path(), Home / "data" / name);
  }
  // levels/ is a folder of the test's own holding a link to each built pack,
  // so a test may add packs without touching the build.
  if (linkLevels && fs::exists(build / "levels")) {
    fs::create_directory(Home / "levels");
    for (const auto& pack : fs::directory_iterator(build / "levels"))
      fs::create_directory_symlink(pack.path(), Home / "levels" / pack.path().filename());
  }
}

GameRunner::~GameRunner() {
  std::error_code ec;
  fs::remove_all(Home, ec);
}

int GameRunner::Run(const std::string& arguments) {
  const fs::path err = Home / "stderr.txt";
  const fs::path out = Home / "stdout.txt";
  const std::string command = "cd \"" + Home.string() +
                              "\" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + Prefix + " \"" + GW_BUILD_DIR +
                              "/grovewright\" --headless --home \"" +
                              Home.string() + "\" " + arguments + " 2>\"" + err.string() + "\" >\"" + out.string() + "\"";
  const int status = std::system(command.c_str());
  Errors = ReadFile(err);
  Output = ReadFile(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* WithoutFileAdminRights() {
  if (::geteuid() != 0) return "";
  static const bool have = std::system("command -v setpriv >/dev/null 2>&1") == 0;
  return have ? "setpriv --bounding-set -dac_override,-dac_read_search"
              : nullptr;
}

std::string GameRunner::Script(const std::string& name, const std::string& text) {
  const fs::path path = Home / name;
  std::ofstream(path, std::ios::binary) << text;
  return path.string();
}

std::string GameRunner::Read(const std::string& relative) const { return ReadFile(Home / relative); }

bool GameRunner::Exists(const std::string& relative) const { return fs::exists(Home / relative); }

bool GameRunner::WriteLevel(const std::string& pack, int n, const std::vector<std::string>& pieces,
                            const std::vector<std::string>& tabs, int levelTime) {
  TLevelOptions options;
  options.LevelTime = levelTime;
  options.MaxCaveiras = 0;
  const std::string home = Home.string();
  return WriteLevelOptions(LevelOptionsPath(home, pack, n), options, Errors) &&
         WriteLevelCells(LevelCellsPath(home, pack, n), CellsFromPictures(pieces, tabs), Errors);
}

long DumpNumber(const std::string& dump, const std::string& key, const std::string& from) {
  const size_t start = from.empty() ? 0 : dump.find("\"" + from + "\"");
  if (start == std::string::npos) return -999;
  const std::string tag = "\"" + key + "\":";
  const size_t at = dump.find(tag, start);
  if (at == std::string::npos) return -999;
  return std::strtol(dump.c_str() + at + tag.size(), nullptr, 10);
}

int Occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

int DumpPiece(const std::string& dump, int col, int row) {
  size_t at = dump.find("\"cells\"");
  const int index = (row - 1) * kBoardCols + (col - 1);
  for (int i = 0; i <= index && at != std::string::npos; ++i) at = dump.find("\"piece\":", at + 1);
  return at == std::string::npos ? -999 : std::atoi(dump.c_str() + at + 8);
}

TBotGrid DumpGrid(const std::string& dump) {
  TBotGrid grid;
  size_t at = dump.find("\"cells\"");
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      at = dump.find("\"tab\":", at + 1);
      if (at == std::string::npos) return grid;
      const std::string cell = dump.substr(at, 120);
      TBotCell& b = grid.At(c, r);
      b.Tab = static_cast<uint8_t>(DumpNumber(cell, "tab"));
      b.Spawn = DumpNumber(cell, "spawn") != 0;
      b.Kind = static_cast<int8_t>(DumpNumber(cell, "piece"));
      b.Settled = b.Kind >= 0 && DumpNumber(cell, "state") == 0;
    }
  }
  return grid;
}

std::string CellCentre(int col, int row) { return std::to_string(40 * col + 20) + " " + std::to_string(40 * row + 10); }

std::vector<uint8_t> ProgressBytes(int level, int score, int lives) {
  std::vector<uint8_t> b;
  for (int v : {level, score, lives})
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
  return b;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  const std::string s = ReadFile(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

void WriteConfig(const fs::path& home, const std::string& player) {
  std::vector<uint8_t> b(105, 0);
  b[0] = static_cast<uint8_t>(player.size());
  for (size_t i = 0; i < player.size(); ++i) b[1 + i] = static_cast<uint8_t>(player[i]);
  b[102] = 1;
  b[104] = 1;
  WriteBytes(home / "arvanels.cfg", b);
}

void WriteKnownPlayer(const fs::path& home, const std::string& name, int level, int score, int lives) {
  WriteBytes(home / "save" / (name + ".sav"), ProgressBytes(1, 0, 3));
  WriteBytes(home / "save" / (name + " - Game Levels.sa2"), ProgressBytes(level, score, lives));
}

}  // namespace game_test
