// datagen: draws the game's pictures, renders its fonts and packs them into
// the two data archives, with the story-map points and the hiscore table.
//
//   datagen build --out DIR --source DIR --content DIR [--audio DIR] [--cache DIR] [--jobs N] [--verbose]
//   datagen preview KEY OUT.png --content DIR [--zoom N]
//   datagen contact-sheet OUT.png --content DIR
//   datagen scene NAME OUT.png --content DIR [--vision grey|deuteranopia]
//   datagen icon OUT.png [--zoom SIZE]
//   datagen icons DIR --name NAME
//   datagen icon-sheet OUT.png
//                                               (board, menu, map, splash, story, hiscore, gameover, credits)
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "AppIcon.h"
#include "Pack.h"
#include "Sheets.h"

namespace {

int Usage() {
  std::cerr << "usage:\n"
               "  datagen build --out DIR --source DIR --content DIR [--audio DIR] [--cache DIR] [--jobs N]"
               " [--verbose]\n"
               "  datagen preview KEY OUT.png --content DIR [--zoom N]\n"
               "  datagen contact-sheet OUT.png --content DIR\n"
               "  datagen scene NAME OUT.png --content DIR [--vision grey|deuteranopia]\n"
               "  datagen icon OUT.png [--zoom SIZE]   the desktop icon (256 pixels unless a size is given)\n"
               "  datagen icons DIR --name NAME        the icon theme's files: DIR/<N>x<N>/apps/NAME.png for\n"
               "                                       16 to 512 pixels and DIR/scalable/apps/NAME.svg\n"
               "  datagen icon-sheet OUT.png           every size of the icon on one picture, magnified\n"
               "    scenes: board menu map splash story hiscore gameover credits\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  std::string command = args[0];
  std::vector<std::string> positional;
  TGenOptions options;
  options.Jobs = static_cast<int>(std::max(1u, std::min(4u, std::thread::hardware_concurrency())));
  int zoom = 4;
  std::string name;
  TVision vision = TVision::Normal;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw std::runtime_error(a + " needs a value");
      return args[++i];
    };
    try {
      if (a == "--out")
        options.OutDir = value();
      else if (a == "--source")
        options.SourceDir = value();
      else if (a == "--content")
        options.ContentDir = value();
      else if (a == "--audio")
        options.AudioDir = value();
      else if (a == "--cache")
        options.CacheDir = value();
      else if (a == "--jobs")
        options.Jobs = std::max(1, std::atoi(value().c_str()));
      else if (a == "--zoom")
        zoom = std::max(1, std::atoi(value().c_str()));
      else if (a == "--name")
        name = value();
      else if (a == "--vision")
        vision = VisionByName(value());
      else if (a == "--verbose")
        options.Verbose = true;
      else if (a.rfind("--", 0) == 0) {
        std::cerr << "datagen: unknown option " << a << "\n";
        return Usage();
      } else
        positional.push_back(a);
    } catch (const std::exception& e) {
      std::cerr << "datagen: " << e.what() << "\n";
      return 2;
    }
  }

  try {
    if (command == "build") {
      if (options.OutDir.empty() || options.SourceDir.empty() || options.ContentDir.empty()) return Usage();
      if (options.CacheDir.empty()) options.CacheDir = options.OutDir + "/gen/datagen-cache";
      return RunBuild(options);
    }
    if (command == "preview" && positional.size() == 2) return WritePreview(positional[0], positional[1], options, zoom);
    if (command == "contact-sheet" && positional.size() == 1) return WriteContactSheet(positional[0], options);
    if (command == "scene" && positional.size() == 2) return WriteScene(positional[0], positional[1], options, vision);
    if (command == "icon" && positional.size() == 1) {
      WriteAppIcon(positional[0], zoom > 4 ? zoom : 256);
      return 0;
    }
    if (command == "icons" && positional.size() == 1 && !name.empty()) {
      WriteAppIconTheme(positional[0], name);
      return 0;
    }
    if (command == "icon-sheet" && positional.size() == 1) {
      WriteAppIconSheet(positional[0]);
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "datagen: " << e.what() << "\n";
    return 1;
  }
  return Usage();
}
