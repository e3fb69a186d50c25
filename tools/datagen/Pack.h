// Turning drawings into archive records, the cache of drawn records, and
// writing the two archives and the loose data files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Art.h"
#include "engine/render/ImageRecord.h"

struct TGenOptions {
  std::string OutDir;      // the build folder: Data/ and data/ go here
  std::string SourceDir;   // tools/datagen, whose files key the cache
  std::string ContentDir;  // content/
  std::string AudioDir;    // generated sounds and music; empty: pack none
  std::string CacheDir;    // drawn records kept between runs
  int Jobs = 2;
  bool Verbose = false;
};

// Lays patterns out on textures and encodes them as an A8R8G8B8 image record.
TImageRecord RecordFromPatterns(const TImageSpec& spec, const TPatterns& patterns);
// The patterns of an image record again (for the contact sheet and checks).
TPatterns PatternsFromRecord(const TImageRecord& record);
// Encodes a picture as JPEG bytes (through a temporary file in folder).
std::vector<uint8_t> JpegBytes(const TSurface& picture, const std::string& folder);

// The records of every item, from the cache where its inputs did not change,
// drawn otherwise. Keys map to the record bytes (image records, JPEG bytes).
struct TDrawnRecord {
  std::string Key;
  std::vector<uint8_t> Bytes;
  bool FromCache = false;
};
std::vector<TDrawnRecord> DrawAll(const TGenOptions& options, const std::vector<const TArtItem*>& items);

// The full build: archives, map points and hiscores. Returns the exit code.
int RunBuild(const TGenOptions& options);

// Reads a whole file; throws on failure.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
