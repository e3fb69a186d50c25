#include "Art.h"

#include <stdexcept>

#include "engine/render/ImageFile.h"

const std::vector<TArtItem>& ArtItems() {
  static const std::vector<TArtItem> items = [] {
    std::vector<TArtItem> list;
    AddPieceArt(list);
    AddBoardArt(list);
    AddBarArt(list);
    AddMenuArt(list);
    AddScreenArt(list);
    AddStoryArt(list);
    AddWorldArt(list);
    AddParticleArt(list);
    AddIconArt(list);
    AddControlsArt(list);
    return list;
  }();
  return items;
}

const TArtItem* FindArt(const std::string& key) {
  for (const TArtItem& item : ArtItems()) {
    if (item.Key == key) return &item;
  }
  return nullptr;
}

TPatterns DrawFrames(int count, int width, int height, const std::function<void(cairo_t*, int)>& fn) {
  TPatterns frames;
  for (int i = 0; i < count; ++i) {
    TSurface s(width, height);
    {
      TPen pen(s);
      fn(pen, i);
    }
    frames.push_back(std::move(s));
  }
  return frames;
}

TPatterns DrawOne(int width, int height, const std::function<void(cairo_t*)>& fn) {
  return DrawFrames(1, width, height, [&](cairo_t* cr, int) { fn(cr); });
}

TImageSpec SpecOf(const std::string& key) {
  if (const TImageSpec* s = FindGameImage(key)) return *s;
  for (const TImageSpec& s : ParticleImages()) {
    if (key == s.Key) return s;
  }
  for (const TPictureSpec& p : Pictures()) {
    if (key == p.Key) return TImageSpec{p.Key, p.Width, p.Height, p.Width, p.Height, 1};
  }
  throw std::runtime_error("no manifest entry for " + key);
}
