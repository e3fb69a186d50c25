// Copying a folder of the player's (the level packs a replay plays with) into
// a folder of the game's own, without ever going through a link: only plain
// files and folders are copied, each opened so that a link put in its place
// meanwhile is refused, and a link, a pipe or a device in the folder is left
// out. The copy stops at the first error, which names the file and the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct TFolderCopyLimits {
  int Depth = 16;                          // folders inside folders
  size_t Files = 65536;                    // files and folders in all
  uint64_t Bytes = uint64_t{256} << 20;    // bytes in all
};

// Copies the contents of `from` into `to`, which is created and must not
// exist yet. `skip`, when given, leaves out an entry by its path relative to
// `from` ("Game Levels", "Mine/1.lvl"). A missing `from` copies nothing. False
// with the reason in error on the first failure; what was copied by then
// stays.
bool CopyFolderWithoutLinks(const std::string& from, const std::string& to, std::string& error,
                            const std::function<bool(const std::string& relative)>& skip = {},
                            const TFolderCopyLimits& limits = {});
