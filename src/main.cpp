// Grovewright: program entry.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/GameSession.h"
#include "app/LaunchOptions.h"
#include "app/StopSignals.h"
#include "engine/core/SafeFile.h"
#include "platform/Platform.h"

namespace {
std::string ExecutableFolder(const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0, ec);
  return exe.parent_path().string();
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  TLaunchOptions options;
  std::string error;
  if (!ParseLaunchOptions(args, options, error)) {
    std::fprintf(stderr, "grovewright: %s\n%s", error.c_str(), LaunchUsage());
    return 2;
  }
  if (options.ShowHelp) {
    std::printf("%s", LaunchUsage());
    return 0;
  }
  if (!ResolveGameFolders(options, ExecutableFolder(argv[0]), std::getenv("XDG_DATA_HOME"), UserHomeFolder().c_str(),
                          &error)) {
    std::fprintf(stderr, "grovewright: %s\n", error.c_str());
    return 2;
  }
  // A replay is checked whole before anything starts: a damaged one is named
  // with its line and the reason, and nothing else happens.
  std::unique_ptr<TReplay> replay;
  if (!options.Replay.empty()) {
    try {
      replay = std::make_unique<TReplay>(TReplay::Load(options.Replay));
    } catch (const std::exception& ex) {
      // The file's words are shown as they are only when a terminal would
      // not act on them.
      std::fprintf(stderr, "grovewright: cannot play the replay: %s\n", PrintableName(ex.what()).c_str());
      return 2;
    }
  }

  plat::PlatformOptions platformOptions;
  platformOptions.Headless = options.Headless;
  platformOptions.FullScreen = false;  // the saved option or --fullscreen switch it after start-up
  std::unique_ptr<plat::Platform> platform = plat::Platform::Create(platformOptions, error);
  if (!platform) {
    std::fprintf(stderr, "grovewright: cannot open the game window: %s\n", error.c_str());
    return 1;
  }
  int code = 0;
  {
    const std::unique_ptr<TGameSession> session = NewGameSession(*platform, options);
    TGameSession& game = *session;
    if (replay && !game.SetReplay(std::move(replay), error)) {
      std::fprintf(stderr, "grovewright: cannot play the replay: %s\n", error.c_str());
      return 2;
    }
    if (game.FormCreate())
      code = game.Run();
    else
      code = game.ExitCode ? game.ExitCode : 1;
  }
  // A replay stopped by a signal has removed its folder: the program now
  // ends as the signal asked.
  EndByStopSignal();
  return code;
}
