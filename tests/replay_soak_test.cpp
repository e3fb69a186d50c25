// The long soak: a million ticks of active play, headless, recorded, and
// the recording played again; the game's memory at the end is the same as
// after a tenth of that, and the replay's too. It takes a minute or more, so it runs
// only when asked:  GW_SOAK=1 ctest -R ReplaySoak  (the quick check of the
// same, on the recorder's and the reader's own memory, runs every time in
// replay_limits_test).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;
using game_test::GameRunner;

// The resident memory of a process now, in KiB (0 once it is gone).
long ResidentKiB(pid_t pid) {
  const std::string status = game_test::ReadFile("/proc/" + std::to_string(pid) + "/status");
  const size_t at = status.find("VmRSS:");
  return at == std::string::npos ? 0 : std::strtol(status.c_str() + at + 6, nullptr, 10);
}

// Runs the game headless in the runner's folder; the exit code and its
// resident memory in KiB as it ends (looked at every tenth of a second: the
// last look). The peak would be the start's, when the pictures are decoded,
// and would hide any growth of play.
std::pair<int, long> RunMeasured(const GameRunner& runner, const std::vector<std::string>& arguments) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(runner.Home.c_str()) != 0) ::_exit(100);
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!std::freopen("stdout.txt", "w", stdout) || !std::freopen("stderr.txt", "w", stderr)) ::_exit(102);
    const std::string game = GW_BUILD_DIR + "/grovewright";
    std::vector<std::string> all = {game, "--headless", "--home", runner.Home.string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(game.c_str(), argv.data());
    ::_exit(101);
  }
  int status = 0;
  long last = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (const long now = ResidentKiB(pid); now > 0) last = now;
    ::usleep(100000);
  }
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, last};
}

TEST(ReplaySoak, AMillionActiveTicksKeepMemoryFlatRecordedAndReplayed) {
  const char* soak = std::getenv("GW_SOAK");
  if (!soak || std::string(soak) != "1") GTEST_SKIP() << "the long soak runs with GW_SOAK=1";
  if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  GameRunner runner("replay-soak");
  // Relaxed play of the campaign: a swap tried every few ticks all over the
  // board, the pointer always moving, and the buttons between levels pressed
  // now and then.
  constexpr int64_t kTicks = 1000000;
  std::string script;
  int col = 1, row = 1;
  for (int64_t t = 20; t < kTicks; t += 10) {
    col = col % 18 + 1;
    if (col == 1) row = row % 12 + 1;
    const std::string cell = std::to_string(40 * col + 20) + " " + std::to_string(40 * row + 10);
    script += std::to_string(t) + " mouse " + cell + "\n";
    if (t % 20 == 0) script += std::to_string(t) + " click " + cell + "\n";
    if (t % 2000 == 0) script += std::to_string(t + 5) + " click 400 408\n" + std::to_string(t + 7) + " click 400 300\n";
  }
  runner.Script("soak.txt", script);
  const std::vector<std::string> play = {"--seed", "11", "--play", "Game Levels", "1", "--relaxed", "--script",
                                         "soak.txt"};
  auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> all = play;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const auto [tenthCode, tenth] = RunMeasured(runner, with({"--ticks", std::to_string(kTicks / 10)}));
  ASSERT_EQ(tenthCode, 0) << runner.Read("stderr.txt");
  const auto [fullCode, full] = RunMeasured(runner, with({"--ticks", std::to_string(kTicks), "--record", "soak.replay"}));
  ASSERT_EQ(fullCode, 0) << runner.Read("stderr.txt");
  std::printf("memory at the end: %ld KiB after %lld ticks, %ld KiB after %lld; the replay file %llu bytes\n", tenth,
              static_cast<long long>(kTicks / 10), full, static_cast<long long>(kTicks),
              static_cast<unsigned long long>(fs::file_size(runner.Home / "soak.replay")));
  EXPECT_LT(full - tenth, 4 * 1024) << "memory grew with the session";
  const auto [replayCode, replayed] = RunMeasured(runner, {"--replay", "soak.replay"});
  EXPECT_EQ(replayCode, 0) << runner.Read("stdout.txt") << runner.Read("stderr.txt");
  EXPECT_NE(runner.Read("stdout.txt").find("the same as the recording's final state"), std::string::npos);
  std::printf("memory at the end of the replay: %ld KiB\n", replayed);
  EXPECT_LT(replayed - tenth, 4 * 1024) << "the replay held more than the session";
}

}  // namespace
