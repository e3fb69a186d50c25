#include "app/LaunchOptions.h"

#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>

namespace {
template <typename T>
bool ParseNumber(const std::string& text, T& out) {
  const char* b = text.data();
  const char* e = text.data() + text.size();
  auto r = std::from_chars(b, e, out);
  return r.ec == std::errc() && r.ptr == e;
}
}  // namespace

const char* LaunchUsage() {
  return "Usage: grovewright [options]\n"
         "  --fullscreen          start full screen\n"
         "  --windowed            start in a window\n"
         "  --headless            no window, no sound, virtual 60 Hz clock (for tests)\n"
         "  --seed N              seed the random generator with N\n"
         "  --ticks N             quit after N process ticks (120 per second)\n"
         "  --home DIR            the game's folder (Data/, data/, levels/)\n"
         "  --save-home DIR       where options, players, games, hiscores and your packs go\n"
         "                        (default: the game's folder; installed: ~/.local/share/grovewright)\n"
         "  --script FILE         run an input script (one 'TICK COMMAND ARGS' a line)\n"
         "  --play PACK LEVEL     play a level of a pack at once, as player \"Tester\"\n"
         "  --relaxed             with --play: relaxed mode, no clock\n"
         "  --hints-seen          with --play: the tutorial hints count as seen\n"
         "  --record FILE         write the session's replay to FILE as well\n"
         "                        (every session's replay goes to replays/last.replay)\n"
         "  --replay FILE         play a replay, then print the final state's digest\n"
         "                        (exit code 1 when it differs from the recording's)\n"
         "  --help                this text\n";
}

bool ParseLaunchOptions(const std::vector<std::string>& args, TLaunchOptions& out, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto need = [&](int count) {
      if (i + count >= args.size()) {
        error = a + " needs " + std::to_string(count) + " value(s)";
        return false;
      }
      return true;
    };
    if (a == "--headless") {
      out.Headless = true;
    } else if (a == "--fullscreen") {
      out.FullScreen = true;
    } else if (a == "--windowed") {
      out.Windowed = true;
    } else if (a == "--relaxed") {
      out.Relaxed = true;
    } else if (a == "--hints-seen") {
      out.HintsSeen = true;
    } else if (a == "--help" || a == "-h") {
      out.ShowHelp = true;
    } else if (a == "--seed") {
      if (!need(1)) return false;
      uint32_t v = 0;
      if (!ParseNumber(args[++i], v)) {
        error = "--seed needs a whole number from 0 to 4294967295, not \"" + args[i] + "\"";
        return false;
      }
      out.Seed = v;
    } else if (a == "--ticks") {
      if (!need(1)) return false;
      int64_t v = 0;
      if (!ParseNumber(args[++i], v) || v < 0) {
        error = "--ticks needs a whole number of 0 or more, not \"" + args[i] + "\"";
        return false;
      }
      out.Ticks = v;
    } else if (a == "--home") {
      if (!need(1)) return false;
      out.Home = args[++i];
    } else if (a == "--save-home") {
      if (!need(1)) return false;
      out.SaveHome = args[++i];
    } else if (a == "--script") {
      if (!need(1)) return false;
      out.Script = args[++i];
    } else if (a == "--record" || a == "--replay") {
      if (!need(1)) return false;
      (a == "--record" ? out.Record : out.Replay) = args[++i];
    } else if (a == "--play") {
      if (!need(2)) return false;
      out.Play = true;
      out.PlayPack = args[++i];
      int level = 0;
      if (!ParseNumber(args[++i], level) || level < 1) {
        error = "--play needs a level number of 1 or more, not \"" + args[i] + "\"";
        return false;
      }
      out.PlayLevel = level;
    } else {
      error = "unknown option \"" + a + "\"";
      return false;
    }
  }
  if ((out.Relaxed || out.HintsSeen) && !out.Play && out.Replay.empty()) {
    error = std::string(out.Relaxed ? "--relaxed" : "--hints-seen") + " only goes with --play";
    return false;
  }
  // A replay brings its own seed, level and input.
  if (!out.Replay.empty()) {
    const char* clash = out.Seed              ? "--seed"
                        : out.Play            ? "--play"
                        : out.Relaxed         ? "--relaxed"
                        : out.HintsSeen       ? "--hints-seen"
                        : !out.Script.empty() ? "--script"
                        : !out.Record.empty() ? "--record"
                        : out.Ticks >= 0      ? "--ticks"
                                              : nullptr;
    if (clash) {
      error = std::string(clash) + " does not go with --replay: the replay gives the seed, the level and every input";
      return false;
    }
  }
  return true;
}

bool ResolveGameFolders(TLaunchOptions& options, const std::string& programFolder, const char* xdgDataHome,
                        const char* userHome, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  bool installed = false;
  if (options.Home.empty()) {
    const fs::path beside = fs::path(programFolder);
    const fs::path share = beside.parent_path() / "share" / "grovewright";
    if (!fs::exists(beside / "Data" / "GameData.CPDB", ec) && fs::exists(share / "Data" / "GameData.CPDB", ec)) {
      options.Home = share.string();
      installed = true;
    } else {
      options.Home = programFolder;
    }
  }
  if (!options.SaveHome.empty()) return true;
  if (!installed) {
    options.SaveHome = options.Home;
    return true;
  }
  if (xdgDataHome && xdgDataHome[0] == '/') {
    options.SaveHome = (fs::path(xdgDataHome) / "grovewright").string();
  } else if (userHome && userHome[0] == '/') {
    options.SaveHome = (fs::path(userHome) / ".local" / "share" / "grovewright").string();
  } else {
    // Not the current folder: the saves would land wherever the game was
    // started from.
    if (error)
      *error =
          "cannot tell where to keep your players, saved games and options: HOME is not set and the system names "
          "no home folder for this user. Name a folder with --save-home DIR, or set XDG_DATA_HOME.";
    return false;
  }
  return true;
}

std::string UserHomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
      found->pw_dir[0] == '/')
    return found->pw_dir;
  return {};
}
