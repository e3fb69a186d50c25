// The story map's trail and the hiscore table, read from their text sources in
// content/ and written in the game's binary formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Paint.h"
#include "players/Hiscores.h"

struct TStoryMap {
  // The trail's control points, from the grove to the dark castle; the map
  // picture draws the trail through them.
  std::vector<TPt> Trail;
  // Landmarks named on the map (drawn by the map picture).
  struct TLabel {
    std::string Text;
    TPt At;
  };
  std::vector<TLabel> Labels;
  // One point per campaign level, evenly spaced along the trail.
  std::vector<TPt> Points;
};

// Reads content/map/story-map.txt. Throws DataError with file and line.
// "levels auto" takes the count of the campaign's level sources.
TStoryMap LoadStoryMap(const std::string& contentDir);
TStoryMap ParseStoryMap(const std::string& text, const std::string& name, int campaignLevels);
// Levels 1, 2, 3 ... of content/levels/Game Levels (sources "01.txt" or
// "1.txt"), counted up to the first missing number; 0 when there are none.
int CampaignLevelCount(const std::string& contentDir);
// The campaign's folder in content/, relative.
extern const char* const kCampaignFolder;
// The smooth trail as a dense polyline (the same curve the picture draws).
std::vector<TPt> TrailPolyline(const std::vector<TPt>& controls);
// Eight-byte records of the points, X then Y, signed 32-bit little-endian.
std::vector<uint8_t> MapPointsBytes(const TStoryMap& map);

// Reads content/hiscores/hiscore.txt: exactly ten entries, scores descending.
std::vector<THiscoreEntry> LoadHiscores(const std::string& contentDir);
std::vector<THiscoreEntry> ParseHiscores(const std::string& text, const std::string& name);
// The table in the game's own format (names in 8-bit Windows-1252).
std::vector<uint8_t> HiscoreBytes(const std::vector<THiscoreEntry>& entries);

// UTF-8 to the Windows-1252 code page; false when a character has no place in it.
bool Utf8ToCp1252(const std::string& utf8, std::string& out);
