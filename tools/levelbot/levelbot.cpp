// levelbot: lets the in-process bot play the levels of a pack as one of
// three kinds of player (bot/PlayerModel.h), several runs a level with
// different seeds, and prints per level what it holds (boxes, allowed kinds,
// cells no spawn point refills) and how the runs went: the wins, the median
// and the smallest number of seconds left at the win and the median share of
// the level's time left, the median score and extra lives the level gave
// (with the end-of-level bonus), the mean moves and spells; then a total line
// and each difficulty band's mean win share. Every level has a bar for each
// kind of player (LevelBars.h). With --check the exit code is 1 when a level
// is below its bar, and the reasons are printed; without it, when a level is
// won less often than its bar asks.
//
// --campaign plays the pack from the first level to the last as one game per
// run (one seed each): score, lives and the extra-life threshold go on from
// level to level, a lost level is tried again for a life, and the game may
// end before the last level. It prints per level the median score and lives
// after it (the curve), where the games ended, and how many levels lie
// between extra lives.
//
// The game starts once; every run plays in a copy of it (a forked process),
// and frames nobody sees are not drawn. With --keep-losses every lost run is
// played again in a game of its own and kept as a replay, to be watched with
// grovewright --replay.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Report.h"
#include "RunPool.h"
#include "board/LevelFile.h"

namespace {

const char* kUsage =
    "usage: levelbot [--player expert|casual|novice] [--think A-B] [--time T] [--runs N] [--seed S]\n"
    "                [--pack NAME] [--levels LIST] [--home DIR] [--jobs J] [--check] [--campaign]\n"
    "                [--csv FILE] [--verbose] [--keep-losses DIR] [--keys]\n"
    "  --player P   how the bot picks its swaps: expert (the best on the board, 1.5-3 s a move; the\n"
    "               default), casual (any swap that breaks or wears down a box or a field, else any\n"
    "               line, 2-4 s) or novice (any line, 3-6 s)\n"
    "  --think A-B  seconds of thought before each move instead of the player's own\n"
    "  --time T     give every level T seconds, or xF: F times its own time (timing levels)\n"
    "  --runs N     runs per level (or campaigns), each with its own seed (default 10)\n"
    "  --seed S     seed of the first run; run i uses S + i (default 1)\n"
    "  --pack NAME  level pack (default \"Game Levels\")\n"
    "  --levels L   levels to play: A, A-B or a list of them in rising order, \"1-10,20,30\"\n"
    "               (default: the whole pack; a campaign takes one range)\n"
    "  --home DIR   the game's folder with Data/, data/ and levels/ (default: this program's folder)\n"
    "  --jobs J     runs played at the same time, each in a process of its own (default 1)\n"
    "  --check      exit code 1 when a level is below the player's bar, saying why: casual wins\n"
    "               levels 1-10 19 times in 20, 11-40 17, the rest 14, and its mean win share does\n"
    "               not rise from band to band; novice wins levels 1-3 15 times in 20; expert wins\n"
    "               every level 19 times in 20 with at most 70% of the time left from level 11 on.\n"
    "               Fewer than 20 runs may lose one run more. With --campaign: the casual median\n"
    "               game reaches level 40, the expert's games all get through with at most one\n"
    "               extra life every three levels\n"
    "  --campaign   play the levels in order as one game per run, carrying score and lives\n"
    "  --csv FILE   the per-level numbers also as CSV\n"
    "  --verbose    one line per run\n"
    "  --keep-losses DIR  a replay of every lost run, as DIR/level-NN-seed-S.replay\n"
    "  --keys       play through the keyboard alone (arrows, Space, 1-4), never the mouse\n"
    "Without --check the exit code is 1 when a level is won less often than the bar asks.\n"
    "columns: field = blue and orange fields; kinds = allowed kinds (k m f t w b p c); unfed = cells\n"
    "no spawn point refills (as levelc check warns); median, min, left% = seconds left in the won\n"
    "runs; score, lives = median score and extra lives a won run got from the level, the end-of-level\n"
    "bonus included; moves, spells, secs = means over all runs. In a campaign: score and lives after\n"
    "the level (medians over the games that won it), lives+ = extra lives it gave, retries = lives\n"
    "spent on trying it again\n";

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

// "A-B,C,D-E": levels in rising order, each once.
bool ParseLevelList(const std::string& text, std::vector<int>& levels) {
  levels.clear();
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    const size_t dash = item.find('-');
    long first = 0, last = 0;
    const bool ok = dash == std::string::npos
                        ? ParseInt(item, 1, 9999, first) && (last = first, true)
                        : ParseInt(item.substr(0, dash), 1, 9999, first) &&
                              ParseInt(item.substr(dash + 1), 1, 9999, last) && first <= last;
    if (!ok || (!levels.empty() && first <= levels.back())) return false;
    for (long l = first; l <= last; ++l) levels.push_back(static_cast<int>(l));
    start = comma + 1;
  }
  return !levels.empty();
}


