// Killed at every write step: the level compiler and the game's saves are
// run under strace, which kills them at the n-th call of each file-changing
// system call in turn. Whatever the moment, every file is afterwards either
// as it was or as it was to become, and a level's two files always belong
// together once the pack has been opened again.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "board/LevelFile.h"
#include "engine/core/SafeFile.h"
#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;

bool HaveStrace() { return std::system("command -v strace >/dev/null 2>&1") == 0; }

// Runs the command under strace, killed at the n-th call of the system call.
// True when it was killed, false when it ran to its end.
bool RunKilledAt(const std::string& command, const std::string& syscall, int n) {
  const std::string line = "strace -f -o /dev/null -e trace=" + syscall + " -e inject=" + syscall +
                           ":signal=SIGKILL:when=" + std::to_string(n) + " " + command + " >/dev/null 2>&1";
  const int status = std::system(line.c_str());
  // The shell reports a child killed by a signal as 128 + the signal.
  return WIFEXITED(status) && WEXITSTATUS(status) == 128 + 9;
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteSource(const fs::path& folder, int level, int time, char piece) {
  fs::create_directories(folder);
  std::ofstream out(folder / ("0" + std::to_string(level) + ".txt"));
  out << "time " << time << "\nbackground 1\nmax-skulls 0\nallow fire tree water\n";
  // Three rows of five cells at the top left, the rest of the grid empty.
  auto grid = [&](const char* name, const std::vector<std::string>& rows) {
    out << name << "\n";
    for (int r = 0; r < 12; ++r) {
      std::string row = r < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(r)] : "";
      row.resize(18, '.');
      out << "\t" << row << "\n";
    }
  };
  const char other = piece == 't' ? 'f' : 't';
  grid("tiles", {"__w__", "_____", "_____"});
  grid("spawns", {"vvvvv"});
  // A move (two alike, one out of line) and no ready line.
  grid("pieces", {std::string{piece, piece, other, piece, 'w'}, std::string{other, other, 'w', other, piece},
                  std::string{'w', 'w', piece, 'w', other}});
}

TEST(KillTest, ACompiledPackIsNeverLeftHalfOldHalfNew) {
  if (!game_test::GameRunner::Built()) GTEST_SKIP() << "the tools have not been built";
  if (!HaveStrace()) GTEST_SKIP() << "strace is not installed";
  const fs::path root = fs::temp_directory_path() / "gw-kill-levelc";
  fs::remove_all(root);
  WriteSource(root / "old" / "Pack", 1, 100, 't');
  WriteSource(root / "old" / "Pack", 2, 110, 't');
  WriteSource(root / "new" / "Pack", 1, 200, 'f');
  WriteSource(root / "new" / "Pack", 2, 210, 'f');
  const std::string levelc = "\"" + GW_BUILD_DIR + "/levelc\" compile ";
  ASSERT_EQ(std::system((levelc + "\"" + (root / "old").string() + "\" \"" + (root / "oldout").string() + "\" >/dev/null").c_str()), 0);
  ASSERT_EQ(std::system((levelc + "\"" + (root / "new").string() + "\" \"" + (root / "newout").string() + "\" >/dev/null").c_str()), 0);
  auto pair = [](const fs::path& home, int n) {
    return Slurp(LevelOptionsPath(home.string(), "Pack", n)) + "|" + Slurp(LevelCellsPath(home.string(), "Pack", n));
  };

  int kills = 0;
  for (const char* syscall : {"openat", "write", "fsync", "rename", "unlink"}) {
    for (int n = 1; n < 400; ++n) {
      const fs::path out = root / "out";
      fs::remove_all(out);
      fs::copy(root / "oldout", out, fs::copy_options::recursive);
      const bool killed = RunKilledAt(levelc + "\"" + (root / "new").string() + "\" \"" + out.string() + "\"",
                                      syscall, n);
      // Opening the pack again finishes or drops what was cut off.
      RecoverFileGroups(PackFolder(out.string(), "Pack"));
      for (int level = 1; level <= 2; ++level) {
        const std::string now = pair(out, level);
        EXPECT_TRUE(now == pair(root / "oldout", level) || now == pair(root / "newout", level))
            << "level " << level << " after a kill at " << syscall << " #" << n;
      }
      for (const auto& e : fs::directory_iterator(PackFolder(out.string(), "Pack")))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path() << " left after " << syscall << " #" << n;
      if (!killed) break;
      ++kills;
    }
  }
  EXPECT_GT(kills, 10);
  fs::remove_all(root);
}

TEST(KillTest, TheGamesSavesAreWholeOrAsTheyWereWhenTheGameDies) {
  if (!game_test::GameRunner::Built()) GTEST_SKIP() << "the game has not been built";
  if (!HaveStrace()) GTEST_SKIP() << "strace is not installed";
  game_test::GameRunner game("kill-saves");
  // A known player, with options and a saved game; the script starts a new
  // adventure, which saves the game and the options again.
  game_test::WriteKnownPlayer(game.Home, "Ann", 5, 12345, 2);
  game_test::WriteConfig(game.Home, "Ann");
  const std::vector<uint8_t> oldConfig = game_test::ReadBytes(game.Home / "arvanels.cfg");
  const fs::path progress = game.Home / "save" / "Ann - Game Levels.sa2";
  const std::vector<uint8_t> oldProgress = game_test::ReadBytes(progress);
  const std::string script = game.Script("s.txt",
                                         "1 key Escape\n"
                                         "130 click 100 270\n"  // Adventure
                                         "150 click 513 239\n"  // the continue dialog's "New Game"
                                         "300 quit\n");
  const std::string run = "env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \"" + GW_BUILD_DIR +
                          "/grovewright\" --headless --seed 2 --home \"" + game.Home.string() + "\" --script \"" +
                          script + "\"";
  int kills = 0;
  for (const char* syscall : {"rename", "fsync", "write", "unlink"}) {
    for (int n = 1; n < 60; ++n) {
      game_test::WriteBytes(game.Home / "arvanels.cfg", oldConfig);
      game_test::WriteBytes(progress, oldProgress);
      const bool killed = RunKilledAt(run, syscall, n);
      const std::vector<uint8_t> config = game_test::ReadBytes(game.Home / "arvanels.cfg");
      EXPECT_EQ(config.size(), oldConfig.size()) << "the options cut off at " << syscall << " #" << n;
      const std::vector<uint8_t> saved = game_test::ReadBytes(progress);
      EXPECT_EQ(saved.size(), oldProgress.size()) << "the saved game cut off at " << syscall << " #" << n;
      if (!killed) break;
      ++kills;
    }
  }
  EXPECT_GT(kills, 0);
}

}  // namespace
