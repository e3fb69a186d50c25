#include "Report.h"

#include <algorithm>

#include "board/BoardTab.h"
#include "levels/LevelSource.h"

namespace {

char KindLetter(const std::string& name) {
  if (name == "black") return 'k';
  return name.empty() ? '?' : name[0];  // mountain fire tree water book pearl crystal
}

std::string Csv(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

TLevelCensus ReadCensus(const std::string& home, const std::string& pack, int level) {
  TLevelCensus census;
  census.Level = level;
  TLevelSource source;
  std::vector<std::string> notes;
  std::string error;
  if (!ReadCompiledLevel(home, pack, level, source, notes, error)) return census;
  census.Time = source.Options.LevelTime;
  for (const TLevelCell& cell : source.Cells) {
    census.Wood += cell.TabType == ttWood;
    census.Iron += cell.TabType == ttFerro;
    census.Fields += cell.TabType == ttForceField || cell.TabType == ttForceField2;
  }
  for (const std::string& name : AllowedKindNames(source.Options)) {
    census.Kinds += KindLetter(name);
    census.KindNames += (census.KindNames.empty() ? "" : " ") + name;
  }
  census.Unfed = static_cast<int>(NeverRefilledCells(source).size());
  return census;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

TLevelStats SumUp(const std::vector<const TBotLevelResult*>& runs, int levelTime, const TLevelBar& bar) {
  TLevelStats s;
  // Runs given another time than the level's own (levelbot --time) count
  // the share of that time.
  for (const TBotLevelResult* r : runs) {
    if (r->Error.empty() && r->LevelTime > 0) {
      levelTime = r->LevelTime;
      break;
    }
  }
  std::vector<double> left, score, lives;
  for (const TBotLevelResult* r : runs) {
    ++s.Runs;
    s.Moves += r->Moves;
    s.Spells += r->Spells;
    s.Seconds += static_cast<double>(r->Ticks) / 121.0;
    if (!r->Error.empty()) {
      ++s.Errors;
    } else if (r->Won) {
      ++s.Wins;
      left.push_back(r->SecondsLeft);
      score.push_back(r->ScoreGained());
      lives.push_back(r->LivesGained());
    } else if (r->NoMoves) {
      ++s.NoMoves;
    } else if (r->TimeOver) {
      ++s.TimeOver;
    } else {
      ++s.Stuck;
    }
  }
  if (s.Runs) {
    s.Moves /= s.Runs;
    s.Spells /= s.Runs;
    s.Seconds /= s.Runs;
  }
  s.MedianLeft = Median(left);
  s.MinLeft = left.empty() ? 0 : static_cast<int>(*std::min_element(left.begin(), left.end()));
  s.LeftPercent = levelTime > 0 ? 100.0 * s.MedianLeft / levelTime : 0;
  s.MedianScore = Median(score);
  s.MedianLives = Median(lives);
  const int needed = WinsNeeded(bar.WinShare, s.Runs);
  if (s.Wins < needed)
    s.Why = "won " + std::to_string(s.Wins) + " of " + std::to_string(s.Runs) + " (needs " + std::to_string(needed) +
            ")";
  const int most = bar.MostLeftPercent + LeftSlack(s.Runs);
  if (bar.MostLeftPercent >= 0 && s.Wins > 0 && s.LeftPercent > most) {
    char text[96];
    std::snprintf(text, sizeof text, "median time left %.0f%% (at most %d%%)", s.LeftPercent, most);
    s.Why += (s.Why.empty() ? "" : "; ") + std::string(text);
  }
  s.BelowBar = !s.Why.empty();
  return s;
}

void PrintLevelHeader(FILE* out) {
  std::fprintf(out, "%-5s %5s %4s %4s %5s %-8s %5s %7s %6s %5s %5s %7s %5s %6s %6s %5s  %s\n", "level", "time", "wood",
               "iron", "field", "kinds", "unfed", "wins", "median", "min", "left%", "score", "lives", "moves",
               "spells", "secs", "notes");
}

void PrintLevelLine(FILE* out, const TLevelCensus& c, const TLevelStats& s) {
  std::string notes;
  if (s.TimeOver) notes += std::to_string(s.TimeOver) + " time-over ";
  if (s.NoMoves) notes += std::to_string(s.NoMoves) + " no-moves ";
  if (s.Stuck) notes += std::to_string(s.Stuck) + " stuck ";
  if (s.Errors) notes += std::to_string(s.Errors) + " errors ";
  if (s.BelowBar) notes += "BELOW BAR: " + s.Why;
  char wins[16];
  std::snprintf(wins, sizeof wins, "%d/%d", s.Wins, s.Runs);
  std::fprintf(out, "%5d %5d %4d %4d %5d %-8s %5d %7s %6.0f %5d %4.0f%% %7.0f %5.1f %6.1f %6.1f %5.0f  %s\n", c.Level,
               c.Time, c.Wood, c.Iron, c.Fields, c.Kinds.c_str(), c.Unfed, wins, s.MedianLeft, s.MinLeft,
               s.LeftPercent, s.MedianScore, s.MedianLives, s.Moves, s.Spells, s.Seconds, notes.c_str());
}

void WriteLevelCsvHeader(FILE* out) {
  std::fprintf(out,
               "level,time,wood,iron,fields,kinds,unfed,runs,wins,median_left,min_left,median_left_pct,"
               "median_score,median_lives_gained,mean_moves,mean_spells,mean_seconds,time_over,no_moves,stuck,"
               "errors,below_bar,why\n");
}

void WriteLevelCsvLine(FILE* out, const TLevelCensus& c, const TLevelStats& s) {
  std::fprintf(out, "%d,%d,%d,%d,%d,%s,%d,%d,%d,%.1f,%d,%.1f,%.0f,%.1f,%.2f,%.2f,%.1f,%d,%d,%d,%d,%d,%s\n", c.Level,
               c.Time, c.Wood, c.Iron, c.Fields, Csv(c.KindNames).c_str(), c.Unfed, s.Runs, s.Wins, s.MedianLeft,
               s.MinLeft, s.LeftPercent, s.MedianScore, s.MedianLives, s.Moves, s.Spells, s.Seconds, s.TimeOver,
               s.NoMoves, s.Stuck, s.Errors, s.BelowBar ? 1 : 0, Csv(s.Why).c_str());
}

TCampaignLevel SumUpCampaign(int level, const std::vector<const TBotLevelResult*>& runs) {
  TCampaignLevel c;
  c.Level = level;
  std::vector<double> score, lives, gained;
  for (const TBotLevelResult* r : runs) {
    ++c.Played;
    c.Retries += r->Retries;
    c.GameOvers += r->GameOver;
    if (!r->Won || !r->Error.empty()) continue;
    ++c.Won;
    score.push_back(r->End.Score);
    lives.push_back(r->End.Lives);
    gained.push_back(r->LivesGained());
  }
  c.MedianScore = Median(score);
  c.MedianLives = Median(lives);
  c.MedianGained = Median(gained);
  return c;
}

void PrintCampaignHeader(FILE* out) {
  std::fprintf(out, "%-5s %5s %4s %4s %5s %-8s %7s %7s %9s %5s %6s %9s\n", "level", "time", "wood", "iron", "field",
               "kinds", "played", "won", "score", "lives", "lives+", "retries");
}

void PrintCampaignLine(FILE* out, const TLevelCensus& census, const TCampaignLevel& c) {
  char won[16];
  std::snprintf(won, sizeof won, "%d/%d", c.Won, c.Played);
  std::string retries = std::to_string(c.Retries);
  if (c.GameOvers) retries += ", " + std::to_string(c.GameOvers) + " game over";
  std::fprintf(out, "%5d %5d %4d %4d %5d %-8s %7d %7s %9.0f %5.1f %6.1f %9s\n", c.Level, census.Time, census.Wood,
               census.Iron, census.Fields, census.Kinds.c_str(), c.Played, won, c.MedianScore, c.MedianLives,
               c.MedianGained, retries.c_str());
}

void WriteCampaignCsvHeader(FILE* out) {
  std::fprintf(out,
               "level,time,wood,iron,fields,kinds,unfed,played,won,retries,game_overs,median_total_score,"
               "median_lives_after,median_lives_gained\n");
}

void WriteCampaignCsvLine(FILE* out, const TLevelCensus& census, const TCampaignLevel& c) {
  std::fprintf(out, "%d,%d,%d,%d,%d,%s,%d,%d,%d,%d,%d,%.0f,%.1f,%.1f\n", c.Level, census.Time, census.Wood,
               census.Iron, census.Fields, Csv(census.KindNames).c_str(), census.Unfed, c.Played, c.Won, c.Retries,
               c.GameOvers, c.MedianScore, c.MedianLives, c.MedianGained);
}
