#include "magic/Effects.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "board/Board.h"
#include "board/GameSprite.h"
#include "engine/render/Fonts.h"
#include "engine/sprites/SpriteEngine.h"
#include "magic/Magic.h"
#include "magic/MagicHost.h"

namespace {

const char* const kExplosionFiles[12] = {
    "gota-spark",   "book-spark",  "fire-spark",          "green-spark",       "red-spark",        "black-spark",
    "pearl-spark",  "cristal-spark", "spawn-spark",       "map-explosion-spark", "forcefield-orange", "forcefield-blue",
};
const char* const kFlightFiles[8] = {
    "managreen",        "manablue",        "manayellow",        "manared",
    "magic-green-ball", "magic-blue-ball", "magic-yellow-ball", "magic-red-ball",
};
}  // namespace

TPotCentre PotCentre(int element) {
  switch (element) {
    case 1: return {412, 537};
    case 2: return {412, 572};
    case 3: return {382, 555};
    case 4: return {441, 555};
    default: return {0, 0};
  }
}

std::string ExplosionSettingsFile(int type) {
  if (type < 1 || type > 12) return "";
  return std::string("Data/") + kExplosionFiles[type - 1] + ".pss";
}

std::string FlightSettingsFile(int type) {
  if (type < 1 || type > 8) return "";
  return std::string("Data/") + kFlightFiles[type - 1] + ".pss";
}

std::string TrailSettingsFile(int element) {
  static const char* const kTrailFiles[4] = {"magic-green", "magic-blue", "magic-yellow", "magic-red"};
  return std::string("Data/") + kTrailFiles[element >= 1 && element <= 4 ? element - 1 : 0] + ".pss";
}

std::vector<std::string> ParticleSettingsFiles() {
  std::vector<std::string> files;
  for (int type = 1; type <= 12; ++type) files.push_back(ExplosionSettingsFile(type));
  for (int type = 1; type <= 8; ++type) files.push_back(FlightSettingsFile(type));
  for (int element = 1; element <= 4; ++element) files.push_back(TrailSettingsFile(element));
  return files;
}

std::unique_ptr<TXParticleSystem> TParticleSettingsCache::Make(const std::string& file) {
  if (!Game_.Canopy.Initialized() || file.empty()) return nullptr;
  auto system = std::make_unique<TXParticleSystem>();
  auto known = Loaded_.find(file);
  if (known != Loaded_.end()) {
    system->Settings = known->second;
  } else {
    if (!system->LoadSettings(Game_.ProgramPath(file))) {
      Game_.FatalError("Unable to load ParticleSystem settings: " + file);
      return nullptr;
    }
    Loaded_.emplace(file, system->Settings);
  }
  system->Image = Game_.Images.Items(Game_.ImageIndexes[ciParticlesArvanels]);
  const TPoint2 origin{0, 0};
  system->AddShapePoints(&origin, 0);
  return system;
}

void TParticleExplosions::Add(int type, float x, float y) {
  ++Added;
  LastType = type;
  if (static_cast<int>(Explosions.size()) >= kMaxBursts) return;
  try {
    std::unique_ptr<TXParticleSystem> burst = Settings.Make(ExplosionSettingsFile(type));
    if (!burst) return;
    if (burst->Settings.Lifetime <= -0.9f) burst->Settings.Lifetime = kMaxPssLifetime;
    burst->FireAt(x, y);
    Explosions.push_back(std::move(burst));
  } catch (const std::exception&) {
    // A burst that cannot be built costs only itself.
  }
}

void TParticleExplosions::Update() {
  const int dt = ParticleStepMs(Game_);
  // The bursts share one budget of live particles.
  int live = LiveParticles();
  for (auto& burst : Explosions) {
    const int before = burst->LiveCount();
    burst->Update(dt, std::max(0, kMaxLiveParticles - live));
    live += burst->LiveCount() - before;
  }
  // A burst is spent once its emitter has stopped (-2; an endless one holds
  // -1, a running one its time) and its last particle has died.
  std::erase_if(Explosions, [](const std::unique_ptr<TXParticleSystem>& b) {
    return b->LiveCount() == 0 && b->EmitterTimer() < 1.9f;
  });
}

