#include "automation/InputScript.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "engine/core/DataFile.h"
#include "platform/Platform.h"

int KeyCodeFromName(const std::string& name) {
  std::string n = name;
  std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return std::tolower(c); });
  struct Named {
    const char* Name;
    int Code;
  };
  static const Named kNames[] = {
      {"backspace", plat::vkBack}, {"tab", plat::vkTab},      {"return", plat::vkReturn},
      {"enter", plat::vkReturn},   {"escape", plat::vkEscape}, {"esc", plat::vkEscape},
      {"space", plat::vkSpace},    {"pageup", plat::vkPrior},  {"pagedown", plat::vkNext},
      {"end", plat::vkEnd},        {"home", plat::vkHome},     {"left", plat::vkLeft},
      {"up", plat::vkUp},          {"right", plat::vkRight},   {"down", plat::vkDown},
      {"insert", plat::vkInsert},  {"delete", plat::vkDelete}, {"shift", plat::vkShift},
      {"control", plat::vkControl}};
  for (const Named& k : kNames)
    if (n == k.Name) return k.Code;
  if (n.size() >= 2 && n.size() <= 3 && n[0] == 'f' && std::all_of(n.begin() + 1, n.end(), ::isdigit)) {
    const int f = std::stoi(n.substr(1));
    if (f >= 1 && f <= 12) return plat::vkF1 + f - 1;
  }
  if (n.size() == 1 && std::isalnum(static_cast<unsigned char>(n[0])))
    return std::toupper(static_cast<unsigned char>(n[0]));
  return -1;
}

std::string KeyNameOf(int code) {
  static const std::pair<int, const char*> kNames[] = {
      {plat::vkBack, "Backspace"}, {plat::vkTab, "Tab"},       {plat::vkReturn, "Return"}, {plat::vkEscape, "Escape"},
      {plat::vkSpace, "Space"},    {plat::vkPrior, "PageUp"},  {plat::vkNext, "PageDown"}, {plat::vkEnd, "End"},
      {plat::vkHome, "Home"},      {plat::vkLeft, "Left"},     {plat::vkUp, "Up"},         {plat::vkRight, "Right"},
      {plat::vkDown, "Down"},      {plat::vkInsert, "Insert"}, {plat::vkDelete, "Delete"}, {plat::vkShift, "Shift"},
      {plat::vkControl, "Control"}};
  for (const auto& [c, name] : kNames)
    if (c == code) return name;
  if (code >= plat::vkF1 && code < plat::vkF1 + 12) return "F" + std::to_string(code - plat::vkF1 + 1);
  // Letters by name; digits by code, as a lone digit would read as a number.
  if (code >= 'A' && code <= 'Z') return std::string(1, static_cast<char>(code));
  return std::to_string(code);
}

