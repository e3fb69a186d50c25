#include "data/DataManifest.h"

#include "engine/core/TextCompare.h"

#include <cctype>

namespace {

int IndexIn(const std::vector<TImageSpec>& list, std::string_view key) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (SameText(list[i].Key, key)) return static_cast<int>(i);
  }
  return -1;
}

constexpr TImageSpec Square(const char* key, int size, int count) {
  return TImageSpec{key, size, size, size, size, count};
}

constexpr TImageSpec Picture(const char* key, int width, int height, int count = 1) {
  return TImageSpec{key, width, height, width, height, count};
}

}  // namespace

const std::vector<TImageSpec>& GameImages() {
  // Appending keeps every earlier index; inserting in the middle moves the
  // indices the GUI layout was compiled with (the layout is rebuilt with the data).
  static const std::vector<TImageSpec> images = {
      // Pieces: idle poses 0-2; standard kinds move left 3-5, right 6-8,
      // vertically 9-11; the book moves sideways 3-5 and vertically 6-7.
      Square("black.image", 40, 12),
      Square("red.image", 40, 12),
      Square("fire.image", 40, 12),
      Square("tree.image", 40, 12),
      Square("gota.image", 40, 12),
      Square("book.image", 40, 8),
      Square("pearl.image", 40, 3),
      Square("cristal.image", 40, 3),
      Square("celtic-cross.image", 40, 3),
      // The fire piece's glow: idle flicker 0-5, moving left 7-9, right 11-13,
      // vertically 13-15.
      Square("fire-fx.image", 40, 16),
      // Cells: 0 plain, 1 iron box, 2-5 wooden boxes, 10-17 edge pieces
      // (top-left corner, top, top-right corner, right, bottom-right corner,
      // bottom, bottom-left corner, left; each hugs the side facing the board).
      Square("board-wood.image", 40, 18),
      // Force fields: pulse 0-5, idle loop 6-14.
      Square("forcefield1.image", 40, 15),
      Square("forcefield2.image", 40, 15),
      // 0 hover marker (additive, tinted for spell areas), 1 selected cell.
      Square("tab-selection.image", 40, 2),
      // Glint over wooden boxes, frames 1-12.
      Square("hint.image", 40, 13),
      // The in-game bar, drawn at the bottom of the screen (800 x 90 at y 510;
      // its top is clear but for the pots' medallion).
      Picture("gui-bar.image", 800, 90),
      Picture("cipo.image", 336, 69),
      // Mana pots: 1 empty, 4 full, 2-4 the spell button's pulse.
      Square("gui-tree.image", 31, 5),
      Square("gui-gota.image", 31, 5),
      Square("gui-fogo.image", 31, 5),
      Square("gui-montanha.image", 31, 5),
      Picture("level-complete.image", 480, 128),
      Square("mouse.image", 32, 1),
      // Main menu.
      Picture("notyouclickhere.image", 279, 100),
      Picture("here.image", 64, 26, 2),
      Picture("menu-newgame-on.image", 300, 70),
      Picture("menu-continue-on.image", 300, 70),
      Picture("menu-options-on.image", 300, 70),
      Picture("menu-hiscore-on.image", 300, 70),
      Picture("menu-quit-on.image", 300, 70),
      // 0 button, 1 button under the cursor, 2 the credits' back button.
      Picture("optionsbuttons.image", 200, 48, 3),
      Picture("foliage.image", 400, 400),
      // 0 the frame, 1 the backdrop behind the scrolling lines.
      Picture("credits.image", 440, 400, 2),
      // Screens.
      Picture("kestrava.image", 800, 600),
      Picture("open1-1.image", 800, 368),
      Picture("open1-2.image", 800, 368),
      Picture("dwatch.image", 800, 368),
      Picture("open-box.image", 800, 368),
      Picture("abertura.image", 800, 368),
      Picture("zeradojogo.image", 800, 368),
      Picture("mapa-correto.image", 800, 600),
      Picture("mapa-arvanel.image", 30, 32),
      Picture("marcador-final.image", 16, 16),
      Picture("gameover.image", 258, 400),
      Picture("hiscore.image", 800, 600),
      Picture("background1.image", 256, 256),
      Square("icons.image", 32, 35),
      Square("particles-arvanels.image", 32, psShapeCount),
      // The plate of the seconds left at the end of the vine's channel.
      Picture("gui-clock.image", 56, 34),
      // The halo behind a full pot's spell button (additive, tinted).
      Square("pot-glow.image", 64, 1),
      // The keys and the game controller, for the options' "Controls" form.
      Picture("controls.image", 580, 390),
  };
  return images;
}

