#include "engine/core/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// Writes the bytes into a new file of a unique name beside the target, on
// disk when this returns; temp receives its name.
bool WriteTemporary(const std::string& path, const std::vector<uint8_t>& bytes, std::string& temp,
                    std::string& error) {
  std::error_code ec;
  const fs::path target(path);
  const fs::path folder = FolderOf(target);
  fs::create_directories(folder, ec);
  // mkstemp opens a name nobody has used, with O_CREAT | O_EXCL: a file or a
  // link planted under a fixed temporary name cannot redirect the write.
  temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = "Cannot write \"" + path + "\": " + std::strerror(errno) + ".";
    return false;
  }
  ::fchmod(fd, 0644);
  const bool written = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    error = "Cannot write \"" + path + "\": " + std::strerror(written ? errno : writeErrno) + ".";
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

// The commit record of a group of files written together.
constexpr const char* kGroupSuffix = ".group";

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::string temp;
  if (!WriteTemporary(path, bytes, temp, error)) return false;
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    error = "Cannot replace \"" + path + "\": " + std::strerror(errno) + ".";
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  SyncFolder(FolderOf(fs::path(path)));
  return true;
}

bool WriteFilesTogether(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files, std::string& error) {
  if (files.empty()) return true;
  const fs::path first(files.front().first);
  const fs::path folder = FolderOf(first);
  std::vector<std::string> temps;
  auto dropTemps = [&] {
    for (const std::string& t : temps) ::unlink(t.c_str());
  };
  for (const auto& [path, bytes] : files) {
    if (FolderOf(fs::path(path)) != folder) {
      dropTemps();
      error = "Cannot write \"" + path + "\" with \"" + first.string() + "\": they lie in different folders.";
      return false;
    }
    std::string temp;
    if (!WriteTemporary(path, bytes, temp, error)) {
      dropTemps();
      return false;
    }
    temps.push_back(temp);
  }
  // The record names each new file and its place. Once it is on disk the
  // group counts as written: whoever finds the record finishes the renames.
  std::string record;
  for (size_t i = 0; i < files.size(); ++i)
    record += fs::path(temps[i]).filename().string() + "\t" + fs::path(files[i].first).filename().string() + "\n";
  const std::string recordPath = (folder / ("." + first.filename().string() + kGroupSuffix)).string();
  if (!WriteFileAtomically(recordPath, std::vector<uint8_t>(record.begin(), record.end()), error)) {
    dropTemps();
    return false;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (::rename(temps[i].c_str(), files[i].first.c_str()) != 0) {
      // The record stays: the next recovery of the folder completes the group.
      error = "Cannot replace \"" + files[i].first + "\": " + std::strerror(errno) + ".";
      return false;
    }
  }
  SyncFolder(folder);
  ::unlink(recordPath.c_str());
  SyncFolder(folder);
  return true;
}

void RecoverFileGroups(const std::string& folderName) {
  const fs::path folder(folderName);
  std::error_code ec;
  std::vector<fs::path> records, temps;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() < 2 || name[0] != '.') continue;
    if (name.ends_with(kGroupSuffix)) {
      records.push_back(it->path());
    } else if (name.size() > 7 && name[name.size() - 7] == '.') {
      temps.push_back(it->path());  // ".<target>.XXXXXX", a write that never finished
    }
  }
  for (const fs::path& recordPath : records) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (ReadSmallFile(recordPath.string(), 1 << 16, bytes, error)) {
      const std::string text(bytes.begin(), bytes.end());
      size_t at = 0;
      while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const std::string temp = line.substr(0, tab), target = line.substr(tab + 1);
        // Only names of this folder: a record never moves files elsewhere.
        if (temp.find('/') != std::string::npos || target.find('/') != std::string::npos || target.empty() ||
            target == "." || target == "..")
          continue;
        ::rename((folder / temp).c_str(), (folder / target).c_str());
      }
    }
    SyncFolder(folder);
    ::unlink(recordPath.c_str());
  }
  // Temporary files that no record claims belong to writes cut off before
  // they counted: the files they were to replace are still whole.
  for (const fs::path& temp : temps) {
    if (fs::exists(temp, ec)) ::unlink(temp.c_str());
  }
}

bool ReadSmallFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string& error,
                   bool* missing) {
  if (missing) *missing = false;
  bytes.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (missing && errno == ENOENT) *missing = true;
    error = "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
    return false;
  }
  // A pipe would block the game for ever and a device would never end.
  if (!S_ISREG(st.st_mode)) {
    error = "\"" + path + "\" is not a plain file.";
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    error = "\"" + path + "\" is too large to be one of the game's files.";
    return false;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
    return false;
  }
  // The name may have been swapped for something else since it was looked at.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error = "\"" + path + "\" is not a plain file.";
    return false;
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
      error = "Cannot read \"" + path + "\": " + std::strerror(errno) + ".";
      ::close(fd);
      bytes.clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got > maxBytes) {
    error = "\"" + path + "\" is too large to be one of the game's files.";
    bytes.clear();
    return false;
  }
  bytes.resize(got);
  return true;
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
