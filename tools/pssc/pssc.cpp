// pssc: compiles the readable particle settings of content/particles into the
// game's 116-byte ".pss" records, turns records back into text, and paints
// preview strips of what a record does.
//
//   pssc compile SRC.txt OUT.pss
//   pssc decompile IN.pss
//   pssc preview IN.pss OUT.png [--frames N] [--every MS] [--cell PX] [--speed PX_PER_S] [--title TEXT]
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "Preview.h"
#include "data/ParticleSource.h"
#include "engine/core/DataFile.h"
#include "engine/core/SafeFile.h"

namespace {

const char* kUsage =
    "usage: pssc COMMAND ...\n"
    "  compile SRC.txt OUT.pss      compile one settings source into a record\n"
    "  decompile IN.pss             print the source text of a record\n"
    "  preview IN.pss OUT.png       paint a strip of frames of the running system\n"
    "      [--frames N]             frames in the strip (8)\n"
    "      [--every MS]             particle time between frames (trails 120; a burst\n"
    "                               its whole run spread over the frames)\n"
    "      [--cell PX]              size of a frame (160)\n"
    "      [--speed PX_PER_S]       how fast an endless emitter travels (200)\n"
    "      [--title TEXT]           caption of the first frame\n";

int Fail(const std::string& message) {
  std::cerr << "pssc: " << message << "\n";
  return 1;
}

bool ReadRecord(const std::string& path, TPssSettings& settings, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadSmallFile(path, 64 * 1024, bytes, error)) return false;
  if (!ReadPssRecord(bytes.data(), bytes.size(), settings)) {
    error = path + ": empty file";
    return false;
  }
  if (bytes.size() < kPssRecordSize)
    std::cerr << "pssc: warning: " << path << " holds " << bytes.size() << " of " << kPssRecordSize
              << " bytes; the rest reads as 0\n";
  return true;
}

int Compile(const std::string& src, const std::string& out) {
  try {
    const TPssSettings settings = LoadParticleSource(src);
    const auto record = WritePssRecord(settings);
    std::string error;
    if (!WriteFileAtomically(out, std::vector<uint8_t>(record.begin(), record.end()), error)) return Fail(error);
  } catch (const DataError& e) {
    return Fail(e.what());
  }
  return 0;
}

int Decompile(const std::string& in) {
  TPssSettings settings;
  std::string error;
  if (!ReadRecord(in, settings, error)) return Fail(error);
  std::cout << ParticleSourceText(settings, std::filesystem::path(in).filename().string());
  return 0;
}

bool ParseInt(const std::string& text, int& value) {
  try {
    size_t used = 0;
    value = std::stoi(text, &used);
    return used == text.size();
  } catch (const std::exception&) {
    return false;
  }
}

int Preview(const std::vector<std::string>& args) {
  if (args.size() < 2) return Fail("preview takes IN.pss OUT.png\n" + std::string(kUsage));
  TPreviewOptions options;
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (i + 1 >= args.size()) return Fail(flag + " needs a value");
    const std::string& value = args[++i];
    int n = 0;
    if (flag == "--title") {
      options.Title = value;
    } else if (!ParseInt(value, n)) {
      return Fail(flag + ": \"" + value + "\" is not a whole number");
    } else if (flag == "--frames") {
      options.Frames = n;
    } else if (flag == "--every") {
      options.EveryMs = n;
    } else if (flag == "--cell") {
      options.Cell = n;
    } else if (flag == "--speed") {
      options.Speed = static_cast<float>(n);
    } else {
      return Fail("unknown option " + flag);
    }
  }
  TPssSettings settings;
  std::string error;
  if (!ReadRecord(args[0], settings, error)) return Fail(error);
  if (!WriteParticlePreview(settings, args[1], options, error)) return Fail(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string& command = args[0];
  if (command == "compile" && args.size() == 3) return Compile(args[1], args[2]);
  if (command == "decompile" && args.size() == 2) return Decompile(args[1]);
  if (command == "preview") return Preview({args.begin() + 1, args.end()});
  std::cerr << kUsage;
  return 2;
}
