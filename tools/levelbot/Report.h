// What levelbot prints: per level what the level holds and how the bot's
// runs went against the level's bar, and the same
// numbers as CSV for a table.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "LevelBars.h"
#include "bot/BotPlayer.h"

// What a compiled level holds.
struct TLevelCensus {
  int Level = 0;
  int Time = 0;
  int Wood = 0, Iron = 0, Fields = 0;  // fields: blue and orange
  std::string Kinds;                   // the allowed kinds as their letters, "kmftwbpc"
  std::string KindNames;               // the same as words, "fire tree water"
  int Unfed = -1;                      // cells never refilled (-1: the level could not be read)
};
TLevelCensus ReadCensus(const std::string& home, const std::string& pack, int level);

// The runs of one level, summed up.
struct TLevelStats {
  int Runs = 0, Wins = 0, TimeOver = 0, NoMoves = 0, Stuck = 0, Errors = 0;
  // Over the won runs: seconds left, left as a share of the level's time,
  // the score the level gave (with the tally's bonus) and its extra lives.
  double MedianLeft = 0, LeftPercent = 0, MedianScore = 0, MedianLives = 0;
  int MinLeft = 0;
  double Moves = 0, Spells = 0, Seconds = 0;  // means over all runs
  bool BelowBar = false;
  std::string Why;  // what misses the bar
};
// The runs of one level summed up and held to `bar` (LevelBars.h).
TLevelStats SumUp(const std::vector<const TBotLevelResult*>& runs, int levelTime, const TLevelBar& bar);

double Median(std::vector<double> values);

void PrintLevelHeader(FILE* out);
void PrintLevelLine(FILE* out, const TLevelCensus& census, const TLevelStats& stats);
void WriteLevelCsvHeader(FILE* out);
void WriteLevelCsvLine(FILE* out, const TLevelCensus& census, const TLevelStats& stats);

// The campaign: per level the runs that reached it and how their games
// stood after it.
struct TCampaignLevel {
  int Level = 0;
  int Played = 0, Won = 0, Retries = 0, GameOvers = 0;
  double MedianScore = 0, MedianLives = 0, MedianGained = 0;  // over the runs that won it
};
TCampaignLevel SumUpCampaign(int level, const std::vector<const TBotLevelResult*>& runs);
void PrintCampaignHeader(FILE* out);
void PrintCampaignLine(FILE* out, const TLevelCensus& census, const TCampaignLevel& c);
void WriteCampaignCsvHeader(FILE* out);
void WriteCampaignCsvLine(FILE* out, const TLevelCensus& census, const TCampaignLevel& c);
