// Images (textures cut into equal patterns) and the image list that loads them
// from the archives.
//
// Texture formats: the records name one of twelve pixel formats, and the
// (AlphaLevel, Quality) pair once chose among 16- and 8-bit texture formats to
// save video memory. Every texture here is 32-bit ARGB, so the stored pixels
// are widened to 8 bits a channel and the choice keeps only what it means for
// the picture:
//   alNone      alpha forced to opaque (the formats without alpha);
//   alMask      alpha cut to fully opaque or fully clear at half (1-bit alpha);
//   alFull      alpha kept as stored;
//   alExclusive only alpha kept, colour white, so the vertex colour tints it.
// Quality changes nothing: the reduced formats only cost colour precision, and
// memory is no longer scarce. Mip-mapping is not used (SDL draws 2D at scale 1).
#include "engine/render/Images.h"

#include <algorithm>
#include <climits>

#include "engine/archive/CPDb.h"
#include "engine/core/TextCompare.h"
#include "platform/Platform.h"

int64_t MaxImageTexels(const plat::Renderer* renderer) { return TImageLimits::Of(renderer).MaxTexels; }

uint64_t MaxImageRecordBytes(const plat::Renderer* renderer) { return TImageLimits::Of(renderer).MaxRecordBytes; }

struct TCanopyImage::Impl {
  plat::Renderer* Renderer = nullptr;
  std::vector<plat::TextureId> Textures;
  int TextureCount = 0;
  bool Ready = false;
  std::string Error;
  // While the image waits for its first drawing: where its pixels come from,
  // and whom to tell should they not come.
  std::shared_ptr<TDeferredDecode> Deferred;
  std::function<void(const std::string&)> OnDeferredFailed;

  bool Fail(const std::string& message) {
    Error = message;
    return false;
  }

  void FreeTextures() {
    if (Renderer) {
      for (plat::TextureId id : Textures) Renderer->DestroyTexture(id);
    }
    Textures.clear();
    TextureCount = 0;
    Ready = false;
  }

  // Makes count textures of w x h from the pixels of each.
  template <class PixelsOf>
  bool Upload(int w, int h, int count, PixelsOf pixelsOf) {
    for (int t = 0; t < count; ++t) {
      const plat::TextureId id = Renderer->CreateTexture(w, h);
      if (id == 0 || !Renderer->UpdateTexture(id, pixelsOf(t), w)) {
        if (id != 0) Renderer->DestroyTexture(id);
        FreeTextures();
        return Fail("cannot create a " + std::to_string(w) + " x " + std::to_string(h) + " texture");
      }
      Textures.push_back(id);
    }
    TextureCount = count;
    Ready = true;
    return true;
  }

  bool UploadDecoded(const TDecodedImage& decoded) {
    if (!Renderer) return Fail("no renderer to hold the textures");
    const TImageLayout& l = decoded.Layout;
    if (l.TextureCount == 0) {
      Ready = true;  // a well-formed image with nothing to draw
      return true;
    }
    return Upload(l.TextureSize.W, l.TextureSize.H, l.TextureCount, [&](int t) { return decoded.Texture(t); });
  }

  // The first drawing of a waiting image: its pixels (decoded here, or by a
  // background thread) become its textures.
  bool MakeWaitingTextures() {
    const std::shared_ptr<TDeferredDecode> deferred = std::move(Deferred);
    Deferred.reset();
    TDecodedImage decoded;
    std::string error;
    if (deferred->Take(decoded, error) && UploadDecoded(decoded)) return true;
    if (error.empty()) error = Error;
    Fail(error);
    if (OnDeferredFailed) OnDeferredFailed(error);
    return false;
  }
};

TCanopyImage::TCanopyImage() : Impl_(std::make_unique<Impl>()) {}

TCanopyImage::~TCanopyImage() { FreeTextures(); }

void TCanopyImage::SetRenderer(plat::Renderer* renderer) {
  if (renderer == Impl_->Renderer) return;
  FreeTextures();
  Impl_->Renderer = renderer;
}

