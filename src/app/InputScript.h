// Input scripts drive the game for tests and automation: one command a line,
// "TICK COMMAND ARGS", run at the start of the first frame whose tick count has
// reached TICK, in file order.
//
//   0 mouse 400 300        move the cursor
//   10 down / 12 up        left button at the cursor
//   20 click 225 405       move, press, and release on the next frame
//   22 tap 225 405         move, press and release all in this frame (a
//                          quick click or a touchpad tap)
//   30 key 27              a key by virtual-key code (or a name: Escape, F12, ...)
//   40 char p              a typed character; 41 text "Ann Lee" types a string
//   50 screenshot a.png    save the last presented picture
//   60 dump state.json     write the game state as JSON
//   70 quit
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TScriptCommand {
  enum Kind { Mouse, Down, Up, Click, Key, Char, TypeText, Screenshot, Dump, Quit, RightDown, RightUp, Tap };
  int64_t Tick = 0;
  Kind Type = Quit;
  int X = 0, Y = 0;
  int Code = 0;
  std::string Text;
  int Line = 0;
};

class TInputScript {
 public:
  // Parses a script; throws DataError naming the file and line of a bad command.
  static TInputScript Load(const std::string& path);
  static TInputScript Parse(const std::string& text, const std::string& name);

  // The commands due at this tick count, in file order; each is returned once.
  std::vector<TScriptCommand> TakeDue(int64_t tick);
  bool Finished() const { return Next_ >= Commands.size(); }
  // True when a pending command by this tick reads the picture (a screenshot,
  // or the F12 key).
  bool PictureDueBy(int64_t tick) const;

  std::vector<TScriptCommand> Commands;

 private:
  size_t Next_ = 0;
};

// Virtual-key code for a key name ("Escape", "F12", "A", "Left", ...); -1 if unknown.
int KeyCodeFromName(const std::string& name);
