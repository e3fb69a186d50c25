// Careful file work for the game's own small files (levels, saves, options):
// writes that never leave a half-written file behind, reads that refuse
// anything but a plain file of sensible size, and the one check for a name
// that becomes part of a path (player names, pack names).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Writes bytes to path through a new temporary file in the same folder
// (created exclusively, so nothing planted there is followed), flushed to disk
// and then renamed over the target: a crash or a full disk leaves either the
// old file or the new one, never a mix, and no temporary file stays behind.
// Creates the folder when it is missing.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
// The same for a file written piece by piece: fill writes the bytes to the
// open file and answers false (with errno set) when a write fails.
bool WriteFileAtomicallyWith(const std::string& path, const std::function<bool(int fd)>& fill, std::string& error);

// Writes several files of one folder so that they change together: each goes
// to a temporary file first, then a small commit record names them all, and
// only then are they renamed into place. Should the program die half-way,
// RecoverFileGroups finishes a group whose record was written and discards
// one whose record was not, so the files are never half old, half new.
bool WriteFilesTogether(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files, std::string& error);
// Completes or discards the interrupted group writes of a folder. Run before
// reading files that are written together. Only a record the game wrote is
// followed: one that begins with the game's own first line, whose new files
// carry the temporary names made for their targets and are plain files, and
// whose targets the rules take as one group of this folder (by default, any
// plain names). Anything else is left as it is: a file recovery did not
// create is never deleted or moved.
struct TFileGroupRules {
  // Whether a file of the folder may be written in a group.
  std::function<bool(const std::string& name)> Member;
  // Whether the files a record names, in its order, make one group.
  std::function<bool(const std::vector<std::string>& targets)> Group;
};
void RecoverFileGroups(const std::string& folder, const TFileGroupRules& rules = {});

// Removes the temporary files that writes cut off by a crash or a kill left
// in a folder: only plain files (never links) named as the game names them,
// ".<target>.XXXXXX", whose target `ours` names, and only while no running
// write holds them. Returns how many went.
int RemoveStaleTemporaries(const std::string& folder, const std::function<bool(const std::string& target)>& ours);

// Whether a file name has the form of the game's temporary files,
// ".<target>.XXXXXX"; target receives the name it was to replace.
bool IsTemporaryName(const std::string& name, std::string& target);

// Reads a whole regular file of at most maxBytes. A missing file sets missing
// (and error); a folder, a device, a pipe or a larger file is an error.
bool ReadSmallFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                   bool* missing = nullptr);
// How a read went, for callers that act on the kind of failure: the file is
// missing, is no plain file, is larger than allowed, or could not be opened
// or read (Errno says why).
enum class TReadFailure { None, Missing, NotPlain, TooLarge, Failed };
TReadFailure ReadSmallFileWhy(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                              int& errorNumber);
// The same, but a link in the file's place is refused rather than followed.
bool ReadSmallFileNoLinks(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                          bool* missing = nullptr);

// The folder for temporary files: $TMPDIR when it names a folder by an
// absolute path, else /tmp.
std::string TemporaryFolder();

// The longest name, in bytes of the game's 8-bit text, that a player or a
// pack may have.
constexpr size_t kMaxFileNameBytes = 100;

// Whether a name can stand as one file or folder name inside the game's
// folders: not empty or blank, at most kMaxFileNameBytes bytes, no "/" or
// "\", no control characters, and no leading dot (so neither "." nor ".."
// nor a hidden file). When it cannot, reason says why in words for the player
// ("contains a \"/\"").
bool ValidateFileName(const std::string& name, std::string& reason);

// The name as it may be shown in a message: control characters and bytes
// that a terminal would act on are written as \xNN.
std::string PrintableName(const std::string& name);
