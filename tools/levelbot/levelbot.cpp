// levelbot: lets the in-process bot play the levels of a pack, several runs a
// level with different seeds, and prints how it went: per level the wins out
// of the runs, the median and the smallest number of seconds left at the win,
// and the mean number of moves and of spells cast; then a total line. The exit code is 1 when
// some level is won in fewer than nine runs out of ten. With --keep-losses
// every lost run is kept as a replay, to be watched with grovewright --replay.
//
//   levelbot [--runs N] [--seed S] [--pack NAME] [--levels A-B] [--home DIR]
//            [--jobs J] [--verbose] [--keep-losses DIR]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board/BotPlayer.h"
#include "board/LevelFile.h"

namespace {

struct TRun {
  int Level = 0;
  uint32_t Seed = 0;
  TBotLevelResult Result;
};

const char* kUsage =
    "usage: levelbot [--runs N] [--seed S] [--pack NAME] [--levels A-B] [--home DIR] [--jobs J] [--verbose]\n"
    "                [--keep-losses DIR]\n"
    "  --runs N     runs per level, each with its own seed (default 10)\n"
    "  --seed S     seed of the first run; run i uses S + i (default 1)\n"
    "  --pack NAME  level pack (default \"Game Levels\")\n"
    "  --levels A-B levels to play, or one level A (default: the whole pack)\n"
    "  --home DIR   the game's folder with Data/, data/ and levels/ (default: this program's folder)\n"
    "  --jobs J     runs played at the same time, each in a process of its own (default 1)\n"
    "  --verbose    one line per run\n"
    "  --keep-losses DIR  a replay of every lost run, as DIR/level-NN-seed-S.replay\n";

std::string ProgramFolder(const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0, ec);
  return exe.parent_path().string();
}

bool ParseInt(const std::string& text, long lo, long hi, long& out) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

// The result of one run travels from a worker process as one line of numbers.
std::string Encode(const TBotLevelResult& r) {
  char line[160];
  std::snprintf(line, sizeof line, "%d %d %d %d %d %d %d %d %d %d %lld %d\n", r.Won, r.TimeOver, r.NoMoves,
                r.Stuck, r.LevelTime, r.SecondsLeft, r.Moves, r.Refused, r.Blank, r.BoxesLeft,
                static_cast<long long>(r.Ticks), r.Spells);
  return line;
}

bool Decode(const std::string& text, TBotLevelResult& r) {
  int won = 0, timeOver = 0, noMoves = 0, stuck = 0;
  long long ticks = 0;
  if (std::sscanf(text.c_str(), "%d %d %d %d %d %d %d %d %d %d %lld %d", &won, &timeOver, &noMoves, &stuck,
                  &r.LevelTime, &r.SecondsLeft, &r.Moves, &r.Refused, &r.Blank, &r.BoxesLeft, &ticks,
                  &r.Spells) != 12)
    return false;
  r.Won = won;
  r.TimeOver = timeOver;
  r.NoMoves = noMoves;
  r.Stuck = stuck;
  r.Ticks = ticks;
  return true;
}

// Plays one run; a lost run's replay goes into keepDir (unless it is empty).
TBotLevelResult PlayRun(const TRun& run, const std::string& home, const std::string& pack,
                        const std::string& keepDir) {
  TBotSettings settings;
  settings.KeepReplay = !keepDir.empty();
  TBotLevelResult r = RunBotOnLevel(home, pack, run.Level, run.Seed, settings);
  if (!r.Error.empty()) std::fprintf(stderr, "levelbot: %s\n", r.Error.c_str());
  if (settings.KeepReplay && !r.Won && r.Error.empty()) {
    char name[64];
    std::snprintf(name, sizeof name, "level-%02d-seed-%u.replay", run.Level, run.Seed);
    const std::filesystem::path path = std::filesystem::path(keepDir) / name;
    std::ofstream out(path, std::ios::binary);
    out << r.Replay;
    if (!out.flush()) std::fprintf(stderr, "levelbot: cannot write the replay %s\n", path.string().c_str());
  }
  return r;
}

