// The sound manager: the music registry looked up by key, the preloaded sound
// effects, and the player's two sound options that gate them. Everything is
// read from the main data archive and played through the audio layer: the
// effects at start-up, the music at start-up too or, with
// LoadMusicWhenPlayed, when each tune first plays.
#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TCPDb;
namespace plat {
class AudioSource;
}

// One registered music channel. Loaded at start-up, a stream's channel plays
// from Data, which therefore stays allocated and unchanged until Shutdown (a
// module's channel keeps its own copy). Loaded when first played, Data stays
// empty: the audio layer keeps a stream's bytes with its channel.
struct TMusicEntry {
  uint32_t Channel = 0;  // 0 while the tune is not loaded
  std::string Key;       // compared case-sensitively
  std::vector<uint8_t> Data;
  uint32_t Size = 0;
  std::string File;  // its archive record
  int Volume = 100;
  bool Loop = false;         // the loop flag of its last play
  uint64_t LastPlayed = 0;   // when it last played or resumed (a count of plays)
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
  // The music is registered at start-up by key, its record only looked for;
  // a tune is read and its channel made when it first plays (or earlier, by
  // PrefetchMusic). A record that turns out unreadable then is reported as
  // at start-up ("Error loading ..." or "Error creating stream ...") and the
  // key stays unregistered. Off: every tune is loaded at start-up.
  bool LoadMusicWhenPlayed = false;
  // With LoadMusicWhenPlayed: how many stopped tunes keep their channels,
  // the most recently played first; a tune loaded beyond them frees the
  // oldest. A freed tune that is resumed starts again from its beginning.
  size_t TunesKept = 3;

  // Start on the archive, register every music and load every sample.
  void StartUp(TCPDb& archive);

  // Remembers the archive, checks the audio layer's version (terminating on a
  // mismatch) and opens the output.
  void Start(TCPDb& archive);
  // Reads the archive record file and registers it under key; on failure shows
  // why and leaves the key unregistered. With LoadMusicWhenPlayed only checks
  // that the record exists.
  void RegisterMusic(const std::string& file, const std::string& key, int volume);
  // With LoadMusicWhenPlayed: reads the tune and makes it ready to play on a
  // background thread, so that its first play takes no time. Unknown keys and
  // tunes already loaded are left alone.
  void PrefetchMusic(const std::string& key);
  // Tunes whose channels exist now.
  int LoadedTunes() const;
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
  uint32_t SndClockTick = 0;

 private:
  // A tune read and made ready on a background thread.
  struct Prepared {
    bool Read = false;  // its record was read
    int Error = 0;      // the audio layer's answer to making it ready
    std::vector<uint8_t> Data;
    std::unique_ptr<plat::AudioSource> Source;
    Prepared();
    Prepared(Prepared&&) noexcept;
    Prepared& operator=(Prepared&&) noexcept;
    ~Prepared();
  };
  using DecodedSample = std::shared_ptr<const std::vector<float>>;
  // A sample decoded beforehand handed to the audio layer (a null one fails).
  uint32_t AddSample(const std::string& file, DecodedSample pcm);
  // The handle of the sample, or, for 0, the end of the program.
  uint32_t SampleLoaded(const std::string& file, uint32_t handle);
  void Log(std::string entry);
  void Fatal(const std::string& text);
  void End(int code);
  // Makes the entry's channel from its record; false (reported, the entry
  // dropped) when it cannot be had.
  bool LoadTune(TMusicEntry& entry);
  // Frees the channels of the oldest stopped tunes beyond TunesKept.
  void FreeOldTunes(const TMusicEntry& playing);
  void FreeTune(TMusicEntry& entry);
  void Drop(TMusicEntry& entry);

  TCPDb* Archive_ = nullptr;
  std::vector<std::unique_ptr<TMusicEntry>> Entries_;
  // Tunes read ahead and not played yet, oldest first; only the last few are
  // kept, as a tune read ahead may never play (a level left from its map).
  std::vector<std::pair<std::string, std::future<Prepared>>> Prefetched_;
  // Reads ahead not waited for (the tune was read when it played): they end
  // on their own and are dropped at Shutdown.
  std::vector<std::future<Prepared>> Abandoned_;
  uint64_t Plays_ = 0;
  TMusicEntry* LastFound_ = nullptr;
  bool Started_ = false;
  std::unordered_map<uint32_t, std::string> SampleFiles_;
  std::vector<std::string> AudioLog_;
  std::unordered_set<std::string> Stopped_;  // tunes stopped since their last play or resume
};