struct TOptions {
  long Runs = 10, Seed = 1, First = 1, Last = 1, Jobs = 1, Time = 0;
  double TimeScale = 0;
  TPlayerModel Player = TPlayerModel::Expert;
  bool ThinkGiven = false;
  TThinkRange Think;
  std::vector<int> Levels;  // --levels as a list (empty: First..Last)
  std::string Pack = "Game Levels";
  std::string Home, KeepDir, CsvFile;
  bool Verbose = false, Check = false, Campaign = false, Keys = false;
};

// What every run of this call plays with: the player model, its thinking
// time and the level's time.
TBotSettings BaseSettings(const TOptions& o) {
  TBotSettings settings;
  settings.Player = o.Player;
  const TThinkRange think = o.ThinkGiven ? o.Think : DefaultThink(o.Player);
  settings.ThinkMinSeconds = think.Min;
  settings.ThinkMaxSeconds = think.Max;
  settings.LevelTime = static_cast<int>(o.Time);
  settings.LevelTimeScale = o.TimeScale;
  return settings;
}

struct TRun {
  TRunTask Task;
  TBotLevelResult Result;
};

const char* Outcome(const TBotLevelResult& r) {
  if (!r.Error.empty()) return "error";
  if (r.Won) return "won";
  if (r.GameOver) return "game-over";
  if (r.NoMoves) return "no-moves";
  if (r.TimeOver) return "time-over";
  return "stuck";
}

void ReportRun(const TOptions& o, const TRun& run) {
  if (!o.Verbose) return;
  const TBotLevelResult& r = run.Result;
  std::printf(
      "level %2d seed %-6u %-9s left %4d of %4d  moves %3d  spells %d  refused %d  blank looks %d  boxes left %d"
      "  score +%d  lives %d",
      run.Task.Level, run.Task.Seed, Outcome(r), r.SecondsLeft, r.LevelTime, r.Moves, r.Spells, r.Refused, r.Blank,
      r.BoxesLeft, r.ScoreGained(), r.End.Lives);
  if (r.Retries) std::printf("  retries %d", r.Retries);
  std::printf("\n");
  if (!r.Won && !r.FinalBoard.empty()) std::printf("%s", r.FinalBoard.c_str());
  std::fflush(stdout);
}

// Every level's runs, `jobs` at a time.
bool PlayLevels(const TOptions& o, TBotGame& game, const TBotSettings& settings, std::vector<TRun>& runs) {
  TRunPool pool(game, o.Pack, settings, static_cast<int>(o.Jobs));
  size_t next = 0;
  while (next < runs.size() || !pool.Idle()) {
    while (next < runs.size() && pool.HasRoom()) {
      if (!pool.Launch(next, runs[next].Task)) return false;
      ++next;
    }
    size_t id = 0;
    TBotLevelResult result;
    pool.WaitOne(id, result);
    runs[id].Result = result;
    ReportRun(o, runs[id]);
  }
  return true;
}

// One game per campaign run: each level starts once the level before it is
// won, with the player as that level left it.
struct TCampaignRun {
  uint32_t Seed = 0;
  int NextLevel = 0;
  TBotProfile Profile;
  bool Busy = false, Over = false;
  std::string End;  // how the game ended before the last level ("" when it got through)
};

bool PlayCampaigns(const TOptions& o, TBotGame& game, const TBotSettings& settings,
                   std::vector<TCampaignRun>& campaigns, std::vector<TRun>& runs) {
  TRunPool pool(game, o.Pack, settings, static_cast<int>(o.Jobs));
  std::vector<size_t> runOf;  // campaign of each launched run
  for (;;) {
    for (size_t i = 0; i < campaigns.size() && pool.HasRoom(); ++i) {
      TCampaignRun& c = campaigns[i];
      if (c.Busy || c.Over) continue;
      TRun run;
      run.Task = {c.NextLevel, c.Seed, true, c.Profile};
      runs.push_back(run);
      runOf.push_back(i);
      if (!pool.Launch(runs.size() - 1, run.Task)) return false;
      c.Busy = true;
    }
    if (pool.Idle()) return true;
    size_t id = 0;
    TBotLevelResult result;
    pool.WaitOne(id, result);
    runs[id].Result = result;
    ReportRun(o, runs[id]);
    TCampaignRun& c = campaigns[runOf[id]];
    c.Busy = false;
    if (result.Won && result.Error.empty()) {
      c.Profile = result.End;
      if (++c.NextLevel > o.Last) c.Over = true;
    } else {
      c.Over = true;
      c.End = std::string(Outcome(result)) + " at level " + std::to_string(c.NextLevel);
    }
  }
}

