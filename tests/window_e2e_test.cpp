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
#include <regex>
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
    std::vector<std::string> args = {"--seed", "7", "--play", "Game Levels", "1", "--script", path};
    if (!extra.empty()) args.push_back(extra);
    StartGameWith(args);
  }
  // Starts the game in a window of the server with the arguments (and --home).
  void StartGameWith(const std::vector<std::string>& arguments) {
    const std::string home = Runner->Home.string();
    Game = fork();
    if (Game == 0) {
      if (chdir(home.c_str()) != 0) _exit(127);
      const int err = open((home + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      setenv("DISPLAY", Display.c_str(), 1);
      setenv("SDL_VIDEODRIVER", "x11", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      std::vector<std::string> args = {GW_BUILD_DIR + "/grovewright", "--home", home};
      args.insert(args.end(), arguments.begin(), arguments.end());
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
  // A key pressed and let go at once, as the window with the pointer gets it.
  void Key(const std::string& key) {
    Xdotool("key " + key);
    std::this_thread::sleep_for(300ms);
  }
  // Waits until the last dump of the game passes the test; false after the
  // time limit.
  template <class Test>
  bool WaitForState(const std::string& dump, Test test, std::chrono::seconds limit = 30s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      const std::string state = Runner->Read(dump);
      if (!state.empty() && state.back() == '\n' && test(state)) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

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

// Full screen asked for in the options and refused by the window system:
// the box is unticked again and a short message says why.
TEST_F(WindowE2E, FullScreenRefusedUnticksItsBoxAndSaysSo) {
  game_test::WriteConfig(Runner->Home, "Ann");
  game_test::WriteKnownPlayer(Runner->Home, "Ann", 1, 0, 3);
  // The options from the menu, then the full-screen box; the window system
  // is given well over a second to carry the request out.
  const std::string script = "1 key Escape\n"
                             "150 click 100 385\n"
                             "300 click 380 223\n"
                             "310 dump asked.json\n"
                             "660 dump refused.json\n"
                             "662 screenshot refused.png\n"
                             "700 quit\n";
  StartGameWith({"--windowed", "--script", Runner->Script("script.txt", script)});
  ASSERT_TRUE(WaitFor("refused.json", 60s)) << Runner->Read("stderr.txt");
  ASSERT_TRUE(WaitForExit());
  const std::string asked = Runner->Read("asked.json");
  ASSERT_NE(asked.find("\"GameOptions\""), std::string::npos) << asked.substr(0, 300);
  EXPECT_EQ(DumpNumber(asked, "fullscreen_box"), 1) << "the click ticked the box";
  const std::string refused = Runner->Read("refused.json");
  EXPECT_EQ(DumpNumber(refused, "fullscreen", "options"), 0);
  EXPECT_EQ(DumpNumber(refused, "fullscreen_box"), 0) << "the box no longer claims full screen";
  EXPECT_NE(refused.find("\"status_line\":\"Full screen is not available on this display; the game stays in its "
                         "window.\""),
            std::string::npos)
      << refused.substr(refused.find("\"options\""), 200);
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

// A session played in a real window with a mouse and keys from outside: a
// level won, the map, the next level, a pause, a retry from the quit menu
// and at last its "Exit Game". Its replay, played headless, ends in the
// state the session ended in. xdotool's clicks press and release between
// the same two frames, and the replay keeps them there.
TEST_F(WindowE2E, ASessionPlayedInAWindowReplaysHeadlessToTheSameState) {
  for (int n = 1; n <= 2; ++n)
    ASSERT_TRUE(Runner->WriteLevel("Duo", n, {"TTBT", "BFWF"}, {"1121", "1111"})) << Runner->Errors;
  // A dump every quarter of a second tells the test where the game is.
  std::string script;
  for (int t = 30; t <= 200 * 120; t += 30) script += std::to_string(t) + " dump state.json\n";
  StartGameWith({"--windowed", "--play", "Duo", "1", "--record", "rec.replay", "--script",
                 Runner->Script("script.txt", script)});
  auto number = [](const std::string& key, const std::string& from = "") {
    return [=](const std::string& s) { return DumpNumber(s, key, from); };
  };
  auto is = [](auto read, long value) { return [=](const std::string& s) { return read(s) == value; }; };
  ASSERT_TRUE(WaitForState("state.json", [](const std::string& s) { return DumpNumber(s, "tick") >= 60; }))
      << "the game did not start: " << Runner->Read("stderr.txt");
  // Level 1: the winning swap, a click to hurry the tally, "Next".
  ClickCell({3, 1});
  ClickCell({4, 1});
  ASSERT_TRUE(WaitForState("state.json", is(number("completed"), 1))) << "the swap did not win the level";
  ASSERT_TRUE(WaitForState("state.json", is(number("result_shown"), 1)));
  Click(400, 300);
  ASSERT_TRUE(WaitForState("state.json", [](const std::string& s) {
    return s.find("\"gui\":[\"formNextLevel\"]") != s.npos && DumpNumber(s, "next_visible") == 1;
  })) << "the click did not hurry the tally";
  Click(400, 408);
  // The map, once the marker is there.
  ASSERT_TRUE(WaitForState("state.json", is(number("arrived", "map"), 1)));
  Click(400, 300);
  ASSERT_TRUE(WaitForState("state.json", [&](const std::string& s) {
    return DumpNumber(s, "screen_state") == 2 && DumpNumber(s, "level", "board") == 2 &&
           DumpNumber(s, "fading_in") == 0;
  })) << "level 2 did not start";
  // A pause and its end.
  Key("p");
  ASSERT_TRUE(WaitForState("state.json", is(number("paused"), 1)));
  Key("p");
  ASSERT_TRUE(WaitForState("state.json", is(number("paused"), 0)));
  // The quit menu's "Restart Level": a retry, for a life.
  Key("Escape");
  ASSERT_TRUE(WaitForState("state.json", [](const std::string& s) { return s.find("\"QuitMenu\"") != s.npos; }));
  Click(397, 265);
  ASSERT_TRUE(WaitForState("state.json", [](const std::string& s) {
    return s.find("\"QuitMenu\"") == s.npos && DumpNumber(s, "lives") == 2;
  })) << "the restart did not take a life";
  // The quit menu again, and "Exit Game".
  Key("Escape");
  ASSERT_TRUE(WaitForState("state.json", [](const std::string& s) { return s.find("\"QuitMenu\"") != s.npos; }));
  Click(397, 397);
  ASSERT_TRUE(WaitForExit()) << "the game did not close";

  const std::string rec = Runner->Read("rec.replay");
  ASSERT_NE(rec.find(" end "), std::string::npos) << rec;
  EXPECT_NE(rec.find("\nplay Duo 1\n"), std::string::npos);
  // A real mouse's click: the press and the release before the same frame.
  EXPECT_TRUE(std::regex_search(rec, std::regex("\n(\\d+) down (\\d+) (\\d+)\n\\1 up \\2 \\3\n"))) << rec;
  EXPECT_NE(rec.find(" keydown P\n"), std::string::npos);
  EXPECT_NE(rec.find(" keydown Escape\n"), std::string::npos);

  const int code = Runner->Run("--replay rec.replay");
  ASSERT_EQ(code, 0) << Runner->Output << Runner->Errors;
  std::smatch recorded, replayed;
  ASSERT_TRUE(std::regex_search(rec, recorded, std::regex("\n\\d+ end ([0-9a-f]{16})\n")));
  ASSERT_TRUE(std::regex_search(Runner->Output, replayed, std::regex("digest ([0-9a-f]{16})")));
  EXPECT_EQ(replayed[1].str(), recorded[1].str());
  EXPECT_NE(Runner->Output.find("level 2 of \"Duo\", score"), std::string::npos) << Runner->Output;
}

}  // namespace
