// What every part of play may ask of the game object: its engine parts and
// sprite engine, the game-wide state, the random sources, sound, the player,
// and the game's files and errors. Each is a small interface of its own (see
// the headers included here), so that a part needing one of them takes only
// that one. The interfaces of the floors above (the board's, the magic's, the
// editor's, the screens') widen this one by what their floor needs.
#pragma once

#include "services/EngineParts.h"
#include "services/GameFiles.h"
#include "services/GameSound.h"
#include "services/GameState.h"
#include "services/PlayerAccess.h"
#include "services/RandomSources.h"

class TGameServices : public TEngineParts,
                      public TGameState,
                      public TRandomSources,
                      public TGameSound,
                      public TPlayerAccess,
                      public TGameFiles {
 public:
  using TEngineParts::TEngineParts;

 protected:
  ~TGameServices() override = default;
};
