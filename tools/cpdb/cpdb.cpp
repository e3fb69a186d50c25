// cpdb: the one program that writes the game's data archives.
//
//   cpdb create FILE                     new empty archive (replaces FILE)
//   cpdb add FILE KEY SRC [--type N] [--plain] [--date D|now]
//   cpdb remove FILE KEY
//   cpdb list FILE
//   cpdb extract FILE KEY OUT            OUT "-" writes to standard output
//   cpdb verify FILE                     reads every record; exit 1 on any failure
//
// --key TEXT or --key hex:0011AABB picks another key for reading and writing;
// the default is the game's key. An empty key (--key "") reads and writes
// without one.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"

namespace {

const char* kUsage =
    "usage: cpdb COMMAND FILE [ARGS] [--key TEXT|hex:HEX]\n"
    "  create FILE                      write a new, empty archive\n"
    "  add FILE KEY SRC [--type N] [--plain] [--date D|now]\n"
    "                                   add or replace a record (encrypted unless --plain;\n"
    "                                   type defaults to 1 for *.image, 3 for *.font, else 0;\n"
    "                                   date in days since 30 December 1899, default 0)\n"
    "  remove FILE KEY                  remove a record\n"
    "  list FILE                        key, type, sizes and encryption of every record\n"
    "  extract FILE KEY OUT             write a record's bytes to OUT (\"-\" = standard output)\n"
    "  verify FILE                      read every record; exit code 1 on any failure\n";

struct Options {
  std::vector<std::string> Args;
  std::vector<uint8_t> Key = GameArchiveKey();
  std::optional<long> Type;
  bool Plain = false;
  double Date = 0;
};

int Fail(const std::string& message) {
  std::cerr << "cpdb: " << message << "\n";
  return 2;
}

bool ParseKey(const std::string& text, std::vector<uint8_t>& key, std::string& error) {
  key.clear();
  if (text.rfind("hex:", 0) != 0) {
    key.assign(text.begin(), text.end());
    return true;
  }
  const std::string hex = text.substr(4);
  if (hex.size() % 2 != 0) {
    error = "hex key needs an even number of digits";
    return false;
  }
  for (size_t i = 0; i < hex.size(); i += 2) {
    if (!std::isxdigit(static_cast<unsigned char>(hex[i])) || !std::isxdigit(static_cast<unsigned char>(hex[i + 1]))) {
      error = "bad hex key \"" + hex + "\"";
      return false;
    }
    key.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return true;
}

// Days since 30 December 1899 for the current time.
double Now() {
  using namespace std::chrono;
  const double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
  return 25569.0 + seconds / 86400.0;  // 25569 = days from 1899-12-30 to 1970-01-01
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* name) -> std::optional<std::string> {
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return std::nullopt;
      }
      return std::string(argv[++i]);
    };
    if (arg == "--key") {
      auto v = value("--key");
      if (!v || !ParseKey(*v, options.Key, error)) return false;
      if (options.Key.size() > static_cast<size_t>(TCPDb::kMaxKeyLength)) {
        error = "keys are at most 56 bytes";
        return false;
      }
    } else if (arg == "--type") {
      auto v = value("--type");
      if (!v) return false;
      char* end = nullptr;
      const long type = std::strtol(v->c_str(), &end, 10);
      if (v->empty() || *end != '\0' || type < 0 || type > 65535) {
        error = "--type needs a number from 0 to 65535";
        return false;
      }
      options.Type = type;
    } else if (arg == "--plain") {
      options.Plain = true;
    } else if (arg == "--date") {
      auto v = value("--date");
      if (!v) return false;
      if (*v == "now") {
        options.Date = Now();
      } else {
        char* end = nullptr;
        options.Date = std::strtod(v->c_str(), &end);
        if (v->empty() || *end != '\0') {
          error = "--date needs a number of days or \"now\"";
          return false;
        }
      }
    } else if (arg == "-h" || arg == "--help") {
      options.Args.assign(1, "help");
      return true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      error = "unknown option " + arg;
      return false;
    } else {
      options.Args.push_back(arg);
    }
  }
  return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (path == "-") {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

void Prepare(TCPDb& archive, const Options& options, const std::string& path) {
  archive.SetFileName(path);
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetKey(options.Key.data(), static_cast<int>(options.Key.size()));
}

// Loads the records of an existing archive into the writer, or starts a new one.
bool LoadForUpdate(const std::string& path, const Options& options, TCPDbWriter& writer) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  TCPDb archive;
  Prepare(archive, options, path);
  if (!archive.Open()) {
    Fail("cannot read the archive " + path);
    return false;
  }
  if (!writer.LoadExisting(archive)) {
    Fail("cannot read every record of " + path + " (wrong key, or a damaged record: try cpdb verify)");
    return false;
  }
  return true;
}

