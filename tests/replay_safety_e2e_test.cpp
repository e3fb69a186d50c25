// A replay from a stranger is as safe as a picture, end to end: it writes
// no file of its own choosing (no dump, no picture, no saved replay), it
// changes nothing in the player's folders even when it replays an editor
// session, it stops cleanly on a signal, it copies the player's packs
// without following links, and what a session carries is only the game's
// own files, whatever their names.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "automation/Replay.h"
#include "automation/ReplayWords.h"
#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;
using game_test::GameRunner;

std::string Cell(int col, int row) { return std::to_string(40 * col + 20) + " " + std::to_string(40 * row + 10); }

// Every file under a folder, with what identifies its contents and its
// place on disk: a replay that rewrote a file with the same bytes still
// shows. The runner's own output files are left out.
std::string FolderState(const fs::path& folder) {
  std::vector<std::string> lines;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = fs::relative(it->path(), folder).string();
    if (name == "stdout.txt" || name == "stderr.txt") continue;
    struct stat st {};
    ::lstat(it->path().c_str(), &st);
    std::string line = name + " ino " + std::to_string(st.st_ino);
    if (it->is_symlink()) {
      line += " -> " + fs::read_symlink(it->path()).string();
      it.disable_recursion_pending();
    } else if (it->is_regular_file()) {
      line += " " + std::to_string(std::hash<std::string>{}(game_test::ReadFile(it->path())));
    }
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

// The tick of the end line of a replay, and the text with lines put in just
// before it.
std::string BeforeEnd(const std::string& replay, const std::string& lines) {
  std::smatch m;
  if (!std::regex_search(replay, m, std::regex("\n(\\d+) end [0-9a-f]+\n"))) return replay;
  std::string out = replay;
  std::string text = lines;
  text = std::regex_replace(text, std::regex("TICK"), m[1].str());
  out.insert(static_cast<size_t>(m.position(0)) + 1, text);
  return out;
}

class ReplaySafetyE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>(
        std::string("replay-safety-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), false);
    ASSERT_TRUE(Runner->WriteLevel("Duo", 1, {"TTBT", "BFWF"}, {"1121", "1111"})) << Runner->Errors;
  }
  // A short session of play, recorded.
  std::string Record(const std::string& more = "") {
    const std::string script = Runner->Script("s.txt", "10 click " + Cell(3, 1) + "\n20 click " + Cell(4, 1) + "\n300 quit\n");
    EXPECT_EQ(Runner->Run("--seed 2 --play Duo 1 --record rec.replay --script " + script + more), 0) << Runner->Errors;
    return Runner->Read("rec.replay");
  }
  std::unique_ptr<GameRunner> Runner;
};

TEST_F(ReplaySafetyE2E, AReplayWritesNoFileAndRefusesTheLinesThatWould) {
  const std::string rec = Record();
  // The keys that save a picture and a replay, planted at the end: played,
  // and nothing written.
  Runner->Script("keys.replay", BeforeEnd(rec, "TICK key F12\nTICK keydown F9\nTICK keyup F9\n"));
  const std::string before = FolderState(Runner->Home);
  ASSERT_EQ(Runner->Run("--replay keys.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_NE(Runner->Output.find("the same as the recording's final state"), std::string::npos) << Runner->Output;
  EXPECT_EQ(FolderState(Runner->Home), before);
  EXPECT_FALSE(Runner->Exists("screen000.jpg"));
  // A line that would write a file: refused with its line, nothing played.
  const fs::path planted = Runner->Home / "planted.json";
  for (const std::string& line : {"TICK dump " + planted.string() + "\n", "TICK screenshot " + planted.string() + "\n"}) {
    const std::string text = BeforeEnd(rec, line);
    Runner->Script("planted.replay", text);
    const std::string state = FolderState(Runner->Home);
    EXPECT_EQ(Runner->Run("--replay planted.replay"), 2) << Runner->Output;
    const long lineNo = std::count(text.begin(), text.begin() + static_cast<long>(text.find(planted.string())), '\n') + 1;
    EXPECT_NE(Runner->Errors.find("planted.replay:" + std::to_string(lineNo) + ": \"" + line.substr(5, line.find(' ', 5) - 5) +
                                  "\" is no input: a replay carries only the player's input"),
              std::string::npos)
        << Runner->Errors;
    EXPECT_FALSE(fs::exists(planted));
    EXPECT_EQ(FolderState(Runner->Home), state);
  }
}

// An editor session that saves a level over the player's pack, replayed:
// the pack and the whole save folder are as they were, byte for byte and
// file for file; the replay's own copy took every write.
TEST_F(ReplaySafetyE2E, ReplayingAnEditorSessionLeavesTheSaveFolderAndThePacksAsTheyWere) {
  game_test::WriteKnownPlayer(Runner->Home, "Ann", 1, 0, 3);
  game_test::WriteConfig(Runner->Home, "Ann");
  // The options, the level editor, the pack "Duo" opened by its name; the
  // level cleaned (its question answered "Yes") and saved, the editor left.
  const std::string script = Runner->Script(
      "s.txt",
      "1 key Escape\n130 click 100 385\n150 click 430 360\n172 text \"Duo\"\n180 click 500 419\n"
      "210 click 253 577\n220 click 320 260\n230 click 181 577\n260 click 397 577\n300 quit\n");
  const std::string made = Runner->Read("levels/Duo/1.lvl");
  ASSERT_EQ(Runner->Run("--seed 5 --record editor.replay --script " + script), 0) << Runner->Errors;
  ASSERT_NE(Runner->Read("levels/Duo/1.lvl"), made) << "the session saved a cleaned level";
  // The player made the level again since, as the session found it.
  ASSERT_TRUE(Runner->WriteLevel("Duo", 1, {"TTBT", "BFWF"}, {"1121", "1111"}));
  ASSERT_EQ(Runner->Read("levels/Duo/1.lvl"), made);
  const std::string before = FolderState(Runner->Home);
  ASSERT_EQ(Runner->Run("--replay editor.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_NE(Runner->Output.find("the same as the recording's final state"), std::string::npos) << Runner->Output;
  EXPECT_EQ(FolderState(Runner->Home), before);
  EXPECT_EQ(Runner->Read("levels/Duo/1.lvl"), made);
}

// Stopped by Ctrl+C, a kill or a closed terminal, a replay removes its
// folder and ends as the signal asked.
TEST_F(ReplaySafetyE2E, AReplayStoppedByASignalRemovesItsFolder) {
  // A long replay: a day of frames.
  std::string text = "grovewright-replay 1\nversion " + std::string(GameVersion()) + "\nseed 1\nplay Duo 1\n";
  text += "0 frames 2x5000000\n10000000 end 0\n";
  Runner->Script("long.replay", text);
  const fs::path tmp = Runner->Home / "tmp";
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    fs::remove_all(tmp);
    fs::create_directories(tmp);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (::chdir(Runner->Home.c_str()) != 0) ::_exit(100);
      ::setenv("TMPDIR", tmp.c_str(), 1);
      ::setenv("SDL_VIDEODRIVER", "dummy", 1);
      ::setenv("SDL_AUDIODRIVER", "dummy", 1);
      const std::string game = GW_BUILD_DIR + "/grovewright";
      const std::string home = Runner->Home.string();
      ::execl(game.c_str(), game.c_str(), "--headless", "--home", home.c_str(), "--replay", "long.replay",
              static_cast<char*>(nullptr));
      ::_exit(101);
    }
    // Its folder appears once the replay plays.
    bool playing = false;
    for (int i = 0; i < 400 && !playing; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      for (const auto& e : fs::directory_iterator(tmp)) playing |= e.path().filename().string().rfind("grovewright-replay-", 0) == 0;
    }
    ASSERT_TRUE(playing) << "signal " << signal;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal << ", status " << status;
    EXPECT_TRUE(fs::is_empty(tmp)) << "signal " << signal;
  }
}

// With a save folder apart from the game's, the replay copies the player's
// packs: never through a link (to a system folder, in a loop), and the
// first file that cannot be copied stops it with the file and the reason.
TEST_F(ReplaySafetyE2E, ThePacksAreCopiedWithoutFollowingLinksAndTheFirstErrorIsNamed) {
  const fs::path saves = Runner->Home / "saves";
  fs::create_directories(saves / "levels");
  fs::rename(Runner->Home / "levels" / "Duo", saves / "levels" / "Duo");
  fs::create_directory_symlink("/usr/share", saves / "levels" / "share");
  fs::create_directory_symlink(saves / "levels", saves / "levels" / "loop");
  const std::string apart = " --save-home \"" + saves.string() + "\"";
  Record(apart);
  ASSERT_EQ(Runner->Run("--replay rec.replay" + apart), 0) << Runner->Output << Runner->Errors;
  EXPECT_NE(Runner->Output.find("the same as the recording's final state"), std::string::npos);
  // A pack's file the game may not read.
  const char* prefix = game_test::WithoutFileAdminRights();
  if (!prefix) GTEST_SKIP() << "no way to run the game without the power to read any file";
  Runner->Prefix = prefix;
  const fs::path locked = saves / "levels" / "Duo" / "1.opt";
  fs::permissions(locked, fs::perms::none);
  EXPECT_EQ(Runner->Run("--replay rec.replay" + apart), 2) << Runner->Output;
  EXPECT_NE(Runner->Errors.find("grovewright: cannot play the replay: cannot copy the level packs for the replay: "
                                "cannot copy \"" + locked.string() + "\": Permission denied"),
            std::string::npos)
      << Runner->Errors;
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_write);
}

// A session's replay takes only the game's own files from the save folder,
// never through a link, and a name with both kinds of quote comes back.
TEST_F(ReplaySafetyE2E, ASessionCarriesOnlyTheGamesOwnFilesWhateverTheirNames) {
  const std::string quoted = "Ann \"the\" `Axe`";
  game_test::WriteKnownPlayer(Runner->Home, quoted, 2, 700, 2);
  game_test::WriteConfig(Runner->Home, quoted);
  game_test::WriteBytes(Runner->Home / "save" / "notes.txt", {'n', 'o', 't', 'e'});
  game_test::WriteBytes(Runner->Home / "secret.txt", {'S', 'E', 'C', 'R', 'E', 'T'});
  fs::create_symlink(Runner->Home / "secret.txt", Runner->Home / "save" / "Bob.sav");
  fs::create_directories(Runner->Home / "save" / "Cy.sa2");
  ASSERT_EQ(Runner->Run("--seed 3 --ticks 200 --record rec.replay"), 0) << Runner->Errors;
  const std::string rec = Runner->Read("rec.replay");
  EXPECT_NE(rec.find("\nfile arvanels.cfg "), std::string::npos) << rec.substr(0, 1200);
  EXPECT_NE(rec.find("\nfile-hex " + ReplayHex("save/" + quoted + ".sav") + " "), std::string::npos)
      << rec.substr(0, 1200);
  EXPECT_NE(rec.find("\nfile-hex " + ReplayHex("save/" + quoted + " - Game Levels.sa2") + " "), std::string::npos);
  EXPECT_EQ(rec.find("notes.txt"), std::string::npos);
  EXPECT_EQ(rec.find("Bob.sav"), std::string::npos);
  EXPECT_EQ(rec.find("Cy.sa2"), std::string::npos);
  EXPECT_EQ(rec.find(ReplayHex(std::string("SECRET"))), std::string::npos);
  // The session, its player named with both quotes, plays again.
  ASSERT_EQ(Runner->Run("--replay rec.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_NE(Runner->Output.find("the same as the recording's final state"), std::string::npos);
  // So does the replay kept in replays/, which every later session writes.
  ASSERT_EQ(Runner->Run("--replay replays/last.replay"), 0) << Runner->Output << Runner->Errors;
}

// What a replay says of itself reaches the terminal escaped, and a replay
// plays with TMPDIR empty.
TEST_F(ReplaySafetyE2E, WhatAReplaySaysIsEscapedAndAnEmptyTmpdirIsNoObstacle) {
  const std::string rec = Record();
  Runner->Script("version.replay",
                 std::regex_replace(rec, std::regex("\nversion [^\n]*\n"), "\nversion \"1.0\x1b[2J\x07\"\n"));
  EXPECT_EQ(Runner->Run("--replay version.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_EQ(Runner->Errors.find('\x1b'), std::string::npos) << Runner->Errors;
  EXPECT_EQ(Runner->Errors.find('\x07'), std::string::npos) << Runner->Errors;
  EXPECT_NE(Runner->Errors.find("was recorded by version 1.0\\x1B[2J\\x07 of the game"), std::string::npos)
      << Runner->Errors;
  Runner->Prefix = "TMPDIR=";
  ASSERT_EQ(Runner->Run("--replay rec.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_NE(Runner->Output.find("the same as the recording's final state"), std::string::npos);
}

}  // namespace
