// The engine components that the game object owns (device, canvas, timer,
// image and font lists, particles, the GUI root, keyboard and mouse), the
// platform they run on, the sprite engine singleton and the cached indexes of
// the images that play draws most. Sprites of the game reach these through
// the sprite engine's owner.
#pragma once

#include <array>

#include "engine/gui/GuiBase.h"
#include "engine/input/Input.h"
#include "engine/input/Pad.h"
#include "engine/input/Timer.h"
#include "engine/particles/CanopyParticles.h"
#include "engine/render/Canvas.h"
#include "engine/render/Device.h"
#include "engine/render/Fonts.h"
#include "engine/render/Images.h"
#include "engine/sprites/SpriteEngine.h"
#include "platform/Platform.h"

class TSprite;

// Indices of the image-index cache, in the order they are looked up.
enum TCachedImage {
  ciNotYouClickHere, ciMouse, ciLevelComplete, ciTabSelection, ciHint, ciIcons, ciParticlesArvanels,
  ciCipo, ciGuiTree, ciGuiFogo, ciGuiGota, ciGuiMontanha, ciMarcadorFinal, ciCount
};

class TEngineParts : public TSpriteEngineOwner {
 public:
  explicit TEngineParts(plat::Platform& platform)
      : Platform(platform), Canopy(&platform.GetRenderer()), Timer(platform.GetClock()) {}
  TEngineParts(const TEngineParts&) = delete;
  TEngineParts& operator=(const TEngineParts&) = delete;

  // The sprite engine: created on first use; freeing clears the reference so
  // the next use creates a fresh one.
  virtual TSpriteEngine& SpriteEngine() = 0;
  virtual bool HasSpriteEngine() const = 0;
  // A singleton sprite (the board, the cursor) is being freed by the engine.
  virtual void SpriteSingletonGone(const TSprite* sprite) = 0;

  plat::Platform& Platform;
  TCanopyDevice Canopy;
  TCanopyCanvas Canvas;
  TCanopyTimer Timer;
  TCanopyImages Images;
  TCanopyImages ImagesParticles;
  // The break particles of boxes: splinters and chips.
  TCanopyParticles Particles;
  TCanopyFonts Fonts;
  TGuiBase GuiBase1;
  TCanopyKeyboard aKeyboard;
  TCanopyMouse aMouse;
  TCanopyPad aPad;
  std::array<int, ciCount> ImageIndexes{};

 protected:
  ~TEngineParts() override = default;
};

// The milliseconds of one process tick, the step particle systems advance by.
int ParticleStepMs(const TEngineParts& engine);
