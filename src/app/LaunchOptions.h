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
  std::string Home;                 // the program's folder (default: the executable's)
  std::string Script;               // input script file
  // --play PACK LEVEL [--relaxed]: straight into a level, skipping menus.
  bool Play = false;
  std::string PlayPack;
  int PlayLevel = 1;
  bool Relaxed = false;
  bool ShowHelp = false;
};

// Parses argv; returns false with a message in error for unknown or malformed
// options.
bool ParseLaunchOptions(const std::vector<std::string>& args, TLaunchOptions& out, std::string& error);
const char* LaunchUsage();