std::vector<const TBotLevelResult*> RunsOfLevel(const std::vector<TRun>& runs, int level) {
  std::vector<const TBotLevelResult*> out;
  for (const TRun& run : runs)
    if (run.Task.Level == level) out.push_back(&run.Result);
  return out;
}

FILE* OpenCsv(const TOptions& o) {
  if (o.CsvFile.empty()) return nullptr;
  FILE* csv = std::fopen(o.CsvFile.c_str(), "w");
  if (!csv) std::fprintf(stderr, "levelbot: cannot write %s\n", o.CsvFile.c_str());
  return csv;
}

int ReportLevels(const TOptions& o, const std::vector<TLevelCensus>& census, const std::vector<TRun>& runs) {
  FILE* csv = OpenCsv(o);
  if (!o.CsvFile.empty() && !csv) return 2;
  PrintLevelHeader(stdout);
  if (csv) WriteLevelCsvHeader(csv);
  int totalWins = 0, totalRuns = 0, belowBar = 0, belowWins = 0;
  double totalSeconds = 0;
  std::vector<std::string> reasons;
  TBandShares bands;
  std::printf("player %s, thinking %.1f-%.1f s a move\n", PlayerModelName(o.Player), BaseSettings(o).ThinkMinSeconds,
              BaseSettings(o).ThinkMaxSeconds);
  for (const TLevelCensus& c : census) {
    const TLevelBar bar = LevelBarOf(o.Player, c.Level);
    const TLevelStats s = SumUp(RunsOfLevel(runs, c.Level), c.Time, bar);
    PrintLevelLine(stdout, c, s);
    if (csv) WriteLevelCsvLine(csv, c, s);
    totalWins += s.Wins;
    totalRuns += s.Runs;
    totalSeconds += s.Seconds * s.Runs;
    if (s.BelowBar) {
      ++belowBar;
      reasons.push_back("level " + std::to_string(c.Level) + ": " + s.Why);
    }
    if (s.Wins < WinsNeeded(bar.WinShare, s.Runs)) ++belowWins;
    if (s.Runs > 0) {
      const int band = BandOf(c.Level);
      bands.Share[band] += static_cast<double>(s.Wins) / s.Runs;
      ++bands.Levels[band];
    }
  }
  for (int band = 0; band < 3; ++band) {
    if (bands.Levels[band] == 0) continue;
    bands.Share[band] /= bands.Levels[band];
    std::printf("%s: mean win share %.1f%% over %d level(s)\n", BandName(band), 100 * bands.Share[band],
                bands.Levels[band]);
  }
  // The casual player is the measure of difficulty: it must not fall.
  if (o.Player == TPlayerModel::Casual) {
    const std::string order = BandOrderProblem(bands);
    if (!order.empty()) {
      ++belowBar;
      reasons.push_back(order);
    }
  }
  std::printf("total %d/%d wins (%.1f%%), %d level(s) below the bar, %.0f minutes of play in all\n", totalWins,
              totalRuns, totalRuns ? 100.0 * totalWins / totalRuns : 0.0, belowBar, totalSeconds / 60.0);
  if (csv && std::fclose(csv) != 0) std::fprintf(stderr, "levelbot: cannot write %s\n", o.CsvFile.c_str());
  if (o.Check) {
    for (const std::string& reason : reasons) std::printf("below the bar: %s\n", reason.c_str());
    return belowBar ? 1 : 0;
  }
  return belowWins ? 1 : 0;
}