plat::Renderer* TCanopyImage::Renderer() const { return Impl_->Renderer; }

const std::string& TCanopyImage::LastError() const { return Impl_->Error; }

int TCanopyImage::PatternsPerRow() const {
  return PatternSize.W > 0 ? TextureSize.W / PatternSize.W : 0;
}

int TCanopyImage::PatternsPerColumn() const {
  return PatternSize.H > 0 ? TextureSize.H / PatternSize.H : 0;
}

int TCanopyImage::PatternsPerTexture() const {
  const int64_t n = static_cast<int64_t>(PatternsPerRow()) * PatternsPerColumn();
  return static_cast<int>(std::min<int64_t>(n, INT32_MAX));
}

int TCanopyImage::TextureCount() const { return Impl_->TextureCount; }

bool TCanopyImage::Ready() const { return Impl_->Ready || Impl_->Deferred != nullptr; }

bool TCanopyImage::Waiting() const { return Impl_->Deferred != nullptr; }

void TCanopyImage::FreeTextures() {
  Impl_->FreeTextures();
  Impl_->Deferred.reset();
}

uint32_t TCanopyImage::Texture(int i) const {
  if (Impl_->Deferred && !Impl_->MakeWaitingTextures()) return 0;
  if (i < 0 || i >= static_cast<int>(Impl_->Textures.size())) return 0;
  return Impl_->Textures[static_cast<size_t>(i)];
}

namespace {

TImageLayout LayoutOf(const TCanopyImage& image, int textureCount) {
  TImageLayout layout;
  layout.TextureSize = image.TextureSize;
  layout.PatternSize = image.PatternSize;
  layout.VisibleSize = image.VisibleSize;
  layout.PatternCount = image.PatternCount;
  layout.TextureCount = textureCount;
  return layout;
}

void ApplyLayout(TCanopyImage& image, const TImageLayout& layout) {
  image.TextureSize = layout.TextureSize;
  image.PatternSize = layout.PatternSize;
  image.VisibleSize = layout.VisibleSize;
  image.PatternCount = layout.PatternCount;
}

}  // namespace

void TCanopyImage::Defer(const TDecodedImage& header, std::shared_ptr<TDeferredDecode> deferred,
                         std::function<void(const std::string&)> onFailed) {
  Impl_->FreeTextures();
  Impl_->Error.clear();
  ApplyLayout(*this, header.Layout);
  Impl_->TextureCount = header.Layout.TextureCount;
  Impl_->Deferred = std::move(deferred);
  Impl_->OnDeferredFailed = std::move(onFailed);
}

std::shared_ptr<TDeferredDecode> TCanopyImage::DeferredDecode() const { return Impl_->Deferred; }

bool TCanopyImage::DecodedInBackground() const { return Impl_->Deferred && Impl_->Deferred->Decoded(); }

bool TCanopyImage::MakeWaitingTextures() { return !Impl_->Deferred || Impl_->MakeWaitingTextures(); }

bool TCanopyImage::LoadDecoded(const TDecodedImage& decoded) {
  FreeTextures();
  Impl_->Error.clear();
  ApplyLayout(*this, decoded.Layout);
  return Impl_->UploadDecoded(decoded);
}

