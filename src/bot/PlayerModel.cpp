#include "bot/PlayerModel.h"

#include <cstdlib>

const char* PlayerModelName(TPlayerModel model) {
  switch (model) {
    case TPlayerModel::Casual: return "casual";
    case TPlayerModel::Novice: return "novice";
    case TPlayerModel::Expert: break;
  }
  return "expert";
}

bool ParsePlayerModel(const std::string& name, TPlayerModel& model) {
  for (TPlayerModel m : {TPlayerModel::Expert, TPlayerModel::Casual, TPlayerModel::Novice}) {
    if (name == PlayerModelName(m)) {
      model = m;
      return true;
    }
  }
  return false;
}

TThinkRange DefaultThink(TPlayerModel model) {
  switch (model) {
    case TPlayerModel::Casual: return {2.0, 4.0};
    case TPlayerModel::Novice: return {3.0, 6.0};
    case TPlayerModel::Expert: break;
  }
  return {1.5, 3.0};
}

bool ParseThinkRange(const std::string& text, TThinkRange& range) {
  auto number = [](const std::string& t, double& out) {
    if (t.empty()) return false;
    char* end = nullptr;
    out = std::strtod(t.c_str(), &end);
    return *end == '\0' && out >= 0.0 && out <= 60.0;
  };
  const size_t dash = text.find('-');
  TThinkRange r;
  if (dash == std::string::npos) {
    if (!number(text, r.Min)) return false;
    r.Max = r.Min;
  } else if (!number(text.substr(0, dash), r.Min) || !number(text.substr(dash + 1), r.Max) || r.Min > r.Max) {
    return false;
  }
  range = r;
  return true;
}

std::vector<TLineSwap> ModelChoices(TPlayerModel model, const TBotGrid& grid) {
  std::vector<TLineSwap> choices;
  if (model == TPlayerModel::Expert) {
    // The best-scored swaps; among equally good ones any.
    const std::vector<TBotMove> moves = FindBotMoves(grid);
    for (const TBotMove& m : moves) {
      if (m.Score != moves.front().Score) break;
      choices.push_back({m.From, m.To});
    }
    return choices;
  }
  std::vector<TLineSwap> all = FindLineSwaps(grid);
  if (model == TPlayerModel::Casual) {
    // What catches the eye first: a line that lands on a box or a field.
    for (const TLineSwap& s : all) {
      if (SwapBoxSteps(grid, s.From, s.To) > 0) choices.push_back(s);
    }
    if (!choices.empty()) return choices;
  }
  return all;
}

bool ChooseSwap(TPlayerModel model, const TBotGrid& grid, std::mt19937& rng, TLineSwap& swap) {
  const std::vector<TLineSwap> choices = ModelChoices(model, grid);
  if (choices.empty()) return false;
  swap = choices[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(rng)];
  return true;
}
