// The start-up check of the archives against every record the game needs,
// and the layout's pictures found by name: a missing or reordered record is
// named at start-up, never drawn as another picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/DataCheck.h"
#include "app/SoundManager.h"
#include "data/DataManifest.h"
#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"
#include "engine/core/DataFile.h"
#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiLayoutFile.h"
#include "engine/gui/GuiLayoutSource.h"
#include "engine/render/Images.h"
#include "support/GameRunner.h"

namespace fs = std::filesystem;

namespace {

// The built archives, to be changed record by record.
class BuiltArchives : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!game_test::GameRunner::Built()) GTEST_SKIP() << "the game data is not built";
    for (auto [writer, file] : {std::pair{&Game, "GameData.CPDB"}, std::pair{&Particles, "GameDataParticles.CPDB"}}) {
      TCPDb archive;
      archive.OpenMode = TCPDb::opReadOnly;
      archive.SetFileName((fs::path(GW_BUILD_DIR) / "Data" / file).string());
      const std::vector<uint8_t> key = GameArchiveKey();
      archive.SetKey(key.data(), static_cast<int>(key.size()));
      ASSERT_TRUE(writer->LoadExisting(archive)) << file;
    }
  }

  static TCPDb Open(const TCPDbWriter& writer) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(writer.Serialize(bytes));
    TCPDb archive;
    archive.OpenMode = TCPDb::opReadOnly;
    archive.SetFileData(std::move(bytes));
    const std::vector<uint8_t> key = GameArchiveKey();
    archive.SetKey(key.data(), static_cast<int>(key.size()));
    return archive;
  }

  TDataCheck Check() {
    TCPDb game = Open(Game), particles = Open(Particles);
    return CheckGameArchives(game, particles);
  }

  // Moves a record to the end of its archive, as a writer that re-adds it would.
  static void MoveToEnd(TCPDbWriter& writer, const std::string& key, uint16_t type) {
    TCPDb archive = Open(writer);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(archive.ReadRecord(key, bytes)) << key;
    writer.Remove(key);
    writer.Add(key, type, bytes, true);
  }

  TCPDbWriter Game{GameArchiveKey()}, Particles{GameArchiveKey()};
};

bool Has(const std::vector<std::string>& list, const std::string& key) {
  return std::find(list.begin(), list.end(), key) != list.end();
}

}  // namespace

TEST_F(BuiltArchives, HoldEverythingTheGameNeedsInPlace) {
  const TDataCheck check = Check();
  EXPECT_TRUE(check.Ok()) << DataCheckMessage(check, "game", "particles");
  EXPECT_EQ(DataCheckMessage(check, "game", "particles"), "");
}

TEST_F(BuiltArchives, EachMissingRecordIsNamedInOneMessage) {
  for (const char* key : {"tree.image", "black.image", "Font02", "world3.jpg", "break-tab.ogg", "ingame006.mp3"})
    ASSERT_TRUE(Game.Remove(key)) << key;
  ASSERT_TRUE(Particles.Remove("iron-chip.image"));
  const TDataCheck check = Check();
  EXPECT_FALSE(check.Ok());
  for (const char* key : {"tree.image", "black.image", "Font02", "world3.jpg", "break-tab.ogg", "ingame006.mp3"})
    EXPECT_TRUE(Has(check.MissingGame, key)) << key;
  EXPECT_EQ(check.MissingGame.size(), 6u);
  EXPECT_EQ(check.MissingParticles, std::vector<std::string>{"iron-chip.image"});
  const std::string message = DataCheckMessage(check, "Data/GameData.CPDB", "Data/GameDataParticles.CPDB");
  EXPECT_NE(message.find("Data/GameData.CPDB lacks black.image, tree.image, Font02"), std::string::npos) << message;
  EXPECT_NE(message.find("Data/GameDataParticles.CPDB lacks iron-chip.image"), std::string::npos) << message;
}

TEST_F(BuiltArchives, ARecordOfTheWrongTypeCountsAsMissing) {
  // The image list loads only image records: a picture stored as plain data
  // would never be drawn.
  TCPDb archive = Open(Game);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(archive.ReadRecord("mouse.image", bytes));
  Game.Add("mouse.image", kRecordData, bytes, true);
  EXPECT_EQ(Check().MissingGame, std::vector<std::string>{"mouse.image"});
}

TEST_F(BuiltArchives, FontsAndParticleImagesMustKeepTheirOrder) {
  // Both lists are used by position; game images are found by name, so their
  // order is free.
  MoveToEnd(Game, "black.image", kRecordImage);
  EXPECT_TRUE(Check().Ok());
  MoveToEnd(Game, "Font00", kRecordFont);
  EXPECT_TRUE(Check().FontsOutOfOrder);
  EXPECT_FALSE(Check().ParticleImagesOutOfOrder);
  MoveToEnd(Particles, "splinter1.image", kRecordImage);
  const TDataCheck check = Check();
  EXPECT_TRUE(check.ParticleImagesOutOfOrder);
  EXPECT_TRUE(check.MissingGame.empty());
  const std::string message = DataCheckMessage(check, "game", "particles");
  EXPECT_NE(message.find("font records of game are out of order"), std::string::npos) << message;
  EXPECT_NE(message.find("image records of particles are out of order"), std::string::npos) << message;
}