bool TCanopyImage::LoadFromRecord(const TImageRecord& record) {
  FreeTextures();
  Impl_->Error.clear();
  TextureSize = {record.TextureWidth, record.TextureHeight};
  PatternSize = {record.PatternWidth, record.PatternHeight};
  VisibleSize = {record.VisibleWidth, record.VisibleHeight};
  PatternCount = record.PatternCount;
  if (!Impl_->Renderer) return Impl_->Fail("no renderer to hold the textures");
  if (record.TextureCount < 0) return Impl_->Fail("negative texture count");
  TImageLayout layout = LayoutOf(*this, record.TextureCount);
  const bool nests = CompleteLayout(layout, Impl_->Error);
  ApplyLayout(*this, layout);
  if (!nests) return false;

  const int bpp = PixelFormatBytes(record.Format);
  if (bpp == 0) return Impl_->Fail("unknown pixel format " + std::to_string(record.Format));
  const size_t texels = static_cast<size_t>(TextureSize.W) * static_cast<size_t>(TextureSize.H);
  const size_t textureBytes = texels * static_cast<size_t>(bpp);
  if (record.Pixels.size() / textureBytes < static_cast<size_t>(record.TextureCount)) {
    return Impl_->Fail("pixel data is cut short");
  }
  TImageLayout checked;
  if (!LayoutOfRecord(record, TImageLimits::Of(Impl_->Renderer), checked, Impl_->Error)) return false;
  if (record.TextureCount == 0) {
    Impl_->Ready = true;  // a well-formed image with nothing to draw
    return true;
  }
  // 32-bit pixels kept as they are go straight from the record (whose buffer
  // is aligned for them); the rest are converted a texture at a time.
  if (record.Format == pfA8R8G8B8 && AlphaLevel == alFull) {
    return Impl_->Upload(TextureSize.W, TextureSize.H, record.TextureCount, [&](int t) {
      return reinterpret_cast<const uint32_t*>(record.Pixels.data() + textureBytes * static_cast<size_t>(t));
    });
  }
  std::vector<uint32_t> argb(texels);
  return Impl_->Upload(TextureSize.W, TextureSize.H, record.TextureCount, [&](int t) {
    PixelsToArgb(record.Format, record.Pixels.data() + textureBytes * static_cast<size_t>(t), texels, argb.data());
    if (AlphaLevel != alFull)
      for (uint32_t& p : argb) p = ApplyAlphaLevel(p, AlphaLevel);
    return static_cast<const uint32_t*>(argb.data());
  });
}

bool TCanopyImage::LoadFromBitmap(const TBitmap32& bitmap) {
  FreeTextures();
  Impl_->Error.clear();
  if (!Impl_->Renderer) return Impl_->Fail("no renderer to hold the textures");
  if (bitmap.Width <= 0 || bitmap.Height <= 0 ||
      bitmap.Pixels.size() != static_cast<size_t>(bitmap.Width) * static_cast<size_t>(bitmap.Height)) {
    return Impl_->Fail("the picture is empty");
  }
  // A texture always has room for one whole pattern: a picture smaller than
  // its pattern (a 800 x 600 screen in a 1024 x 1024 cell) is padded with
  // clear pixels on the right and at the bottom.
  if (TextureSize.W <= 0) TextureSize.W = bitmap.Width;
  if (TextureSize.H <= 0) TextureSize.H = bitmap.Height;
  TextureSize.W = std::max(TextureSize.W, PatternSize.W);
  TextureSize.H = std::max(TextureSize.H, PatternSize.H);
  const int columns = static_cast<int>((int64_t{bitmap.Width} + TextureSize.W - 1) / TextureSize.W);
  const int rows = static_cast<int>((int64_t{bitmap.Height} + TextureSize.H - 1) / TextureSize.H);
  const int count = columns * rows;
  TImageLayout layout = LayoutOf(*this, count);
  const bool nests = CompleteLayout(layout, Impl_->Error);
  ApplyLayout(*this, layout);
  if (!nests) return false;
  if (!CheckTextureSize(TextureSize, TImageLimits::Of(Impl_->Renderer).MaxSide, Impl_->Error)) return false;

  const int tw = TextureSize.W, th = TextureSize.H;
  // A picture that is exactly one texture, kept as it is, goes up unchanged.
  if (count == 1 && bitmap.Width == tw && bitmap.Height == th && AlphaLevel == alFull)
    return Impl_->Upload(tw, th, 1, [&](int) { return bitmap.Pixels.data(); });
  std::vector<uint32_t> argb(static_cast<size_t>(tw) * static_cast<size_t>(th));
  return Impl_->Upload(tw, th, count, [&](int t) {
    const int left = (t % columns) * tw, top = (t / columns) * th;
    std::fill(argb.begin(), argb.end(), 0u);
    for (int y = 0; y < th && top + y < bitmap.Height; ++y) {
      const uint32_t* src = &bitmap.Pixels[static_cast<size_t>(top + y) * bitmap.Width + left];
      uint32_t* dst = &argb[static_cast<size_t>(y) * tw];
      const int n = std::min(tw, bitmap.Width - left);
      for (int x = 0; x < n; ++x) dst[x] = ApplyAlphaLevel(src[x], AlphaLevel);
    }
    return static_cast<const uint32_t*>(argb.data());
  });
}

