#include "app/Main.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include "app/Controls.h"
#include "app/DataCheck.h"
#include "app/StartTimings.h"
#include "board/Board.h"
#include "board/BoardCursor.h"
#include "board/LevelFile.h"
#include "data/DataManifest.h"
#include "editor/LevelEditor.h"
#include "engine/archive/ArchiveKey.h"
#include "engine/core/SafeFile.h"
#include "engine/render/Background.h"
#include "engine/render/ImageFile.h"
#include "engine/sprites/Sprite.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/FormKeys.h"
#include "platform/Audio.h"
#include "players/PlayerFiles.h"
#include "screens/Credits.h"
#include "screens/HiscoreScreen.h"
#include "screens/Menus.h"
#include "screens/PlayerForms.h"
#include "screens/StoryScreens.h"

namespace {
constexpr int kProgressMax = 69;

// The full-screen pictures of the screens after the logo: only their sizes
// are read at start-up, their pixels when first shown, or in a window by a
// background thread while the logo shows.
bool IsPictureDecodedLater(const std::string& name) {
  static const char* const kPictures[] = {"hiscore.image",  "mapa-correto.image", "credits.image",
                                          "zeradojogo.image", "open1-1.image",    "open1-2.image",
                                          "open-box.image", "dwatch.image",       "abertura.image"};
  for (const char* picture : kPictures)
    if (name == picture) return true;
  return false;
}

// Runs one loading step. Should it run out of memory (a file or a record far
// larger than any the game has), the step fails with a message naming what it
// was loading, instead of the program ending on an uncaught exception.
template <class Step>
bool LoadStep(const std::string& what, std::string& error, Step&& step) {
  try {
    return step();
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to load " + what + ".";
    return false;
  }
}
}  // namespace

std::unique_ptr<TGameSession> NewGameSession(plat::Platform& platform, const TLaunchOptions& options) {
  return std::make_unique<Tmain>(platform, options);
}