// ---- The layout's pictures --------------------------------------------------------

namespace {

TGuiSourceImages ManifestImages() {
  TGuiSourceImages images;
  images.IndexOf = [](std::string_view key) { return GameImageIndex(key); };
  images.KeyOf = [](int i) {
    return i >= 0 && i < static_cast<int>(GameImages().size()) ? std::string(GameImages()[static_cast<size_t>(i)].Key)
                                                               : std::string();
  };
  return images;
}

// An image list of these names, in this order (nothing loaded: the layout
// only looks names up).
void NameImages(TCanopyImages& list, const std::vector<std::string>& names) {
  for (const std::string& n : names) list.Add()->Name = n;
}

}  // namespace

TEST(LayoutImages, KeysAreKeptBesideTheIndexAndFoundByNameAtLoad) {
  const std::vector<uint8_t> bytes = WriteGuiLayout(CompileGuiSource(
      {DataFile::Parse("form f\n\tIconIndex hint.image\n\tbutton b\n\t\tImageIndex icons.image\n"
                       "\tbutton n\n\t\tImageIndex icons.image\n\t\tImageIndex 3\n",
                       "test.txt")},
      ManifestImages()));
  std::vector<TGuiLayoutControl> controls;
  ASSERT_TRUE(ReadGuiLayout(bytes.data(), bytes.size(), controls));
  EXPECT_EQ(*controls[0].Value("IconKey"), "hint.image");
  EXPECT_EQ(*controls[0].Children[0].Value("ImageKey"), "icons.image");
  EXPECT_EQ(controls[0].Children[1].Value("ImageKey"), nullptr) << "a number given later drops the key";

  // Another order than the manifest's, as an archive missing or moving a
  // record would give: the pictures follow their names.
  TCanopyImages list;
  NameImages(list, {"icons.image", "mouse.image", "hint.image"});
  TGuiBase gui;
  gui.Images = &list;
  ASSERT_TRUE(gui.LoadLayoutData(bytes.data(), bytes.size())) << gui.LastError();
  EXPECT_EQ(static_cast<TGuiForm*>(gui.FindControl("f"))->IconIndex, 2);
  EXPECT_EQ(static_cast<TGuiButton*>(gui.FindControl("b"))->ImageIndex, 0);
  EXPECT_EQ(static_cast<TGuiButton*>(gui.FindControl("n"))->ImageIndex, 3);

  // Without the picture the layout is refused, naming both, and adds nothing.
  TCanopyImages lacking;
  NameImages(lacking, {"hint.image", "mouse.image"});
  TGuiBase second;
  second.Images = &lacking;
  EXPECT_FALSE(second.LoadLayoutData(bytes.data(), bytes.size()));
  EXPECT_NE(second.LastError().find("\"b\" shows the image \"icons.image\""), std::string::npos)
      << second.LastError();
  EXPECT_EQ(second.Root().ChildCount(), 0);
}

TEST(LayoutImages, TheBuiltLayoutFindsTheEditorIconsWhereverTheyStand) {
  if (!game_test::GameRunner::Built()) GTEST_SKIP() << "the game data is not built";
  // The manifest's images in reverse order: every position differs.
  std::vector<std::string> names;
  for (const TImageSpec& s : GameImages()) names.insert(names.begin(), s.Key);
  TCanopyImages list;
  NameImages(list, names);
  TGuiBase gui;
  gui.Images = &list;
  ASSERT_TRUE(gui.LoadLayout((fs::path(GW_BUILD_DIR) / "data" / "interface.gui").string())) << gui.LastError();
  const int icons = list.IndexOf("icons.image");
  ASSERT_NE(icons, GameImageIndex("icons.image"));
  for (const auto& [name, pattern] : EditorIcons()) {
    auto* b = dynamic_cast<TGuiButton*>(gui.FindControl(name));
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->ImageIndex, icons) << name;
  }
}

TEST(LayoutImages, DecompilingLeavesTheKeysToTheImageLines) {
  const auto controls = CompileGuiSource(
      {DataFile::Parse("form f\n\tIconIndex hint.image\n\tbutton b\n\t\tImageIndex icons.image\n", "t.txt")},
      ManifestImages());
  const std::string text = DecompileGuiLayout(controls, ManifestImages());
  EXPECT_EQ(text.find("Key"), std::string::npos) << text;
  EXPECT_EQ(WriteGuiLayout(CompileGuiSource({DataFile::Parse(text, "again.txt")}, ManifestImages())),
            WriteGuiLayout(controls));
}
