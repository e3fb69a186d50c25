// The installed game: `cmake --install` lays out the program, its shipped
// files, the desktop entry and the icon, and the program finds its files from
// bin/ through share/grovewright.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Install, LaysOutTheGameAndItStartsFromTheInstallWithTheDesktopEntryValid) {
  if (!game_test::GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  const fs::path prefix = fs::temp_directory_path() / "gw-install-test";
  fs::remove_all(prefix);
  ASSERT_EQ(Shell("cmake --install \"" + GW_BUILD_DIR + "\" --prefix \"" + prefix.string() + "\" >/dev/null"), 0);
  for (const char* file : {"bin/grovewright", "share/grovewright/Data/GameData.CPDB",
                           "share/grovewright/Data/GameDataParticles.CPDB", "share/grovewright/Data/managreen.pss",
                           "share/grovewright/data/interface.gui", "share/grovewright/data/hiscore-shipped.arv",
                           "share/grovewright/levels/Game Levels/1.lvl", "share/applications/grovewright.desktop",
                           "share/icons/hicolor/256x256/apps/grovewright.png"})
    EXPECT_TRUE(fs::exists(prefix / file)) << file;
  EXPECT_FALSE(fs::exists(prefix / "share/grovewright/data/hiscore.arv")) << "the player's table is never installed";
  if (Shell("command -v desktop-file-validate >/dev/null") == 0) {
    EXPECT_EQ(Shell("desktop-file-validate \"" + (prefix / "share/applications/grovewright.desktop").string() + "\""), 0);
  }

  // The installed program plays a level from its install, writing nothing
  // there: its player's folder is elsewhere.
  const fs::path user = prefix / "user";
  const std::string run = "HOME=\"" + user.string() + "\" XDG_DATA_HOME= SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \"" +
                          (prefix / "bin/grovewright").string() + "\" --headless --ticks 300 --play \"Game Levels\" 2";
  EXPECT_EQ(Shell(run), 0);
  EXPECT_FALSE(fs::exists(prefix / "share/grovewright/save"));
  fs::remove_all(prefix);
}

}  // namespace