struct TWorker {
  pid_t Pid = -1;
  int Fd = -1;
  size_t Index = 0;
};

// Plays every run, `jobs` at a time in child processes (each game is a whole
// program state of its own), or one after the other in this process.
void PlayAll(std::vector<TRun>& runs, const std::string& home, const std::string& pack, int jobs, bool verbose,
             const std::string& keepDir) {
  auto report = [&](const TRun& run) {
    if (!verbose) return;
    const TBotLevelResult& r = run.Result;
    std::printf(
        "level %2d seed %-6u %-9s left %4d of %4d  moves %3d  spells %d  refused %d  blank looks %d  boxes left %d\n",
        run.Level, run.Seed,
        r.Won ? "won" : r.NoMoves ? "no-moves" : r.TimeOver ? "time-over" : r.Stuck ? "stuck" : "error",
        r.SecondsLeft, r.LevelTime, r.Moves, r.Spells, r.Refused, r.Blank, r.BoxesLeft);
    if (!r.Won && !r.FinalBoard.empty()) std::printf("%s", r.FinalBoard.c_str());
    std::fflush(stdout);
  };
  if (jobs <= 1) {
    for (TRun& run : runs) {
      run.Result = PlayRun(run, home, pack, keepDir);
      report(run);
    }
    return;
  }
  std::fflush(stdout);
  std::vector<TWorker> busy;
  size_t next = 0;
  while (next < runs.size() || !busy.empty()) {
    while (next < runs.size() && static_cast<int>(busy.size()) < jobs) {
      int fds[2];
      if (pipe(fds) != 0) {
        std::perror("levelbot: pipe");
        std::exit(2);
      }
      const pid_t pid = fork();
      if (pid == 0) {
        close(fds[0]);
        const TRun& run = runs[next];
        const TBotLevelResult r = PlayRun(run, home, pack, keepDir);
        const std::string line = Encode(r);
        if (write(fds[1], line.data(), line.size()) < 0) _exit(3);
        _exit(r.Error.empty() ? 0 : 2);
      }
      close(fds[1]);
      if (pid < 0) {
        std::perror("levelbot: fork");
        std::exit(2);
      }
      busy.push_back({pid, fds[0], next});
      ++next;
    }
    int status = 0;
    const pid_t done = wait(&status);
    for (size_t i = 0; i < busy.size(); ++i) {
      if (busy[i].Pid != done) continue;
      std::string text;
      char buffer[256];
      ssize_t n = 0;
      while ((n = read(busy[i].Fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
      close(busy[i].Fd);
      TRun& run = runs[busy[i].Index];
      if (!Decode(text, run.Result)) run.Result.Error = "the run ended without a result";
      report(run);
      busy.erase(busy.begin() + static_cast<long>(i));
      break;
    }
  }
}

int Median(std::vector<int> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  long runsPerLevel = 10, seed = 1, first = 1, last = -1, jobs = 1;
  std::string pack = "Game Levels";
  std::string home, keepDir;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    bool ok = true;
    if (a == "--runs") {
      ok = value(v) && ParseInt(v, 1, 1000, runsPerLevel);
    } else if (a == "--seed") {
      ok = value(v) && ParseInt(v, 0, 4000000000L, seed);
    } else if (a == "--pack") {
      ok = value(pack) && !pack.empty();
    } else if (a == "--home") {
      ok = value(home) && !home.empty();
    } else if (a == "--jobs") {
      ok = value(v) && ParseInt(v, 1, 64, jobs);
    } else if (a == "--levels") {
      ok = value(v);
      if (ok) {
        const size_t dash = v.find('-');
        ok = dash == std::string::npos ? ParseInt(v, 1, 9999, first) && (last = first, true)
                                       : ParseInt(v.substr(0, dash), 1, 9999, first) &&
                                             ParseInt(v.substr(dash + 1), 1, 9999, last) && first <= last;
      }
    } else if (a == "--keep-losses") {
      ok = value(keepDir) && !keepDir.empty();
    } else if (a == "--verbose") {
      verbose = true;
    } else if (a == "--help" || a == "-h") {
      std::printf("%s", kUsage);
      return 0;
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "levelbot: bad option %s\n%s", a.c_str(), kUsage);
      return 2;
    }
  }
  if (home.empty()) home = ProgramFolder(argv[0]);
  const int count = CountPackLevels(home, pack);
  if (count == 0) {
    std::fprintf(stderr, "levelbot: no level pack \"%s\" in %s/levels\n", pack.c_str(), home.c_str());
    return 2;
  }
  if (last < 0) last = count;
  if (last > count) {
    std::fprintf(stderr, "levelbot: the pack \"%s\" has %d level(s)\n", pack.c_str(), count);
    return 2;
  }

  std::vector<TRun> runs;
  for (long level = first; level <= last; ++level) {
    for (long i = 0; i < runsPerLevel; ++i)
      runs.push_back({static_cast<int>(level), static_cast<uint32_t>(seed + i), {}});
  }
  if (!keepDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(keepDir, ec);
    if (!std::filesystem::is_directory(keepDir, ec)) {
      std::fprintf(stderr, "levelbot: cannot make the folder %s for the lost runs\n", keepDir.c_str());
      return 2;
    }
  }
  PlayAll(runs, home, pack, static_cast<int>(jobs), verbose, keepDir);

  std::printf("%-5s %5s %7s %6s %6s %6s %6s %6s %6s  %s\n", "level", "time", "wins", "median", "min", "left%",
              "moves", "spells", "secs", "losses");
  int totalWins = 0, totalRuns = 0, weakLevels = 0;
  double totalSeconds = 0;
  bool failed = false;
  for (long level = first; level <= last; ++level) {
    std::vector<int> left;
    int wins = 0, n = 0, timeOver = 0, noMoves = 0, stuck = 0, errors = 0, levelTime = 0;
    double moves = 0, seconds = 0, spells = 0;
    for (const TRun& run : runs) {
      if (run.Level != level) continue;
      const TBotLevelResult& r = run.Result;
      ++n;
      levelTime = std::max(levelTime, r.LevelTime);
      moves += r.Moves;
      spells += r.Spells;
      seconds += static_cast<double>(r.Ticks) / 121.0;
      if (!r.Error.empty()) {
        ++errors;
      } else if (r.Won) {
        ++wins;
        left.push_back(r.SecondsLeft);
      } else if (r.NoMoves) {
        ++noMoves;
      } else if (r.TimeOver) {
        ++timeOver;
      } else {
        ++stuck;
      }
    }
    const int median = Median(left);
    const int minimum = left.empty() ? 0 : *std::min_element(left.begin(), left.end());
    std::string losses;
    if (timeOver) losses += std::to_string(timeOver) + " time-over ";
    if (noMoves) losses += std::to_string(noMoves) + " no-moves ";
    if (stuck) losses += std::to_string(stuck) + " stuck ";
    if (errors) losses += std::to_string(errors) + " errors ";
    std::printf("%5ld %5d %3d/%-3d %6d %6d %5d%% %6.1f %6.1f %6.0f  %s\n", level, levelTime, wins, n, median,
                minimum, levelTime > 0 ? median * 100 / levelTime : 0, n ? moves / n : 0.0, n ? spells / n : 0.0,
                n ? seconds / n : 0.0, losses.c_str());
    totalWins += wins;
    totalRuns += n;
    totalSeconds += seconds;
    if (wins * 10 < n * 9) {
      ++weakLevels;
      failed = true;
    }
  }
  std::printf("total %d/%d wins (%.1f%%), %d level(s) below 9 in 10, %.0f minutes of play in all\n", totalWins,
              totalRuns, totalRuns ? 100.0 * totalWins / totalRuns : 0.0, weakLevels, totalSeconds / 60.0);
  return failed ? 1 : 0;
}
