// The generator's drawings: one item per image or picture file of the
// manifest, each with the sources its look depends on (for the cache).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Paint.h"
#include "data/DataManifest.h"

using TPatterns = std::vector<TSurface>;

// What a drawing may read besides its own code.
struct TArtInputs {
  std::string ContentDir;
};

struct TArtItem {
  std::string Key;
  // Generator source files (names in tools/datagen) whose text decides the
  // drawing; Paint.* and Art.h count for every item.
  std::vector<std::string> Sources;
  // Content files (relative to content/) the drawing reads.
  std::vector<std::string> Inputs;
  std::function<TPatterns(const TArtInputs&)> Draw;
};

// Every drawing, game images and particle images and pictures together.
const std::vector<TArtItem>& ArtItems();
const TArtItem* FindArt(const std::string& key);

// Registration, one function per drawing file.
void AddPieceArt(std::vector<TArtItem>& items);
void AddBoardArt(std::vector<TArtItem>& items);
void AddBarArt(std::vector<TArtItem>& items);
void AddMenuArt(std::vector<TArtItem>& items);
void AddScreenArt(std::vector<TArtItem>& items);
void AddStoryArt(std::vector<TArtItem>& items);
void AddWorldArt(std::vector<TArtItem>& items);
void AddParticleArt(std::vector<TArtItem>& items);
void AddIconArt(std::vector<TArtItem>& items);
void AddControlsArt(std::vector<TArtItem>& items);

// Draws count patterns of a size, each by fn(cr, index) on a clear surface.
TPatterns DrawFrames(int count, int width, int height, const std::function<void(cairo_t*, int)>& fn);
// One pattern.
TPatterns DrawOne(int width, int height, const std::function<void(cairo_t*)>& fn);

// The size of an image of the manifest (game or particle archive), or of a
// picture file; throws when the key is unknown.
TImageSpec SpecOf(const std::string& key);
