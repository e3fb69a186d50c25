// levelc: compiles the readable level sources into the game's level files and
// turns level files back into text.
//
//   levelc compile SRC_DIR OUT_DIR [--werror]   every pack folder of SRC_DIR into OUT_DIR/levels/<pack>/
//   levelc check PATH [--summary]               reads sources (a folder of packs, a pack or one level)
//   levelc decompile PACK_DIR OUT_DIR           a compiled pack into OUT_DIR/<nn>.txt
//   levelc decompile LEVEL.lvl OUT.txt          one level ("-" writes to standard output)
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "levels/LevelSource.h"
#include "engine/core/DataFile.h"

namespace fs = std::filesystem;

namespace {

const char* kUsage =
    "usage: levelc COMMAND ...\n"
    "  compile SRC_DIR OUT_DIR [--werror]  compile every pack folder of SRC_DIR into\n"
    "                                      OUT_DIR/levels/<pack>/<n>.opt and .lvl;\n"
    "                                      --werror fails on design warnings\n"
    "  check PATH [--summary]              read and check sources: a folder of packs, one\n"
    "                                      pack folder or one level file; --summary prints\n"
    "                                      one line per level\n"
    "  decompile PACK_DIR OUT_DIR          write every level of a compiled pack as <nn>.txt\n"
    "  decompile LEVEL.lvl OUT.txt         one level (its .opt beside it); OUT \"-\" is\n"
    "                                      standard output\n";

int Fail(const std::string& message) {
  std::cerr << "levelc: " << message << "\n";
  return 1;
}

bool IsPackFolder(const fs::path& dir) {
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
    if (e.path().extension() == ".txt") return true;
  return false;
}

// The pack folders of a source folder, in name order.
std::vector<fs::path> PackFolders(const fs::path& root) {
  std::vector<fs::path> packs;
  for (const fs::directory_entry& e : fs::directory_iterator(root))
    if (e.is_directory()) packs.push_back(e.path());
  std::sort(packs.begin(), packs.end());
  return packs;
}

std::string Summary(const TLevelSource& level) {
  int counts[14] = {};
  int spawns = 0, kinds = 0, minC = 99, maxC = 0, minR = 99, maxR = 0;
  for (int r = 1; r <= kBoardRows; ++r)
    for (int c = 1; c <= kBoardCols; ++c) {
      const TLevelCell& cell = level.At(c, r);
      if (cell.TabType < 14) ++counts[cell.TabType];
      spawns += cell.Spawn;
      if (cell.TabType != ttNone) {
        minC = std::min(minC, c), maxC = std::max(maxC, c), minR = std::min(minR, r), maxR = std::max(maxR, r);
      }
    }
  const TLevelOptions& o = level.Options;
  for (uint8_t f : {o.AllowBlack, o.AllowRed, o.AllowFire, o.AllowTree, o.AllowGota, o.AllowBook, o.AllowPearl,
                    o.AllowCristal})
    kinds += f ? 1 : 0;
  int edges = 0;
  for (int t = 6; t < 14; ++t) edges += counts[t];
  const int cells = counts[1] + counts[2] + counts[3] + counts[4] + counts[5];
  return fs::path(level.File).filename().string() + ": " + std::to_string(maxC - minC + 1) + "x" +
         std::to_string(maxR - minR + 1) + ", cells " + std::to_string(cells) + ", edges " + std::to_string(edges) +
         ", wood " + std::to_string(counts[2]) + ", iron " + std::to_string(counts[3]) + ", blue " +
         std::to_string(counts[4]) + ", orange " + std::to_string(counts[5]) + ", spawns " + std::to_string(spawns) +
         ", kinds " + std::to_string(kinds) + ", skulls " + std::to_string(o.MaxCaveiras) + ", time " +
         std::to_string(o.LevelTime) + ", idle-check moves " + std::to_string(CountIdleCheckMoves(level));
}

int Compile(const fs::path& src, const fs::path& out, bool werror) {
  std::vector<std::string> warnings;
  int packs = 0, levels = 0;
  for (const fs::path& folder : PackFolders(src)) {
    const TPackSource pack = LoadPackSource(folder.string());
    std::string error;
    if (!CompilePack(pack, out.string(), warnings, error)) return Fail(error);
    ++packs;
    levels += static_cast<int>(pack.Levels.size());
  }
  for (const std::string& w : warnings) std::cerr << "warning: " << w << "\n";
  if (werror && !warnings.empty()) return Fail(std::to_string(warnings.size()) + " warning(s) with --werror");
  std::cout << "levelc: " << levels << " level(s) in " << packs << " pack(s)\n";
  return 0;
}

int Check(const fs::path& path, bool summary) {
  std::vector<TLevelSource> levels;
  if (fs::is_directory(path)) {
    std::vector<fs::path> folders = IsPackFolder(path) ? std::vector<fs::path>{path} : PackFolders(path);
    for (const fs::path& folder : folders) {
      TPackSource pack = LoadPackSource(folder.string());
      for (size_t i = 0; i < pack.Levels.size(); ++i) {
        TLevelSource& level = pack.Levels[i];
        std::string error;
        if (!ResolveRandomPieces(level, level.Seed ? level.Seed : static_cast<uint32_t>(i + 1), error))
          return Fail(error);
        levels.push_back(level);
      }
    }
  } else {
    TLevelSource level = LoadLevelSource(path.string());
    // Drawn as in its pack, where "<n>.txt" is level n.
    const std::string stem = path.stem().string();
    const bool numbered = !stem.empty() && stem.size() <= 4 && stem.find_first_not_of("0123456789") == std::string::npos;
    const uint32_t number = numbered ? static_cast<uint32_t>(std::stoi(stem)) : 1u;
    std::string error;
    if (!ResolveRandomPieces(level, level.Seed ? level.Seed : number, error)) return Fail(error);
    levels.push_back(level);
  }
  int warnings = 0;
  for (const TLevelSource& level : levels) {
    for (const std::string& w : LevelWarnings(level)) {
      std::cerr << "warning: " << w << "\n";
      ++warnings;
    }
    if (summary) std::cout << Summary(level) << "\n";
  }
  std::cout << "levelc: " << levels.size() << " level(s), " << warnings << " warning(s)\n";
  return 0;
}

bool WriteText(const std::string& path, const std::string& text, std::string& error) {
  if (path == "-") {
    std::cout << text;
    return true;
  }
  return WriteFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

int DecompileOne(const fs::path& lvl, const std::string& out, const std::string& heading) {
  fs::path opt = lvl;
  opt.replace_extension(".opt");
  std::string error;
  const auto options = ReadLevelOptions(opt.string(), error);
  if (!options) return Fail(error);
  const auto records = ReadLevelCells(lvl.string(), error);
  if (!records) return Fail(error);
  std::vector<std::string> notes;
  TLevelSource level = LevelFromRecords(*options, *records, notes);
  for (const std::string& n : notes) std::cerr << lvl.string() << ": " << n << "\n";
  for (const std::string& e : LevelErrors(level)) std::cerr << lvl.string() << ": " << e << "\n";
  if (!WriteText(out, FormatLevelSource(level, heading), error)) return Fail(error);
  return 0;
}

int Decompile(const fs::path& in, const fs::path& out) {
  if (!fs::is_directory(in)) {
    return DecompileOne(in, out.string(), "Decompiled from " + in.filename().string());
  }
  const std::string pack = in.filename().empty() ? in.parent_path().filename().string() : in.filename().string();
  int count = 0;
  while (fs::exists(in / (std::to_string(count + 1) + ".lvl"))) ++count;
  if (count == 0) return Fail(in.string() + ": no level files (1.lvl, 2.lvl, ...)");
  const size_t width = std::max<size_t>(2, std::to_string(count).size());
  std::error_code ec;
  fs::create_directories(out, ec);
  for (int n = 1; n <= count; ++n) {
    std::string name = std::to_string(n);
    name.insert(0, width - name.size(), '0');
    const int rc = DecompileOne(in / (std::to_string(n) + ".lvl"), (out / (name + ".txt")).string(),
                                "Level " + std::to_string(n) + " of \"" + pack + "\"");
    if (rc) return rc;
  }
  std::cout << "levelc: " << count << " level(s) written to " << out.string() << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool werror = false, summary = false;
  std::vector<std::string> words;
  for (const std::string& a : args) {
    if (a == "--werror") werror = true;
    else if (a == "--summary") summary = true;
    else if (a.size() > 2 && a.rfind("--", 0) == 0) return Fail("unknown option " + a + "\n" + kUsage);
    else words.push_back(a);
  }
  try {
    if (words.size() == 3 && words[0] == "compile") return Compile(words[1], words[2], werror);
    if (words.size() == 2 && words[0] == "check") return Check(words[1], summary);
    if (words.size() == 3 && words[0] == "decompile") return Decompile(words[1], words[2]);
  } catch (const DataError& e) {
    return Fail(e.what());
  } catch (const fs::filesystem_error& e) {
    return Fail(e.what());
  }
  std::cerr << kUsage;
  return 2;
}
