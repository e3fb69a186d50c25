// What the game does with a player's file it cannot use, so that a saved
// journey, the options or the hiscore table is never lost in silence: a
// damaged file (cut short, too long, values no game writes) is kept aside as
// "<file>.damaged" before anything is saved in its place, and a file that
// cannot be read at all (no permission, a read error, no plain file) is left
// as it is and never written over while the game runs. Either is told to the
// player in a sentence.
//
// Also here: the start-up care of the save folder, which removes what writes
// cut off by a crash or a kill left behind and says once when the folder
// cannot be written.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

class TSaveGuard {
 public:
  enum class TKind { Journey, Options, Hiscores };
  enum class TOutcome { Read, Missing, KeptAside, Unreadable };

  // Reads the file and checks it with `whole` (the record's own decoder). A
  // file that fails is handled as above; message then holds what the player
  // is told (empty when the file is simply missing, or read).
  TOutcome Check(const std::string& path, TKind kind, size_t maxBytes,
                 const std::function<bool(const std::vector<uint8_t>& bytes)>& whole, std::string& message);
  // Whether the game may write the file: false for one that could not be
  // read this session.
  bool MayWrite(const std::string& path) const { return Unreadable_.count(path) == 0; }

 private:
  std::set<std::string> Unreadable_;
};

// Keeps a damaged file aside under the first free name of "<file>.damaged",
// "<file>.damaged-2", ...; false, with the reason, when it cannot.
bool KeepDamagedFile(const std::string& path, std::string& keptAs, std::string& error);

// Removes the temporary files of the game's own saves (the options, the
// players' files, the hiscore table, the replays) that a crash or a kill
// left in the save folder. Returns how many went.
int RemoveStaleSaveTemporaries(const std::string& saveHome);

// A sentence for the player when the save folder cannot be written (it, or
// a file in it, cannot be made); "" when it can.
std::string SaveFolderWarning(const std::string& saveHome);
