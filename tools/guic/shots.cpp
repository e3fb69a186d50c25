// guic shots: draws every form of the layout on its own over the main menu
// picture, headless, and saves each as docs/screenshots/gui-<form>.png. The
// forms are placed where the game places them and filled with sample values.
#include "shots.h"

#include <cmath>
#include <iostream>

#include "layout/ControlNames.h"
#include "data/DataManifest.h"
#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/render/Canvas.h"
#include "engine/render/Device.h"
#include "engine/render/Fonts.h"
#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiGauge.h"
#include "engine/gui/GuiLabel.h"
#include "engine/gui/GuiListBox.h"
#include "engine/render/ImageFile.h"
#include "engine/render/Images.h"
#include "engine/input/Screener.h"
#include "platform/Platform.h"

namespace {

using N = TControlName;

struct Scene {
  TGuiBase& Gui;
  TCanopyCanvas& Canvas;
  TCanopyImages& Images;
  TCanopyImage& Picture;

  TGuiLabel* Label(N n) { return FindLabel(Gui, n); }
  void Text(N n, const std::string& s) {
    if (TGuiLabel* l = FindLabel(Gui, n)) l->SetText(s);
    if (TGuiEdit* e = FindEdit(Gui, n)) e->SetText(s);
  }
  void Colors(N n, TColor top, TColor bottom) {
    if (TGuiLabel* l = Label(n)) l->Font.SetColors(top, bottom);
  }
  void Check(N n, bool on) {
    if (TGuiCheckBox* c = FindCheckBox(Gui, n)) c->SetChecked(on);
  }
  void Items(N n, std::vector<std::string> items, int selected) {
    if (TGuiListBox* l = FindListBox(Gui, n)) {
      l->SetItems(std::move(items));
      l->SetItemIndex(selected);
    }
  }
  TGuiForm* Show(N n, int left, int top) {
    TGuiForm* f = FindForm(Gui, n);
    if (!f) return nullptr;
    f->SetVisible(true);
    f->SetBound(0, left);
    f->SetBound(1, top);
    f->SetFocus(true);
    return f;
  }
  TGuiForm* Centre(N n, int dx = 0) {
    TGuiForm* f = FindForm(Gui, n);
    if (!f) return nullptr;
    return Show(n, static_cast<int>(std::ceil(400 - f->Width() / 2.0)) + dx,
                static_cast<int>(std::ceil(300 - f->Height() / 2.0)));
  }
};

// Fills the form with what the game would show and places it as the game does.
void Prepare(Scene& s, N form) {
  switch (form) {
    case N::GameOptions:
      s.Centre(form, 100);
      s.Check(N::CbxIngameMusic, true);
      s.Check(N::CbxSound, true);
      break;
    case N::formContinue: s.Show(form, 280, 100); break;
    case N::fmLevelPacks:
      s.Show(form, 280, 100);
      s.Items(N::LevelPacksList, {"Game Levels - 110 Levels", "Forest Trials - 12 Levels", "Night Garden - 7 Levels"}, 0);
      break;
    case N::QuitMenu: s.Centre(form); break;
    case N::CreateNewPlayer:
      s.Centre(form, 100);
      s.Text(N::newPlayerName, "Rowan");
      FindEdit(s.Gui, N::newPlayerName)->SetFocus(true);
      break;
    case N::SelectPlayer:
      s.Centre(form, 100);
      s.Items(N::ListBoxPlayers, {"Aline", "Bruno", "Grove Keeper", "Rowan"}, 2);
      break;
    case N::formRemoveConfirmation:
      s.Centre(form, 100);
      s.Text(N::removePlayerName, "Bruno");
      break;
    case N::HelpGUI: {
      TGuiForm* f = FindForm(s.Gui, form);
      s.Show(form, 100, 405 - f->Height() - 30);
      s.Text(N::HelpText, "Create Matches of 3 in a row by clicking on adjacent pieces to swap them.");
      for (int i = 0; i < 400; ++i) s.Gui.Update();
      break;
    }
    case N::formNextLevel:
      s.Centre(form);
      s.Text(N::nlTime, "0");
      s.Text(N::nlMana, "0");
      s.Text(N::nlBonusPoints, "6950");
      s.Text(N::nlScore, "48250");
      s.Text(N::nlLives, "3");
      s.Colors(N::nlTime, 0xFD00FEFE, 0xFD40D0FF);
      s.Colors(N::nlMana, 0xFD00FEFE, 0xFD40D0FF);
      s.Colors(N::nlBonusPoints, 0xFD00FEFE, 0xFD40D0FF);
      s.Colors(N::nlScore, 0xFFFFFFFF, 0xFFFFFFFF);
      break;
    case N::LevelTestCompleted: {
      TGuiForm* result = FindForm(s.Gui, N::formNextLevel);
      s.Show(form, 400 - result->Width() / 2, 300 - result->Height() / 2);
      s.Text(N::ltTime, "00:02:00");
      s.Text(N::ltTimeToComplete, "00:01:14");
      s.Text(N::ltTimeRemain, "00:00:46");
      break;
    }
    case N::formTimeOver:
      s.Centre(form);
      s.Text(N::LevelTime, "00:02:00");
      break;
    case N::formLevelEditorSelect:
      s.Centre(form);
      s.Items(N::LevelList, {"Forest Trials - 12 Levels", "Night Garden - 7 Levels"}, 0);
      s.Text(N::newName, "");
      break;
    case N::BoardOperations: {
      s.Show(form, 0, 515);
      s.Text(N::gpLevel, "Level 3/12");
      s.Text(N::LevelStatus, "Tested Ok");
      s.Colors(N::LevelStatus, 0xFFFF0000, 0xFFFF0000);
      FindButton(s.Gui, N::gpPrior)->SetEnabled(true);
      FindButton(s.Gui, N::gpSave)->SetEnabled(false);
      FindButton(s.Gui, N::gpCancel)->SetEnabled(false);
      FindButton(s.Gui, N::btnSpritePearl)->SetEnabled(false);
      FindButton(s.Gui, N::btnSpriteBook)->SetEnabled(false);
      int icons = GameImageIndex("icons.image");
      FindPaint(s.Gui, N::PaintSelection)->OnPaint = [&s, icons](TGuiPaint&, const TRect& r) {
        if (TCanopyImage* image = s.Images.Items(icons))
          s.Canvas.StretchDraw(image, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, 2, kBlendAlpha);
      };
      break;
    }
    case N::formLevelOptions: {
      TGuiForm* f = FindForm(s.Gui, form);
      s.Show(form, 400 - f->Width() / 2, 400 - f->Height() / 2);
      s.Text(N::loLevelTime, "150");
      s.Text(N::loMaxCaveiras, "3");
      s.Text(N::loBackGround, "4");
      for (N n : {N::LsTree, N::LsGota, N::LsFire, N::LsRed, N::LsCristal}) s.Check(n, true);
      FindPaint(s.Gui, N::Paint1)->OnPaint = [&s](TGuiPaint&, const TRect& r) {
        s.Canvas.StretchDraw(&s.Picture, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, 0, kBlendOpaque);
      };
      FindEdit(s.Gui, N::loLevelTime)->SetFocus(true);
      break;
    }
    case N::formConfirmation: {
      TGuiForm* f = FindForm(s.Gui, form);
      s.Show(form, 400 - f->Width() / 2, 300 - f->Width() / 2);
      s.Text(N::Message, "Are you sure you want to clean this level?");
      break;
    }
    case N::formGotoLevel:
      s.Centre(form);
      s.Text(N::GotoLevel, "7");
      FindEdit(s.Gui, N::GotoLevel)->SetFocus(true);
      break;
    case N::QuitLevelEditor: s.Centre(form); break;
    default: break;
  }
}

}  // namespace

