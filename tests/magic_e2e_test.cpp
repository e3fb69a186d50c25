// The game binary in play with magic: a line of tree pieces sends its mana
// flying and bursting, a full pot raises its button, a click arms the spell
// with its trail and the next click casts it; a settings file that cannot be
// read ends the game with its name.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "board/LevelFile.h"
#include "engine/particles/XParticleSystem.h"
#include "support/BoardFixture.h"
#include "support/GameRunner.h"

namespace {

using game_test::DumpNumber;
using game_test::GameRunner;
using game_test::Occurrences;

class MagicE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>(
        std::string("magic-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), false);
    // Swapping the tree at (3, 3) with the fire piece below it lines up four
    // trees over wooden boxes in row 4.
    ASSERT_TRUE(Runner->WriteLevel("Magic", 1, {".....", "TFBTF", "FBTFB", "TTFTB", "BFBBF"},
                                   {"sssss", "11111", "11111", "22221", "22222"}, 120))
        << Runner->Errors;
  }
  int Run(const std::string& script) {
    const int code = Runner->Run("--seed 3 --play Magic 1 --script \"" + Runner->Script("s.txt", script) + "\"");
    Errors = Runner->Errors;
    return code;
  }
  std::string Read(const std::string& name) const { return Runner->Read(name); }

  std::unique_ptr<GameRunner> Runner;
  std::string Errors;
};

TEST_F(MagicE2E, ALineSendsManaFlyingWithBurstsAndTheVineShrinks) {
  ASSERT_EQ(Run("0 mouse 140 130\n"
                "10 dump start.json\n"
                "30 up\n"
                "40 down\n"
                "44 mouse 140 170\n"
                "50 up\n"
                "90 dump flying.json\n"
                "400 dump landed.json\n"
                "402 quit\n"),
            0)
      << Errors;
  const std::string start = Read("start.json");
  EXPECT_EQ(DumpNumber(start, "vine_width"), 336);
  EXPECT_NE(start.find("\"spell_buttons\":[]"), std::string::npos) << start;

  const std::string flying = Read("flying.json");
  EXPECT_GE(Occurrences(flying, "\"element\":1"), 4) << "one flight per broken tree piece";
  EXPECT_GT(DumpNumber(flying, "remaining", "mana_flights"), 0);
  EXPECT_GT(DumpNumber(flying, "systems", "particles"), 4) << "flights and bursts are particle systems";
  EXPECT_GT(DumpNumber(flying, "live", "particles"), 0);
  EXPECT_GT(DumpNumber(flying, "break_particles", "particles"), 0) << "the wooden boxes splinter";
  EXPECT_EQ(DumpNumber(flying, "tree", "mana"), 0) << "nothing is credited before arrival";

  const std::string landed = Read("landed.json");
  EXPECT_GE(DumpNumber(landed, "tree", "mana"), 4);
  EXPECT_EQ(Occurrences(landed, "\"element\":"), 0) << landed;
}

TEST_F(MagicE2E, AFullPotsButtonArmsTheSpellAndAClickCastsIt) {
  // The developer key 'a' adds a point of fire mana.
  ASSERT_EQ(Run("0 mouse 300 300\n"
                "10 text " + std::string(60, 'a') + "\n"
                "20 dump full.json\n"
                "30 mouse 382 555\n"
                "40 down\n"
                "46 up\n"
                "50 dump armed.json\n"
                "60 mouse 60 130\n"
                "70 down\n"
                "76 up\n"
                "80 dump cast.json\n"
                "260 dump after.json\n"
                "262 quit\n"),
            0)
      << Errors;
  const std::string full = Read("full.json");
  EXPECT_NE(full.find("\"spell_buttons\":[3]"), std::string::npos) << full;

  const std::string armed = Read("armed.json");
  EXPECT_EQ(DumpNumber(armed, "armed_spell"), 3);
  EXPECT_EQ(DumpNumber(armed, "fire", "mana"), 0);
  EXPECT_NE(armed.find("\"spell_buttons\":[]"), std::string::npos);

  const std::string cast = Read("cast.json");
  EXPECT_EQ(DumpNumber(cast, "armed_spell"), 0);
  EXPECT_EQ(DumpNumber(cast, "spell_balls"), 4) << "a plus of five cut by the board's left edge";

  const std::string after = Read("after.json");
  EXPECT_EQ(DumpNumber(after, "spell_balls"), 0);
}

TEST_F(MagicE2E, AnUnreadableSettingsFileEndsTheGameNamingIt) {
  // A Data folder of links to the built files, all but one flight's settings.
  const std::filesystem::path data = Runner->Home / "Data";
  const std::filesystem::path built = std::filesystem::read_symlink(data);
  std::filesystem::remove(data);
  std::filesystem::create_directory(data);
  for (const auto& entry : std::filesystem::directory_iterator(built)) {
    if (entry.path().filename() == "managreen.pss") continue;
    std::filesystem::create_symlink(entry.path(), data / entry.path().filename());
  }
  EXPECT_EQ(Run("0 mouse 140 130\n"
                "30 up\n"
                "40 down\n"
                "44 mouse 140 170\n"
                "50 up\n"
                "300 quit\n"),
            1);
  EXPECT_NE(Errors.find("Unable to load ParticleSystem settings"), std::string::npos) << Errors;
  EXPECT_NE(Errors.find("managreen.pss"), std::string::npos) << Errors;
}

// Bursts whose settings would never end (an endless emitter of a million
// particles a second, infinite sizes and speeds) are bounded as they load:
// they end, and all together hold a bounded number of particles.
TEST_F(MagicE2E, BurstsFromWildSettingsStillEndAndStayBounded) {
  const std::filesystem::path data = Runner->Home / "Data";
  const std::filesystem::path built = std::filesystem::read_symlink(data);
  std::filesystem::remove(data);
  std::filesystem::create_directory(data);
  TPssSettings wild;
  wild.Emission = 1e6f;
  wild.Lifetime = -1;
  wild.LifeMin = 100000;
  wild.LifeMax = 2000000;
  wild.SpeedMax = std::numeric_limits<float>::infinity();
  wild.SizeStart = std::numeric_limits<float>::infinity();
  const auto record = WritePssRecord(wild);
  for (const auto& entry : std::filesystem::directory_iterator(built)) {
    const std::string name = entry.path().filename().string();
    const bool burst = name.find("spark") != std::string::npos || name.rfind("forcefield", 0) == 0;
    if (burst)
      game_test::WriteBytes(data / name, std::vector<uint8_t>(record.begin(), record.end()));
    else
      std::filesystem::create_symlink(entry.path(), data / name);
  }
  ASSERT_EQ(Run("0 mouse 140 130\n"
                "30 up\n"
                "40 down\n"
                "44 mouse 140 170\n"
                "50 up\n"
                "90 dump bursting.json\n"
                "3000 dump after.json\n"
                "3002 quit\n"),
            0)
      << Errors;
  const std::string bursting = Read("bursting.json");
  EXPECT_GT(DumpNumber(bursting, "explosions_added"), 0);
  EXPECT_GT(DumpNumber(bursting, "live", "particles"), 0);
  EXPECT_LE(DumpNumber(bursting, "live", "particles"), 40000 + 8 * 5000) << "bursts share a budget, flights hold their own";
  const std::string after = Read("after.json");
  EXPECT_EQ(DumpNumber(after, "systems", "particles"), 0) << "every burst has ended";
  EXPECT_EQ(DumpNumber(after, "live", "particles"), 0);
}

// A settings file that is empty, far too large or no plain file ends the
// start naming it, before any match could need it.
TEST_F(MagicE2E, AnUnusableSettingsFileEndsTheStartNamingIt) {
  const std::filesystem::path data = Runner->Home / "Data";
  const std::filesystem::path built = std::filesystem::read_symlink(data);
  for (const char* kind : {"empty", "large", "pipe"}) {
    std::filesystem::remove_all(data);
    std::filesystem::create_directory(data);
    for (const auto& entry : std::filesystem::directory_iterator(built))
      if (entry.path().filename() != "fire-spark.pss")
        std::filesystem::create_symlink(entry.path(), data / entry.path().filename());
    const std::filesystem::path file = data / "fire-spark.pss";
    if (std::string(kind) == "empty") game_test::WriteBytes(file, {});
    if (std::string(kind) == "large") game_test::WriteBytes(file, std::vector<uint8_t>(70000, 1));
    if (std::string(kind) == "pipe") {
      ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
    }
    EXPECT_EQ(Runner->Run("--seed 3 --play Magic 1 --ticks 5"), 1) << kind;
    EXPECT_NE(Runner->Errors.find("Unable to load ParticleSystem settings: "), std::string::npos) << Runner->Errors;
    EXPECT_NE(Runner->Errors.find(file.string()), std::string::npos) << kind << ": " << Runner->Errors;
    EXPECT_NE(Runner->Errors.find(std::string(kind) == "empty"   ? "is empty."
                                  : std::string(kind) == "large" ? "is too large"
                                                                 : "is not a plain file."),
              std::string::npos)
        << Runner->Errors;
  }
}

}  // namespace
