// Command-line options: window mode, and the automation used by tests and
// scripts (headless mode, fixed seed, input script, tick limit, play a level).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TLaunchOptions {
  bool Headless = false;
  bool FullScreen = false;
  bool Windowed = false;            // forces a window whatever the saved option says
  std::optional<uint32_t> Seed;
  int64_t Ticks = -1;               // quit after this many process ticks (-1: never)
  std::string Home;                 // the shipped files' folder (see ResolveGameFolders)
  std::string SaveHome;             // the player's files' folder (see ResolveGameFolders)
  std::string Script;               // input script file
  // --play PACK LEVEL [--relaxed]: straight into a level, skipping menus.
  bool Play = false;
  std::string PlayPack;
  int PlayLevel = 1;
  bool Relaxed = false;
  bool HintsSeen = false;           // with --play: the tutorial hints count as seen
  std::string Record;               // --record FILE: the session's replay goes there too
  std::string Replay;               // --replay FILE: play a replay instead of live input
  bool ShowHelp = false;
  // No tune is loaded or played (no command-line word: the level bot, whose
  // headless runs nobody hears, saves the tunes' loading this way).
  bool NoMusic = false;
};

// Parses argv; returns false with a message in error for unknown or malformed
// options.
bool ParseLaunchOptions(const std::vector<std::string>& args, TLaunchOptions& out, std::string& error);

// Where the game finds its shipped files (Home: Data/, data/, the shipped
// level packs) and keeps the player's own (SaveHome: options, players and
// their games, the hiscore table, packs made in the editor), unless the
// options named them. A folder holding "Data/GameData.CPDB" beside the
// program (a build tree, a copy unpacked anywhere) keeps everything in that
// folder. An installed game (the program in <prefix>/bin, its files in
// <prefix>/share/grovewright) reads the install, which may be read-only, and
// writes to $XDG_DATA_HOME/grovewright, or ~/.local/share/grovewright when
// that is not set to an absolute path. Without either (no absolute home
// folder) an installed game has nowhere to keep the player's files: false,
// with the reason in error.
bool ResolveGameFolders(TLaunchOptions& options, const std::string& programFolder, const char* xdgDataHome,
                        const char* userHome, std::string* error = nullptr);
// The user's home folder: $HOME when it is an absolute path, else the one
// the password database gives; "" when neither has one.
std::string UserHomeFolder();
const char* LaunchUsage();
