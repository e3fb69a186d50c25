// The state dump of the input script: the game's state as JSON.
#include <fstream>

#include "app/JsonWriter.h"
#include "app/Main.h"

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
  j.BeginArray("audio_log");
  for (const std::string& entry : Sound.TakeAudioLog()) j.Value(nullptr, entry);
  j.EndArray();
  j.EndObject();
  return j.Text() + "\n";
}

bool Tmain::WriteDump(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << DumpState();
  return static_cast<bool>(out);
}
