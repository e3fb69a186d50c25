// A game object on a headless platform with a board of hand-made cells, for
// the board, rules and pieces tests. Nothing is loaded from the campaign.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/GameSession.h"
#include "board/Board.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "players/Player.h"

class Tmain;

class BoardFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Lays out the top rows of the board, one character a cell from column 1.
  // Pieces: B black, M mountain, F fire, T tree, W water, K book, P pearl,
  // C crystal, S skull; '.' an empty plain cell; '#' no cell. Cells and rows
  // not given are no cell. `tabs`, when given, sets the tab type of the same
  // cells: '1'..'5' plain to orange field, '0' no cell, 'e' an edge piece,
  // 's' a plain spawn point; ' ' keeps what the piece grid chose.
  void Build(const std::vector<std::string>& pieces, const std::vector<std::string>& tabs = {});
  // The piece kinds of the top rows in the same letters ('.' empty cell,
  // '#' no cell, lower case for a dying piece).
  std::vector<std::string> Pieces(int rows) const;
  // One process tick of the game loop.
  void Tick(int n = 1);
  // Ticks until no piece moves or dies (at most `limit` ticks).
  void Settle(int limit = 2000);
  int Count(const std::string& audio) const;

  TBoard& B() { return *Game->BoardIfAny(); }
  TBoardTab& Tab(int col, int row) { return *B().TabAt(col, row); }
  TGameSprite* PieceAt(int col, int row) { return B().PieceAt(col, row); }
  TPlayer& Player() { return Game->Player(); }
  // The game object itself, for the tests of its own steps (they include
  // app/Main.h; the rest see the game only as a session).
  Tmain& Main();

  std::string Home;  // a fresh folder per test, the program's folder
  std::unique_ptr<plat::Platform> Platform;
  std::unique_ptr<TGameSession> Game;
  std::vector<std::string> Audio;
};

// The letter of a piece kind in the grids above.
char KindLetter(int kind);
int KindFromLetter(char letter);
// Level-file records from pictures of rows: piece letters ('.' none) and tab
// digits ('s' a plain spawn point, missing digits plain); cells beyond a row's
// text are left out.
std::vector<TCellRecord> CellsFromPictures(const std::vector<std::string>& pieces,
                                           const std::vector<std::string>& tabs);