Tmain::Tmain(plat::Platform& platform, const TLaunchOptions& options)
    : TGameSession(platform, options) {
  if (Options.SaveHome.empty()) Options.SaveHome = Options.Home;
  // The form's component settings.
  Canopy.Width = 800;
  Canopy.Height = 600;
  Canopy.Windowed = true;
  Canopy.VSync = true;
  Canopy.BitDepth = bdHigh;
  Canopy.HardwareTL = false;
  Canopy.DepthBuffer = false;
  Canopy.OnInitialize = [this](TCanopyDevice&, bool& success) { CanopyInitialize(success); };
  Canopy.OnRender = [this](TCanopyDevice&) { CanopyRender(); };

  Canvas.AlphaTesting = true;
  Canvas.SetVertexCache(4096);
  Canvas.Antialias = false;
  Canvas.Dithering = false;
  Canvas.SetPublisher(&Canopy);

  Images.MipMappping = false;
  Images.OnCPDbLoad = [this](TCanopyImages&, const std::string& key, int, bool& accept, std::string& name,
                             TCanopyQuality& quality, TAlphaLevel& alpha) {
    ImagesCPDbLoad(key, accept, name, quality, alpha);
  };
  Images.DecodeWhenDrawn = IsPictureDecodedLater;
  // A picture decoded late whose record is damaged ends the game as a failed
  // start-up does: a line on standard error, no message box. (It is found
  // while the frame draws, so the device is left for shut-down to close.)
  Images.OnDecodeFailed = [this](const std::string& name, const std::string& error) {
    std::fprintf(stderr, "grovewright: cannot load the images from %s: %s: %s\n", CPDb1.FileName().c_str(),
                 name.c_str(), error.c_str());
    DeviceDead_ = true;
    ExitCode = 1;
    Close();
  };
  Images.SetPublisher(&Canopy);
  ImagesParticles.MipMappping = false;
  ImagesParticles.SetPublisher(&Canopy);
  Particles.Images = &ImagesParticles;
  Particles.Canvas = &Canvas;
  Particles.Random01 = [this] { return EffectRandom.NextDouble(); };
  Fonts.Canvas = &Canvas;
  Fonts.OnCPDbLoad = [this](TCanopyFonts&, const std::string&, int, bool&, std::string&) { FontsCPDbLoad(); };
  Fonts.SetPublisher(&Canopy);
  GuiBase1.Canvas = &Canvas;
  GuiBase1.Images = &Images;
  GuiBase1.Fonts = &Fonts;
  GuiBase1.ClipboardText = [this] { return ClipboardForGame(); };
  GuiBase1.SetPublisher(&Canopy);

  Timer.SetSpeed(120.0);
  Timer.SetMaxFPS(500);
  Timer.Enabled = false;
  if (TStartTimings::RequestedByEnvironment()) Timings_ = std::make_unique<TStartTimings>();
  Timer.OnTimer = [this] {
    if (!Timings_) return TimerTimer();
    const uint8_t before = ScreenState;
    const double began = TStartTimings::SinceStart();
    TimerTimer();
    Timings_->Frame(before, ScreenState, began, TStartTimings::SinceStart());
  };
  Timer.OnProcess = [this, musicAhead = std::string()]() mutable {
    if (Options.Ticks >= 0 && TotalTicks >= Options.Ticks) {
      Close();
      return;
    }
    // A level's tune is chosen when the level is set up and starts when play
    // begins: in a window it is read in the meantime, so its start costs no
    // frame.
    if (!Platform.Headless() && CurrentMusic != musicAhead) {
      musicAhead = CurrentMusic;
      if (!musicAhead.empty()) Sound.PrefetchMusic(musicAhead);
    }
    TimerProcess();
    if (Timings_ && TotalTicks == 0) Timings_->FirstTick();
    ++TotalTicks;
    ReplayTick();
    if (Options.Ticks >= 0 && TotalTicks >= Options.Ticks) Close();
  };

  aKeyboard.Foreground = true;
  aMouse.SetForeground(true);
  aMouse.SetBufferSize(256);
  aMouse.SetExclusive(false);
  aMouse.ClearOnUpdate = true;

  CPDb1.OpenMode = TCPDb::opReadOnly;
  CPDb2.OpenMode = TCPDb::opReadOnly;
  CanopyScreener1.FileName = "screen.jpg";
  CanopyScreener1.AutoInc = true;
  CanopyScreener1.Source = &platform.GetRenderer();
  ImageIndexes.fill(-1);

  // Each tune is read when it first plays, and only the last few played stay
  // in memory.
  Sound.LoadMusicWhenPlayed = true;
  Sound.ShowErrorHandler = [this](const std::string& text) { ShowError(text); };
  Sound.FatalErrorHandler = [this](const std::string& text) { ShowError(text); };
  // The player's options gate the music and the effects.
  Sound.MusicOn = [this] { return !Options.NoMusic && Player().MusicOn != 0; };
  Sound.SoundOn = [this] { return Player().SoundOn != 0; };

  Menus = std::make_unique<TMenus>(*this);
  Controls_ = std::make_unique<TControls>(*this);
  GuiBase1.Focus.FormButtons = FormKeyButtons;
  PlayerForms = std::make_unique<TPlayerForms>(*this);
  Story = std::make_unique<TStoryScreens>(*this);
  Credits = std::make_unique<TCredits>(*this);
  Hiscores = std::make_unique<THiscoreScreen>(*this);
  Editor = std::make_unique<TLevelEditor>(*this);

  // The session's one seed: the one asked for, or one drawn from the clock
  // now, which the session's replay keeps.
  if (!Options.Seed) {
    Options.Seed = static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                         std::chrono::system_clock::now().time_since_epoch().count());
  }
  StartRecording();
}

Tmain::~Tmain() {
  if (Created_) FormDestroy();
  // A replay played in a save folder of its own, which goes with it.
  if (!ReplaySaveHome_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(ReplaySaveHome_, ec);
  }
}

int Tmain::CentreOffset(int inner, int outer) { return outer / 2 - inner / 2; }

std::string Tmain::ProgramPath(const std::string& relative) const {
  if (Options.Home.empty()) return relative;
  return (std::filesystem::path(Options.Home) / relative).string();
}

