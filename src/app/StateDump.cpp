// The state dump of the input script: the game's state as JSON.
#include <string>
#include <vector>

#include "app/Main.h"
#include "automation/JsonWriter.h"
#include "board/Board.h"
#include "board/Mouse.h"
#include "engine/core/SafeFile.h"
#include "engine/gui/GuiLabel.h"
#include "layout/ControlNames.h"
#include "engine/particles/XParticleSystem.h"
#include "engine/render/Fonts.h"
#include "engine/sprites/SpriteEngine.h"
#include "screens/Credits.h"
#include "screens/HiscoreScreen.h"
#include "screens/HistorySprites.h"

std::string Tmain::DumpState() {
  TJsonWriter j;
  j.BeginObject();
  j.Value("tick", TotalTicks);
  j.Value("frame", TotalFrames);
  j.Value("screen_state", static_cast<int>(ScreenState));
  j.Value("screen_state_name", ScreenStateName(ScreenState));
  j.Value("screen_ticks", ScreenTicks);
  j.Value("paused", GamePaused);
  j.Value("dialog_open", DialogOpen);
  j.Value("hint_shown", HintShown);
  j.Value("start_delay", StartDelay);
  j.Value("relaxed", RelaxedMode);
  j.Value("mouse_x", MouseX);
  j.Value("mouse_y", MouseY);
  DumpBoardAndPlayer(j);
  DumpScreens(j);
  // The words of the labels on screen (a label and every form around it
  // visible), by name.
  j.BeginObject("labels");
  for (const TControlNameInfo& info : ControlNameTable()) {
    if (info.Kind != TGuiKind::Label) continue;
    const TGuiLabel* label = FindLabel(GuiBase1, info.Id);
    bool shown = label != nullptr;
    for (const TGuiControl* c = label; shown && c; c = c->Parent()) shown = c->Visible();
    if (shown) j.Value(info.Name, label->Text());
  }
  j.EndObject();
  j.BeginArray("audio_log");
  for (const std::string& entry : Sound.TakeAudioLog()) j.Value(nullptr, entry);
  j.EndArray();
  j.EndObject();
  return j.Text() + "\n";
}

bool Tmain::WriteDump(const std::string& path) {
  // Through a temporary file: a full disk leaves no cut-off dump behind.
  const std::string text = DumpState();
  std::string error;
  return WriteFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

// The story map, the story, the credits and the hiscore table, as the tests
// of those screens read them.
void Tmain::DumpScreens(TJsonWriter& j) {
  const THistorySprite* marker = nullptr;
  std::vector<const TCreditsText*> lines;
  std::vector<const THistoryText*> texts;
  if (SpriteEngine_) {
    for (const TSprite* sprite : SpriteEngine_->SpriteList) {
      if (sprite->Killed) continue;
      if (auto* m = dynamic_cast<const THistorySprite*>(sprite)) marker = m;
      if (auto* line = dynamic_cast<const TCreditsText*>(sprite); line && line->Visible) lines.push_back(line);
      if (auto* text = dynamic_cast<const THistoryText*>(sprite); text && text->Visible) texts.push_back(text);
    }
  }
  // The lines of the slide-show screens now shown, where they stand.
  j.BeginArray("screen_texts");
  for (const THistoryText* text : texts) {
    TCanopyFont* f = Fonts.Items(text->FontIndex);
    int w = 0;
    if (f) {
      const double scale = f->Scale;
      f->Scale = text->FontScale;
      w = f->TextWidth(text->Text);
      f->Scale = scale;
    }
    j.BeginObject();
    j.Value("text", text->Text);
    j.Value("x", static_cast<double>(text->X));
    j.Value("y", static_cast<double>(text->Y));
    j.Value("width", w);
    j.EndObject();
  }
  j.EndArray();
  j.BeginObject("map");
  j.Value("level", Board_ ? Board_->LevelNumber : 0);
  j.Value("marker_x", marker ? static_cast<double>(marker->X) : -1.0);
  j.Value("marker_y", marker ? static_cast<double>(marker->Y) : -1.0);
  j.Value("arrived", MapArrived);
  j.Value("start_requested", LevelStartRequested);
  j.Value("fade_level", FadeLevel);
  if (ScreenState == ssMap) {
    const TMapTitle title = MapTitleOf(*this);
    j.Value("title", title.Text);
    j.BeginArray("title_box");
    for (int v : {title.Box.Left, title.Box.Top, title.Box.Right, title.Box.Bottom}) j.Value(nullptr, v);
    j.EndArray();
  }
  j.EndObject();
  j.BeginObject("story");
  j.Value("seconds", ScreenState == ssStory ? ScreenTicks / 120 : 0);
  j.EndObject();
  j.BeginObject("credits");
  j.Value("running", CreditsRunning);
  // Every line has gone by: the roll says how to go on.
  j.Value("roll_over", Credits->RollOver());
  j.BeginArray("lines");
  for (const TCreditsText* line : lines) {
    j.BeginObject();
    j.Value("text", line->Text);
    j.Value("y", static_cast<double>(line->Y));
    j.EndObject();
  }
  j.EndArray();
  j.EndObject();
  j.BeginObject("hiscores");
  j.BeginArray("rows");
  for (const THiscoreEntry& entry :
       ScreenState == ssHiscores ? Hiscores->ShownRows() : std::vector<THiscoreEntry>{}) {
    j.BeginObject();
    j.Value("name", entry.Name);
    j.Value("score", entry.Score);
    j.EndObject();
  }
  j.EndArray();
  j.Value("new_rank", HasPlayer() ? Player().HiscoreRank : -1);
  j.EndObject();
  j.Value("explosions_added", Explosions_ ? Explosions_->Added : 0);
  // Live particle systems (bursts, flights and the cursor's trail) and their
  // particles, with the break particles of boxes.
  int systems = 0, live = 0;
  if (Explosions_) {
    systems += Explosions_->Count();
    live += Explosions_->LiveParticles();
  }
  if (HasSpriteEngine()) {
    for (const TSprite* s : SpriteEngine().SpriteList) {
      const auto* flight = dynamic_cast<const TMoveFromToEffect*>(s);
      if (flight && !flight->Killed && flight->Emitter) {
        ++systems;
        live += flight->Emitter->LiveCount();
      }
    }
  }
  if (Mouse_ && Mouse_->MagicTrail) {
    ++systems;
    live += Mouse_->MagicTrail->LiveCount();
  }
  j.BeginObject("particles");
  j.Value("systems", systems);
  j.Value("live", live);
  j.Value("break_particles", Particles.Count());
  j.EndObject();
  Magic().Dump(j);
}
