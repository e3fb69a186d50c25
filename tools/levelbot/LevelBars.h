// The bars the campaign is held to, per kind of player: how many runs of a
// level each must win, how much time the expert may have left, that the
// casual player finds the campaign harder as it goes on, and how far whole
// games get.
#pragma once

#include <string>
#include <vector>

#include "bot/PlayerModel.h"

struct TLevelBar {
  double WinShare = 0;       // share of the runs to win (0: no bar)
  int MostLeftPercent = -1;  // the median time left in won runs at most this share of the level's time (-1: none)
};

// casual: levels 1-10 won 19 times in 20, 11-40 17 in 20, the rest 14 in 20;
// novice: the tutorial levels 1-3 won 15 times in 20; expert: every level 19
// times in 20, and from level 11 on with at most 70% of its time left.
TLevelBar LevelBarOf(TPlayerModel model, int level);

// The wins a bar's share asks of `runs` runs: the share rounded up from 20
// runs on; a quicker look of fewer runs may lose one run more (never all).
int WinsNeeded(double share, int runs);
// Fewer than ten runs: the median time left may stray 10 points further.
int LeftSlack(int runs);

// Difficulty bands: levels 1-10, 11-40 and 41 on (0, 1, 2).
int BandOf(int level);
const char* BandName(int band);

// The casual player's mean win share of each band, as far as levels of it
// were played; what is wrong when a later band is won more often than an
// earlier one ("" when none is).
struct TBandShares {
  double Share[3] = {0, 0, 0};
  int Levels[3] = {0, 0, 0};
};
std::string BandOrderProblem(const TBandShares& bands);

// Whole games: the casual player's median game reaches level 40 before its
// first game over; the expert's games all end with the last level, with at
// most one extra life every three levels won. `reached` holds, per game, the
// level of its game over (the last level + 1 for a game that got through).
std::string CampaignProblem(TPlayerModel model, int lastLevel, const std::vector<int>& reached, int levelsWon,
                            int livesGained);
