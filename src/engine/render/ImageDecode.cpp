#include "engine/render/ImageDecode.h"

#include <algorithm>
#include <climits>
#include <chrono>
#include <cstring>
#include <new>

#include "engine/archive/CPDb.h"
#include "engine/render/ImageFile.h"
#include "platform/Platform.h"

TImageLimits TImageLimits::Of(const plat::Renderer* renderer) {
  TImageLimits limits;
  const int limit = renderer ? renderer->MaxTextureSize() : 0;
  limits.MaxSide = limit <= 0 || limit > kMaxImageSide ? kMaxImageSide : limit;
  limits.MaxTexels = std::min(static_cast<int64_t>(limits.MaxSide) * limits.MaxSide, kMaxImagePixels);
  constexpr uint64_t kWidestPixel = 4;
  limits.MaxRecordBytes = kImageRecordHeaderSize + static_cast<uint64_t>(limits.MaxTexels) * kWidestPixel;
  return limits;
}

bool CompleteLayout(TImageLayout& layout, std::string& error) {
  if (layout.PatternSize.W <= 0) layout.PatternSize.W = layout.TextureSize.W;
  if (layout.PatternSize.H <= 0) layout.PatternSize.H = layout.TextureSize.H;
  if (layout.VisibleSize.W <= 0) layout.VisibleSize.W = layout.TextureSize.W;
  if (layout.VisibleSize.H <= 0) layout.VisibleSize.H = layout.TextureSize.H;
  if (layout.TextureSize.W <= 0 || layout.TextureSize.H <= 0) {
    error = "texture size is not positive";
    return false;
  }
  if (layout.TextureSize.W < layout.PatternSize.W || layout.TextureSize.H < layout.PatternSize.H) {
    error = "texture is smaller than one pattern";
    return false;
  }
  if (layout.PatternSize.W < layout.VisibleSize.W || layout.PatternSize.H < layout.VisibleSize.H) {
    error = "pattern is smaller than its visible part";
    return false;
  }
  if (layout.PatternCount <= 0) {
    const int64_t perRow = layout.TextureSize.W / layout.PatternSize.W;
    const int64_t perColumn = layout.TextureSize.H / layout.PatternSize.H;
    const int64_t perTexture = std::min<int64_t>(perRow * perColumn, INT32_MAX);
    const int64_t all = perTexture * layout.TextureCount;
    layout.PatternCount = static_cast<int>(std::min<int64_t>(all, INT32_MAX));
  }
  return true;
}

bool CheckTextureSize(const TSize& texture, int maxSide, std::string& error) {
  const int64_t texels = static_cast<int64_t>(texture.W) * texture.H;
  if (texture.W > maxSide || texture.H > maxSide || texels > kMaxImagePixels) {
    error = "texture " + std::to_string(texture.W) + " x " + std::to_string(texture.H) +
            " is larger than the renderer allows (" + std::to_string(maxSide) + ")";
    return false;
  }
  return true;
}

bool LayoutOfRecord(const TImageRecord& header, const TImageLimits& limits, TImageLayout& layout,
                    std::string& error) {
  layout.TextureSize = {header.TextureWidth, header.TextureHeight};
  layout.PatternSize = {header.PatternWidth, header.PatternHeight};
  layout.VisibleSize = {header.VisibleWidth, header.VisibleHeight};
  layout.PatternCount = header.PatternCount;
  layout.TextureCount = header.TextureCount;
  if (header.TextureCount < 0) {
    error = "negative texture count";
    return false;
  }
  if (!CompleteLayout(layout, error)) return false;
  if (PixelFormatBytes(header.Format) == 0) {
    error = "unknown pixel format " + std::to_string(header.Format);
    return false;
  }
  if (!CheckTextureSize(layout.TextureSize, limits.MaxSide, error)) return false;
  // All the textures together may hold no more than one of the largest the
  // renderer takes: many textures of the largest size are no picture the game
  // has, only a way to make it allocate without end.
  const int64_t texels = static_cast<int64_t>(layout.TextureSize.W) * layout.TextureSize.H;
  if (texels * header.TextureCount > limits.MaxTexels) {
    error = std::to_string(header.TextureCount) + " textures of " + std::to_string(layout.TextureSize.W) + " x " +
            std::to_string(layout.TextureSize.H) + " are more than one image may hold";
    return false;
  }
  return true;
}

size_t TDecodedImage::TextureTexels() const {
  return static_cast<size_t>(Layout.TextureSize.W) * static_cast<size_t>(Layout.TextureSize.H);
}

const uint32_t* TDecodedImage::Texture(int t) const {
  const size_t at = TextureTexels() * static_cast<size_t>(t);
  if (!Widened_.empty()) return Widened_.data() + at;
  // The pixels lie 4-byte aligned inside the record; they are handed on as
  // the block of 32-bit values they are (the renderer copies them bytewise).
  return reinterpret_cast<const uint32_t*>(Bytes_.data() + PixelOffset_) + at;
}

void TDecodedImage::Release() {
  std::vector<uint8_t>().swap(Bytes_);
  std::vector<uint32_t>().swap(Widened_);
  PixelOffset_ = 0;
}

