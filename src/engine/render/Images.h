// Image lists: textures cut into equal patterns, loaded from the archives.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render/CanopyTypes.h"
#include "engine/render/Device.h"
#include "engine/render/ImageDecode.h"
#include "engine/render/ImageFile.h"
#include "engine/render/ImageRecord.h"

class TCPDb;
struct TDeferredDecode;

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
  // The image can be drawn: its textures are made, or they will be when it
  // is first drawn (an image of the list's DecodeWhenDrawn).
  bool Ready() const;
  // Its textures wait for its first drawing.
  bool Waiting() const;

  // The back end that holds this image's textures. Image and font lists set it
  // for the images they create; an image made elsewhere needs it before loading.
  void SetRenderer(plat::Renderer* renderer);
  plat::Renderer* Renderer() const;

  // Builds the textures from a parsed record (layout, format choice, upload).
  bool LoadFromRecord(const TImageRecord& record);
  // Builds the textures from a record decoded beforehand (on any thread).
  bool LoadDecoded(const TDecodedImage& decoded);
  // Builds the textures from a picture, using the TextureSize, PatternSize,
  // VisibleSize and PatternCount set beforehand. A picture larger than the
  // texture size is cut into several textures, left to right, top to bottom.
  bool LoadFromBitmap(const TBitmap32& bitmap);
  void FreeTextures();
  // Why the last load failed.
  const std::string& LastError() const;

  // Texture coordinates of a pattern: which texture, and the u/v of the four
  // corners (top-left, top-right, bottom-right, bottom-left). False when the
  // image cannot be drawn. An image waiting for its first drawing makes its
  // textures here (from a background decode of it, if that is done).
  bool PatternCoords(const TPatternRec& pattern, int& textureIndex, float u[4], float v[4]) const;
  // The back-end texture of texture index i (0 when absent); made here too
  // for an image waiting for its first drawing.
  uint32_t Texture(int i) const;

 private:
  friend class TCanopyImages;
  struct Impl;
  // The image takes its sizes from a decoded header and its pixels later.
  void Defer(const TDecodedImage& header, std::shared_ptr<TDeferredDecode> deferred,
             std::function<void(const std::string&)> onFailed);
  std::shared_ptr<TDeferredDecode> DeferredDecode() const;
  // A decode of the waiting image has finished (on a background thread).
  bool DecodedInBackground() const;
  // The waiting image's textures, made now.
  bool MakeWaitingTextures();
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
  // Images (by name) whose records LoadFromCPDb only checks, reading their
  // header: their pixels are decoded when they are first drawn, or earlier
  // by DecodeWaitingInBackground. Unset: every image is decoded at once.
  std::function<bool(const std::string& name)> DecodeWhenDrawn;
  // Such an image whose record turns out unreadable when it is decoded: its
  // name and why (LoadFromCPDb would have failed on it).
  std::function<void(const std::string& name, const std::string& error)> OnDecodeFailed;
  // Threads LoadFromCPDb decodes records on: 0 (the default) one per core,
  // 1 the calling thread alone. The textures are always made on the calling
  // thread, in archive order, so the list is the same whatever the number.
  int DecodeThreads = 0;

  bool HandleNotice(int code) override;

  int Count() const { return static_cast<int>(Items_.size()); }
  TCanopyImage* Items(int i) const;  // nullptr outside 0..Count-1
  TCanopyImage* Find(std::string_view name) const;
  int IndexOf(std::string_view name) const;
  TCanopyImage* Add();
  void Remove(int i);
  void RemoveAll();
  // Loads every image record of the archive, in archive order, asking
  // OnCPDbLoad about each first. The records are read and decoded on
  // DecodeThreads threads while this thread makes the textures. The archive
  // must outlive the images of DecodeWhenDrawn.
  bool LoadFromCPDb(TCPDb& archive);
  bool LoadImage(const std::string& key, TCPDb& archive, TCanopyQuality quality, TAlphaLevel alphaLevel);
  // Why the last load failed.
  const std::string& LastError() const { return LastError_; }

  // Decodes the images still waiting for their first drawing on a background
  // thread, in list order. Each one decoded gets its textures at the end of a
  // scene (one a frame, so no frame takes long), or when it is drawn first.
  void DecodeWaitingInBackground();
  // Images whose textures are still to be made.
  int WaitingCount() const;

  // Reads and decodes a picture record (LoadBitmap) on a background thread,
  // for a later LoadPicture of it.
  void PrefetchPicture(const std::string& key, TCPDb& archive);
  // The picture prefetched (its read is waited for only briefly, the
  // reading thread giving way to every other), else LoadBitmap.
  bool LoadPicture(const std::string& key, TBitmap32& bitmap, TCPDb& archive);

 private:
  struct Background;
  void StopBackground();
  void UploadOneDecoded();

  std::vector<std::unique_ptr<TCanopyImage>> Items_;
  std::string LastError_;
  std::unique_ptr<Background> Background_;
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
// The second half of LoadBitmap, on any thread: the record's bytes, of the
// record type given, into a bitmap.
bool DecodeBitmapRecord(const std::string& key, int recordType, const std::vector<uint8_t>& bytes,
                        TBitmap32& bitmap);