int RunShots(const std::string& buildDir, const std::string& outDir) {
  std::string error;
  plat::PlatformOptions options;
  options.Headless = true;
  auto platform = plat::Platform::Create(options, error);
  if (!platform) {
    std::cerr << "guic: " << error << "\n";
    return 1;
  }
  plat::Renderer& renderer = platform->GetRenderer();
  TCanopyDevice device(&renderer);
  device.Width = 800;
  device.Height = 600;
  TCanopyCanvas canvas;
  TCanopyImages images;
  TCanopyFonts fonts;
  canvas.SetPublisher(&device);
  images.SetPublisher(&device);
  fonts.SetPublisher(&device);
  fonts.Canvas = &canvas;
  canvas.Antialias = false;
  if (!device.Initialize()) {
    std::cerr << "guic: the device does not start\n";
    return 1;
  }
  TCPDb archive, particles;
  archive.OpenMode = particles.OpenMode = TCPDb::opReadOnly;
  archive.SetFileName(buildDir + "/Data/GameData.CPDB");
  particles.SetFileName(buildDir + "/Data/GameDataParticles.CPDB");
  ApplyGameArchiveKey(archive, particles);
  if (!fonts.LoadFromCPDb(archive) || !images.LoadFromCPDb(archive)) {
    std::cerr << "guic: cannot load the fonts and images of " << archive.FileName() << "\n";
    return 1;
  }
  TCanopyImage picture;
  picture.SetRenderer(&renderer);
  TBitmap32 bitmap;
  if (LoadBitmap("mainscreen.jpg", bitmap, archive)) {
    picture.PatternSize = picture.VisibleSize = {bitmap.Width, bitmap.Height};
    picture.TextureSize = {bitmap.Width, bitmap.Height};
    picture.PatternCount = 1;
    picture.LoadFromBitmap(bitmap);
  }

  TGuiBase gui;
  gui.Canvas = &canvas;
  gui.Images = &images;
  gui.Fonts = &fonts;
  if (!gui.LoadLayout(buildDir + "/data/interface.gui")) {
    std::cerr << "guic: " << gui.LastError() << "\n";
    return 1;
  }
  Scene scene{gui, canvas, images, picture};
  TCanopyScreener screener;
  screener.Source = &renderer;
  int saved = 0;
  for (const TControlNameInfo& info : ControlNameTable()) {
    if (info.Kind != TGuiKind::Form) continue;
    for (int i = 0; i < gui.Root().ChildCount(); ++i) gui.Root().Child(i)->SetVisible(false);
    Prepare(scene, info.Id);
    TGuiForm* form = FindForm(gui, info.Id);
    device.OnRender = [&](TCanopyDevice&) {
      canvas.Draw(&picture, 0, 0, 0, kBlendOpaque);
      gui.Draw(800, 600);
      if (info.Id == N::HelpGUI && form) {
        // The pointer the game draws from the bubble to the spot it explains.
        TRect r = form->ScreenRect();
        float mid = static_cast<float>(r.Left + r.Right - form->ShadowSize) / 2;
        float bottom = static_cast<float>(r.Bottom - form->ShadowSize);
        canvas.FillTriangle(0x8700FBFB, kBlendAlpha, {225, 405}, {mid - 25, bottom}, {mid + 25, bottom});
      }
    };
    device.Render(0xFF000000, true);
    device.Present();
    std::string path = outDir + "/gui-" + info.Name + ".png";
    if (!screener.CaptureTo(path)) {
      std::cerr << "guic: cannot save " << path << "\n";
      return 1;
    }
    ++saved;
  }
  std::cout << "saved " << saved << " screenshots in " << outDir << "\n";
  return 0;
}
