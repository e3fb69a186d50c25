// Screen changes of the game object: the logo, the main menu, and the
// full-screen picture they and the levels show.
#include <cstdio>

#include "app/Main.h"
#include "board/Mouse.h"
#include "engine/render/Background.h"
#include "engine/sprites/Sprite.h"
#include "engine/sprites/SpriteEngine.h"
#include "screens/HistorySprites.h"
#include "screens/MenuSprites.h"
#include "screens/Menus.h"
#include "screens/PlayerForms.h"

TBackground& Tmain::Background() {
  if (!Background_) {
    Background_ = std::make_unique<TBackground>();
    Background_->SetRenderer(&Platform.GetRenderer());
  }
  return *Background_;
}

void Tmain::FreeBackground() { Background_.reset(); }

bool Tmain::LoadBackground(const std::string& file, int width, int height) {
  TBitmap32 bitmap;
  if (!Images.LoadPicture(file, bitmap, CPDb1)) {
    // The old picture stays.
    FatalError("Cannot load image " + file + " from Data Files");
    return false;
  }
  FreeBackground();
  TBackground& picture = Background();
  picture.TextureSize = {bitmap.Width, bitmap.Height};
  picture.PatternSize = {width, height};
  picture.VisibleSize = {width, height};
  if (!picture.LoadFromBitmap(bitmap)) {
    FreeBackground();
    FatalError("Failed creating TCanopyImage from bitmap!");
    return false;
  }
  return true;
}

void Tmain::DrawBackground(bool stretched) {
  if (!Background_ || !Background_->Ready()) return;
  if (stretched)
    Canvas.StretchDraw(Background_.get(), TRect{0, 0, 800, 600}, 0, kBlendOpaque);
  else
    Canvas.Draw(Background_.get(), 0, 0, 0, kBlendOpaque);
}

void Tmain::ShowSplash() {
  ScreenState = ssSplash;
  // The studio's logo: fades in over two seconds, stays two, fades out in one.
  AddHistoryPicture(*this, "kestrava.image", 0, 2, 0, 1, ssSplash);
  AddHistoryPicture(*this, "kestrava.image", 2, 4, 1, 1, ssSplash);
  AddHistoryPicture(*this, "kestrava.image", 4, 5, 2, 1, ssSplash);
  ScreenTicks = 0;
}

void Tmain::ShowMainMenu() {
  ScreenTicks = 0;
  PlayGameMusic("MainMenuMusic", true);
  LoadBackground("mainscreen.jpg", 1024, 1024);
  if (!MenuFoliage) {
    MenuFoliage = new TMenuFoliage(&SpriteEngine());
    MenuFoliage->SetZ(10000000 - 1);  // just under the cursor
  }
  Menus->CreateButtons();
  Menus->BindControls();
  // The cursor's collision pass tells the buttons where the pointer is.
  Mouse();
  ScreenState = ssMainMenu;
  if (!Player().PlayerName.empty())
    LoadProgress();
  else
    PlayerForms->OpenCreatePlayer();
  aMouse.ClearOnUpdate = true;
  ScreenTicks = 0;
}

void Tmain::ClearMainMenu() {
  StopGameMusic("MainMenuMusic");
  if (MenuFoliage) {
    MenuFoliage->Dead();
    MenuFoliage = nullptr;
  }
  Menus->KillButtons();
  SpriteEngine().CollectDead();
  FreeBackground();
}
