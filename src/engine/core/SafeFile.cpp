#include "engine/core/SafeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

namespace {

void SyncFolder(const fs::path& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

fs::path FolderOf(const fs::path& target) { return target.has_parent_path() ? target.parent_path() : fs::path("."); }

// A temporary file being written: open, and locked so that a clean-up never
// takes it for a leftover while it is in use.
struct TTemporary {
  std::string Name;
  int Fd = -1;
  void Close() {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
  }
  void Drop() {
    if (Fd >= 0) ::unlink(Name.c_str());
    Close();
  }
};

// Writes a new file of a unique name beside the target, on disk when this
// returns; the file stays open (and locked) until the caller closes it.
bool WriteTemporary(const std::string& path, const std::function<bool(int)>& fill, TTemporary& temp,
                    std::string& error) {
  std::error_code ec;
  const fs::path target(path);
  const fs::path folder = FolderOf(target);
  fs::create_directories(folder, ec);
  if (ec) {
    // Said as it is: a folder that cannot be made is no missing file.
    error = "Cannot write \"" + path + "\": cannot make the folder \"" + folder.string() + "\": " +
            std::strerror(ec.value()) + ".";
    return false;
  }
  // mkstemp opens a name nobody has used, with O_CREAT | O_EXCL: a file or a
  // link planted under a fixed temporary name cannot redirect the write.
  temp.Name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  temp.Fd = ::mkostemp(temp.Name.data(), O_CLOEXEC);
  if (temp.Fd < 0) {
    error = "Cannot write \"" + path + "\": " + std::strerror(errno) + ".";
    return false;
  }
  ::flock(temp.Fd, LOCK_EX);
  ::fchmod(temp.Fd, 0644);
  const bool written = fill(temp.Fd) && ::fsync(temp.Fd) == 0;
  if (!written) {
    error = "Cannot write \"" + path + "\": " + std::strerror(errno) + ".";
    temp.Drop();
    return false;
  }
  return true;
}

// The commit record of a group of files written together, and its first line.
constexpr const char* kGroupSuffix = ".group";
constexpr const char* kGroupHeader = "grovewright-group 1";

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// Whether the path names a plain file itself (a link is not one).
bool IsPlainFileNoFollow(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Unlinks a leftover temporary file: only a plain file no running write holds.
bool RemoveIfUnused(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {}, now {};
  bool removed = false;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      ::lstat(path.c_str(), &now) == 0 && now.st_ino == st.st_ino && now.st_dev == st.st_dev)
    removed = ::unlink(path.c_str()) == 0;
  ::close(fd);
  return removed;
}

}  // namespace

bool IsTemporaryName(const std::string& name, std::string& target) {
  // "." + target + "." + six letters or digits, as mkstemp fills them in.
  if (name.size() < 9 || name[0] != '.' || name[name.size() - 7] != '.') return false;
  for (size_t i = name.size() - 6; i < name.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  target = name.substr(1, name.size() - 8);
  return IsPlainName(target);
}

bool WriteFileAtomicallyWith(const std::string& path, const std::function<bool(int fd)>& fill, std::string& error) {
  TTemporary temp;
  if (!WriteTemporary(path, fill, temp, error)) return false;
  if (::rename(temp.Name.c_str(), path.c_str()) != 0) {
    error = "Cannot replace \"" + path + "\": " + std::strerror(errno) + ".";
    temp.Drop();
    return false;
  }
  temp.Close();
  // The rename itself reaches the disk with the folder.
  SyncFolder(FolderOf(fs::path(path)));
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  return WriteFileAtomicallyWith(path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, error);
}

bool WriteFilesTogether(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files, std::string& error) {
  if (files.empty()) return true;
  const fs::path first(files.front().first);
  const fs::path folder = FolderOf(first);
  std::vector<TTemporary> temps;
  auto dropTemps = [&] {
    for (TTemporary& t : temps) t.Drop();
  };
  for (const auto& file : files) {
    const std::string& path = file.first;
    const std::vector<uint8_t>& bytes = file.second;
    if (FolderOf(fs::path(path)) != folder) {
      dropTemps();
      error = "Cannot write \"" + path + "\" with \"" + first.string() + "\": they lie in different folders.";
      return false;
    }
    TTemporary temp;
    if (!WriteTemporary(path, [&bytes](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, temp, error)) {
      dropTemps();
      return false;
    }
    temps.push_back(temp);
  }
  // The record names each new file and its place. Once it is on disk the
  // group counts as written: whoever finds the record finishes the renames.
  std::string record = std::string(kGroupHeader) + "\n";
  for (size_t i = 0; i < files.size(); ++i)
    record += fs::path(temps[i].Name).filename().string() + "\t" + fs::path(files[i].first).filename().string() + "\n";
  const std::string recordPath = (folder / ("." + first.filename().string() + kGroupSuffix)).string();
  if (!WriteFileAtomically(recordPath, std::vector<uint8_t>(record.begin(), record.end()), error)) {
    dropTemps();
    return false;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (::rename(temps[i].Name.c_str(), files[i].first.c_str()) != 0) {
      // The record stays: the next recovery of the folder completes the group.
      error = "Cannot replace \"" + files[i].first + "\": " + std::strerror(errno) + ".";
      for (TTemporary& t : temps) t.Close();
      return false;
    }
  }
  for (TTemporary& t : temps) t.Close();
  SyncFolder(folder);
  ::unlink(recordPath.c_str());
  SyncFolder(folder);
  return true;
}

namespace {
// A group record as the game writes it: its first line, then one line per
// file, "<temporary name>\t<target>". Empty when the record is not one.
std::vector<std::pair<std::string, std::string>> ReadGroupRecord(const fs::path& folder, const std::string& recordName,
                                                                 const TFileGroupRules& rules) {
  std::vector<std::pair<std::string, std::string>> entries;
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadSmallFileNoLinks((folder / recordName).string(), 1 << 12, bytes, error)) return {};
  const std::string text(bytes.begin(), bytes.end());
  size_t at = 0;
  bool header = false;
  std::vector<std::string> targets;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) return {};  // every line of a whole record ends
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!header) {
      if (line != kGroupHeader) return {};
      header = true;
      continue;
    }
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) return {};
    const std::string temp = line.substr(0, tab), target = line.substr(tab + 1);
    std::string named;
    // The new file carries the temporary name made for its own target.
    if (!IsPlainName(target) || !IsTemporaryName(temp, named) || named != target) return {};
    if (rules.Member && !rules.Member(target)) return {};
    for (const std::string& t : targets)
      if (t == target) return {};
    // A new file still waiting must be a plain file, never a link.
    std::error_code ec;
    if (fs::symlink_status(folder / temp, ec).type() != fs::file_type::not_found && !IsPlainFileNoFollow(folder / temp))
      return {};
    targets.push_back(target);
    entries.emplace_back(temp, target);
  }
  if (entries.empty() || recordName != "." + targets.front() + kGroupSuffix) return {};
  if (rules.Group && !rules.Group(targets)) return {};
  return entries;
}
}  // namespace

