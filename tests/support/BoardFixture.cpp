#include "support/BoardFixture.h"

#include "app/Main.h"

#include <filesystem>

#include "engine/sprites/SpriteEngine.h"

namespace {
constexpr char kLetters[] = "BMFTWKPCS";
}

char KindLetter(int kind) { return kind >= 0 && kind < kPieceKinds ? kLetters[kind] : '?'; }

int KindFromLetter(char letter) {
  for (int k = 0; k < kPieceKinds; ++k)
    if (kLetters[k] == letter) return k;
  return -1;
}

void BoardFixture::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  Home = (std::filesystem::temp_directory_path() /
          ("gw-board-" + std::string(info->test_suite_name()) + "-" + info->name()))
             .string();
  std::filesystem::remove_all(Home);
  std::filesystem::create_directories(Home);
  std::string error;
  plat::PlatformOptions options;
  options.Headless = true;
  Platform = plat::Platform::Create(options, error);
  ASSERT_TRUE(Platform) << error;
  TLaunchOptions launch;
  launch.Headless = true;
  launch.Home = Home;
  Game = NewGameSession(*Platform, launch);
  Game->Random.Seed(12345);
  Game->OnGameAudio = [this](const std::string& s) { Audio.push_back(s); };
  Game->ScreenState = ssPlaying;
  Game->BreakSoundThrottle = 20;
  Game->Board().InitTiles();
}

void BoardFixture::TearDown() {
  Game.reset();
  Platform.reset();
  std::error_code ec;
  std::filesystem::remove_all(Home, ec);
}

void BoardFixture::Build(const std::vector<std::string>& pieces, const std::vector<std::string>& tabs) {
  TBoard& board = B();
  board.CleanLevel();
  board.Modified = 0;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const char p = r <= static_cast<int>(pieces.size()) && c <= static_cast<int>(pieces[r - 1].size())
                         ? pieces[r - 1][c - 1]
                         : '#';
      const char t = r <= static_cast<int>(tabs.size()) && c <= static_cast<int>(tabs[r - 1].size())
                         ? tabs[r - 1][c - 1]
                         : ' ';
      TBoardTab& tab = Tab(c, r);
      int type = p == '#' ? ttNone : ttTab;
      if (t >= '0' && t <= '5') type = t - '0';
      if (t == 'e') type = ttRebarba1;
      if (t == 's') {
        type = ttTab;
        tab.Spawn = 1;
      }
      tab.SetType(type);
      const int kind = KindFromLetter(p);
      if (kind >= 0) board.PutPiece(c, r, kind);
    }
  }
}

std::vector<std::string> BoardFixture::Pieces(int rows) const {
  std::vector<std::string> out;
  const TBoard& board = *Game->BoardIfAny();
  for (int r = 1; r <= rows; ++r) {
    std::string line;
    for (int c = 1; c <= kBoardCols; ++c) {
      const TBoardTab* tab = board.TabAt(c, r);
      const TGameSprite* piece = tab->Piece;
      if (!piece)
        line += tab->TabType == ttNone ? '#' : '.';
      else
        line += piece->Dying ? static_cast<char>(KindLetter(piece->Kind) + 32) : KindLetter(piece->Kind);
    }
    while (!line.empty() && line.back() == '#') line.pop_back();
    out.push_back(line);
  }
  return out;
}

void BoardFixture::Tick(int n) {
  for (int i = 0; i < n; ++i) Game->TimerProcess();
}

void BoardFixture::Settle(int limit) {
  // Settled: four ticks in a row without a moving, falling or dying piece and
  // without a spawn point waiting (a gravity pass runs every second tick).
  int quiet = 0;
  for (int i = 0; i < limit && quiet < 4; ++i) {
    bool busy = false;
    for (int r = 1; r <= kBoardRows && !busy; ++r) {
      for (int c = 1; c <= kBoardCols && !busy; ++c) {
        const TBoardTab& tab = *Game->BoardIfAny()->TabAt(c, r);
        busy = tab.SpawnPending || (tab.Piece && !tab.Piece->Ready());
      }
    }
    quiet = busy ? 0 : quiet + 1;
    Tick();
  }
}

int BoardFixture::Count(const std::string& audio) const {
  int n = 0;
  for (const std::string& a : Audio) n += a == audio;
  return n;
}

std::vector<TCellRecord> CellsFromPictures(const std::vector<std::string>& pieces,
                                           const std::vector<std::string>& tabs) {
  std::vector<TCellRecord> cells;
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= static_cast<int>(pieces.size()); ++r) {
      if (c > static_cast<int>(pieces[r - 1].size())) continue;
      const char p = pieces[r - 1][c - 1];
      const char t =
          r <= static_cast<int>(tabs.size()) && c <= static_cast<int>(tabs[r - 1].size()) ? tabs[r - 1][c - 1] : '1';
      TCellRecord rec;
      rec.Col = c;
      rec.Row = r;
      rec.Piece = p == '.' ? kNoPiece : static_cast<uint8_t>(KindFromLetter(p));
      rec.TabType = t == 's' ? 1 : static_cast<uint8_t>(t - '0');
      rec.Spawn = t == 's';
      cells.push_back(rec);
    }
  }
  return cells;
}

Tmain& BoardFixture::Main() { return static_cast<Tmain&>(*Game); }
