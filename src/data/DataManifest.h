// The one list of the game's data: every image of the two archives with its
// pattern layout, every font, every picture file and every sound. The data
// generator draws from it, the game looks images up through it, the layout
// compiler turns image keys into list indices with it, and the tests check the
// built archives against it, so a name or a size cannot drift between them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TImageSpec {
  const char* Key;
  int PatternWidth, PatternHeight;
  int VisibleWidth, VisibleHeight;
  int PatternCount;
};

// Images of Data/GameData.CPDB in archive order. The image list loads them in
// this order, so a position here is the image's list index.
const std::vector<TImageSpec>& GameImages();
// Images of Data/GameDataParticles.CPDB in archive order (the break particles
// address them by list index: splinters 0..3, the iron chip 4).
const std::vector<TImageSpec>& ParticleImages();

// List index of an image in GameImages / ParticleImages, ignoring case; -1 when absent.
int GameImageIndex(std::string_view key);
int ParticleImageIndex(std::string_view key);
// The layout of a game image, or nullptr.
const TImageSpec* FindGameImage(std::string_view key);

struct TFontSpec {
  int Number;           // index in the font list
  const char* Key;      // record key in the archive
  const char* Purpose;  // what the game writes with it
  int PixelSize;        // em size the glyphs are rendered at
};
// Fonts 0..4, in archive order (= font list order).
const std::vector<TFontSpec>& GameFonts();

struct TPictureSpec {
  const char* Key;
  int Width, Height;
};
// Picture files stored as JPEG records: the main menu and the level backgrounds.
const std::vector<TPictureSpec>& Pictures();
// Their keys: "mainscreen.jpg", "world1.jpg" ... "world11.jpg".
const std::vector<std::string>& PictureFiles();
// Music and sound records of Data/GameData.CPDB, stored as plain bytes after
// the pictures.
const std::vector<std::string>& SoundFiles();

// Record type of picture files and sounds (the readers look them up by key).
constexpr uint16_t kRecordData = 2;
// The date stamped on every generated record, so that rebuilt archives are
// byte-identical: 1 January 2025, in days since 30 December 1899.
constexpr double kDataRecordDate = 45658.0;

// Patterns of "particles-arvanels.image": greyscale shapes that the particle
// settings tint with their colours.
enum TParticleShape : int {
  psGlow = 0,       // soft round glow
  psDot = 1,        // small hard dot with a soft edge
  psStar = 2,       // four-pointed sparkle
  psRing = 3,       // thin ring
  psLeaf = 4,       // leaf
  psDrop = 5,       // water drop
  psFlame = 6,      // flame tongue
  psShard = 7,      // rock shard
  psSmoke = 8,      // smoke puff
  psSwirl = 9,      // spiral wisp
  psStar8 = 10,     // eight-pointed star
  psStreak = 11,    // long streak of light
  psRune = 12,      // rune circle
  psPetal = 13,     // flower petal
  psCrystal = 14,   // crystal splinter
  psBubble = 15,    // bubble
  psShapeCount = 16
};

// Pattern of "icons.image" that an editor button shows: the tool buttons in the
// order of their tool numbers, then the page buttons; -1 for other names.
// The first tool ("btnTab") has pattern 1, the pattern a fresh board shows.
int EditorIconIndex(std::string_view buttonName);
// Every button name that has an icon, in pattern order (pattern 0 and the
// unused tool number have none).
const std::vector<std::pair<const char*, int>>& EditorIcons();
