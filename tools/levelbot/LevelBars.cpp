#include "LevelBars.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

TLevelBar LevelBarOf(TPlayerModel model, int level) {
  TLevelBar bar;
  switch (model) {
    case TPlayerModel::Casual:
      bar.WinShare = level <= 10 ? 0.95 : level <= 40 ? 0.85 : 0.70;
      break;
    case TPlayerModel::Novice:
      if (level <= 3) bar.WinShare = 0.75;
      break;
    case TPlayerModel::Expert:
      bar.WinShare = 0.95;
      if (level >= 11) bar.MostLeftPercent = 70;
      break;
  }
  return bar;
}

int WinsNeeded(double share, int runs) {
  if (share <= 0 || runs <= 0) return 0;
  const int scaled = static_cast<int>(std::ceil(share * runs - 1e-9));
  if (runs >= 20) return scaled;
  return std::max(1, scaled - 1);
}

int LeftSlack(int runs) { return runs >= 10 ? 0 : 10; }

int BandOf(int level) { return level <= 10 ? 0 : level <= 40 ? 1 : 2; }

const char* BandName(int band) {
  static const char* kNames[] = {"levels 1-10", "levels 11-40", "levels 41 on"};
  return kNames[std::clamp(band, 0, 2)];
}

std::string BandOrderProblem(const TBandShares& bands) {
  int earlier = -1;
  for (int band = 0; band < 3; ++band) {
    if (bands.Levels[band] == 0) continue;
    if (earlier >= 0 && bands.Share[band] > bands.Share[earlier] + 1e-9) {
      char text[160];
      std::snprintf(text, sizeof text, "%s are won more often (%.1f%%) than %s (%.1f%%)", BandName(band),
                    100 * bands.Share[band], BandName(earlier), 100 * bands.Share[earlier]);
      return text;
    }
    earlier = band;
  }
  return "";
}

std::string CampaignProblem(TPlayerModel model, int lastLevel, const std::vector<int>& reached, int levelsWon,
                            int livesGained) {
  if (reached.empty()) return "";
  std::vector<int> sorted = reached;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
  char text[160];
  switch (model) {
    case TPlayerModel::Casual:
      if (median < std::min(40, lastLevel + 1)) {
        std::snprintf(text, sizeof text, "the median game ends at level %.1f (needs 40 or later)", median);
        return text;
      }
      break;
    case TPlayerModel::Expert:
      if (sorted.front() <= lastLevel) {
        std::snprintf(text, sizeof text, "a game ends at level %d", sorted.front());
        return text;
      }
      if (livesGained * 3 > levelsWon) {
        std::snprintf(text, sizeof text, "%d extra lives in %d levels (at most one every three)", livesGained,
                      levelsWon);
        return text;
      }
      break;
    case TPlayerModel::Novice:
      break;
  }
  return "";
}