void RecoverFileGroups(const std::string& folderName, const TFileGroupRules& rules) {
  const fs::path folder(folderName);
  std::error_code ec;
  std::vector<std::string> records, temps;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::string target;
    if (name.size() > 7 && name[0] == '.' && name.ends_with(kGroupSuffix))
      records.push_back(name);
    else if (IsTemporaryName(name, target))
      temps.push_back(name);
  }
  std::vector<std::string> claimed;
  // Only targets that may belong to a group: the records and the new files
  // of other names are no business of recovery.
  auto member = [&](const std::string& target) { return !rules.Member || rules.Member(target); };
  for (const std::string& recordName : records) {
    const auto entries = ReadGroupRecord(folder, recordName, rules);
    if (entries.empty()) continue;  // not a record the game wrote: left alone
    for (const auto& [temp, target] : entries) {
      if (IsPlainFileNoFollow(folder / temp)) ::rename((folder / temp).c_str(), (folder / target).c_str());
      claimed.push_back(temp);
    }
    SyncFolder(folder);
    ::unlink((folder / recordName).c_str());
  }
  SyncFolder(folder);
  // Temporary files of the group's kind that no record claims belong to
  // writes cut off before they counted: the files they were to replace are
  // still whole.
  for (const std::string& temp : temps) {
    if (std::find(claimed.begin(), claimed.end(), temp) != claimed.end()) continue;
    std::string target;
    IsTemporaryName(temp, target);
    const bool recordTemp = target.size() > 7 && target[0] == '.' && target.ends_with(kGroupSuffix) &&
                            member(target.substr(1, target.size() - 1 - std::strlen(kGroupSuffix)));
    if (member(target) || recordTemp) RemoveIfUnused(folder / temp);
  }
}

