#include "support/GameRunner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

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
  fs::create_directory_symlink(build / "data", Home / "data");
  if (linkLevels && fs::exists(build / "levels")) fs::create_directory_symlink(build / "levels", Home / "levels");
}

GameRunner::~GameRunner() {
  std::error_code ec;
  fs::remove_all(Home, ec);
}

int GameRunner::Run(const std::string& arguments) {
  const fs::path err = Home / "stderr.txt";
  const std::string command = "cd \"" + Home.string() +
                              "\" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \"" GW_BUILD_DIR
                              "/grovewright\" --headless --home \"" +
                              Home.string() + "\" " + arguments + " 2>\"" + err.string() + "\" >/dev/null";
  const int status = std::system(command.c_str());
  Errors = ReadFile(err);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string GameRunner::Script(const std::string& name, const std::string& text) {
  const fs::path path = Home / name;
  std::ofstream(path, std::ios::binary) << text;
  return path.string();
}

std::string GameRunner::Read(const std::string& relative) const { return ReadFile(Home / relative); }

bool GameRunner::Exists(const std::string& relative) const { return fs::exists(Home / relative); }

}  // namespace game_test
