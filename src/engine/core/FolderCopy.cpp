#include "engine/core/FolderCopy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

struct TCopy {
  const std::function<bool(const std::string&)>& Skip;
  const TFolderCopyLimits& Limits;
  std::string& Error;
  size_t Files = 0;
  uint64_t Bytes = 0;

  bool Fail(const std::string& path, const std::string& what) {
    Error = "cannot copy \"" + path + "\": " + what;
    return false;
  }
  bool FailErrno(const std::string& path) { return Fail(path, std::strerror(errno)); }

  bool CopyFile(int fromDir, int toDir, const std::string& name, const std::string& fromPath, const std::string& toPath) {
    const int in = ::openat(fromDir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return FailErrno(fromPath);
    struct stat st {};
    // The name may have been swapped for something else since it was listed.
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(in);
      return Fail(fromPath, "it is no longer a plain file");
    }
    const int out = ::openat(toDir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0) {
      ::close(in);
      return FailErrno(toPath);
    }
    std::vector<char> buffer(64 * 1024);
    bool ok = true;
    for (;;) {
      const ssize_t n = ::read(in, buffer.data(), buffer.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ok = FailErrno(fromPath);
        break;
      }
      if (n == 0) break;
      Bytes += static_cast<uint64_t>(n);
      if (Bytes > Limits.Bytes) {
        ok = Fail(fromPath, "the folder holds more than " +
                                (Limits.Bytes % (1 << 20) == 0 ? std::to_string(Limits.Bytes >> 20) + " MiB"
                                                               : std::to_string(Limits.Bytes) + " bytes"));
        break;
      }
      for (ssize_t done = 0; done < n;) {
        const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) {
          ok = FailErrno(toPath);
          break;
        }
        done += w;
      }
      if (!ok) break;
    }
    ::close(in);
    if (::close(out) != 0 && ok) ok = FailErrno(toPath);
    return ok;
  }

  // Copies the entries of the open folder fromDir into the open folder toDir.
  bool CopyFolder(int fromDir, int toDir, const std::string& fromPath, const std::string& toPath,
                  const std::string& relative, int depth) {
    if (depth > Limits.Depth) return Fail(fromPath, "its folders go more than " + std::to_string(Limits.Depth) + " deep");
    const int listFd = ::dup(fromDir);
    if (listFd < 0) return FailErrno(fromPath);
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
      ::close(listFd);
      return FailErrno(fromPath);
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
      errno = 0;
    }
    const int listError = errno;
    ::closedir(dir);
    if (listError != 0) {
      errno = listError;
      return FailErrno(fromPath);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      const std::string from = fromPath + "/" + name, to = toPath + "/" + name;
      const std::string rel = relative.empty() ? name : relative + "/" + name;
      if (Skip && Skip(rel)) continue;
      struct stat st {};
      if (::fstatat(fromDir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return FailErrno(from);
      // Links, pipes, devices and sockets are no part of a pack.
      if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) continue;
      if (++Files > Limits.Files)
        return Fail(fromPath, "the folder holds more than " + std::to_string(Limits.Files) + " files");
      if (S_ISREG(st.st_mode)) {
        if (!CopyFile(fromDir, toDir, name, from, to)) return false;
        continue;
      }
      const int sub = ::openat(fromDir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub < 0) return FailErrno(from);
      if (::mkdirat(toDir, name.c_str(), 0755) != 0) {
        ::close(sub);
        return FailErrno(to);
      }
      const int subTo = ::openat(toDir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (subTo < 0) {
        ::close(sub);
        return FailErrno(to);
      }
      const bool ok = CopyFolder(sub, subTo, from, to, rel, depth + 1);
      ::close(sub);
      ::close(subTo);
      if (!ok) return false;
    }
    return true;
  }
};

}  // namespace

bool CopyFolderWithoutLinks(const std::string& from, const std::string& to, std::string& error,
                            const std::function<bool(const std::string& relative)>& skip,
                            const TFolderCopyLimits& limits) {
  const int fromDir = ::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fromDir < 0) {
    if (errno == ENOENT) return true;  // nothing to copy
    if (errno == ELOOP || errno == ENOTDIR) {
      // A link (or a file) in place of the folder: nothing of it is copied.
      struct stat st {};
      if (::lstat(from.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) return true;
    }
    error = "cannot copy \"" + from + "\": " + std::strerror(errno);
    return false;
  }
  if (::mkdir(to.c_str(), 0755) != 0) {
    error = "cannot make \"" + to + "\": " + std::strerror(errno);
    ::close(fromDir);
    return false;
  }
  const int toDir = ::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (toDir < 0) {
    error = "cannot open \"" + to + "\": " + std::strerror(errno);
    ::close(fromDir);
    return false;
  }
  TCopy copy{skip, limits, error};
  const bool ok = copy.CopyFolder(fromDir, toDir, from, to, "", 1);
  ::close(fromDir);
  ::close(toDir);
  return ok;
}
