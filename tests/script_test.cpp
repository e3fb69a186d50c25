#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <fstream>

#include <filesystem>

#include "app/LaunchOptions.h"
#include "automation/InputScript.h"
#include "engine/core/DataFile.h"

namespace {

TEST(InputScript, ParsesEveryCommand) {
  TInputScript s = TInputScript::Parse(
      "# a comment\n"
      "0 mouse 400 300\n"
      "2 down\n"
      "4 up\n"
      "10 click 225 405\n"
      "12 key 27\n"
      "12 key F12\n"
      "14 char p\n"
      "14 char \"#\"\n"
      "16 text \"Ann Lee\"\n"
      "20 screenshot shot.png\n"
      "20 dump state.json\n"
      "30 quit\n",
      "s.txt");
  ASSERT_EQ(s.Commands.size(), 12u);
  EXPECT_EQ(s.Commands[0].Type, TScriptCommand::Mouse);
  EXPECT_EQ(s.Commands[0].X, 400);
  EXPECT_EQ(s.Commands[3].Type, TScriptCommand::Click);
  EXPECT_EQ(s.Commands[4].Code, 27);
  EXPECT_EQ(s.Commands[5].Code, 123);
  EXPECT_EQ(s.Commands[6].Code, 'p');
  EXPECT_EQ(s.Commands[7].Code, '#');
  EXPECT_EQ(s.Commands[8].Text, "Ann Lee");
  EXPECT_EQ(s.Commands[9].Text, "shot.png");
  EXPECT_EQ(s.Commands[11].Type, TScriptCommand::Quit);
  EXPECT_EQ(s.Commands[11].Line, 13);
}

TEST(InputScript, TakesCommandsOnceWhenTheirTickIsReached) {
  TInputScript s = TInputScript::Parse("0 down\n5 up\n5 mouse 1 2\n9 quit\n", "s");
  EXPECT_EQ(s.TakeDue(0).size(), 1u);
  EXPECT_EQ(s.TakeDue(4).size(), 0u);
  EXPECT_EQ(s.TakeDue(8).size(), 2u);  // the first frame past tick 5
  EXPECT_FALSE(s.Finished());
  EXPECT_EQ(s.TakeDue(100).size(), 1u);
  EXPECT_TRUE(s.Finished());
}

TEST(InputScript, MalformedLinesNameFileAndLine) {
  auto error = [](const std::string& text) {
    try {
      TInputScript::Parse(text, "bad.txt");
    } catch (const DataError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(error("0 down\nten up\n"), "bad.txt:2: \"ten\" is not a number");
  EXPECT_EQ(error("0 jump\n"), "bad.txt:1: unknown command \"jump\"");
  EXPECT_EQ(error("0 click 5\n"), "bad.txt:1: \"click\" takes 2 values");
  EXPECT_EQ(error("0 quit now\n"), "bad.txt:1: \"quit\" takes 0 values");
  EXPECT_EQ(error("0 key Hyper\n"), "bad.txt:1: unknown key \"Hyper\"");
  EXPECT_EQ(error("-1 down\n"), "bad.txt:1: \"-1\" is out of range 0..9223372036854775807");
  EXPECT_EQ(error("0 text \"open\n"), "bad.txt:1: unbalanced quote");
  EXPECT_EQ(error("0 down\n  1 up\n"), "bad.txt:2: script commands are not indented");
  EXPECT_EQ(error("0 char ab\n"), "bad.txt:1: char takes one character or a character code");
  // Numbers at the edge of the range are read exactly, never rounded into it.
  EXPECT_EQ(error("9223372036854775808 quit\n"),
            "bad.txt:1: \"9223372036854775808\" is out of range 0..9223372036854775807");
  EXPECT_EQ(error("99999999999999999999999 quit\n"),
            "bad.txt:1: \"99999999999999999999999\" is out of range 0..9223372036854775807");
  EXPECT_EQ(TInputScript::Parse("9223372036854775807 quit\n", "s").Commands[0].Tick, INT64_MAX);
  EXPECT_EQ(error("0 key f99999999999\n"), "bad.txt:1: unknown key \"f99999999999\"");
  EXPECT_EQ(error("0 key f13\n"), "bad.txt:1: unknown key \"f13\"");
  EXPECT_EQ(error("0 mouse 1e30 5\n"), "bad.txt:1: \"1e30\" is out of range -100000..100000");
}

TEST(LaunchOptions, ParsesAndRejects) {
  TLaunchOptions o;
  std::string err;
  ASSERT_TRUE(ParseLaunchOptions({"--headless", "--seed", "7", "--ticks", "1200", "--home", "/tmp/g", "--play",
                                  "Game Levels", "3", "--relaxed"},
                                 o, err))
      << err;
  EXPECT_TRUE(o.Headless);
  EXPECT_EQ(*o.Seed, 7u);
  EXPECT_EQ(o.Ticks, 1200);
  EXPECT_EQ(o.Home, "/tmp/g");
  EXPECT_EQ(o.PlayPack, "Game Levels");
  EXPECT_EQ(o.PlayLevel, 3);
  EXPECT_TRUE(o.Relaxed);

  auto rejects = [&](std::vector<std::string> args) {
    TLaunchOptions fresh;
    return !ParseLaunchOptions(args, fresh, err);
  };
  EXPECT_TRUE(rejects({"--seed", "x"}));
  EXPECT_TRUE(rejects({"--ticks"}));
  EXPECT_EQ(err, "--ticks needs 1 value(s)");
  EXPECT_TRUE(rejects({"--play", "P", "0"}));
  EXPECT_TRUE(rejects({"--relaxed"}));
  EXPECT_TRUE(rejects({"--frobnicate"}));
  EXPECT_EQ(err, "unknown option \"--frobnicate\"");
}

TEST(LaunchOptions, FindsTheShippedFilesAndThePlayersFolder) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "gw-folders-test";
  fs::remove_all(root);
  auto touch = [](const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
  };
  // A build tree or an unpacked copy: everything beside the program.
  touch(root / "portable" / "Data" / "GameData.CPDB");
  TLaunchOptions portable;
  ResolveGameFolders(portable, (root / "portable").string(), "/xdg", "/home/ann");
  EXPECT_EQ(portable.Home, (root / "portable").string());
  EXPECT_EQ(portable.SaveHome, portable.Home);

  // Installed: the program in bin/, its files in share/grovewright, the
  // player's in the user's data folder.
  touch(root / "usr" / "share" / "grovewright" / "Data" / "GameData.CPDB");
  fs::create_directories(root / "usr" / "bin");
  const std::string bin = (root / "usr" / "bin").string();
  TLaunchOptions installed;
  ResolveGameFolders(installed, bin, "/xdg", "/home/ann");
  EXPECT_EQ(installed.Home, (root / "usr" / "share" / "grovewright").string());
  EXPECT_EQ(installed.SaveHome, "/xdg/grovewright");
  for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/path"}) {
    TLaunchOptions o;
    ResolveGameFolders(o, bin, xdg, "/home/ann");
    EXPECT_EQ(o.SaveHome, "/home/ann/.local/share/grovewright") << (xdg ? xdg : "unset");
  }

  // The command line has the last word.
  TLaunchOptions given;
  given.Home = "/opt/game";
  ResolveGameFolders(given, bin, "/xdg", "/home/ann");
  EXPECT_EQ(given.Home, "/opt/game");
  EXPECT_EQ(given.SaveHome, "/opt/game");
  given.SaveHome = "/tmp/saves";
  ResolveGameFolders(given, bin, "/xdg", "/home/ann");
  EXPECT_EQ(given.SaveHome, "/tmp/saves");
  std::string error;
  TLaunchOptions parsed;
  ASSERT_TRUE(ParseLaunchOptions({"--save-home", "/tmp/s"}, parsed, error)) << error;
  EXPECT_EQ(parsed.SaveHome, "/tmp/s");
  fs::remove_all(root);
}

// Without HOME the installed game looks the user up, and without any home
// folder it keeps nothing in the current folder: it asks for one.
TEST(LaunchOptions, WithoutAHomeFolderTheSavesNeverGoToTheCurrentFolder) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("gw-nohome-test-" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "usr" / "share" / "grovewright" / "Data");
  std::ofstream(root / "usr" / "share" / "grovewright" / "Data" / "GameData.CPDB") << "x";
  fs::create_directories(root / "usr" / "bin");
  const std::string bin = (root / "usr" / "bin").string();
  for (const char* home : {static_cast<const char*>(nullptr), "", "relative"}) {
    TLaunchOptions o;
    std::string error;
    EXPECT_FALSE(ResolveGameFolders(o, bin, nullptr, home, &error)) << (home ? home : "unset");
    EXPECT_EQ(o.SaveHome, "");
    EXPECT_NE(error.find("--save-home DIR"), std::string::npos) << error;
    // A data folder or a save folder given is enough.
    TLaunchOptions xdg;
    EXPECT_TRUE(ResolveGameFolders(xdg, bin, "/xdg", home, &error));
    EXPECT_EQ(xdg.SaveHome, "/xdg/grovewright");
  }
  // The user's home: HOME when it is absolute, else the password database's.
  const char* old = std::getenv("HOME");
  const std::string saved = old ? old : "";
  ::setenv("HOME", "/home/zoe", 1);
  EXPECT_EQ(UserHomeFolder(), "/home/zoe");
  ::unsetenv("HOME");
  const passwd* entry = ::getpwuid(::getuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(UserHomeFolder(), entry->pw_dir);
  ::setenv("HOME", "", 1);
  EXPECT_EQ(UserHomeFolder(), entry->pw_dir);
  if (old)
    ::setenv("HOME", saved.c_str(), 1);
  else
    ::unsetenv("HOME");
  fs::remove_all(root);
}

TEST(DataFile, NestingQuotesAndWriterRoundTrip) {
  DataFile f = DataFile::Parse(
      "form \"Game Options\"  # trailing comment\n"
      "\tbounds 1 2 3 4\n"
      "\tlabel `say \"hi\"`\n"
      "\t\tcolor 0xFF\n"
      "other\n",
      "t");
  ASSERT_EQ(f.Nodes.size(), 2u);
  EXPECT_EQ(f.Nodes[0].Token(1), "Game Options");
  ASSERT_EQ(f.Nodes[0].Children.size(), 2u);
  EXPECT_EQ(f.Nodes[0].Children[0].Int(4), 4);
  EXPECT_EQ(f.Nodes[0].Children[1].Token(1), "say \"hi\"");
  EXPECT_EQ(f.Nodes[0].Children[1].Children[0].Line, 4);
  EXPECT_THROW(f.Nodes[0].Children[0].Int(1, 5, 9), DataError);
  EXPECT_THROW(f.Nodes[1].Token(1), DataError);

  DataWriter w;
  w.Write({"form", "Game Options"});
  w.BeginChildren();
  w.Write({"label", "say \"hi\""});
  w.EndChildren();
  DataFile back = DataFile::Parse(w.Text(), "w");
  EXPECT_EQ(back.Nodes[0].Token(1), "Game Options");
  EXPECT_EQ(back.Nodes[0].Children[0].Token(1), "say \"hi\"");
}

}  // namespace