std::string Tmain::SavePath(const std::string& relative) const {
  return (std::filesystem::path(Options.SaveHome) / relative).string();
}

std::string Tmain::PackHome(const std::string& pack) const {
  std::error_code ec;
  if (Options.SaveHome == Options.Home || std::filesystem::exists(PackFolder(Options.SaveHome, pack), ec))
    return Options.SaveHome;
  // A replay reads the campaign where the game keeps it; every other pack it
  // plays or edits is the copy in its own folder, so that nothing it writes
  // reaches the player's.
  if (Replaying() && pack != kStoryPackName) return Options.SaveHome;
  if (std::filesystem::exists(PackFolder(Options.Home, pack), ec)) return Options.Home;
  return Options.SaveHome;
}

void Tmain::ShowError(const std::string& text) { Platform.MessageBox("Grovewright", text, true); }

void Tmain::FatalError(const std::string& text) {
  // The device is shut down: nothing more can be drawn. Rather than leave a
  // dead window on screen, tell the player what happened and close.
  if (!text.empty()) ShowError(text);
  if (Canopy.Initialized()) Canopy.Finalize();
  DeviceDead_ = true;
  ExitCode = 1;
  Close();
}

void Tmain::AdvanceProgress() {
  if (Progress_ < 0) return;
  if (Progress_ < kProgressMax) ++Progress_;
  DrawProgress();
}

// The start-up panel is drawn in the main window itself before the first frame:
// a 348 x 290 panel centred on the picture with a 257 x 32 progress bar at
// (50, 247) inside it, out of 69 steps. The panel is the picture
// "Data/loading.png" (read before any archive), or plain boxes in its
// colours when that file cannot be read.
void Tmain::DrawProgress() {
  if (Platform.Headless()) return;  // nobody looks; keep headless start-up fast
  // Showing every step would wait for the display each time: a few updates a
  // second are plenty.
  plat::Clock& clock = Platform.GetClock();
  const uint64_t now = clock.Counter();
  if (ProgressShownAt_ != 0 && (now - ProgressShownAt_) * 1000 < clock.Frequency() * 40) return;
  ProgressShownAt_ = now;
  plat::Renderer& r = Platform.GetRenderer();
  if (!LoadingPanelTried_) {
    LoadingPanelTried_ = true;
    std::vector<uint8_t> bytes;
    std::string error;
    TBitmap32 panel;
    if (ReadSmallFile(ProgramPath("Data/loading.png"), 1 << 20, bytes, error) &&
        DecodeImageFile("loading.png", bytes.data(), bytes.size(), panel) && panel.Width == 348 &&
        panel.Height == 290) {
      LoadingPanel_ = r.CreateTexture(panel.Width, panel.Height);
      if (LoadingPanel_ && !r.UpdateTexture(LoadingPanel_, panel.Pixels.data(), panel.Width)) {
        r.DestroyTexture(LoadingPanel_);
        LoadingPanel_ = 0;
      }
    }
  }
  r.SetClip(nullptr);
  r.Clear(0xFF000000);
  auto rect = [&](float l, float t, float w, float h, uint32_t top, uint32_t bottom, plat::TextureId tex = 0) {
    plat::Vertex v[4] = {{l, t, top, 0, 0}, {l + w, t, top, 1, 0}, {l + w, t + h, bottom, 1, 1},
                         {l, t + h, bottom, 0, 1}};
    const int idx[6] = {0, 1, 3, 1, 2, 3};
    r.DrawTriangles(tex, v, 4, idx, 6, 1284);
  };
  const float left = static_cast<float>(CentreOffset(348, 800));
  const float top = static_cast<float>(CentreOffset(290, 600));
  if (LoadingPanel_) {
    rect(left, top, 348, 290, 0xFFFFFFFF, 0xFFFFFFFF, LoadingPanel_);
  } else {
    rect(left, top, 348, 290, 0xFF2A5C8A, 0xFF0E2A4A);           // the wooden frame (brown)
    rect(left + 8, top + 8, 332, 274, 0xFF1F4A24, 0xFF09200B);    // deep green board
    rect(left + 47, top + 244, 263, 38, 0xFF041A1A, 0xFF20406A);  // the groove
  }
  // The bar: lime over leaf green, lighter along its top edge.
  const float filled = 257.f * (Progress_ < 0 ? 0 : Progress_) / kProgressMax;
  if (filled > 0) {
    rect(left + 50, top + 247, filled, 32, 0xFF40E890, 0xFF109030);
    rect(left + 50, top + 249, filled, 6, 0x80C0FFE0, 0x00C0FFE0);
  }
  r.Present();
  if (Timings_) Timings_->Mark("panel");
}

