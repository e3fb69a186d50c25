#include "screens/Credits.h"

#include "board/Board.h"
#include "engine/core/DataFile.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiForm.h"
#include "engine/render/Fonts.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/PlayForms.h"
#include "platform/Platform.h"
#include "players/Player.h"
#include "screens/HistorySprites.h"
#include "screens/Menus.h"
#include "screens/ScreenHost.h"

namespace {
constexpr TColor kHeadingTop = 0xFF808080;
constexpr TColor kNameTop = 0xFF008000;
constexpr TColor kWhite = 0xFFFFFFFF;
constexpr TColor kPaleGreen = 0xFFCCFFCC;
// How far above the screen's top the last line of the roll after the game
// must have gone for the roll to be over.
constexpr float kRollGoneAbove = 40.0f;

TCreditsLine Heading(int menuY, int endY, TColor bottom, const char* fixed = nullptr, int font = 1) {
  return {menuY, endY, font, kHeadingTop, bottom, false, fixed};
}
TCreditsLine Name(int menuY, int endY) { return {menuY, endY, 1, kNameTop, kWhite, false, nullptr}; }
}  // namespace

const std::vector<TCreditsLine>& CreditsLayout() {
  static const std::vector<TCreditsLine> lines = [] {
    std::vector<TCreditsLine> l;
    l.push_back(Heading(500, 500, kWhite, "Producer"));
    l.push_back(Name(520, 520));
    l.push_back(Heading(560, 560, kWhite, "Game Design"));
    l.push_back(Name(580, 580));
    l.push_back(Name(600, 600));
    l.push_back(Heading(640, 640, kPaleGreen, "Game Programming"));
    l.push_back(Name(660, 660));
    l.push_back(Heading(700, 700, kPaleGreen, "Artwork"));
    l.push_back(Name(720, 720));
    l.push_back(Heading(760, 760, kPaleGreen, "Music By"));
    l.push_back(Name(780, 780));
    l.push_back(Heading(820, 820, kPaleGreen, "Beta Testers"));
    for (int y : {840, 860, 880, 900}) l.push_back(Name(y, y));
    l.push_back(Heading(940, 940, kPaleGreen, "Thanks To"));
    for (int y : {960, 980, 1000, 1020, 1040, 1060, 1080}) l.push_back(Name(y, y == 960 ? 966 : y));
    for (int y : {1120, 1140, 1160}) l.push_back(Name(y, y));
    l.push_back(Heading(1200, 1200, kPaleGreen, "Powered by", 2));
    l.push_back(Heading(1240, 1240, kPaleGreen));
    l.push_back(Name(1260, 1260));
    l.push_back(Name(1280, 1300));
    l.push_back(Heading(1320, 1320, kPaleGreen));
    l.push_back(Name(1340, 1340));
    l.push_back(Heading(1380, 1380, kPaleGreen));
    l.push_back(Name(1400, 1400));
    // The studio's lines: after the game only, in both rolls.
    TCreditsLine created = Heading(1460, 1440, kPaleGreen, "Created By", 2);
    created.EndOnly = true;
    l.push_back(created);
    TCreditsLine studio = Heading(1480, 1460, kPaleGreen);
    studio.EndOnly = true;
    l.push_back(studio);
    TCreditsLine address = Name(1500, 1480);
    address.EndOnly = true;
    l.push_back(address);
    return l;
  }();
  return lines;
}

namespace {
// The words of the credits from a read file; path names it in messages.
std::vector<std::string> CreditsTextsFrom(const DataFile& file, const std::string& path) {
  const std::vector<TCreditsLine>& layout = CreditsLayout();
  std::vector<std::string> texts;
  for (const DataNode& node : file.Nodes) {
    if (node.Token(0) != "line") node.Fail("unknown word \"" + node.Token(0) + "\" (expected \"line\")");
    node.Expect(2, 2);
    if (!node.Children.empty()) node.Fail("a line of the credits has no parts");
    if (texts.size() >= layout.size()) node.Fail("more than " + std::to_string(kCreditsLines) + " lines");
    const TCreditsLine& place = layout[texts.size()];
    if (place.FixedText && node.Token(1) != place.FixedText)
      node.Fail("line " + std::to_string(texts.size() + 1) + " must be \"" + place.FixedText + "\"");
    texts.push_back(plat::Utf8ToAnsi(node.Token(1)));
  }
  if (texts.size() != layout.size())
    throw DataError(path + ": " + std::to_string(texts.size()) + " lines; the credits have " +
                    std::to_string(kCreditsLines));
  return texts;
}
}  // namespace

std::vector<std::string> LoadCreditsTexts(const std::string& path) {
  return CreditsTextsFrom(DataFile::Load(path, kMaxCreditsFileBytes), path);
}

std::vector<std::string> ParseCreditsTexts(const std::string& text, const std::string& name) {
  return CreditsTextsFrom(DataFile::Parse(text, name), name);
}

TCredits::TCredits(TScreenHost& game) : Game(game) {}

bool TCredits::Load(const std::string& path, std::string& error) {
  try {
    Texts_ = LoadCreditsTexts(path);
    return true;
  } catch (const DataError& e) {
    error = std::string("Cannot read the credits: ") + e.what();
    return false;
  }
}