bool TDecodedImage::DecodeHeader(TCPDb& archive, const std::string& key, uint64_t originalSize,
                                 const TImageLimits& limits, std::string& error) {
  Release();
  std::vector<uint8_t> start;
  if (!archive.ReadRecordStart(key, kImageRecordHeaderSize, start) || start.size() < kImageRecordHeaderSize) {
    error = "cannot read the record";
    return false;
  }
  uint64_t pixelBytes = 0;
  const uint64_t available = originalSize >= kImageRecordHeaderSize ? originalSize - kImageRecordHeaderSize : 0;
  auto header = ParseImageHeader(start.data(), available, pixelBytes, &error);
  if (!header) return false;
  Header = std::move(*header);
  return LayoutOfRecord(Header, limits, Layout, error);
}

bool TDecodedImage::Decode(TCPDb& archive, const std::string& key, TAlphaLevel alphaLevel,
                           const TImageLimits& limits, bool concurrent, std::string& error) {
  Release();
  // Three bytes in front put the pixels, after the 33-byte header, on a
  // 4-byte boundary of the (suitably aligned) buffer.
  constexpr size_t kLead = 3;
  static_assert((kLead + kImageRecordHeaderSize) % 4 == 0);
  Bytes_.assign(kLead, 0);
  const bool read = concurrent ? archive.ReadRecordConcurrently(key, Bytes_) : archive.ReadRecord(key, Bytes_);
  if (!read) {
    Release();
    error = "cannot read the record";
    return false;
  }
  if (Bytes_.size() < kLead + kImageRecordHeaderSize) {
    Release();
    error = "image record: header is cut short";
    return false;
  }
  uint64_t pixelBytes = 0;
  auto header = ParseImageHeader(Bytes_.data() + kLead, Bytes_.size() - kLead - kImageRecordHeaderSize, pixelBytes,
                                 &error);
  if (!header || !LayoutOfRecord(*header, limits, Layout, error)) {
    Release();
    return false;
  }
  Header = std::move(*header);
  PixelOffset_ = kLead + kImageRecordHeaderSize;
  const size_t texels = TextureTexels() * static_cast<size_t>(std::max(0, Header.TextureCount));
  if (PixelFormatBytes(Header.Format) == 4) {
    // Converted where they lie, one 32-bit value at a time; whatever follows
    // the pixels goes.
    Bytes_.resize(PixelOffset_ + texels * 4);
    uint8_t* at = Bytes_.data() + PixelOffset_;
    const bool opaque = Header.Format == pfX8R8G8B8;
    if (opaque || alphaLevel != alFull) {
      for (size_t i = 0; i < texels; ++i, at += 4) {
        uint32_t p;
        std::memcpy(&p, at, 4);
        p = ApplyAlphaLevel(opaque ? p | 0xFF000000u : p, alphaLevel);
        std::memcpy(at, &p, 4);
      }
    }
  } else {
    Widened_.resize(texels);
    PixelsToArgb(Header.Format, Bytes_.data() + PixelOffset_, texels, Widened_.data());
    for (uint32_t& p : Widened_) p = ApplyAlphaLevel(p, alphaLevel);
    std::vector<uint8_t>().swap(Bytes_);
  }
  return true;
}

namespace {

// How long the game thread waits for a background decode before doing it itself.
constexpr auto kBriefWait = std::chrono::milliseconds(4);

bool DecodeGuarded(TDecodedImage& result, const TDeferredDecode& d, bool concurrent, std::string& error) {
  try {
    return result.Decode(*d.Archive, d.Key, d.AlphaLevel, d.Limits, concurrent, error);
  } catch (const std::bad_alloc&) {
    result.Release();
    error = "not enough memory";
    return false;
  }
}

}  // namespace

void TDeferredDecode::DecodeHere(bool concurrent) {
  {
    std::lock_guard<std::mutex> lock(Mutex_);
    if (State_ != dsWaiting) return;
    State_ = dsDecoding;
  }
  TDecodedImage result;
  std::string error;
  const bool ok = DecodeGuarded(result, *this, concurrent, error);
  {
    std::lock_guard<std::mutex> lock(Mutex_);
    if (State_ == dsTaken) return;  // the game thread did it meanwhile
    Ok_ = ok;
    Error_ = std::move(error);
    Result_ = std::move(result);
    State_ = dsDecoded;
  }
  Done_.notify_all();
}

bool TDeferredDecode::Decoded() {
  std::lock_guard<std::mutex> lock(Mutex_);
  return State_ == dsDecoded;
}

bool TDeferredDecode::Take(TDecodedImage& out, std::string& error) {
  {
    std::unique_lock<std::mutex> lock(Mutex_);
    if (State_ == dsDecoding) Done_.wait_for(lock, kBriefWait, [this] { return State_ == dsDecoded; });
    if (State_ == dsDecoded) {
      out = std::move(Result_);
      Result_.Release();
      error = Error_;
      State_ = dsTaken;
      return Ok_;
    }
    State_ = dsTaken;
  }
  return DecodeGuarded(out, *this, false, error);
}
