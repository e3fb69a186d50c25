// Image lists: textures cut into equal patterns, loaded from the archives.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CanopyTypes.h"
#include "engine/Device.h"
#include "engine/ImageFile.h"
#include "engine/ImageRecord.h"

class TCPDb;

enum TCanopyQuality { aqLow, aqMedium, aqHigh };
enum TAlphaLevel { alNone, alMask, alFull, alExclusive };

class TCanopyImage {
 public:
  TCanopyImage();
  ~TCanopyImage();
  TCanopyImage(const TCanopyImage&) = delete;
  TCanopyImage& operator=(const TCanopyImage&) = delete;

  std::string Name = "[unnamed]";
  TCanopyQuality Quality = aqHigh;
  TAlphaLevel AlphaLevel = alFull;
  TSize PatternSize;
  TSize VisibleSize;
  int PatternCount = 0;
  TSize TextureSize{256, 256};
  bool MipMapping = false;

  int PatternsPerRow() const;
  int PatternsPerColumn() const;
  int PatternsPerTexture() const;
  int TextureCount() const;
  bool Ready() const;

  // The back end that holds this image's textures. Image and font lists set it
  // for the images they create; an image made elsewhere needs it before loading.
  void SetRenderer(plat::Renderer* renderer);
  plat::Renderer* Renderer() const;

  // Builds the textures from a parsed record (layout, format choice, upload).
  bool LoadFromRecord(const TImageRecord& record);
  // Builds the textures from a picture, using the TextureSize, PatternSize,
  // VisibleSize and PatternCount set beforehand. A picture larger than the
  // texture size is cut into several textures, left to right, top to bottom.
  bool LoadFromBitmap(const TBitmap32& bitmap);
  void FreeTextures();
  // Why the last load failed.
  const std::string& LastError() const;

  // Texture coordinates of a pattern: which texture, and the u/v of the four
  // corners (top-left, top-right, bottom-right, bottom-left). False when the
  // image cannot be drawn.
  bool PatternCoords(const TPatternRec& pattern, int& textureIndex, float u[4], float v[4]) const;
  // The back-end texture of texture index i (0 when absent).
  uint32_t Texture(int i) const;

 private:
  struct Impl;
  static bool CheckTextureSize(const TCanopyImage& image, Impl& impl);
  std::unique_ptr<Impl> Impl_;
};

class TCanopyImages : public TCanopySubscriber {
 public:
  TCanopyImages();
  ~TCanopyImages() override;

  using CPDbLoadEvent = std::function<void(TCanopyImages& sender, const std::string& key, int index,
                                           bool& accept, std::string& name, TCanopyQuality& quality,
                                           TAlphaLevel& alphaLevel)>;
  CPDbLoadEvent OnCPDbLoad;
  bool MipMappping = false;

  bool HandleNotice(int code) override;

  int Count() const { return static_cast<int>(Items_.size()); }
  TCanopyImage* Items(int i) const;  // nullptr outside 0..Count-1
  TCanopyImage* Find(std::string_view name) const;
  int IndexOf(std::string_view name) const;
  TCanopyImage* Add();
  void Remove(int i);
  void RemoveAll();
  bool LoadFromCPDb(TCPDb& archive);
  bool LoadImage(const std::string& key, TCPDb& archive, TCanopyQuality quality, TAlphaLevel alphaLevel);
  // Why the last load failed.
  const std::string& LastError() const { return LastError_; }

 private:
  std::vector<std::unique_ptr<TCanopyImage>> Items_;
  std::string LastError_;
};

// The most texels one image may declare in all its textures together: one
// texture of the largest size the renderer takes, and never more than
// kMaxImagePixels (a renderer of nullptr or one that reports no limit counts
// as kMaxImageSide). An image record that declares more is refused.
int64_t MaxImageTexels(const plat::Renderer* renderer);
// The most bytes an image record may unpack to for that renderer (its header
// and MaxImageTexels pixels of the widest format). The image list refuses a
// record whose archive entry claims more before reading a byte of it.
uint64_t MaxImageRecordBytes(const plat::Renderer* renderer);

// Reads one archive record into a bitmap: an image record with its textures
// stacked vertically, or an image file chosen by the key's extension (.tga,
// .jpg/.jpeg, .png, else a Windows bitmap).
bool LoadBitmap(const std::string& key, TBitmap32& bitmap, TCPDb& archive);
