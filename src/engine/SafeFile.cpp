#include "engine/SafeFile.h"

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

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::error_code ec;
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  fs::create_directories(folder, ec);
  // mkstemp opens a name nobody has used, with O_CREAT | O_EXCL: a file or a
  // link planted under a fixed temporary name cannot redirect the write.
  std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
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
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    error = "Cannot replace \"" + path + "\": " + std::strerror(errno) + ".";
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
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
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) {
    error = "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
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
