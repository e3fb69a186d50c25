// The installed game: `cmake --install` lays out the program, its shipped
// files, the desktop entry, the icons, the metainfo and the manual page (but
// not the Debian package's own files), and the program finds its files from
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
  const std::string id = "io.github.grovewright.grovewright";
  if (!game_test::GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  const fs::path prefix = fs::temp_directory_path() / "gw-install-test";
  fs::remove_all(prefix);
  ASSERT_EQ(Shell("cmake --install \"" + GW_BUILD_DIR + "\" --prefix \"" + prefix.string() + "\" >/dev/null"), 0);
  for (const char* file : {"bin/grovewright", "share/grovewright/Data/GameData.CPDB",
                           "share/grovewright/Data/GameDataParticles.CPDB", "share/grovewright/Data/managreen.pss",
                           "share/grovewright/data/interface.gui", "share/grovewright/data/hiscore-shipped.arv",
                           "share/grovewright/levels/Game Levels/1.lvl", "share/man/man6/grovewright.6.gz"})
    EXPECT_TRUE(fs::exists(prefix / file)) << file;
  for (const std::string& file :
       {"share/applications/" + id + ".desktop", "share/metainfo/" + id + ".metainfo.xml",
        "share/icons/hicolor/16x16/apps/" + id + ".png", "share/icons/hicolor/32x32/apps/" + id + ".png",
        "share/icons/hicolor/48x48/apps/" + id + ".png", "share/icons/hicolor/64x64/apps/" + id + ".png",
        "share/icons/hicolor/128x128/apps/" + id + ".png", "share/icons/hicolor/256x256/apps/" + id + ".png",
        "share/icons/hicolor/512x512/apps/" + id + ".png", "share/icons/hicolor/scalable/apps/" + id + ".svg"})
    EXPECT_TRUE(fs::exists(prefix / file)) << file;
  // The Debian package's own files stay out of a plain install.
  EXPECT_FALSE(fs::exists(prefix / "games"));
  EXPECT_FALSE(fs::exists(prefix / "share/doc/grovewright"));
  EXPECT_FALSE(fs::exists(prefix / "share/grovewright/data/hiscore.arv")) << "the player's table is never installed";
  if (Shell("command -v desktop-file-validate >/dev/null") == 0) {
    const fs::path entry = prefix / ("share/applications/" + id + ".desktop");
    EXPECT_EQ(Shell("desktop-file-validate \"" + entry.string() + "\""), 0);
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