const std::vector<TImageSpec>& ParticleImages() {
  static const std::vector<TImageSpec> images = {
      Square("splinter1.image", 16, 1), Square("splinter2.image", 16, 1),
      Square("splinter3.image", 16, 1), Square("splinter4.image", 16, 1),
      Square("iron-chip.image", 16, 1),
  };
  return images;
}

int GameImageIndex(std::string_view key) { return IndexIn(GameImages(), key); }

int ParticleImageIndex(std::string_view key) { return IndexIn(ParticleImages(), key); }

const TImageSpec* FindGameImage(std::string_view key) {
  int i = GameImageIndex(key);
  return i < 0 ? nullptr : &GameImages()[static_cast<size_t>(i)];
}

const std::vector<TFontSpec>& GameFonts() {
  static const std::vector<TFontSpec> fonts = {
      {0, "Font00", "display: time over, no more moves, game over, the splash caption", 24},
      {1, "Font01", "small text: credits lines, dialog labels", 16},
      {2, "Font02", "the bar's numbers, story lines, score numbers", 21},
      {3, "Font03", "display: the player's name on the menu, game paused", 28},
      {4, "Font04", "the hiscore table", 22},
  };
  return fonts;
}

const std::vector<TPictureSpec>& Pictures() {
  static const std::vector<TPictureSpec> pictures = [] {
    std::vector<TPictureSpec> list = {{"mainscreen.jpg", 1024, 1024}};
    static const char* worlds[] = {"world1.jpg", "world2.jpg", "world3.jpg", "world4.jpg",
                                   "world5.jpg", "world6.jpg", "world7.jpg", "world8.jpg",
                                   "world9.jpg", "world10.jpg", "world11.jpg"};
    for (const char* w : worlds) list.push_back({w, 512, 512});
    return list;
  }();
  return pictures;
}

const std::vector<std::string>& PictureFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> list;
    for (const TPictureSpec& p : Pictures()) list.emplace_back(p.Key);
    return list;
  }();
  return files;
}

const std::vector<std::string>& SoundFiles() {
  // The music registry, then the samples, in the order the game loads them.
  static const std::vector<std::string> files = {
      "Overture.it", "story.it", "map.it", "ingame001.it", "ingame002.it",
      "ingame003.it", "ingame004.it", "ingame005.it", "ingame006.mp3", "ingame007.it",
      "ingame008.it", "ingame009.it", "ingame010.it", "levelcompleted.it", "life.it",
      "break-tab.ogg", "break-wood.ogg", "break-steel.ogg", "checkbox.ogg", "force-field-off.ogg",
      "magic-cast.ogg", "menu-select.ogg", "mouse-over-menu.ogg", "contagem-pontos.ogg", "snap.ogg",
      "swap1.ogg", "swapback.ogg", "roll.ogg", "pontos-subindo.ogg", "digitac.ogg",
      // The tick of the level clock's last seconds.
      "clock-tick.ogg",
  };
  return files;
}

const std::vector<std::pair<const char*, int>>& EditorIcons() {
  static const std::vector<std::pair<const char*, int>> icons = {
      {"btnTab", 1},           {"btnWood", 2},           {"btnSpawn", 3},
      {"btnForceField", 4},    {"btnForceField2", 5},    {"btnRebarba1", 6},
      {"btnRebarba2", 7},      {"btnRebarba3", 8},       {"btnRebarba4", 9},
      {"btnRebarba5", 10},     {"btnRebarba6", 11},      {"btnRebarba7", 12},
      {"btnRebarba8", 13},     {"btnFerro", 15},         {"btnSpriteRed", 16},
      {"btnSpriteFire", 17},   {"btnSpritePearl", 18},   {"btnSpriteCristal", 19},
      {"btnSpriteTree", 20},   {"btnSpriteBlack", 21},   {"btnSpriteBook", 22},
      {"btnSpriteGota", 23},   {"btnEraser", 24},        {"gpPrior", 25},
      {"gpNext", 26},          {"gpInsert", 27},         {"gpSave", 28},
      {"gpCancel", 29},        {"gpClean", 30},          {"gpFill", 31},
      {"gpOptions", 32},       {"gpExit", 33},           {"btnTestar", 34},
  };
  return icons;
}

int EditorIconIndex(std::string_view buttonName) {
  for (const auto& [name, index] : EditorIcons()) {
    if (SameText(name, buttonName)) return index;
  }
  return -1;
}