int RemoveStaleTemporaries(const std::string& folderName, const std::function<bool(const std::string& target)>& ours) {
  const fs::path folder(folderName);
  std::error_code ec;
  int removed = 0;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::string target;
    if (IsTemporaryName(name, target) && ours(target) && RemoveIfUnused(it->path())) ++removed;
  }
  return removed;
}

std::string TemporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  std::error_code ec;
  if (dir && dir[0] == '/' && fs::is_directory(dir, ec)) return dir;
  return "/tmp";
}

namespace {
TReadFailure ReadSmall(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                       int& errorNumber, bool followLinks) {
  errorNumber = 0;
  bytes.clear();
  auto failed = [&](TReadFailure kind, const std::string& text, int number = 0) {
    errorNumber = number;
    error = text;
    bytes.clear();
    return kind;
  };
  struct stat st {};
  if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) {
    const int e = errno;
    return failed(e == ENOENT ? TReadFailure::Missing : TReadFailure::Failed,
                  "Cannot open \"" + path + "\": " + std::strerror(e) + ".", e);
  }
  // A pipe would block the game for ever and a device would never end.
  if (!S_ISREG(st.st_mode)) return failed(TReadFailure::NotPlain, "\"" + path + "\" is not a plain file.");
  if (static_cast<uint64_t>(st.st_size) > maxBytes)
    return failed(TReadFailure::TooLarge, "\"" + path + "\" is too large to be one of the game's files.");
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
  if (fd < 0) {
    const int e = errno;
    return failed(TReadFailure::Failed, "Cannot open \"" + path + "\": " + std::strerror(e) + ".", e);
  }
  // The name may have been swapped for something else since it was looked at.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return failed(TReadFailure::NotPlain, "\"" + path + "\" is not a plain file.");
  }
  // One byte more than expected, to notice a file that grew meanwhile.
  const uint64_t expected = static_cast<uint64_t>(st.st_size) < maxBytes ? static_cast<uint64_t>(st.st_size) : maxBytes;
  bytes.resize(static_cast<size_t>(expected) + 1);
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) break;  // grew past the size it had: too large
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      const TReadFailure kind = failed(TReadFailure::Failed, "Cannot read \"" + path + "\": " + std::strerror(e) + ".", e);
      ::close(fd);
      return kind;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got > maxBytes) return failed(TReadFailure::TooLarge, "\"" + path + "\" is too large to be one of the game's files.");
  bytes.resize(got);
  return TReadFailure::None;
}
}  // namespace

TReadFailure ReadSmallFileWhy(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                              int& errorNumber) {
  return ReadSmall(path, maxBytes, bytes, error, errorNumber, true);
}

bool ReadSmallFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                   bool* missing) {
  int errorNumber = 0;
  const TReadFailure failure = ReadSmall(path, maxBytes, bytes, error, errorNumber, true);
  if (missing) *missing = failure == TReadFailure::Missing;
  return failure == TReadFailure::None;
}

bool ReadSmallFileNoLinks(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                          bool* missing) {
  int errorNumber = 0;
  const TReadFailure failure = ReadSmall(path, maxBytes, bytes, error, errorNumber, false);
  if (missing) *missing = failure == TReadFailure::Missing;
  return failure == TReadFailure::None;
}

bool ValidateFileName(const std::string& name, std::string& reason) {
  if (name.empty()) {
    reason = "it is empty";
    return false;
  }
  if (name.find_first_not_of(' ') == std::string::npos) {
    reason = "it is only spaces";
    return false;
  }
  if (name.size() > kMaxFileNameBytes) {
    reason = "it is longer than " + std::to_string(kMaxFileNameBytes) + " characters";
    return false;
  }
  if (name[0] == '.') {
    reason = "it starts with a dot";
    return false;
  }
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '/' || c == '\\') {
      reason = std::string("it contains a \"") + ch + "\"";
      return false;
    }
    if (c < 0x20 || c == 0x7F) {
      reason = "it contains a control character";
      return false;
    }
  }
  return true;
}

std::string PrintableName(const std::string& name) {
  std::string out;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += ch;
    }
  }
  return out;
}