uint16_t DefaultType(const std::string& key) {
  auto endsWith = [&](const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (key.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
      if (std::tolower(static_cast<unsigned char>(key[key.size() - n + i])) != suffix[i]) return false;
    return true;
  };
  if (endsWith(".image")) return 1;
  if (endsWith(".font")) return 3;
  return 0;
}

int Create(const Options& o) {
  TCPDbWriter writer(o.Key);
  std::string error;
  if (!writer.Save(o.Args[1], &error)) return Fail(error);
  return 0;
}

int Add(const Options& o) {
  const std::string &file = o.Args[1], &key = o.Args[2], &source = o.Args[3];
  std::vector<uint8_t> bytes;
  if (!ReadFile(source, bytes)) return Fail("cannot read " + source);
  if (!o.Plain && o.Key.empty()) return Fail("encrypting needs a key (give --key, or --plain)");
  TCPDbWriter writer(o.Key);
  if (!LoadForUpdate(file, o, writer)) return 2;
  const uint16_t type = o.Type ? static_cast<uint16_t>(*o.Type) : DefaultType(key);
  writer.Add(key, type, std::move(bytes), !o.Plain, o.Date);
  std::string error;
  if (!writer.Save(file, &error)) return Fail(error);
  return 0;
}

int Remove(const Options& o) {
  const std::string &file = o.Args[1], &key = o.Args[2];
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return Fail("no archive " + file);
  TCPDbWriter writer(o.Key);
  if (!LoadForUpdate(file, o, writer)) return 2;
  if (!writer.Remove(key)) return Fail("no record \"" + key + "\" in " + file);
  std::string error;
  if (!writer.Save(file, &error)) return Fail(error);
  return 0;
}

int List(const Options& o) {
  TCPDb archive;
  Prepare(archive, o, o.Args[1]);
  if (!archive.Open()) return Fail("cannot read the archive " + o.Args[1]);
  std::printf("%-40s %5s %10s %10s %s\n", "key", "type", "original", "stored", "encrypted");
  for (const TCPDbEntry& e : archive.Entries())
    std::printf("%-40s %5u %10u %10u %s\n", e.Key.c_str(), static_cast<unsigned>(e.Type), e.OriginalSize,
                e.StoredSize, e.Encrypted ? "yes" : "no");
  std::printf("%zu record(s)\n", archive.Entries().size());
  return 0;
}

int Extract(const Options& o) {
  const std::string &file = o.Args[1], &key = o.Args[2], &out = o.Args[3];
  TCPDb archive;
  Prepare(archive, o, file);
  if (!archive.Open()) return Fail("cannot read the archive " + file);
  if (archive.IndexOf(key) < 0) return Fail("no record \"" + key + "\" in " + file);
  std::vector<uint8_t> bytes;
  if (!archive.ReadRecord(key, bytes))
    return Fail("record \"" + key + "\" cannot be read (wrong key, or damaged)");
  if (!WriteFile(out, bytes)) return Fail("cannot write " + out);
  return 0;
}

int Verify(const Options& o) {
  TCPDb archive;
  Prepare(archive, o, o.Args[1]);
  if (!archive.Open()) {
    Fail("cannot read the archive " + o.Args[1]);
    return 1;
  }
  const std::vector<TCPDbEntry> entries = archive.Entries();
  int failures = 0;
  for (const TCPDbEntry& e : entries) {
    std::vector<uint8_t> bytes;
    if (!archive.ReadRecord(e.Key, bytes)) {
      std::fprintf(stderr, "cpdb: FAILED %s\n", e.Key.c_str());
      ++failures;
    }
  }
  std::printf("%zu record(s), %d failed\n", entries.size(), failures);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::cerr << "cpdb: " << error << "\n" << kUsage;
    return 2;
  }
  if (options.Args.empty() || options.Args[0] == "help") {
    std::cout << kUsage;
    return options.Args.empty() ? 2 : 0;
  }
  struct Command {
    const char* Name;
    size_t Args;
    int (*Run)(const Options&);
  };
  static const Command kCommands[] = {{"create", 2, Create}, {"add", 4, Add},         {"remove", 3, Remove},
                                      {"list", 2, List},     {"extract", 4, Extract}, {"verify", 2, Verify}};
  for (const Command& command : kCommands) {
    if (options.Args[0] != command.Name) continue;
    if (options.Args.size() != command.Args) {
      std::cerr << "cpdb: " << command.Name << " takes " << command.Args - 1 << " argument(s)\n" << kUsage;
      return 2;
    }
    return command.Run(options);
  }
  std::cerr << "cpdb: unknown command \"" << options.Args[0] << "\"\n" << kUsage;
  return 2;
}