int ReportCampaign(const TOptions& o, const std::vector<TLevelCensus>& census,
                   const std::vector<TCampaignRun>& campaigns, const std::vector<TRun>& runs) {
  FILE* csv = OpenCsv(o);
  if (!o.CsvFile.empty() && !csv) return 2;
  std::printf("campaign \"%s\", levels %ld to %ld, %zu game(s) from seed %ld\n", o.Pack.c_str(), o.First, o.Last,
              campaigns.size(), o.Seed);
  PrintCampaignHeader(stdout);
  if (csv) WriteCampaignCsvHeader(csv);
  double mostGained = -1;
  int mostGainedLevel = 0, levelsWon = 0, livesGained = 0;
  for (const TLevelCensus& c : census) {
    const TCampaignLevel level = SumUpCampaign(c.Level, RunsOfLevel(runs, c.Level));
    PrintCampaignLine(stdout, c, level);
    if (csv) WriteCampaignCsvLine(csv, c, level);
    if (level.Won > 0 && level.MedianGained > mostGained) {
      mostGained = level.MedianGained;
      mostGainedLevel = c.Level;
    }
  }
  for (const TRun& run : runs) {
    if (!run.Result.Won || !run.Result.Error.empty()) continue;
    ++levelsWon;
    livesGained += run.Result.LivesGained();
  }
  if (csv && std::fclose(csv) != 0) std::fprintf(stderr, "levelbot: cannot write %s\n", o.CsvFile.c_str());
  int through = 0;
  std::vector<int> reached;
  for (const TCampaignRun& c : campaigns) {
    reached.push_back(c.NextLevel);
    if (c.End.empty()) {
      ++through;
    } else {
      std::printf("seed %u: %s\n", c.Seed, c.End.c_str());
    }
  }
  std::vector<double> ends(reached.begin(), reached.end());
  std::printf("player %s: %d of %zu game(s) got through; the median game %s level %.1f; %d level(s) won, %d extra li%s",
              PlayerModelName(o.Player), through, campaigns.size(), through * 2 > static_cast<int>(campaigns.size())
                  ? "got through, past" : "ended at", Median(ends), levelsWon, livesGained,
              livesGained == 1 ? "fe" : "ves");
  if (livesGained > 0)
    std::printf(", one every %.1f levels on average\n", static_cast<double>(levelsWon) / livesGained);
  else
    std::printf("\n");
  if (mostGainedLevel > 0)
    std::printf("most extra lives a level gave in its median run: %.1f (level %d)\n", mostGained, mostGainedLevel);
  if (!o.Check) return 0;
  const std::string problem = CampaignProblem(o.Player, static_cast<int>(o.Last), reached, levelsWon, livesGained);
  if (problem.empty()) return 0;
  std::printf("below the bar: %s\n", problem.c_str());
  return 1;
}

// Plays every lost run again in a game of its own to keep its replay.
void KeepLosses(const TOptions& o, const std::vector<TRun>& runs) {
  for (const TRun& run : runs) {
    if (run.Result.Won || !run.Result.Error.empty()) continue;
    TBotSettings settings = BaseSettings(o);
    settings.KeepReplay = true;
    settings.Keys = o.Keys;
    const TBotLevelResult r = RunBotOnLevel(o.Home, o.Pack, run.Task.Level, run.Task.Seed, settings);
    if (!r.Error.empty()) {
      std::fprintf(stderr, "levelbot: %s\n", r.Error.c_str());
      continue;
    }
    if (r.Won || r.SecondsLeft != run.Result.SecondsLeft || r.Moves != run.Result.Moves)
      std::fprintf(stderr, "levelbot: level %d seed %u went differently when played again\n", run.Task.Level,
                   run.Task.Seed);
    char name[64];
    std::snprintf(name, sizeof name, "level-%02d-seed-%u.replay", run.Task.Level, run.Task.Seed);
    const std::filesystem::path path = std::filesystem::path(o.KeepDir) / name;
    std::ofstream out(path, std::ios::binary);
    out << r.Replay;
    if (!out.flush()) std::fprintf(stderr, "levelbot: cannot write the replay %s\n", path.string().c_str());
  }
}

