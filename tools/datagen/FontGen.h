// Bitmap fonts of the game, rendered with FreeType from installed font files:
// one white glyph per character of the Windows-1252 code page from 32 to 255,
// so that the game's vertex colours tint them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/DataManifest.h"
#include "engine/render/ImageRecord.h"

// The font files a font is rendered from (for the cache key).
std::vector<std::string> FontInputFiles(const TFontSpec& spec);
TFontRecord BuildFontRecord(const TFontSpec& spec);
std::vector<uint8_t> FontRecordBytes(const TFontSpec& spec);
// The Unicode character of a code page byte (0 for the five unassigned ones).
uint32_t Cp1252ToUnicode(uint8_t byte);
