// audiogen: writes the game's music and sound effects, and renders any of
// them to WAV so they can be measured.
//
//   audiogen generate OUTDIR [THREADS]
//   audiogen render IN OUT.wav [SECONDS]
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <thread>

#include "audiogen/Codecs.h"
#include "audiogen/Generator.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: audiogen generate OUTDIR [THREADS]\n"
               "       audiogen render IN OUT.wav [SECONDS]\n"
               "render plays a module (.it .xm .s3m .mod) once, or decodes .ogg or .mp3\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  try {
    if (command == "generate") {
      unsigned threads = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : std::thread::hardware_concurrency();
      int n = audiogen::GenerateAll(argv[2], threads == 0 ? 1 : threads, std::cout);
      std::cout << n << " audio files written to " << argv[2] << "\n";
      return 0;
    }
    if (command == "render" && argc >= 4) {
      double seconds = argc > 4 ? std::atof(argv[4]) : 600.0;
      audiogen::Pcm pcm = audiogen::DecodeAny(argv[2], audiogen::ReadFileBytes(argv[2]), seconds);
      audiogen::WriteFileBytes(argv[3], audiogen::EncodeWav(pcm));
      return 0;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "audiogen: %s\n", e.what());
    return 1;
  }
  return Usage();
}
