// Runs the built game binary headless in a scratch folder of its own, for
// end-to-end tests: the folder links the built data, so tests may add level
// packs or saves without touching the build.
#pragma once

#include <filesystem>
#include <string>

namespace game_test {

class GameRunner {
 public:
  // Creates an empty scratch folder named after the test, with Data/, data/
  // and (unless linkLevels is false) levels/ linked from the build.
  explicit GameRunner(const std::string& name, bool linkLevels = true);
  ~GameRunner();
  GameRunner(const GameRunner&) = delete;
  GameRunner& operator=(const GameRunner&) = delete;

  // True when the game and its data have been built.
  static bool Built();
  // Runs the game with the arguments (plus --headless and --home), in the
  // scratch folder as working directory. Returns the exit code; the standard
  // error is kept in Errors.
  int Run(const std::string& arguments);
  // Writes a script file into the folder and returns its path.
  std::string Script(const std::string& name, const std::string& text);
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

  std::filesystem::path Home;
  std::string Errors;
};

std::string ReadFile(const std::filesystem::path& path);

}  // namespace game_test