void TParticleExplosions::DrawAll() {
  for (auto& burst : Explosions) {
    if (burst->LiveCount() > 0) burst->Render(Game_.Canvas);
  }
}

int TParticleExplosions::LiveParticles() const {
  int n = 0;
  for (const auto& burst : Explosions) n += burst->LiveCount();
  return n;
}

TMoveFromToEffect::TMoveFromToEffect(TSpriteEngine* engine, int effectType) : TSprite(engine) {
  EffectType = effectType;
  SetImageName("zzzzzzz");  // no image carries this name: the sprite itself draws nothing
  SetZ(kInGameBarZ + 10);
  TargetCol = TargetRow = 0;
  if (TMagicHost* game = MagicHostOf(engine)) {
    game->Magic().Bar();  // flights belong to the bar's screen; make sure it stands
    Emitter = game->Explosions().Settings.Make(FlightSettingsFile(effectType));
  }
  LingerTicks = 0;
}

TMoveFromToEffect::~TMoveFromToEffect() {
  if (Emitter) Emitter->Stop(true);
}

void TMoveFromToEffect::Move(float step) {
  TSprite::Move(step);
  TMagicHost* game = MagicHostOf(Engine);
  if (!game || Killed) return;
  if (game->DialogOpen || game->HintShown) return;  // stands still under a dialog or a hint
  // Leaving play drops the flight without its work.
  const bool leaving = !IsPlayState(game->ScreenState);
  if (leaving) Dead();
  if (!leaving) {
    ++StepIndex;
    if (StepIndex <= StepCount) {
      const double span = StepCount > 1 ? StepCount - 1 : 1;
      SetX(static_cast<float>(StartX + (EndX - StartX) * StepIndex / span));
      SetY(static_cast<float>(StartY + (EndY - StartY) * StepIndex / span));
    } else {
      ++LingerTicks;
      if (LingerTicks > 36 || TargetCol > 0 || TargetRow > 0) {
        Dead();
        Arrive();
      }
    }
  }
  if (Emitter) {
    Emitter->Update(ParticleStepMs(*game));
    Emitter->FireAt(X, Y);
  }
}

void TMoveFromToEffect::Arrive() {
  TMagicHost& game = *MagicHostOf(Engine);
  if (TargetCol > 0 || TargetRow > 0) {
    if (TBoard* board = game.BoardIfAny()) {
      if (TGameSprite* piece = board->PieceAt(TargetCol, TargetRow)) piece->HitBySpell();
    }
    TargetCol = TargetRow = 0;
    return;
  }
  game.Magic().ManaArrived(EffectType, X, Y);
}

void TMoveFromToEffect::Draw() {
  TMagicHost* game = MagicHostOf(Engine);
  if (!game || game->DialogOpen || game->HintShown || !Emitter) return;
  Emitter->Render(game->Canvas);
}

namespace {
TMoveFromToEffect* Launch(TMagicHost& game, int type, double x0, double y0, double x1, double y1, int steps) {
  auto* flight = new TMoveFromToEffect(&game.SpriteEngine(), type);
  flight->StartX = x0;
  flight->StartY = y0;
  flight->EndX = x1;
  flight->EndY = y1;
  flight->StepCount = steps;
  flight->StepIndex = 0;
  flight->SetX(static_cast<float>(x0));
  flight->SetY(static_cast<float>(y0));
  return flight;
}
}  // namespace

TMoveFromToEffect* LaunchManaFlight(TMagicHost& game, int element, double x, double y) {
  const TPotCentre end = PotCentre(element);
  TMoveFromToEffect* flight = Launch(game, element, x, y, end.X, end.Y, kManaFlightSteps);
  flight->SetZ(kInGameBarZ + 100);
  return flight;
}

TMoveFromToEffect* LaunchSpellFlight(TMagicHost& game, int element, int col, int row, double x, double y) {
  const TPotCentre start = PotCentre(element);
  TMoveFromToEffect* ball = Launch(game, element + 4, start.X, start.Y, x + 15.0, y + 15.0, kSpellBallSteps);
  ball->TargetCol = col;
  ball->TargetRow = row;
  return ball;
}
