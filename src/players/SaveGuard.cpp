#include "players/SaveGuard.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/core/SafeFile.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace {

// The system's reason in the middle of a sentence: "permission denied".
std::string Reason(int errorNumber) {
  std::string text = std::strerror(errorNumber ? errorNumber : EIO);
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && (text.size() < 2 || !(text[1] >= 'A' && text[1] <= 'Z')))
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

// A path as a message box shows it: the game's 8-bit text, no control
// characters.
std::string Shown(const std::string& path) { return PrintableName(plat::Utf8ToAnsi(path)); }

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

bool KeepDamagedFile(const std::string& path, std::string& keptAs, std::string& error) {
  for (int n = 1; n <= 99; ++n) {
    keptAs = path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
    // Never over another kept file: the rename refuses a name that exists.
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, keptAs.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) continue;
    if (errno == EINVAL || errno == ENOSYS) {
      // A file system without that rename: a new name that no file holds.
      if (Exists(keptAs)) continue;
      if (::rename(path.c_str(), keptAs.c_str()) == 0) return true;
    }
    error = Reason(errno);
    return false;
  }
  error = "ninety-nine damaged copies are kept already";
  return false;
}

TSaveGuard::TOutcome TSaveGuard::Check(const std::string& path, TKind kind, size_t maxBytes,
                                       const std::function<bool(const std::vector<uint8_t>&)>& whole,
                                       std::string& message) {
  message.clear();
  std::vector<uint8_t> bytes;
  std::string error;
  int errorNumber = 0;
  const TReadFailure failure = ReadSmallFileWhy(path, maxBytes, bytes, error, errorNumber);
  if (failure == TReadFailure::Missing) return TOutcome::Missing;
  if (failure == TReadFailure::None && whole(bytes)) return TOutcome::Read;
  const std::string shown = Shown(path);
  if (failure == TReadFailure::None || failure == TReadFailure::TooLarge) {
    // The file was read, or is a plain file far too long: damaged.
    std::string keptAs, why;
    if (KeepDamagedFile(path, keptAs, why)) {
      const std::string kept = "\"" + Shown(keptAs) + "\"";
      switch (kind) {
        case TKind::Journey:
          message = "Your saved journey could not be read; it was kept as " + kept + ".";
          break;
        case TKind::Options:
          message = "Your options could not be read; they were kept as " + kept +
                    ", and the game starts with its usual options.";
          break;
        case TKind::Hiscores:
          message = "The hiscore table could not be read; it was kept as " + kept +
                    ", and the table starts again as the game came.";
          break;
      }
      return TOutcome::KeptAside;
    }
    error = "it is damaged, and it cannot be kept aside: " + why;
  } else if (failure == TReadFailure::NotPlain) {
    error = "it is not a plain file";
  } else {
    error = Reason(errorNumber);
  }
  // Left as it is, and never written over while the game runs.
  Unreadable_.insert(path);
  switch (kind) {
    case TKind::Journey:
      message = "Your saved journey \"" + shown + "\" could not be read: " + error +
                ". It is left as it is, and this game will not be saved over it.";
      break;
    case TKind::Options:
      message = "Your options \"" + shown + "\" could not be read: " + error +
                ". The file is left as it is, and options you change now will not be saved.";
      break;
    case TKind::Hiscores:
      message = "The hiscore table \"" + shown + "\" could not be read: " + error +
                ". It is left as it is, and new scores will not be entered.";
      break;
  }
  return TOutcome::Unreadable;
}

int RemoveStaleSaveTemporaries(const std::string& saveHome) {
  const fs::path home(saveHome);
  auto named = [](const char* exact) { return [exact](const std::string& target) { return target == exact; }; };
  auto endsWith = [](std::vector<std::string> ends) {
    return [ends](const std::string& target) {
      for (const std::string& end : ends)
        if (target.size() > end.size() && target.ends_with(end)) return true;
      return false;
    };
  };
  return RemoveStaleTemporaries(saveHome, named("arvanels.cfg")) +
         RemoveStaleTemporaries(saveHome, named("grovewright-write-test")) +
         RemoveStaleTemporaries((home / "save").string(), endsWith({".sav", ".sa2"})) +
         RemoveStaleTemporaries((home / "data").string(), named("hiscore.arv")) +
         RemoveStaleTemporaries((home / "replays").string(), endsWith({".replay"}));
}

std::string SaveFolderWarning(const std::string& saveHome) {
  std::error_code ec;
  fs::create_directories(saveHome, ec);
  int errorNumber = ec ? ec.value() : 0;
  if (!errorNumber) {
    // Making a file is the one sure test (a folder may look writable and
    // not be, or the other way round).
    std::string probe = (fs::path(saveHome) / ".grovewright-write-test.XXXXXX").string();
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) {
      errorNumber = errno;
    } else {
      ::close(fd);
      ::unlink(probe.c_str());
    }
  }
  if (!errorNumber) return {};
  return "The folder \"" + Shown(saveHome) + "\", where the game keeps your players, saved games and options, " +
         "cannot be written (" + Reason(errorNumber) + "): nothing of this game will be saved.";
}