bool Tmain::LoadMapPoints(std::string& error) {
  const std::string path = ProgramPath("data/mappoints.map");
  // Only a plain file of sensible size is read: a pipe would block the start
  // for ever.
  std::vector<uint8_t> bytes;
  std::string why;
  if (!ReadSmallFile(path, kMaxMapPointsFileBytes, bytes, why)) {
    error = "Cannot read the map points file " + path + ": " + why;
    return false;
  }
  if (!DecodeMapPoints(bytes.data(), bytes.size(), MapPoints, why)) {
    error = "The map points file " + path + " is " + why + ".";
    return false;
  }
  return true;
}

bool Tmain::FormCreate() {
  Created_ = true;
  // 1.
  RenderReady = false;
  ScreenTicks = IdleCheckTicks = BreakSoundThrottle = SortTicks = 0;
  // 2-3. The start panel, drawn in the main window.
  Progress_ = 0;
  if (!Platform.Headless()) Platform.ShowWindow();
  DrawProgress();
  AdvanceProgress();
  // 4.
  std::string error;
  if (!LoadStep(ProgramPath("data/mappoints.map"), error, [&] { return LoadMapPoints(error); }) ||
      !LoadStep(ProgramPath("data/credits.txt"), error,
                [&] { return Credits->Load(ProgramPath("data/credits.txt"), error); })) {
    ShowError(error);
    ExitCode = 1;
    return false;
  }
  // 5-8.
  FadeLevel = 255.0;
  Canopy.Width = 800;
  Canopy.Height = 600;
  StartDelay = 120;
  LevelPacks.clear();
  RelaxedMode = false;
  // 9. Centre the window on the desktop.
  int desktopW = 0, desktopH = 0;
  Platform.DesktopSize(desktopW, desktopH);
  Platform.SetWindowPosition(CentreOffset(800, desktopW), CentreOffset(600, desktopH));
  // 10-11.
  CPDb1.SetFileName(ProgramPath("Data/GameData.CPDB"));
  CPDb2.SetFileName(ProgramPath("Data/GameDataParticles.CPDB"));
  ApplyGameArchiveKey(CPDb1, CPDb2);
  // The fonts are read on a helper thread while the data is checked and the
  // sounds are loaded.
  std::vector<std::string> fonts;
  for (const TFontSpec& font : GameFonts()) fonts.emplace_back(font.Key);
  CPDb1.ReadAhead(fonts);
  // 12. One random generator, seeded once (the seed drawn from the clock when
  // none was given, Tmain's constructor).
  Random.Seed(*Options.Seed);
  EffectRandom.Seed(Random.State() ^ 0x9E3779B9u);
  // 13.
  AdvanceProgress();
  // 14. The sound manager, its music and samples. Headless runs never open an
  // audio device: every call still works and nothing is heard.
  // Without the archive at all, every music entry would report its own error
  // box before the first sample ends the program; one clear message is enough.
  // Every record the game needs is looked for now, so that a missing one is
  // named at once rather than showing up as an invisible piece or a wrong
  // picture.
  for (TCPDb* archive : {&CPDb1, &CPDb2}) {
    std::string memory;
    if (!LoadStep(archive->FileName(), memory, [&] { return archive->Open(); })) {
      Platform.HideWindow();
      ShowError("Cannot read the game data file " + archive->FileName() + ": " +
                (memory.empty() ? archive->LastError() : "not enough memory") + ". Please build or reinstall the game.");
      ExitCode = 1;
      return false;
    }
  }
  std::string missing = DataCheckMessage(CheckGameArchives(CPDb1, CPDb2), CPDb1.FileName(), CPDb2.FileName());
  // The particle settings are read now too: a file that cannot be used ends
  // the start, not the first match.
  if (missing.empty()) missing = ParticleSettingsMessage([this](const std::string& file) { return ProgramPath(file); });
  if (!missing.empty()) {
    Platform.HideWindow();
    ShowError(missing);
    ExitCode = 1;
    return false;
  }
  if (Platform.Headless()) plat::Audio_SetNoDevice(true);
  if (!LoadStep("the music and sounds of " + CPDb1.FileName(), error, [&] {
        Sound.StartUp(CPDb1);
        return true;
      })) {
    Platform.HideWindow();
    ShowError(error);
    ExitCode = 1;
    return false;
  }
  // 15-16.
  AdvanceProgress();
  RenderReady = false;
  // 17.
  if (!Canopy.Initialize()) {
    if (Progress_ >= 0 && DeviceDead_) {
      // CanopyInitialize failed to load data: it has ended the program already.
      Platform.HideWindow();
      return false;
    }
    Platform.HideWindow();
    FatalError("Device initialization error !");
    return false;
  }
  // 18.
  SpriteEngine().Canvas = &Canvas;
  SpriteEngine().Images = &Images;
  // 19-20.
  AdvanceProgress();
  LoadImageIndexes();
  // What writes cut off by a crash or a kill left in the save folder goes;
  // a folder nothing can be saved in is said once.
  RemoveStaleSaveTemporaries(Options.SaveHome);
  if (const std::string warning = SaveFolderWarning(Options.SaveHome); !warning.empty()) ShowError(warning);
  // 21. The last player and the options; the command line has the last word
  // on the window.
  if (!LoadStep(ConfigPath(Options.Home), error, [&] {
        LoadConfig();
        return true;
      })) {
    FatalError(error);
    return false;
  }
  if (Options.Windowed) SetFullScreen(false);
  if (Options.FullScreen) SetFullScreen(true);
  // 22-25.
  if (Timings_) Timings_->Mark("loaded");
  Progress_ = -1;
  if (LoadingPanel_) {
    Platform.GetRenderer().DestroyTexture(LoadingPanel_);
    LoadingPanel_ = 0;
  }
  Timer.Enabled = true;
  DebugOverlay = GamePaused = DialogOpen = HintShown = false;
  HintSwapCol = HintSwapRow = 0;
  if (!Options.Script.empty()) {
    try {
      Script_ = std::make_unique<TInputScript>(TInputScript::Load(Options.Script));
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "grovewright: not enough memory to load the script %s\n", Options.Script.c_str());
      ExitCode = 2;
      return false;
    } catch (const std::exception& ex) {
      std::fprintf(stderr, "grovewright: %s\n", ex.what());
      ExitCode = 2;
      return false;
    }
  }
  // The forms' buttons work from the first frame, also in a level started
  // from the command line.
  Menus->BindControls();
  ShowSplash();
  // While the logo shows, on other threads of low priority: the later
  // screens' pictures are decoded and the menu's picture and tune made ready
  // (unless --play skips the menu). Nobody sees a headless run: there each
  // waits until it is first needed.
  if (!Platform.Headless()) {
    Images.DecodeWaitingInBackground();
    if (!Options.Play) {
      Images.PrefetchPicture("mainscreen.jpg", CPDb1);
      Sound.PrefetchMusic("MainMenuMusic");
    }
  }
  if (Options.Play) {
    std::string playError;
    if (!StartPlay(playError)) {
      std::fprintf(stderr, "grovewright: %s\n", playError.c_str());
      ExitCode = 2;
      return false;
    }
  }
  return true;
}