void TCredits::AddLines(uint8_t owner) {
  const std::vector<TCreditsLine>& layout = CreditsLayout();
  for (size_t i = 0; i < layout.size() && i < Texts_.size(); ++i) {
    const TCreditsLine& l = layout[i];
    auto* line = new TCreditsText(&Game.SpriteEngine());
    line->Text = Texts_[i];
    line->FontIndex = l.Font;
    line->Color1 = l.Top;
    line->Color2 = l.Bottom;
    line->OwnerState = l.EndOnly ? static_cast<uint8_t>(ssEndCredits) : owner;
    // After the game the lines start 150 pixels lower.
    line->SetY(static_cast<float>(owner == ssEndCredits ? l.EndY + 150 : l.MenuY));
    line->SetZ(3);
  }
}

void TCredits::ShowPackComplete() {
  TGuiBase& gui = Game.GuiBase1;
  const TBoard* board = Game.BoardIfAny();
  const std::string pack = plat::Utf8ToAnsi(board ? board->PackName : std::string());
  const std::string text =
      board && board->PackName == kStoryPackName
          ? "You have finished every level of \"" + pack +
                "\" in relaxed play! Relaxed games do not enter the Hall of Heroes."
          : "You have finished every level of \"" + pack +
                "\"! Only the story journey, played against the clock, enters the Hall of Heroes.";
  SetLabelText(gui, TControlName::pcText, text);
  SetLabelText(gui, TControlName::pcScore, "Your score: " + WithThousands(Game.Player().Score));
  if (TGuiButton* ok = FindButton(gui, TControlName::pcOk))
    ok->OnClick = [this](TGuiControl&) { PackCompleteContinue(); };
  Game.PlayGameSound("menu-select.ogg");
  CentreForm(gui, TControlName::formPackComplete);
  if (TGuiForm* form = FindForm(gui, TControlName::formPackComplete)) form->BringToFront();
  // The level stands still under the message.
  Game.DialogOpen = true;
}

void TCredits::PackCompleteContinue() {
  Game.PlayGameSound("menu-select.ogg");
  ShowForm(Game.GuiBase1, TControlName::formPackComplete, false);
  Game.DialogOpen = false;
  ShowEndCredits();
}

void TCredits::ShowEndCredits() {
  Game.FreeGameObjects();
  Game.StopGameMusic("GameHistoryMusic");
  Game.Menus->CloseOptions();
  Game.ScreenTicks = 0;
  AddLines(ssEndCredits);
  Game.ScreenState = ssEndCredits;
  Game.PlayGameMusic("MapMusic", true);
}

void TCredits::EndCreditsClick() {
  if (Game.ScreenTicks <= 120) return;
  Game.CreditsRunning = false;
  Game.StopGameMusic("MapMusic");
  Game.PlayGameMusic("MainMenuMusic", true);
  Game.ShowHiscores();
}

void TCredits::ShowMenuCredits() {
  Game.PlayGameSound("menu-select.ogg");
  if (Game.CreditsRunning) return;
  // The options stay open underneath: the back button brings them again.
  ShowForm(Game.GuiBase1, TControlName::GameOptions, false);
  Game.StopGameMusic("MainMenuMusic");
  Game.CreditsRunning = true;
  Game.ScreenTicks = 240;
  auto* frame = new TAnimSprite(&Game.SpriteEngine());
  frame->SetImageName("credits.image");
  frame->SetPatternIndex(0);
  frame->Animating = false;
  frame->SetX(300);
  frame->SetY(100);
  frame->SetZ(4);
  auto* panel = new TSprite(&Game.SpriteEngine());
  panel->SetImageName("credits.image");
  panel->SetPatternIndex(1);
  panel->SetX(300);
  panel->SetY(100);
  panel->SetZ(2);
  Game.CreditsSprites = {frame, panel};
  AddLines(ssMainMenu);
  Game.PlayGameMusic("MapMusic", true);
}

bool TCredits::RollOver() const {
  const bool overMenu = Game.ScreenState == ssMainMenu;
  if (overMenu && !Game.CreditsRunning) return false;
  if (!overMenu && Game.ScreenState != ssEndCredits) return false;
  for (const TSprite* s : Game.SpriteEngine().SpriteList) {
    const auto* line = dynamic_cast<const TCreditsText*>(s);
    if (!line || line->Killed || line->OwnerState != Game.ScreenState) continue;
    // Over the menu the lines go at the frame's top; after the game they
    // roll on off the screen.
    if (overMenu || line->Y > -kRollGoneAbove) return false;
  }
  return true;
}

void TCredits::DrawEndPrompt() {
  if (!RollOver()) return;
  TCanopyFont* font = Game.Fonts.Items(1);
  if (!font) return;
  font->Scale = 1.0;
  const std::string text = "Click to continue";
  // In the middle of the frame beside the menu; at the foot of the screen
  // after the game.
  const bool overMenu = Game.ScreenState == ssMainMenu;
  const float centre = overMenu ? 520.0f : 400.0f;
  const float y = overMenu ? 265.0f : 540.0f;
  font->TextOutEx(text, 0xFFB0F0C0, centre - static_cast<float>(font->TextWidth(text)) / 2.0f, y, 0xFF60C080,
                  kBlendAlpha);
}

void TCredits::EndMenuCredits() {
  Game.CreditsRunning = false;
  for (TSprite*& sprite : Game.CreditsSprites) {
    if (sprite) sprite->Dead();
    sprite = nullptr;
  }
  Game.StopGameMusic("MapMusic");
  Game.PlayGameMusic("MainMenuMusic", true);
  ShowForm(Game.GuiBase1, TControlName::GameOptions, true);
  Game.ScreenTicks = 240;
}