TScriptCommand ParseScriptCommand(const DataNode& node) {
  if (!node.Children.empty()) node.Children.front().Fail("script commands are not indented");
  TScriptCommand c;
  c.Line = node.Line;
  c.Tick = node.Int(0, 0);
  const std::string& word = node.Token(1);
  // Counts the values after the command word.
  auto takes = [&](int values) {
    if (node.Size() != values + 2)
      node.Fail("\"" + word + "\" takes " + std::to_string(values) + (values == 1 ? " value" : " values"));
  };
  auto coords = [&] {
    takes(2);
    c.X = static_cast<int>(node.Int(2, -100000, 100000));
    c.Y = static_cast<int>(node.Int(3, -100000, 100000));
  };
  if (word == "mouse") {
    c.Type = TScriptCommand::Mouse;
    coords();
  } else if (word == "click" || word == "tap") {
    c.Type = word == "tap" ? TScriptCommand::Tap : TScriptCommand::Click;
    coords();
  } else if (word == "down" || word == "up" || word == "rdown" || word == "rup") {
    // At the script's cursor, or at a point; down and up may name a button.
    const bool right = word[0] == 'r';
    c.Type = word == "down"    ? TScriptCommand::Down
             : word == "up"    ? TScriptCommand::Up
             : word == "rdown" ? TScriptCommand::RightDown
                               : TScriptCommand::RightUp;
    c.Button = right ? 1 : 0;
    const int values = node.Size() - 2;
    if (values != 0 && values != 2 && (right || values != 3))
      node.Fail("\"" + word + "\" takes no values, a point" + (right ? "" : ", or a point and a button"));
    if (values >= 2) {
      c.At = true;
      c.X = static_cast<int>(node.Int(2, -100000, 100000));
      c.Y = static_cast<int>(node.Int(3, -100000, 100000));
    }
    if (values == 3) c.Button = static_cast<int>(node.Int(4, 0, 7));
  } else if (word == "key" || word == "keydown" || word == "keyup") {
    takes(1);
    c.Type = word == "key" ? TScriptCommand::Key : word == "keydown" ? TScriptCommand::KeyDown : TScriptCommand::KeyUp;
    if (node.IsNumber(2)) {
      c.Code = static_cast<int>(node.Int(2, 1, 255));
    } else {
      c.Code = KeyCodeFromName(node.Token(2));
      if (c.Code < 0) node.Fail("unknown key \"" + node.Token(2) + "\"");
    }
  } else if (word == "pad" || word == "paddown" || word == "padup") {
    takes(1);
    c.Type = word == "pad" ? TScriptCommand::Pad : word == "paddown" ? TScriptCommand::PadDown : TScriptCommand::PadUp;
    c.Code = plat::PadButtonFromName(node.Token(2));
    if (c.Code < 0) node.Fail("unknown controller button \"" + node.Token(2) + "\"");
  } else if (word == "axis") {
    takes(2);
    c.Type = TScriptCommand::Axis;
    c.Code = plat::PadAxisFromName(node.Token(2));
    if (c.Code < 0) node.Fail("unknown controller axis \"" + node.Token(2) + "\"");
    c.X = static_cast<int>(node.Int(3, -32768, 32767));
  } else if (word == "focus" || word == "blur") {
    takes(0);
    c.Type = word == "focus" ? TScriptCommand::Focus : TScriptCommand::Blur;
  } else if (word == "char") {
    takes(1);
    c.Type = TScriptCommand::Char;
    const std::string ch = plat::Utf8ToAnsi(node.Token(2));
    if (ch.size() == 1) {
      c.Code = static_cast<unsigned char>(ch[0]);
    } else if (node.IsNumber(2)) {
      c.Code = static_cast<int>(node.Int(2, 1, 255));
    } else {
      node.Fail("char takes one character or a character code");
    }
  } else if (word == "text") {
    takes(1);
    c.Type = TScriptCommand::TypeText;
    c.Text = plat::Utf8ToAnsi(node.Token(2));
  } else if (word == "screenshot" || word == "dump") {
    takes(1);
    c.Type = word == "dump" ? TScriptCommand::Dump : TScriptCommand::Screenshot;
    c.Text = node.Token(2);
  } else if (word == "quit") {
    takes(0);
    c.Type = TScriptCommand::Quit;
  } else {
    node.Fail("unknown command \"" + word + "\"");
  }
  return c;
}

namespace {
TInputScript FromFile(const DataFile& file) {
  TInputScript script;
  for (const DataNode& node : file.Nodes) script.Commands.push_back(ParseScriptCommand(node));
  return script;
}
}  // namespace

TInputScript TInputScript::Load(const std::string& path) { return FromFile(DataFile::Load(path)); }

TInputScript TInputScript::Parse(const std::string& text, const std::string& name) {
  return FromFile(DataFile::Parse(text, name));
}

std::vector<TScriptCommand> TInputScript::TakeDue(int64_t tick) {
  std::vector<TScriptCommand> due;
  while (Next_ < Commands.size() && Commands[Next_].Tick <= tick) due.push_back(Commands[Next_++]);
  return due;
}

bool TInputScript::PictureDueBy(int64_t tick) const {
  for (size_t i = Next_; i < Commands.size() && Commands[i].Tick <= tick; ++i) {
    const TScriptCommand& c = Commands[i];
    if (c.Type == TScriptCommand::Screenshot || (c.Type == TScriptCommand::Key && c.Code == plat::vkF12)) return true;
  }
  return false;
}