void Tmain::CanopyInitialize(bool& success) {
  // Each step runs only if the previous one succeeded; a failure ends the
  // program without a message box (a line on standard error says why).
  auto fail = [&](const std::string& what) {
    std::fprintf(stderr, "grovewright: cannot load %s\n", what.c_str());
    DrawProgress();
    success = false;
    DeviceDead_ = true;
    ExitCode = 1;
  };
  // A step that runs out of memory fails like any other; the line says so.
  std::string error;
  auto why = [&](const std::string& reason) {
    if (!error.empty()) return std::string(": not enough memory");
    return reason.empty() ? std::string() : ": " + reason;
  };
  AdvanceProgress();
  if (!LoadStep(CPDb1.FileName(), error, [&] { return Fonts.LoadFromCPDb(CPDb1); }))
    return fail("the fonts from " + CPDb1.FileName() + why(CPDb1.LastError()));
  AdvanceProgress();
  if (!LoadStep(CPDb1.FileName(), error, [&] { return Images.LoadFromCPDb(CPDb1); }))
    return fail("the images from " + CPDb1.FileName() + why(Images.LastError()));
  AdvanceProgress();
  if (!LoadStep(CPDb2.FileName(), error, [&] { return ImagesParticles.LoadFromCPDb(CPDb2); }))
    return fail("the particle images from " + CPDb2.FileName() + why(ImagesParticles.LastError()));
  AdvanceProgress();
  const std::string layout = ProgramPath("data/interface.gui");
  if (!LoadStep(layout, error, [&] { return GuiBase1.LoadLayout(layout); }))
    return fail(error.empty() ? GuiBase1.LastError() : layout + why(""));
  success = true;
}

