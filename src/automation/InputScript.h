// Input scripts drive the game for tests and automation: one command a line,
// "TICK COMMAND ARGS", run at the start of the first frame whose tick count has
// reached TICK, in file order.
//
//   0 mouse 400 300        move the cursor
//   10 down / 12 up        left button at the cursor
//   14 down 225 405        ... or at a point (the cursor goes there); a third
//                          value names another button (1 right, 2 middle)
//   16 rdown / 18 rup      the right button
//   20 click 225 405       move, press, and release on the next frame
//   22 tap 225 405         move, press and release all in this frame (a
//                          quick click or a touchpad tap)
//   30 key 27              a key by virtual-key code (or a name: Escape, F12, ...)
//   32 keydown A / keyup A a key pressed, or let go, on its own
//   40 char p              a typed character; 41 text "Ann Lee" types a string
//   34 pad A               a game-controller button pressed and let go (A B X Y
//                          LB RB Start Back Guide LeftStick RightStick Up Down
//                          Left Right); 35 paddown Up / 36 padup Up
//   37 axis LeftX -32768   a controller axis (LeftX LeftY RightX RightY LT RT)
//                          moved to a value in -32768..32767
//   44 blur / 46 focus     the window loses, or regains, the keyboard and mouse
//   50 screenshot a.png    save the last presented picture
//   60 dump state.json     write the game state as JSON
//   70 quit
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DataNode;

struct TScriptCommand {
  enum Kind {
    Mouse, Down, Up, Click, Key, Char, TypeText, Screenshot, Dump, Quit, RightDown, RightUp, Tap,
    KeyDown, KeyUp, Focus, Blur, Pad, PadDown, PadUp, Axis
  };
  int64_t Tick = 0;
  Kind Type = Quit;
  int X = 0, Y = 0;
  bool At = false;  // a press or release that names its point
  int Button = 0;   // the button of Down and Up (RightDown and RightUp: 1)
  int Code = 0;     // a key, a character, a pad button or a pad axis
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

// One command line without its tick; throws DataError naming the file and
// line. Replays share the commands of the script.
TScriptCommand ParseScriptCommand(const DataNode& node);

// Virtual-key code for a key name ("Escape", "F12", "A", "Left", ...); -1 if unknown.
int KeyCodeFromName(const std::string& name);
// The name a script gives a key ("Escape", "F9", "A"), or its code as a
// number when it has no name; KeyCodeFromName reads either back.
std::string KeyNameOf(int code);