bool ParseOptions(int argc, char** argv, TOptions& o, bool& help) {
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
      ok = value(v) && ParseInt(v, 1, 1000, o.Runs);
    } else if (a == "--seed") {
      ok = value(v) && ParseInt(v, 0, 4000000000L, o.Seed);
    } else if (a == "--pack") {
      ok = value(o.Pack) && !o.Pack.empty();
    } else if (a == "--home") {
      ok = value(o.Home) && !o.Home.empty();
    } else if (a == "--jobs") {
      ok = value(v) && ParseInt(v, 1, 64, o.Jobs);
    } else if (a == "--levels") {
      ok = value(v) && ParseLevelList(v, o.Levels);
    } else if (a == "--player") {
      ok = value(v) && ParsePlayerModel(v, o.Player);
    } else if (a == "--think") {
      ok = value(v) && ParseThinkRange(v, o.Think);
      o.ThinkGiven = true;
    } else if (a == "--time") {
      ok = value(v);
      if (ok && !v.empty() && v[0] == 'x') {
        char* end = nullptr;
        o.TimeScale = std::strtod(v.c_str() + 1, &end);
        ok = v.size() > 1 && *end == '\0' && o.TimeScale >= 0.1 && o.TimeScale <= 20;
      } else {
        ok = ok && ParseInt(v, 1, 99999, o.Time);
      }
    } else if (a == "--keep-losses") {
      ok = value(o.KeepDir) && !o.KeepDir.empty();
    } else if (a == "--csv") {
      ok = value(o.CsvFile) && !o.CsvFile.empty();
    } else if (a == "--verbose") {
      o.Verbose = true;
    } else if (a == "--check") {
      o.Check = true;
    } else if (a == "--campaign") {
      o.Campaign = true;
    } else if (a == "--keys") {
      o.Keys = true;
    } else if (a == "--help" || a == "-h") {
      help = true;
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "levelbot: bad option %s\n%s", a.c_str(), kUsage);
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions o;
  bool help = false;
  if (!ParseOptions(argc, argv, o, help)) return 2;
  if (help) {
    std::printf("%s", kUsage);
    return 0;
  }
  if (o.Home.empty()) o.Home = ProgramFolder(argv[0]);
  const int count = CountPackLevels(o.Home, o.Pack);
  if (count == 0) {
    std::fprintf(stderr, "levelbot: no level pack \"%s\" in %s/levels\n", o.Pack.c_str(), o.Home.c_str());
    return 2;
  }
  if (o.Levels.empty()) {
    for (int level = 1; level <= count; ++level) o.Levels.push_back(level);
  }
  o.First = o.Levels.front();
  o.Last = o.Levels.back();
  if (o.Campaign && o.Last - o.First + 1 != static_cast<long>(o.Levels.size())) {
    std::fprintf(stderr, "levelbot: a campaign plays a range of levels A-B, without gaps\n");
    return 2;
  }
  if (o.Last > count) {
    std::fprintf(stderr, "levelbot: the pack \"%s\" has %d level(s)\n", o.Pack.c_str(), count);
    return 2;
  }
  if (!o.KeepDir.empty()) {
    if (o.Campaign) {
      std::fprintf(stderr, "levelbot: --keep-losses keeps the runs of single levels, not of campaigns\n");
      return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(o.KeepDir, ec);
    if (!std::filesystem::is_directory(o.KeepDir, ec)) {
      std::fprintf(stderr, "levelbot: cannot make the folder %s for the lost runs\n", o.KeepDir.c_str());
      return 2;
    }
  }
  std::vector<TLevelCensus> census;
  for (int level : o.Levels) census.push_back(ReadCensus(o.Home, o.Pack, level));

  auto game = std::make_unique<TBotGame>();
  std::string error;
  if (!game->Start(o.Home, error)) {
    std::fprintf(stderr, "levelbot: %s\n", error.c_str());
    return 2;
  }
  TBotSettings settings = BaseSettings(o);
  settings.Keys = o.Keys;
  settings.SkipUnseenFrames = true;
  settings.PlayTally = true;
  std::vector<TRun> runs;
  if (o.Campaign) {
    settings.RetryOnLoss = true;
    std::vector<TCampaignRun> campaigns;
    for (long i = 0; i < o.Runs; ++i) {
      TCampaignRun c;
      c.Seed = static_cast<uint32_t>(o.Seed + i);
      c.NextLevel = static_cast<int>(o.First);
      campaigns.push_back(c);
    }
    if (!PlayCampaigns(o, *game, settings, campaigns, runs)) return 2;
    return ReportCampaign(o, census, campaigns, runs);
  }
  for (int level : o.Levels) {
    for (long i = 0; i < o.Runs; ++i) {
      TRun run;
      run.Task.Level = level;
      run.Task.Seed = static_cast<uint32_t>(o.Seed + i);
      runs.push_back(run);
    }
  }
  if (!PlayLevels(o, *game, settings, runs)) return 2;
  const int code = ReportLevels(o, census, runs);
  if (!o.KeepDir.empty()) {
    // The started game goes first: a replay needs a game started with its seed.
    game.reset();
    KeepLosses(o, runs);
  }
  return code;
}
