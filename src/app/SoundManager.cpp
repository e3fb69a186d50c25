#include "app/SoundManager.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>

#include "engine/CPDb.h"
#include "platform/Audio.h"

namespace {

// Entries kept for the state dump when nobody takes them; older ones are
// dropped first.
constexpr size_t kMaxAudioLog = 4096;

std::string LowerExtension(const std::string& file) {
  size_t dot = file.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = file.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

const std::vector<SoundManager::MusicInfo>& SoundManager::MusicTable() {
  static const std::vector<MusicInfo> table = {
      {"MainMenuMusic", "Overture.it"},
      {"GameHistoryMusic", "story.it"},
      {"MapMusic", "map.it"},
      {"Music1", "ingame001.it"},
      {"Music2", "ingame002.it"},
      {"Music3", "ingame003.it"},
      {"Music4", "ingame004.it"},
      {"Music5", "ingame005.it"},
      {"Music6", "ingame006.mp3"},
      {"Music7", "ingame007.it"},
      {"Music8", "ingame008.it"},
      {"Music9", "ingame009.it"},
      {"Music10", "ingame010.it"},
      {"levelcompleted", "levelcompleted.it"},
      {"life", "life.it"},
  };
  return table;
}

const std::vector<SoundManager::SampleInfo>& SoundManager::SampleTable() {
  static const std::vector<SampleInfo> table = {
      {"break-tab.ogg", &SoundManager::SndBreakTab},
      {"break-wood.ogg", &SoundManager::SndBreakWood},
      {"break-steel.ogg", &SoundManager::SndBreakSteel},
      {"checkbox.ogg", &SoundManager::SndCheckbox},
      {"force-field-off.ogg", &SoundManager::SndForceFieldOff},
      {"magic-cast.ogg", &SoundManager::SndMagicCast},
      {"menu-select.ogg", &SoundManager::SndMenuSelect},
      {"mouse-over-menu.ogg", &SoundManager::SndMouseOverMenu},
      {"contagem-pontos.ogg", &SoundManager::SndContagemPontos},
      {"snap.ogg", &SoundManager::SndSnap},
      {"swap1.ogg", &SoundManager::SndSwap1},
      {"swapback.ogg", &SoundManager::SndSwapback},
      {"roll.ogg", &SoundManager::SndRoll},
      {"pontos-subindo.ogg", &SoundManager::SndPontosSubindo},
      {"digitac.ogg", &SoundManager::SndDigitac},
  };
  return table;
}

SoundManager::SoundManager() = default;

SoundManager::~SoundManager() {
  // The audio layer is process-wide: leave it closed behind us.
  if (Started_) Shutdown();
}

void SoundManager::StartUp(TCPDb& archive) {
  Start(archive);
  if (!Started_) return;
  for (const MusicInfo& music : MusicTable()) RegisterMusic(music.File, music.Key, 100);
  for (const SampleInfo& sample : SampleTable()) {
    this->*sample.Handle = LoadSample(sample.File);
    if (this->*sample.Handle == 0) return;  // the program is ending
  }
}

void SoundManager::Start(TCPDb& archive) {
  // Starting again must not free music memory that live channels play from.
  if (Started_) Shutdown();
  Entries_.clear();
  LastFound_ = nullptr;
  Archive_ = &archive;
  if (plat::Audio_GetVersion() != 0x00020002) {
    End(1);
    return;
  }
  if (!plat::Audio_Init(-1, 44100, 0, nullptr, nullptr)) plat::Audio_Start();
  Started_ = true;
}

void SoundManager::RegisterMusic(const std::string& file, const std::string& key, int volume) {
  auto entry = std::make_unique<TMusicEntry>();
  entry->Key = key;
  if (!Archive_ || !Archive_->ReadRecord(file, entry->Data)) {
    ShowError("Error loading " + file + "from CPDb!");
    return;
  }
  entry->Size = static_cast<uint32_t>(entry->Data.size());
  std::string ext = LowerExtension(file);
  if (ext == ".mp3" || ext == ".wav" || ext == ".ogg")
    entry->Channel = plat::Audio_StreamCreateFile(true, entry->Data.data(), 0, entry->Size, 0);
  else
    entry->Channel = plat::Audio_MusicLoad(true, entry->Data.data(), 0, entry->Size, 0, 44100);
  int code = plat::Audio_ErrorGetCode();
  if (code != 0) {
    // A channel the layer made despite its error would otherwise play from
    // memory we are about to free.
    if (entry->Channel) plat::Audio_StreamFree(entry->Channel);
    ShowError("Error creating stream " + key + " Errorcode:" + std::to_string(code));
    return;
  }
  plat::Audio_ChannelSetAttributes(entry->Channel, -1, volume, 0);
  Entries_.push_back(std::move(entry));
}

TMusicEntry* SoundManager::FindMusic(const std::string& key) {
  Entries_.erase(std::remove(Entries_.begin(), Entries_.end(), nullptr), Entries_.end());
  LastFound_ = nullptr;
  for (auto& entry : Entries_) {
    if (entry->Key == key) {
      LastFound_ = entry.get();
      break;
    }
  }
  return LastFound_;
}

void SoundManager::PlayChannel(const std::string& key, bool loop, bool restart) {
  TMusicEntry* entry = FindMusic(key);
  if (!entry) {
    ShowError("Stream " + key + " not found for playback!");
    return;
  }
  if (restart) plat::Audio_ChannelSetFlags(entry->Channel, loop ? plat::kAudioLoop : 0);
  plat::Audio_ChannelPlay(entry->Channel, restart);
}

void SoundManager::PlayMusic(const std::string& key, bool loop) {
  if (MusicOn && !MusicOn()) return;
  Stopped_.erase(key);
  Log("music:play:" + key);
  PlayChannel(key, loop, true);
}

void SoundManager::ResumeMusic(const std::string& key) {
  // Un-pausing must not bring back music the player has switched off (it
  // would start level music that PlayMusic never started).
  if (MusicOn && !MusicOn()) return;
  Stopped_.erase(key);
  Log("music:resume:" + key);
  PlayChannel(key, false, false);
}

void SoundManager::StopMusic(const std::string& key) {
  if (!Stopped_.insert(key).second) return;
  Log("music:stop:" + key);
  TMusicEntry* entry = FindMusic(key);
  if (!entry) {
    ShowError("Stream " + key + " not found for stop!");
    return;
  }
  plat::Audio_ChannelStop(entry->Channel);
}

void SoundManager::Shutdown() {
  plat::Audio_Stop();
  for (auto& entry : Entries_) {
    if (!entry) continue;
    plat::Audio_ChannelStop(entry->Channel);
    plat::Audio_StreamFree(entry->Channel);
    entry.reset();
  }
  Entries_.clear();
  Stopped_.clear();
  LastFound_ = nullptr;
  plat::Audio_Free();
  Started_ = false;
}

uint32_t SoundManager::LoadSample(const std::string& file) {
  std::vector<uint8_t> stream;
  if (Archive_) Archive_->ReadRecord(file, stream);
  // With memory given, the offset is not used; the layer keeps its own copy.
  uint32_t handle = plat::Audio_SampleLoad(true, stream.data(), 1, static_cast<uint32_t>(stream.size()), 8,
                                           plat::kAudioSampleOverride);
  std::vector<uint8_t>().swap(stream);
  if (handle == 0) {
    plat::Audio_Free();
    Started_ = false;
    Fatal("Failed to load " + file + " sound!");
    End(1);
    return 0;
  }
  SampleFiles_[handle] = file;
  return handle;
}

void SoundManager::PlaySound(uint32_t sample) {
  if (SoundOn && !SoundOn()) return;
  auto name = SampleFiles_.find(sample);
  Log("play:" + (name != SampleFiles_.end() ? name->second : "#" + std::to_string(sample)));
  uint32_t channel = plat::Audio_SampleGetChannel(sample, false);
  plat::Audio_ChannelSetAttributes(channel, -1, 100, 0);
  plat::Audio_ChannelPlay(channel, false);
}

void SoundManager::ShowError(const std::string& text) {
  if (ShowErrorHandler)
    ShowErrorHandler(text);
  else
    std::cerr << text << std::endl;
}

std::vector<std::string> SoundManager::TakeAudioLog() {
  std::vector<std::string> taken;
  taken.swap(AudioLog_);
  return taken;
}

void SoundManager::Log(std::string entry) {
  if (AudioLog_.size() >= kMaxAudioLog) AudioLog_.erase(AudioLog_.begin(), AudioLog_.begin() + kMaxAudioLog / 2);
  AudioLog_.push_back(std::move(entry));
}

void SoundManager::Fatal(const std::string& text) {
  if (FatalErrorHandler)
    FatalErrorHandler(text);
  else
    ShowError(text);
}

void SoundManager::End(int code) {
  if (Terminate)
    Terminate(code);
  else
    std::exit(code);
}
