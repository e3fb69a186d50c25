// The sound manager: the music registry looked up by key, the preloaded sound
// effects, and the player's two sound options that gate them. Everything is
// read from the main data archive at start-up and played through the audio
// layer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TCPDb;

// One registered music channel. Its channel plays from Data, which therefore
// stays allocated and unchanged until Shutdown.
struct TMusicEntry {
  uint32_t Channel = 0;
  std::string Key;  // compared case-sensitively
  std::vector<uint8_t> Data;
  uint32_t Size = 0;
};

class SoundManager {
 public:
  struct MusicInfo {
    const char* Key;
    const char* File;
  };
  struct SampleInfo {
    const char* File;
    uint32_t SoundManager::*Handle;
  };
  // The music registered at start-up and the samples loaded, each in order.
  static const std::vector<MusicInfo>& MusicTable();
  static const std::vector<SampleInfo>& SampleTable();

  SoundManager();
  ~SoundManager();
  SoundManager(const SoundManager&) = delete;
  SoundManager& operator=(const SoundManager&) = delete;

  // The player's options, asked at every call; unset means on.
  std::function<bool()> MusicOn;
  std::function<bool()> SoundOn;
  // Shows a message and returns when it is dismissed (a message box, or
  // standard error in headless runs). Unset: standard error.
  std::function<void(const std::string&)> ShowErrorHandler;
  // Shows the message of a failure that ends the program (an error dialog).
  // Unset: ShowErrorHandler.
  std::function<void(const std::string&)> FatalErrorHandler;
  // Ends the program with the exit code. Unset: std::exit.
  std::function<void(int)> Terminate;

  // Start on the archive, register every music and load every sample.
  void StartUp(TCPDb& archive);

  // Remembers the archive, checks the audio layer's version (terminating on a
  // mismatch) and opens the output.
  void Start(TCPDb& archive);
  // Reads the archive record file and registers it under key; on failure shows
  // why and leaves the key unregistered.
  void RegisterMusic(const std::string& file, const std::string& key, int volume);
  // The first entry whose key equals key exactly, or nullptr.
  TMusicEntry* FindMusic(const std::string& key);
  void PlayChannel(const std::string& key, bool loop, bool restart);
  // From the beginning, if the player has music on.
  void PlayMusic(const std::string& key, bool loop);
  // On from where the channel stopped, with its loop flag unchanged, if the
  // player has music on.
  void ResumeMusic(const std::string& key);
  // Stops the tune where it is. A tune already stopped, and not played or
  // resumed since, is left alone: the game may ask again each second while a
  // level stands over, and the log and the audio layer see the stop once.
  void StopMusic(const std::string& key);
  // Stops and frees every channel and closes the output.
  void Shutdown();
  // Decodes the archive record file into a sample; a failure ends the program.
  uint32_t LoadSample(const std::string& file);
  // Plays the sample once, if the player has sound on.
  void PlaySound(uint32_t sample);
  void ShowError(const std::string& text);

  // What was played and stopped since the last call, oldest first:
  // "play:snap.ogg", "music:play:Music3", "music:resume:Music3",
  // "music:stop:MapMusic". Only the latest few thousand are kept.
  std::vector<std::string> TakeAudioLog();

  const std::vector<std::unique_ptr<TMusicEntry>>& Entries() const { return Entries_; }
  TMusicEntry* LastFound() const { return LastFound_; }
  bool Started() const { return Started_; }

  // The sample handles, filled by StartUp in this order.
  uint32_t SndBreakTab = 0;
  uint32_t SndBreakWood = 0;
  uint32_t SndBreakSteel = 0;
  uint32_t SndCheckbox = 0;
  uint32_t SndForceFieldOff = 0;
  uint32_t SndMagicCast = 0;
  uint32_t SndMenuSelect = 0;
  uint32_t SndMouseOverMenu = 0;
  uint32_t SndContagemPontos = 0;
  uint32_t SndSnap = 0;
  uint32_t SndSwap1 = 0;
  uint32_t SndSwapback = 0;
  uint32_t SndRoll = 0;
  uint32_t SndPontosSubindo = 0;
  uint32_t SndDigitac = 0;

 private:
  void Log(std::string entry);
  void Fatal(const std::string& text);
  void End(int code);

  TCPDb* Archive_ = nullptr;
  std::vector<std::unique_ptr<TMusicEntry>> Entries_;
  TMusicEntry* LastFound_ = nullptr;
  bool Started_ = false;
  std::unordered_map<uint32_t, std::string> SampleFiles_;
  std::vector<std::string> AudioLog_;
  std::unordered_set<std::string> Stopped_;  // tunes stopped since their last play or resume
};
