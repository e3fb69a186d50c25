// Careful file work for the game's own small files (levels, saves, options):
// writes that never leave a half-written file behind, reads that refuse
// anything but a plain file of sensible size, and the one check for a name
// that becomes part of a path (player names, pack names).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Writes bytes to path through a new temporary file in the same folder
// (created exclusively, so nothing planted there is followed), flushed to disk
// and then renamed over the target: a crash or a full disk leaves either the
// old file or the new one, never a mix, and no temporary file stays behind.
// Creates the folder when it is missing.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// Writes several files of one folder so that they change together: each goes
// to a temporary file first, then a small commit record names them all, and
// only then are they renamed into place. Should the program die half-way,
// RecoverFileGroups finishes a group whose record was written and discards
// one whose record was not, so the files are never half old, half new.
bool WriteFilesTogether(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files, std::string& error);
// Completes or discards the interrupted group writes of a folder. Run before
// reading files that are written together.
void RecoverFileGroups(const std::string& folder);

// Reads a whole regular file of at most maxBytes. A missing file sets missing
// (and error); a folder, a device, a pipe or a larger file is an error.
bool ReadSmallFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                   bool* missing = nullptr);

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