bool TCanopyImage::PatternCoords(const TPatternRec& pattern, int& textureIndex, float u[4], float v[4]) const {
  if (Impl_->Deferred && !Impl_->MakeWaitingTextures()) return false;
  const int perTexture = PatternsPerTexture();
  if (!Impl_->Ready || Impl_->Textures.empty() || PatternCount <= 0 || perTexture <= 0) return false;
  const int index = std::clamp(pattern.Index, 0, PatternCount - 1);
  textureIndex = index / perTexture;
  // A record may claim more patterns than its textures hold.
  if (textureIndex >= static_cast<int>(Impl_->Textures.size())) return false;
  const int cell = index % perTexture;
  const int column = cell % PatternsPerRow();
  const int row = (cell / PatternsPerRow()) % PatternsPerColumn();
  const int offsetX = (PatternSize.W - VisibleSize.W) / 2;
  const int offsetY = (PatternSize.H - VisibleSize.H) / 2;
  const double left = static_cast<double>(pattern.Left) + static_cast<double>(column) * PatternSize.W + offsetX;
  const double top = static_cast<double>(pattern.Top) + static_cast<double>(row) * PatternSize.H + offsetY;
  const double width = pattern.Width < 1 ? VisibleSize.W : pattern.Width;
  const double height = pattern.Height < 1 ? VisibleSize.H : pattern.Height;
  const double tw = TextureSize.W, th = TextureSize.H;
  float uMin = static_cast<float>(left / tw), uMax = static_cast<float>((left + width) / tw);
  float vMin = static_cast<float>(top / th), vMax = static_cast<float>((top + height) / th);
  if (pattern.Mirror) std::swap(uMin, uMax);
  if (pattern.Flip) std::swap(vMin, vMax);
  u[0] = uMin; v[0] = vMin;
  u[1] = uMax; v[1] = vMin;
  u[2] = uMax; v[2] = vMax;
  u[3] = uMin; v[3] = vMax;
  return true;
}

bool DecodeBitmapRecord(const std::string& key, int recordType, const std::vector<uint8_t>& bytes,
                        TBitmap32& bitmap) {
  if (recordType != kRecordImage) return DecodeImageFile(key, bytes.data(), bytes.size(), bitmap);
  size_t offset = 0;
  auto record = ParseImageRecord(bytes.data(), bytes.size(), offset);
  if (!record || record->TextureCount <= 0) return false;
  // The textures stacked top to bottom, every pixel widened to A8R8G8B8.
  const int64_t height = static_cast<int64_t>(record->TextureHeight) * record->TextureCount;
  if (record->TextureWidth > kMaxImageSide || height > kMaxImageSide ||
      static_cast<int64_t>(record->TextureWidth) * height > kMaxImagePixels) {
    return false;
  }
  TBitmap32 result;
  result.Width = record->TextureWidth;
  result.Height = static_cast<int>(height);
  const size_t count = static_cast<size_t>(result.Width) * static_cast<size_t>(result.Height);
  result.Pixels.resize(count);
  PixelsToArgb(record->Format, record->Pixels.data(), count, result.Pixels.data());
  bitmap = std::move(result);
  return true;
}

bool LoadBitmap(const std::string& key, TBitmap32& bitmap, TCPDb& archive) {
  if (!archive.Open()) return false;
  const int index = archive.IndexOf(key);
  if (index < 0) return false;
  std::vector<uint8_t> bytes;
  if (!archive.ReadRecord(key, bytes)) return false;
  return DecodeBitmapRecord(key, archive.RecordType(index), bytes, bitmap);
}
