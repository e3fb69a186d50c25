#include "app/SoundManager.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <system_error>

#include "engine/archive/CPDb.h"
#include "engine/core/ThreadPriority.h"
#include "platform/Audio.h"
#include "platform/AudioDecoders.h"

namespace {

// Tunes read ahead and waiting to play, at most.
constexpr size_t kMostPrefetched = 2;

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

// ".mp3", ".wav" and ".ogg" files are streams; everything else is a module.
bool IsStream(const std::string& file) {
  const std::string ext = LowerExtension(file);
  return ext == ".mp3" || ext == ".wav" || ext == ".ogg";
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
      {"clock-tick.ogg", &SoundManager::SndClockTick},
  };
  return table;
}

SoundManager::Prepared::Prepared() = default;
SoundManager::Prepared::Prepared(Prepared&&) noexcept = default;
SoundManager::Prepared& SoundManager::Prepared::operator=(Prepared&&) noexcept = default;
SoundManager::Prepared::~Prepared() = default;

SoundManager::SoundManager() = default;

SoundManager::~SoundManager() {
  // The audio layer is process-wide: leave it closed behind us.
  if (Started_) Shutdown();
}

void SoundManager::StartUp(TCPDb& archive) {
  Start(archive);
  if (!Started_) return;
  // The effects are read and decoded on every core while the music is
  // registered, then handed to the audio layer in table order.
  const auto& samples = SampleTable();
  std::vector<DecodedSample> decoded(samples.size());
  std::atomic<size_t> next{0};
  auto decode = [&] {
    for (size_t i; (i = next++) < samples.size();) {
      std::vector<uint8_t> bytes;
      if (!archive.ReadRecordConcurrently(samples[i].File, bytes)) continue;
      int error = 0;
      try {
        decoded[i] = plat::Audio_SampleDecode(bytes.data(), static_cast<uint32_t>(bytes.size()), error);
      } catch (const std::bad_alloc&) {
        decoded[i] = nullptr;
      }
    }
  };
  struct Helpers {
    std::vector<std::thread> Threads;
    ~Helpers() { Join(); }
    void Join() {
      for (std::thread& t : Threads)
        if (t.joinable()) t.join();
    }
  } helpers;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  try {
    for (unsigned i = 1; i < cores && i < samples.size(); ++i) helpers.Threads.emplace_back(decode);
  } catch (const std::system_error&) {
    // Fewer helpers: this thread decodes the rest.
  }
  for (const MusicInfo& music : MusicTable()) RegisterMusic(music.File, music.Key, 100);
  decode();
  helpers.Join();
  for (size_t i = 0; i < samples.size(); ++i) {
    this->*samples[i].Handle = AddSample(samples[i].File, std::move(decoded[i]));
    if (this->*samples[i].Handle == 0) return;  // the program is ending
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
  entry->File = file;
  entry->Volume = volume;
  if (LoadMusicWhenPlayed) {
    // Only the record's presence now; the tune itself when it plays.
    if (!Archive_ || Archive_->IndexOf(file) < 0) {
      ShowError("Error loading " + file + "from CPDb!");
      return;
    }
    Entries_.push_back(std::move(entry));
    return;
  }
  if (!Archive_ || !Archive_->ReadRecord(file, entry->Data)) {
    ShowError("Error loading " + file + "from CPDb!");
    return;
  }
  entry->Size = static_cast<uint32_t>(entry->Data.size());
  if (IsStream(file))
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

void SoundManager::PrefetchMusic(const std::string& key) {
  if (!LoadMusicWhenPlayed || !Archive_) return;
  for (const auto& ahead : Prefetched_)
    if (ahead.first == key) return;
  const auto it = std::find_if(Entries_.begin(), Entries_.end(),
                               [&](const auto& entry) { return entry && entry->Key == key; });
  if (it == Entries_.end() || (*it)->Channel) return;
  TCPDb* archive = Archive_;
  const std::string file = (*it)->File;
  // The oldest tune read ahead makes room (waiting for its read to end).
  if (Prefetched_.size() >= kMostPrefetched) Prefetched_.erase(Prefetched_.begin());
  try {
    Prefetched_.emplace_back(key, std::async(std::launch::async, [archive, file] {
                          LowerThisThreadsPriority();
                          Prepared prepared;
                          prepared.Read = archive->ReadRecordConcurrently(file, prepared.Data);
                          if (prepared.Read)
                            prepared.Source = plat::Audio_PrepareMusic(IsStream(file), prepared.Data.data(),
                                                                       prepared.Data.size(), prepared.Error);
                          return prepared;
                        }));
  } catch (const std::system_error&) {
    // No thread: the tune is read when it plays.
  }
}

int SoundManager::LoadedTunes() const {
  return static_cast<int>(
      std::count_if(Entries_.begin(), Entries_.end(), [](const auto& entry) { return entry && entry->Channel; }));
}

bool SoundManager::LoadTune(TMusicEntry& entry) {
  Prepared prepared;
  auto ahead = std::find_if(Prefetched_.begin(), Prefetched_.end(),
                            [&](const auto& tune) { return tune.first == entry.Key; });
  std::future<Prepared> result;
  if (ahead != Prefetched_.end()) {
    result = std::move(ahead->second);
    Prefetched_.erase(ahead);
    // The reading thread gives way to every other: should it not be done at
    // once, the tune is read here rather than waited for.
    if (result.wait_for(std::chrono::milliseconds(4)) != std::future_status::ready) {
      std::erase_if(Abandoned_, [](const std::future<Prepared>& f) {
        return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
      });
      Abandoned_.push_back(std::move(result));
      result = {};
    }
  }
  if (result.valid()) {
    prepared = result.get();
  } else {
    prepared.Read = Archive_ && Archive_->ReadRecord(entry.File, prepared.Data);
    if (prepared.Read)
      prepared.Source =
          plat::Audio_PrepareMusic(IsStream(entry.File), prepared.Data.data(), prepared.Data.size(), prepared.Error);
  }
  if (!prepared.Read) {
    ShowError("Error loading " + entry.File + "from CPDb!");
    Drop(entry);
    return false;
  }
  const bool stream = IsStream(entry.File);
  entry.Size = static_cast<uint32_t>(prepared.Data.size());
  // A stream plays from its bytes: the audio layer keeps them with the
  // channel, so they go only when the mixer is done with it. A module has
  // its own copy of them.
  std::vector<uint8_t> owned;
  if (stream) owned = std::move(prepared.Data);
  entry.Channel =
      prepared.Error == 0 ? plat::Audio_MusicLoadPrepared(std::move(prepared.Source), stream, 0, std::move(owned)) : 0;
  const int code = prepared.Error != 0 ? prepared.Error : plat::Audio_ErrorGetCode();
  if (code != 0) {
    if (entry.Channel) plat::Audio_StreamFree(entry.Channel);
    entry.Channel = 0;
    ShowError("Error creating stream " + entry.Key + " Errorcode:" + std::to_string(code));
    Drop(entry);
    return false;
  }
  plat::Audio_ChannelSetAttributes(entry.Channel, -1, entry.Volume, 0);
  plat::Audio_ChannelSetFlags(entry.Channel, entry.Loop ? plat::kAudioLoop : 0);
  return true;
}

void SoundManager::FreeTune(TMusicEntry& entry) {
  if (!entry.Channel) return;
  plat::Audio_ChannelStop(entry.Channel);
  plat::Audio_StreamFree(entry.Channel);
  entry.Channel = 0;
  std::vector<uint8_t>().swap(entry.Data);
}

void SoundManager::Drop(TMusicEntry& entry) {
  // The slot empties; FindMusic removes it at its next look-up.
  for (auto& slot : Entries_)
    if (slot.get() == &entry) slot.reset();
  LastFound_ = nullptr;
}

void SoundManager::FreeOldTunes(const TMusicEntry& playing) {
  if (!LoadMusicWhenPlayed) return;
  for (;;) {
    size_t loaded = 0;
    TMusicEntry* oldest = nullptr;  // the stopped tune played longest ago
    for (auto& entry : Entries_) {
      if (!entry || !entry->Channel) continue;
      ++loaded;
      if (entry.get() == &playing || plat::Audio_ChannelIsActive(entry->Channel)) continue;
      if (!oldest || entry->LastPlayed < oldest->LastPlayed) oldest = entry.get();
    }
    if (loaded <= TunesKept || !oldest) return;
    FreeTune(*oldest);
  }
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
  if (restart) entry->Loop = loop;
  // A tune not loaded yet, or freed since, is loaded now: a resumed one
  // therefore starts from its beginning.
  if (!entry->Channel && !LoadTune(*entry)) return;
  if (restart) plat::Audio_ChannelSetFlags(entry->Channel, loop ? plat::kAudioLoop : 0);
  plat::Audio_ChannelPlay(entry->Channel, restart);
  entry->LastPlayed = ++Plays_;
  FreeOldTunes(*entry);
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
  // A tune never loaded has nothing to stop.
  if (entry->Channel) plat::Audio_ChannelStop(entry->Channel);
}

void SoundManager::Shutdown() {
  // Tunes still being read ahead are waited for and dropped.
  Prefetched_.clear();
  Abandoned_.clear();
  plat::Audio_Stop();
  for (auto& entry : Entries_) {
    if (!entry) continue;
    if (entry->Channel) {
      plat::Audio_ChannelStop(entry->Channel);
      plat::Audio_StreamFree(entry->Channel);
    }
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
  return SampleLoaded(file, handle);
}

uint32_t SoundManager::AddSample(const std::string& file, DecodedSample pcm) {
  const uint32_t handle = pcm ? plat::Audio_SampleLoadDecoded(std::move(pcm), 8, plat::kAudioSampleOverride) : 0;
  return SampleLoaded(file, handle);
}

uint32_t SoundManager::SampleLoaded(const std::string& file, uint32_t handle) {
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