void Tmain::ImagesCPDbLoad(const std::string&, bool&, std::string& name, TCanopyQuality& quality,
                           TAlphaLevel& alphaLevel) {
  AdvanceProgress();
  static const char* const kOpaqueMedium[] = {"kestrava.image", "hiscore.image", "mapa-correto.image",
                                              "dwatch.image",   "open-box.image", "abertura.image",
                                              "zeradojogo.image"};
  for (const char* n : kOpaqueMedium) {
    if (name == n) {
      quality = aqMedium;
      alphaLevel = alNone;
      return;
    }
  }
  if (name == "open1-1.image" || name == "open1-2.image") {
    quality = aqHigh;
    alphaLevel = alNone;
    return;
  }
  quality = aqMedium;
  alphaLevel = alFull;
}

void Tmain::FontsCPDbLoad() { AdvanceProgress(); }

void Tmain::LoadImageIndexes() {
  static const char* const kNames[ciCount] = {
      "notyouclickhere.image", "mouse.image",       "level-complete.image", "tab-selection.image",
      "hint.image",            "icons.image",       "particles-arvanels.image", "cipo.image",
      "gui-tree.image",        "gui-fogo.image",    "gui-gota.image",       "gui-montanha.image",
      "marcador-final.image"};
  for (int i = 0; i < ciCount; ++i) ImageIndexes[i] = Images.IndexOf(kNames[i]);
}

void Tmain::FormDestroy() {
  if (Destroyed_) return;
  Destroyed_ = true;
  // The sound manager shuts down first, then the singletons, then the device.
  Sound.Shutdown();
  LevelPacks.clear();
  FreeMouse();
  FreeBoard();
  FreePlayer();
  FreeBackground();
  FreeSpriteEngine();
  FreeExplosions();
  Particles.Clear();
  if (Canopy.Initialized()) Canopy.Finalize();
}

TSpriteEngine& Tmain::SpriteEngine() {
  if (!SpriteEngine_) {
    SpriteEngine_ = std::make_unique<TSpriteEngine>();
    SpriteEngine_->Owner = this;
  }
  return *SpriteEngine_;
}

void Tmain::FreeSpriteEngine() {
  MenuFoliage = nullptr;
  CreditsSprites.fill(nullptr);
  SpriteEngine_.reset();
}

int Tmain::Run() {
  try {
    while (!Closing_) {
      if (Replay_)
        RunReplayFrame();
      else
        RunFrame();
    }
  } catch (...) {
    // An error nothing caught ends the program: the replay of the session
    // up to it is kept, to show how it came about.
    SaveSessionReplay();
    throw;
  }
  if (Replay_) return FinishReplay();
  SaveSessionReplay();
  return ExitCode;
}

