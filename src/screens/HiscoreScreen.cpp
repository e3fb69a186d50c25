#include "screens/HiscoreScreen.h"

#include <filesystem>

#include "engine/core/ZeroPad.h"
#include "engine/render/Canvas.h"
#include "engine/sprites/SpriteEngine.h"
#include "engine/render/Fonts.h"
#include "players/Player.h"
#include "screens/HistorySprites.h"
#include "screens/ScreenHost.h"

namespace {

// The band of light behind the row of the game just entered: it stays lit
// while the row's words blink, so the new entry stands out at every moment.
class TNewEntryBand : public TSprite {
 public:
  TNewEntryBand(TSpriteEngine* engine, float top) : TSprite(engine) {
    Visible = false;
    SetX(150);
    SetY(top);
    // The rows' depth: made after them, it lies first among them, so under
    // their words and over the hall's picture.
    SetZ(2);
  }
  void Move(float step) override {
    TSprite::Move(step);
    TScreenHost& g = ScreenHostOf(Engine);
    if (g.ScreenState != ssHiscores) Dead();
    Visible = g.ScreenTicks >= 240;  // with the rows
  }
  void Draw() override {
    if (!Visible || !Engine->Canvas) return;
    // Warm gold, brightest in its middle, with a gilt rule above and below.
    Engine->Canvas->FillQuad(QuadFromRect(X, Y, X + 538, Y + 31),
                             TColor4{0x3040B0E0, 0x3040B0E0, 0x7040C8FF, 0x7040C8FF}, kBlendAlpha);
    Engine->Canvas->FillRect(X, Y - 1, X + 538, Y + 1, 0xC060C8F0, kBlendAlpha);
    Engine->Canvas->FillRect(X, Y + 30, X + 538, Y + 32, 0xC060C8F0, kBlendAlpha);
  }
};

}  // namespace

THiscoreScreen::THiscoreScreen(TScreenHost& game) : Game(game) {}

std::optional<THiscoreTable> THiscoreScreen::ReadTable() {
  const std::string path = HiscorePath(Game.SaveHome());
  // A table that cannot be read is told, and kept aside (damaged) or left
  // alone (unreadable), before the shipped one stands in for it.
  std::string message;
  const TSaveGuard::TOutcome outcome = Game.Saves.Check(
      path, TSaveGuard::TKind::Hiscores, 64 * 1024,
      [](const std::vector<uint8_t>& b) { return THiscoreTable::Decode(b.data(), b.size()).has_value(); }, message);
  std::string error;
  if (outcome == TSaveGuard::TOutcome::Read) {
    std::optional<THiscoreTable> table = ReadHiscoreFile(path, error);
    if (table) return table;
  }
  std::string shippedError;
  std::optional<THiscoreTable> shipped = ReadHiscoreFile(ShippedHiscorePath(Game.Home()), shippedError);
  if (!shipped) {
    Game.ShowError((message.empty() ? error : message) + " The table the game came with cannot be read either: " +
                   shippedError);
    return std::nullopt;
  }
  // A player's first table (an installed game keeps it in the player's
  // folder) starts as the game came, without a word.
  std::string writeError;
  if (Game.Saves.MayWrite(path) && !WriteHiscoreFile(path, *shipped, writeError)) {
    Game.ShowError(message.empty() ? writeError : message + " " + writeError);
    return shipped;
  }
  if (!message.empty()) Game.ShowError(message);
  return shipped;
}

void THiscoreScreen::Record() {
  TPlayer& player = Game.Player();
  player.HiscoreRank = -1;
  std::optional<THiscoreTable> table = ReadTable();
  if (!table) return;
  const int rank = table->Insert(player.PlayerName, player.Score);
  if (rank < 0) return;  // the file is left untouched
  player.HiscoreRank = rank;
  const std::string path = HiscorePath(Game.SaveHome());
  std::string error;
  if (Game.Saves.MayWrite(path) && !WriteHiscoreFile(path, *table, error)) Game.ShowError(error);
}

void THiscoreScreen::Show() {
  Game.PlayGameSound("menu-select.ogg");
  std::optional<THiscoreTable> table = ReadTable();
  if (!table) return;
  if (TCanopyFont* f = Game.Fonts.Items(4)) f->Interleave = 2.0;
  Game.HiscoresClickable = false;
  if (Game.ScreenState == ssMainMenu) Game.ClearMainMenu();
  Game.ScreenTicks = 0;
  Game.ScreenState = ssHiscores;
  Shown_.assign(table->Entries.begin(), table->Entries.begin() + 9);
  AddHistoryPicture(Game, "hiscore.image", 0, 2, 0, 1, ssHiscores);
  AddHistoryPicture(Game, "hiscore.image", 2, 100, 1, 1, ssHiscores);
  for (int i = 1; i <= 9; ++i) {
    const THiscoreEntry& entry = table->Entries[static_cast<size_t>(i - 1)];
    const bool blink = i == Game.Player().HiscoreRank;
    for (int column = 0; column < 2; ++column) {
      THistoryText* text = AddHistoryText(Game, column == 0 ? entry.Name : ZeroPad(entry.Score, 11), 2, 100,
                                          static_cast<float>(150 + 35 * i), ssHiscores, 4,
                                          column == 0 ? 160.0f : 500.0f);
      text->FontScale = 1.0;
      text->Color1 = 0xFF40D0FF;
      text->Color2 = 0xFFFFFFFF;
      text->Blink = blink;
    }
  }
  const int rank = Game.Player().HiscoreRank;
  if (rank >= 1 && rank <= 9) new TNewEntryBand(&Game.SpriteEngine(), static_cast<float>(150 + 35 * rank - 2));
}
