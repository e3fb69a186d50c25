#include "support/PlayFixture.h"

#include <filesystem>

#include "board/LevelFile.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiForm.h"
#include "layout/PlayForms.h"

void PlayFixture::SetUp() {
  BoardFixture::SetUp();
  const std::filesystem::path layout = std::filesystem::path(GW_BUILD_DIR) / "data" / "interface.gui";
  if (!std::filesystem::exists(layout)) GTEST_SKIP() << "the form layout has not been built: " << layout;
  ASSERT_TRUE(Game->GuiBase1.LoadLayout(layout.string())) << Game->GuiBase1.LastError();
  Game->BindPlayControls();
  Game->Mouse();
  Game->aMouse.ClearOnUpdate = false;
  Button(false);
}

void PlayFixture::WriteLevel(const std::string& pack, int n, const std::vector<std::string>& pieces,
                             const std::vector<std::string>& tabs, int levelTime) {
  const std::vector<TCellRecord> cells = CellsFromPictures(pieces, tabs);
  TLevelOptions options;
  options.LevelTime = levelTime;
  options.MaxCaveiras = 0;
  std::string error;
  ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(Home, pack, n), options, error)) << error;
  ASSERT_TRUE(WriteLevelCells(LevelCellsPath(Home, pack, n), cells, error)) << error;
}

bool PlayFixture::Open(const std::string& pack, int n) {
  if (!B().OpenPack(pack)) return false;
  B().LevelNumber = n;
  return B().LoadLevel();
}

void PlayFixture::Point(int col, int row) {
  Game->MouseX = 40 * col + 20;
  Game->MouseY = 40 * row + 10;
}

void PlayFixture::Button(bool down) {
  Game->aMouse.DeviceButton(0, down);
  Game->aMouse.Update();
}

void PlayFixture::Press(TControlName button) {
  TGuiButton* b = FindButton(Game->GuiBase1, button);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(b->OnClick);
  b->OnClick(*b);
}

TGuiForm* PlayFixture::Form(TControlName name) { return FindForm(Game->GuiBase1, name); }

bool PlayFixture::Visible(TControlName form) { return FormVisible(Game->GuiBase1, form); }

std::string PlayFixture::Text(TControlName label) { return LabelText(Game->GuiBase1, label); }
