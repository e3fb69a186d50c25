// The part of loading an image that needs no renderer: reading its record,
// checking its sizes against the renderer's limits and turning its pixels into
// the 32-bit ARGB the textures take. Safe on any thread, so that the image
// list can decode on every core while the game thread creates the textures.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/render/CanopyTypes.h"
#include "engine/render/ImageRecord.h"

class TCPDb;
namespace plat {
class Renderer;
}

enum TCanopyQuality { aqLow, aqMedium, aqHigh };
enum TAlphaLevel { alNone, alMask, alFull, alExclusive };

// What the alpha level keeps of a pixel (see Images.cpp).
inline uint32_t ApplyAlphaLevel(uint32_t argb, TAlphaLevel level) {
  switch (level) {
    case alNone: return argb | 0xFF000000u;
    case alMask: return (argb & 0x00FFFFFFu) | ((argb >> 24) >= 128 ? 0xFF000000u : 0u);
    case alFull: return argb;
    case alExclusive: return (argb & 0xFF000000u) | 0x00FFFFFFu;
  }
  return argb;
}

// The renderer's limits, taken on the game thread for the decoding threads.
struct TImageLimits {
  int MaxSide = 0;         // the largest texture side
  int64_t MaxTexels = 0;   // the most texels of one image, all textures together
  uint64_t MaxRecordBytes = 0;  // the most bytes an image record may unpack to
  static TImageLimits Of(const plat::Renderer* renderer);
};

// The sizes of an image: those of its record, with the ones left at zero
// filled in.
struct TImageLayout {
  TSize TextureSize, PatternSize, VisibleSize;
  int PatternCount = 0;
  int TextureCount = 0;
};

// Takes the record's sizes and checks that they nest (visible part inside the
// pattern, pattern inside the texture) and fit the limits; the error says why
// not, in the words the image loader has always used.
bool LayoutOfRecord(const TImageRecord& header, const TImageLimits& limits, TImageLayout& layout, std::string& error);
// Fills in the sizes left at zero and checks that they nest.
bool CompleteLayout(TImageLayout& layout, std::string& error);
// The texture-size check alone: no side past the renderer's limit, no texture
// past the largest picture we accept at all.
bool CheckTextureSize(const TSize& texture, int maxSide, std::string& error);

// An image record made ready for its textures.
class TDecodedImage {
 public:
  TImageRecord Header;  // Pixels stays empty
  TImageLayout Layout;

  // The ARGB pixels of texture t (Layout.TextureSize texels), alpha level
  // applied; valid until the object changes or goes.
  const uint32_t* Texture(int t) const;
  size_t TextureTexels() const;

  // Reads the record and converts its pixels, on any thread. The error says
  // why it failed ("cannot read the record", or what the record's sizes do
  // wrong).
  bool Decode(TCPDb& archive, const std::string& key, TAlphaLevel alphaLevel, const TImageLimits& limits,
              bool concurrent, std::string& error);
  // Reads only the record's header and checks its sizes, for an image whose
  // pixels are decoded later: originalSize is what the archive's table says
  // the record unpacks to.
  bool DecodeHeader(TCPDb& archive, const std::string& key, uint64_t originalSize, const TImageLimits& limits,
                    std::string& error);
  // Frees the pixels.
  void Release();

 private:
  // The record as read, with a few bytes in front so that its pixels, which
  // follow a 33-byte header, start on a 4-byte boundary: 32-bit pixels are
  // converted where they lie.
  std::vector<uint8_t> Bytes_;
  size_t PixelOffset_ = 0;
  std::vector<uint32_t> Widened_;  // pixels of the narrower formats
};

// A picture whose pixels are decoded when it is first drawn, or before that on
// a background thread: shared by its image and that thread.
struct TDeferredDecode {
  TCPDb* Archive = nullptr;
  std::string Key;
  TAlphaLevel AlphaLevel = alFull;
  TImageLimits Limits;

  // Decodes on the calling thread, unless a decode has already begun.
  void DecodeHere(bool concurrent);
  // A decode has finished.
  bool Decoded();
  // The decoded pixels: decodes here when no decode has begun. One under way
  // on a background thread is waited for only briefly: that thread gives way
  // to every other, and the game thread is not kept waiting on it (it then
  // decodes here as well, and the background's pixels go). Once only.
  bool Take(TDecodedImage& out, std::string& error);

 private:
  enum TState { dsWaiting, dsDecoding, dsDecoded, dsTaken };
  std::mutex Mutex_;
  std::condition_variable Done_;
  TState State_ = dsWaiting;
  bool Ok_ = false;
  std::string Error_;
  TDecodedImage Result_;
};
