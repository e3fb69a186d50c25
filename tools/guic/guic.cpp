// guic: the GUI layout compiler.
//   guic compile SOURCE.txt... OUT.gui   text sources (in the order given) to a layout file
//   guic decompile IN.gui                a layout file back to text, on standard output
//   guic shots BUILD_DIR OUT_DIR         pictures of every form over the main menu
// Image keys are resolved against the game's data manifest.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "data/DataManifest.h"
#include "engine/core/DataFile.h"
#include "engine/gui/GuiLayoutFile.h"
#include "engine/gui/GuiLayoutSource.h"
#include "engine/core/SafeFile.h"
#include "shots.h"

namespace {

TGuiSourceImages ManifestImages() {
  TGuiSourceImages images;
  images.IndexOf = [](std::string_view key) { return GameImageIndex(key); };
  images.KeyOf = [](int index) -> std::string {
    const auto& list = GameImages();
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)].Key : "";
  };
  return images;
}

int Usage() {
  std::cerr << "usage: guic compile SOURCE.txt... OUT.gui\n"
               "       guic decompile IN.gui\n"
               "       guic shots BUILD_DIR OUT_DIR\n";
  return 2;
}

int Compile(const std::vector<std::string>& sources, const std::string& out) {
  try {
    std::vector<DataFile> files;
    for (const std::string& s : sources) files.push_back(DataFile::Load(s));
    std::vector<uint8_t> bytes = WriteGuiLayout(CompileGuiSource(files, ManifestImages()));
    // Through a temporary file, so a failed run leaves no half file.
    std::string error;
    if (!WriteFileAtomically(out, bytes, error)) {
      std::cerr << "guic: " << error << "\n";
      return 1;
    }
  } catch (const DataError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  } catch (const std::filesystem::filesystem_error& e) {
    std::cerr << "guic: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

int Decompile(const std::string& in) {
  std::vector<TGuiLayoutControl> controls;
  std::string error;
  if (!ReadGuiLayoutFile(in, controls, &error)) {
    std::cerr << "guic: " << error << "\n";
    return 1;
  }
  std::cout << DecompileGuiLayout(controls, ManifestImages());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 3 && args[0] == "compile")
    return Compile(std::vector<std::string>(args.begin() + 1, args.end() - 1), args.back());
  if (args.size() == 2 && args[0] == "decompile") return Decompile(args[1]);
  if (args.size() == 3 && args[0] == "shots") return RunShots(args[1], args[2]);
  return Usage();
}