void Tmain::RunFrame() {
  if (Platform.Headless()) {
    if (auto* clock = dynamic_cast<plat::VirtualClock*>(&Platform.GetClock())) clock->AdvanceFrame();
  }
  if (PendingRelease_) {
    plat::Event up;
    up.Type = plat::EventType::MouseUp;
    up.Button = 0;
    up.X = ScriptX_;
    up.Y = ScriptY_;
    SendEvent(up);
    PendingRelease_ = false;
  }
  RunScriptCommands();
  plat::Event e;
  while (!Closing_ && Platform.PollEvent(e)) DispatchEvent(e);
  if (Closing_) return;
  WatchFullScreen();
  Timer.Idle();
}

void Tmain::DispatchEvent(const plat::Event& e) {
  // Every input is recorded as the game takes it, before it acts (F9 saves a
  // replay that holds its own key).
  if (Recorder_) Recorder_->Input(TotalTicks, e);
  switch (e.Type) {
    case plat::EventType::Quit:
      Close();
      break;
    // The GUI sees the window's input first. A key it used (typing in an edit
    // field) does not reach the game's key handler; every typed character
    // still reaches the game, which plays the typing sound for it.
    case plat::EventType::KeyDown:
      aKeyboard.DeviceKey(e.Key, true);
      if (!GuiBase1.KeyDown(e.Key)) FormKeyDown(e.Key);
      break;
    case plat::EventType::KeyUp:
      aKeyboard.DeviceKey(e.Key, false);
      GuiBase1.KeyUp(e.Key);
      break;
    case plat::EventType::KeyChar: {
      const bool typed = GuiBase1.KeyPress(static_cast<char>(e.Char));
      FormKeyPress(e.Char, typed);
      break;
    }
    case plat::EventType::MouseDown:
    case plat::EventType::MouseUp:
      aMouse.DeviceMotion(e.X - LastMouseX_, e.Y - LastMouseY_);
      LastMouseX_ = e.X;
      LastMouseY_ = e.Y;
      aMouse.DeviceButton(e.Button, e.Type == plat::EventType::MouseDown);
      if (e.Type == plat::EventType::MouseDown)
        GuiBase1.MouseDown(e.Button, e.X, e.Y);
      else
        GuiBase1.MouseUp(e.Button, e.X, e.Y);
      break;
    case plat::EventType::MouseMove:
      aMouse.DeviceMotion(e.X - LastMouseX_, e.Y - LastMouseY_);
      // A mouse that moves puts away the keys' cursor and light.
      if (e.X != LastMouseX_ || e.Y != LastMouseY_) {
        if (Board_ && Board_->Cursor) Board_->Cursor->MouseMoved(e.X, e.Y);
        Menus->MenuKeyHide();
      }
      LastMouseX_ = e.X;
      LastMouseY_ = e.Y;
      GuiBase1.MouseMove(e.X, e.Y);
      break;
    case plat::EventType::PadDown:
    case plat::EventType::PadUp: {
      const auto button = static_cast<plat::PadButton>(e.Button);
      const bool down = e.Type == plat::EventType::PadDown;
      const bool was = aPad.Held(button);
      aPad.DeviceButton(button, down);
      if (down && !was) Controls_->PadDown(button);
      break;
    }
    case plat::EventType::PadAxis:
      aPad.DeviceAxis(static_cast<plat::PadAxis>(e.Button), e.X);
      break;
    case plat::EventType::PadAdded:
      break;
    case plat::EventType::PadRemoved:
      // The last pad gone: what it held is let go, through events the
      // replay keeps.
      if (Platform.PadCount() == 0) ReleasePad();
      break;
    case plat::EventType::RenderReset:
      Canopy.NotifyRenderTargetsReset();
      break;
    case plat::EventType::FocusLost:
    case plat::EventType::FocusGained: {
      const bool focused = e.Type == plat::EventType::FocusGained;
      aKeyboard.DeviceFocus(focused);
      aMouse.DeviceFocus(focused);
      if (!focused) ReleasePad();
      break;
    }
  }
}

