// The one entry point shared by the image-record fuzz target and the test that
// replays its corpus. The first byte chooses what the rest is read as: an
// image record, a font record, or a PNG, JPEG, Targa or bitmap file. What is
// accepted is also loaded and drawn on a headless renderer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/render/Canvas.h"
#include "engine/render/Device.h"
#include "engine/render/Fonts.h"
#include "engine/render/ImageFile.h"
#include "engine/render/ImageRecord.h"
#include "engine/render/Images.h"
#include "platform/SdlRenderer.h"

namespace image_record_fuzz {

// One headless device for the whole run (never freed: it lives as long as the
// process, and tearing it down at exit would only add noise).
struct Rig {
  std::unique_ptr<plat::Renderer> Renderer;
  TCanopyDevice* Device = nullptr;
  TCanopyCanvas Canvas;
  TCanopyFonts Fonts;

  Rig() {
    std::string error;
    Renderer = plat::CreateSdlRenderer(nullptr, 800, 600, false, error);
    Device = new TCanopyDevice(Renderer.get());
    Canvas.SetPublisher(Device);
    Fonts.SetPublisher(Device);
    Fonts.Canvas = &Canvas;
    Device->Initialize();
  }
};

inline Rig& TheRig() {
  static Rig* rig = new Rig;
  return *rig;
}

// Pictures and records small enough to be worth uploading and drawing.
constexpr uint64_t kDrawLimit = 1 << 16;

// Every pattern of a loaded image maps inside its texture.
inline bool CoordsInside(const TCanopyImage& image) {
  const int last = image.PatternCount + 2;
  for (int p = -1; p <= last && p < 64; ++p) {
    TPatternRec rec;
    rec.Index = p;
    int texture = -1;
    float u[4], v[4];
    if (!image.PatternCoords(rec, texture, u, v)) continue;
    if (texture < 0 || texture >= image.TextureCount() || image.Texture(texture) == 0) return false;
    for (int i = 0; i < 4; ++i) {
      if (u[i] < 0 || u[i] > 1 || v[i] < 0 || v[i] > 1) return false;
    }
  }
  return true;
}

// A font record: parsed, written back and parsed again to the same glyphs
// and pixels; one small enough is loaded and its own bytes drawn as text.
inline bool FontRecordCase(const uint8_t* data, size_t size) {
  Rig& rig = TheRig();
  auto font = ParseFontRecord(data, size);
  if (!font) return true;
  const std::vector<uint8_t> bytes = EncodeFontRecord(*font);
  auto again = ParseFontRecord(bytes.data(), bytes.size());
  if (!again || again->Glyphs.size() != font->Glyphs.size() || again->Image.Pixels != font->Image.Pixels) {
    return false;
  }
  const uint64_t pixels = static_cast<uint64_t>(font->Image.TextureWidth) * font->Image.TextureHeight *
                          static_cast<uint64_t>(font->Image.TextureCount);
  if (pixels > kDrawLimit) return true;
  rig.Fonts.RemoveAll();
  TCanopyFont* f = rig.Fonts.Add();
  if (!f->LoadFromRecord(*font)) return true;
  f->Style = font->FirstChar & 15;
  // The text is the record's own bytes: tags, blanks and glyphs alike.
  const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 48));
  f->TextExtent(text);
  rig.Device->OnRender = [&](TCanopyDevice&) { f->TextOutEx(text, 0xFFFFFFFF, 3.5f, 7, 0x80FF00FF, kBlendAlpha); };
  rig.Device->Render(0, true);
  return true;
}

inline bool ImageRecordFuzzEntry(const uint8_t* data, size_t size) {
  if (size == 0) return true;
  const int mode = data[0] % 6;
  ++data;
  --size;
  Rig& rig = TheRig();

  if (mode == 0) {
    size_t offset = 0;
    auto record = ParseImageRecord(data, size, offset);
    if (!record) return true;
    const uint64_t pixels = static_cast<uint64_t>(record->TextureWidth) * record->TextureHeight *
                            static_cast<uint64_t>(record->TextureCount);
    if (record->Pixels.size() != pixels * static_cast<uint64_t>(PixelFormatBytes(record->Format))) return false;
    if (offset != 33 + record->Pixels.size() || offset > size) return false;
    const std::vector<uint8_t> again = EncodeImageRecord(*record);
    if (again.size() != offset || !std::equal(again.begin(), again.end(), data)) return false;
    if (pixels > kDrawLimit) return true;
    TCanopyImage image;
    image.SetRenderer(rig.Renderer.get());
    image.AlphaLevel = static_cast<TAlphaLevel>(record->Format % 4);
    if (!image.LoadFromRecord(*record)) return true;
    if (!CoordsInside(image)) return false;
    rig.Device->OnRender = [&](TCanopyDevice&) {
      for (int p = 0; p < 4; ++p) rig.Canvas.Draw(&image, p, 10.0f * p, 5, p % 2 ? kBlendAlpha : kBlendAdditive);
    };
    rig.Device->Render(0, true);
    return true;
  }

  if (mode == 1) return FontRecordCase(data, size);

  static const char* const kNames[] = {"f.png", "f.jpg", "f.tga", "f.bmp"};
  TBitmap32 bitmap;
  if (!DecodeImageFile(kNames[mode - 2], data, size, bitmap)) return true;
  if (bitmap.Width <= 0 || bitmap.Height <= 0 || bitmap.Width > kMaxImageSide || bitmap.Height > kMaxImageSide ||
      bitmap.Pixels.size() != static_cast<size_t>(bitmap.Width) * static_cast<size_t>(bitmap.Height)) {
    return false;
  }
  if (bitmap.Pixels.size() > kDrawLimit) return true;
  // A lossless copy decodes to the same pixels.
  std::vector<uint8_t> png;
  TBitmap32 back;
  if (!EncodeImageFile("copy.png", bitmap, png) || !DecodeImageFile("copy.png", png.data(), png.size(), back) ||
      back.Pixels != bitmap.Pixels) {
    return false;
  }
  TCanopyImage image;
  image.SetRenderer(rig.Renderer.get());
  image.TextureSize = {64, 64};
  image.PatternSize = image.VisibleSize = {32, 32};
  if (!image.LoadFromBitmap(bitmap)) return false;
  return CoordsInside(image);
}

}  // namespace image_record_fuzz
