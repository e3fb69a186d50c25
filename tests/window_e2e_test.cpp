// The game in a real window: an X server of its own (Xvfb) without a window
// manager, the mouse driven from outside with xdotool as a player's would be.
// `xdotool click` presses and releases at once, so both reach the game between
// two frames. Each test skips itself when Xvfb or xdotool is missing
// (scripts/setup.sh installs both).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/GameRunner.h"

namespace {

using game_test::DumpNumber;
using game_test::GameRunner;
using namespace std::chrono_literals;

bool OnPath(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The standard output of a shell command.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  return out;
}

void Stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 50 && waitpid(pid, nullptr, WNOHANG) == 0; ++i) std::this_thread::sleep_for(20ms);
  if (waitpid(pid, nullptr, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid = -1;
}

class WindowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    if (!OnPath("Xvfb") || !OnPath("xdotool"))
      GTEST_SKIP() << "Xvfb or xdotool is missing: scripts/setup.sh installs both";
    Runner = std::make_unique<GameRunner>(
        std::string("window-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_TRUE(StartServer()) << "Xvfb did not start";
  }
  void TearDown() override {
    Stop(Game);
    Stop(Server);
  }

  // An X server on a display number it picks itself, 1024 x 768.
  bool StartServer() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    Server = fork();
    if (Server == 0) {
      close(fds[0]);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    Display = ":" + number;
    return true;
  }

  // Starts the game on level 1 of the campaign in a window of the server.
  void StartGame(const std::string& script, const std::string& extra = "") {
    const std::string path = Runner->Script("script.txt", script);
    const std::string home = Runner->Home.string();
    Game = fork();
    if (Game == 0) {
      if (chdir(home.c_str()) != 0) _exit(127);
      const int err = open((home + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      setenv("DISPLAY", Display.c_str(), 1);
      setenv("SDL_VIDEODRIVER", "x11", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      std::vector<std::string> args = {GW_BUILD_DIR "/grovewright", "--home", home, "--seed", "7", "--play",
                                       "Game Levels", "1", "--script", path};
      if (!extra.empty()) args.push_back(extra);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }

  // Waits for the game to write a file (a dump); false after the time limit.
  bool WaitFor(const std::string& name, std::chrono::seconds limit = 30s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (Runner->Exists(name) && !Runner->Read(name).empty() && Runner->Read(name).back() == '\n') return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }
  bool WaitForExit(std::chrono::seconds limit = 30s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (waitpid(Game, nullptr, WNOHANG) == Game) {
        Game = -1;
        return true;
      }
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  std::string Xdotool(const std::string& arguments) {
    return Output("DISPLAY=" + Display + " xdotool " + arguments + " 2>&1");
  }
  std::string WindowId() {
    std::string id = Xdotool("search --name Grovewright");
    return id.substr(0, id.find('\n'));
  }
  // A click (press and release at once) at a point of the game's 800 x 600
  // picture, which fills the 800 x 600 window.
  void Click(long x, long y) {
    Xdotool("mousemove --window " + WindowId() + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    std::this_thread::sleep_for(300ms);
  }
  void ClickCell(TCell c) { Click(40 * c.Col + 20, 40 * c.Row + 10); }

  // Plays the first level: clicks away the first tutorial hint, then clicks a
  // piece and its neighbour for a swap that lines up three.
  void PlayOneSwap(const std::string& extra) {
    StartGame("100 dump start.json\n380 dump hint.json\n1100 dump after.json\n1102 quit\n", extra);
    ASSERT_TRUE(WaitFor("hint.json")) << Runner->Read("stderr.txt");
    const std::string start = Runner->Read("start.json");
    const std::vector<TLineSwap> swaps = FindLineSwaps(game_test::DumpGrid(start));
    ASSERT_FALSE(swaps.empty());
    const TLineSwap s = swaps.front();
    const std::string hint = Runner->Read("hint.json");
    if (DumpNumber(hint, "shown", "hint") == 1)  // "Continue" at the bubble's lower right
      Click(DumpNumber(hint, "left", "hint") + 336, DumpNumber(hint, "top", "hint") + 109);
    ClickCell(s.From);
    ClickCell(s.To);
    ASSERT_TRUE(WaitForExit()) << "the game did not reach its last script command";
    const std::string after = Runner->Read("after.json");
    EXPECT_GE(DumpNumber(after, "score"), 300) << "the two clicks swapped a pair into a line";
    EXPECT_EQ(DumpNumber(after, "sel_col"), 0);
  }

  std::unique_ptr<GameRunner> Runner;
  std::string Display;
  pid_t Server = -1;
  pid_t Game = -1;
};

TEST_F(WindowE2E, ClickOnAPieceThenItsNeighbourSwapsThem) { PlayOneSwap("--windowed"); }

// Without a window manager a full-screen request is never carried out: the
// window stays 800 x 600, and the picture and the mouse must fit that window,
// not the desktop.
TEST_F(WindowE2E, FullScreenThatTheSystemRefusesStillPlaysInTheWindow) {
  PlayOneSwap("--fullscreen");
  EXPECT_NE(Runner->Read("stderr.txt").find("full screen is off"), std::string::npos);
}

TEST_F(WindowE2E, WindowIsNotShrunkBelowItsMinimumSize) {
  // Without a window manager nothing else holds the window to its minimum.
  StartGame("100 dump start.json\n1200 quit\n", "--windowed");
  ASSERT_TRUE(WaitFor("start.json"));
  const std::string id = WindowId();
  Xdotool("windowsize " + id + " 200 150");
  std::this_thread::sleep_for(500ms);
  const std::string small = Xdotool("getwindowgeometry " + id);
  EXPECT_NE(small.find("Geometry: 400x300"), std::string::npos) << id << ": " << small;
  Xdotool("windowsize " + id + " 640 360");
  std::this_thread::sleep_for(500ms);
  EXPECT_NE(Xdotool("getwindowgeometry " + id).find("Geometry: 640x360"), std::string::npos)
      << "a size above the minimum is kept";
}

}  // namespace