void Tmain::RunScriptCommands() {
  if (!Script_) return;
  for (const TScriptCommand& c : Script_->TakeDue(TotalTicks)) RunScriptCommand(c);
}

bool Tmain::ScriptPictureDueBy(int64_t tick) const {
  // A replay takes no pictures.
  return Script_ && Script_->PictureDueBy(tick);
}

void Tmain::SendEvent(const plat::Event& e) {
  if (Replay_)
    DispatchEvent(e);
  else
    Platform.InjectEvent(e);
}

void Tmain::RunScriptCommand(const TScriptCommand& c) {
  plat::Event e;
  auto send = [&](plat::EventType type) {
    e.Type = type;
    SendEvent(e);
  };
  auto moveTo = [&](int x, int y) {
    e.X = ScriptX_ = x;  // where the next down/up lands
    e.Y = ScriptY_ = y;
    send(plat::EventType::MouseMove);
  };
  switch (c.Type) {
    case TScriptCommand::Mouse:
      moveTo(c.X, c.Y);
      break;
    case TScriptCommand::Click:
      moveTo(c.X, c.Y);
      send(plat::EventType::MouseDown);
      PendingRelease_ = true;
      break;
    case TScriptCommand::Tap:
      // The press and the release reach the game between the same two
      // frames, as a quick click or a touchpad tap does.
      moveTo(c.X, c.Y);
      send(plat::EventType::MouseDown);
      send(plat::EventType::MouseUp);
      break;
    case TScriptCommand::Down:
    case TScriptCommand::Up:
    case TScriptCommand::RightDown:
    case TScriptCommand::RightUp:
      // A press that names its point takes the cursor there with it, as a
      // window's press does.
      if (c.At) {
        ScriptX_ = c.X;
        ScriptY_ = c.Y;
      }
      e.Button = c.Button;
      e.X = ScriptX_;
      e.Y = ScriptY_;
      send(c.Type == TScriptCommand::Down || c.Type == TScriptCommand::RightDown ? plat::EventType::MouseDown
                                                                                 : plat::EventType::MouseUp);
      break;
    case TScriptCommand::Key:
    case TScriptCommand::KeyDown:
    case TScriptCommand::KeyUp:
      e.Key = c.Code;
      if (c.Type != TScriptCommand::KeyUp) send(plat::EventType::KeyDown);
      if (c.Type != TScriptCommand::KeyDown) send(plat::EventType::KeyUp);
      break;
    case TScriptCommand::Pad:
    case TScriptCommand::PadDown:
    case TScriptCommand::PadUp:
      e.Button = c.Code;
      if (c.Type != TScriptCommand::PadUp) send(plat::EventType::PadDown);
      if (c.Type != TScriptCommand::PadDown) send(plat::EventType::PadUp);
      break;
    case TScriptCommand::Axis:
      e.Button = c.Code;
      e.X = c.X;
      send(plat::EventType::PadAxis);
      break;
    case TScriptCommand::Char:
      e.Char = static_cast<unsigned char>(c.Code);
      send(plat::EventType::KeyChar);
      break;
    case TScriptCommand::TypeText:
      for (char ch : c.Text) {
        e.Char = static_cast<unsigned char>(ch);
        send(plat::EventType::KeyChar);
      }
      break;
    case TScriptCommand::Focus:
    case TScriptCommand::Blur:
      send(c.Type == TScriptCommand::Focus ? plat::EventType::FocusGained : plat::EventType::FocusLost);
      break;
    case TScriptCommand::Screenshot:
      if (!CanopyScreener1.CaptureTo(c.Text))
        std::fprintf(stderr, "grovewright: cannot save the screenshot %s\n", c.Text.c_str());
      break;
    case TScriptCommand::Dump:
      if (!WriteDump(c.Text)) std::fprintf(stderr, "grovewright: cannot write the dump %s\n", c.Text.c_str());
      break;
    case TScriptCommand::Quit:
      Close();
      break;
  }
}
