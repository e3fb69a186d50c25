#include "app/DataCheck.h"

#include <cstdint>

#include "app/SoundManager.h"
#include "data/DataManifest.h"
#include "engine/archive/CPDb.h"
#include "engine/core/TextCompare.h"
#include "engine/particles/XParticleSystem.h"
#include "engine/render/ImageRecord.h"
#include "magic/Effects.h"

namespace {

// Names listed in a message before the rest are only counted.
constexpr size_t kNamesShown = 24;

// Adds key to missing unless the archive holds it; type 0 accepts any type.
void Require(TCPDb& archive, const std::string& key, uint16_t type, std::vector<std::string>& missing) {
  const int index = archive.IndexOf(key);
  if (index < 0 || (type != 0 && archive.RecordType(index) != type)) missing.push_back(key);
}

// Whether the records of a type begin with the keys, in this order.
bool LeadsInOrder(TCPDb& archive, uint16_t type, const std::vector<std::string>& keys) {
  size_t next = 0;
  for (int i = 0; i < archive.RecordCount() && next < keys.size(); ++i) {
    if (archive.RecordType(i) != type) continue;
    if (!SameText(archive.RecordKey(i), keys[next])) return false;
    ++next;
  }
  return next == keys.size();
}

std::string NameList(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size() && i < kNamesShown; ++i) out += (i ? ", " : "") + names[i];
  if (names.size() > kNamesShown) out += " and " + std::to_string(names.size() - kNamesShown) + " more";
  return out;
}

}  // namespace

TDataCheck CheckGameArchives(TCPDb& gameData, TCPDb& particleData) {
  TDataCheck check;
  std::vector<std::string> fonts, particles;
  for (const TImageSpec& image : GameImages()) Require(gameData, image.Key, kRecordImage, check.MissingGame);
  for (const TFontSpec& font : GameFonts()) {
    Require(gameData, font.Key, kRecordFont, check.MissingGame);
    fonts.emplace_back(font.Key);
  }
  for (const TPictureSpec& picture : Pictures()) Require(gameData, picture.Key, 0, check.MissingGame);
  for (const SoundManager::MusicInfo& music : SoundManager::MusicTable())
    Require(gameData, music.File, 0, check.MissingGame);
  for (const SoundManager::SampleInfo& sample : SoundManager::SampleTable())
    Require(gameData, sample.File, 0, check.MissingGame);
  for (const TImageSpec& image : ParticleImages()) {
    Require(particleData, image.Key, kRecordImage, check.MissingParticles);
    particles.emplace_back(image.Key);
  }
  // Order matters only once everything is there: a gap is reported as such.
  check.FontsOutOfOrder = check.MissingGame.empty() && !LeadsInOrder(gameData, kRecordFont, fonts);
  check.ParticleImagesOutOfOrder =
      check.MissingParticles.empty() && !LeadsInOrder(particleData, kRecordImage, particles);
  return check;
}

std::string DataCheckMessage(const TDataCheck& check, const std::string& gameFile, const std::string& particleFile) {
  if (check.Ok()) return {};
  std::string text = "The game data is incomplete.";
  if (!check.MissingGame.empty()) text += " " + gameFile + " lacks " + NameList(check.MissingGame) + ".";
  if (!check.MissingParticles.empty())
    text += " " + particleFile + " lacks " + NameList(check.MissingParticles) + ".";
  auto keys = [](const auto& list) {
    std::vector<std::string> names;
    for (const auto& item : list) names.emplace_back(item.Key);
    return NameList(names);
  };
  if (check.FontsOutOfOrder)
    text += " The font records of " + gameFile + " are out of order (the game needs " + keys(GameFonts()) +
            " first, in this order).";
  if (check.ParticleImagesOutOfOrder)
    text += " The image records of " + particleFile + " are out of order (the game needs " +
            keys(ParticleImages()) + " first, in this order).";
  return text + " Please build or reinstall the game.";
}

std::string ParticleSettingsMessage(const std::function<std::string(const std::string&)>& path) {
  std::string text;
  for (const std::string& file : ParticleSettingsFiles()) {
    TPssSettings settings;
    std::string error;
    if (!LoadPssFile(path(file), settings, error)) text += (text.empty() ? "" : " ") + error;
  }
  if (text.empty()) return {};
  return "Unable to load ParticleSystem settings: " + text + " Please build or reinstall the game.";
}
