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
#include "engine/Images.h"

#include <algorithm>
#include <climits>

#include "engine/CPDb.h"
#include "engine/TextCompare.h"
#include "platform/Platform.h"

namespace {

uint32_t ApplyAlphaLevel(uint32_t argb, TAlphaLevel level) {
  switch (level) {
    case alNone: return argb | 0xFF000000u;
    case alMask: return (argb & 0x00FFFFFFu) | ((argb >> 24) >= 128 ? 0xFF000000u : 0u);
    case alFull: return argb;
    case alExclusive: return (argb & 0xFF000000u) | 0x00FFFFFFu;
  }
  return argb;
}

plat::Renderer* RendererOf(TCanopyPublisher* publisher) {
  auto* device = dynamic_cast<TCanopyDevice*>(publisher);
  return device ? device->Renderer() : nullptr;
}

// The largest side the renderer takes, within the decoders' limit.
int MaxSide(const plat::Renderer* renderer) {
  const int limit = renderer ? renderer->MaxTextureSize() : 0;
  return limit <= 0 || limit > kMaxImageSide ? kMaxImageSide : limit;
}

}  // namespace

int64_t MaxImageTexels(const plat::Renderer* renderer) {
  const int64_t side = MaxSide(renderer);
  return std::min(side * side, kMaxImagePixels);
}

uint64_t MaxImageRecordBytes(const plat::Renderer* renderer) {
  constexpr uint64_t kImageHeaderBytes = 33, kWidestPixel = 4;
  return kImageHeaderBytes + static_cast<uint64_t>(MaxImageTexels(renderer)) * kWidestPixel;
}

struct TCanopyImage::Impl {
  plat::Renderer* Renderer = nullptr;
  std::vector<plat::TextureId> Textures;
  int TextureCount = 0;
  bool Ready = false;
  std::string Error;

  bool Fail(const std::string& message) {
    Error = message;
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

bool TCanopyImage::Ready() const { return Impl_->Ready; }

void TCanopyImage::FreeTextures() {
  if (Impl_->Renderer) {
    for (plat::TextureId id : Impl_->Textures) Impl_->Renderer->DestroyTexture(id);
  }
  Impl_->Textures.clear();
  Impl_->TextureCount = 0;
  Impl_->Ready = false;
}

uint32_t TCanopyImage::Texture(int i) const {
  if (i < 0 || i >= static_cast<int>(Impl_->Textures.size())) return 0;
  return Impl_->Textures[static_cast<size_t>(i)];
}

// Fills in the sizes left at zero and checks that they nest: visible part
// inside the pattern, pattern inside the texture.
static bool PrepareLayout(TCanopyImage& image, int textureCount, std::string& error) {
  if (image.PatternSize.W <= 0) image.PatternSize.W = image.TextureSize.W;
  if (image.PatternSize.H <= 0) image.PatternSize.H = image.TextureSize.H;
  if (image.VisibleSize.W <= 0) image.VisibleSize.W = image.TextureSize.W;
  if (image.VisibleSize.H <= 0) image.VisibleSize.H = image.TextureSize.H;
  if (image.TextureSize.W <= 0 || image.TextureSize.H <= 0) {
    error = "texture size is not positive";
    return false;
  }
  if (image.TextureSize.W < image.PatternSize.W || image.TextureSize.H < image.PatternSize.H) {
    error = "texture is smaller than one pattern";
    return false;
  }
  if (image.PatternSize.W < image.VisibleSize.W || image.PatternSize.H < image.VisibleSize.H) {
    error = "pattern is smaller than its visible part";
    return false;
  }
  if (image.PatternCount <= 0) {
    const int64_t all = static_cast<int64_t>(image.PatternsPerTexture()) * textureCount;
    image.PatternCount = static_cast<int>(std::min<int64_t>(all, INT32_MAX));
  }
  return true;
}

// Textures larger than the back end can hold fail here, with the reason; so do
// textures past the largest picture we accept at all, whatever the back end.
bool TCanopyImage::CheckTextureSize(const TCanopyImage& image, Impl& impl) {
  const int limit = MaxSide(impl.Renderer);
  const int64_t texels = static_cast<int64_t>(image.TextureSize.W) * image.TextureSize.H;
  if (image.TextureSize.W > limit || image.TextureSize.H > limit || texels > kMaxImagePixels) {
    return impl.Fail("texture " + std::to_string(image.TextureSize.W) + " x " +
                     std::to_string(image.TextureSize.H) + " is larger than the renderer allows (" +
                     std::to_string(limit) + ")");
  }
  return true;
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
  if (!PrepareLayout(*this, record.TextureCount, Impl_->Error)) return false;

  const int bpp = PixelFormatBytes(record.Format);
  if (bpp == 0) return Impl_->Fail("unknown pixel format " + std::to_string(record.Format));
  const size_t texels = static_cast<size_t>(TextureSize.W) * static_cast<size_t>(TextureSize.H);
  const size_t textureBytes = texels * static_cast<size_t>(bpp);
  if (record.Pixels.size() / textureBytes < static_cast<size_t>(record.TextureCount)) {
    return Impl_->Fail("pixel data is cut short");
  }
  if (!CheckTextureSize(*this, *Impl_)) return false;
  // All the textures together may hold no more than one of the largest the
  // renderer takes: many textures of the largest size are no picture the game
  // has, only a way to make it allocate without end.
  const int64_t allTexels = static_cast<int64_t>(texels) * record.TextureCount;
  if (allTexels > MaxImageTexels(Impl_->Renderer)) {
    return Impl_->Fail(std::to_string(record.TextureCount) + " textures of " + std::to_string(TextureSize.W) +
                       " x " + std::to_string(TextureSize.H) + " are more than one image may hold");
  }
  if (record.TextureCount == 0) {
    Impl_->Ready = true;  // a well-formed image with nothing to draw
    return true;
  }

  std::vector<uint32_t> argb(texels);
  for (int t = 0; t < record.TextureCount; ++t) {
    const uint8_t* src = record.Pixels.data() + textureBytes * static_cast<size_t>(t);
    for (size_t i = 0; i < texels; ++i) {
      argb[i] = ApplyAlphaLevel(PixelToArgb(record.Format, src + i * static_cast<size_t>(bpp)), AlphaLevel);
    }
    const plat::TextureId id = Impl_->Renderer->CreateTexture(TextureSize.W, TextureSize.H);
    if (id == 0 || !Impl_->Renderer->UpdateTexture(id, argb.data(), TextureSize.W)) {
      if (id != 0) Impl_->Renderer->DestroyTexture(id);
      FreeTextures();
      return Impl_->Fail("cannot create a " + std::to_string(TextureSize.W) + " x " +
                         std::to_string(TextureSize.H) + " texture");
    }
    Impl_->Textures.push_back(id);
  }
  Impl_->TextureCount = record.TextureCount;
  Impl_->Ready = true;
  return true;
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
  if (!PrepareLayout(*this, count, Impl_->Error)) return false;
  if (!CheckTextureSize(*this, *Impl_)) return false;

  const int tw = TextureSize.W, th = TextureSize.H;
  std::vector<uint32_t> argb(static_cast<size_t>(tw) * static_cast<size_t>(th));
  for (int t = 0; t < count; ++t) {
    const int left = (t % columns) * tw, top = (t / columns) * th;
    std::fill(argb.begin(), argb.end(), 0u);
    for (int y = 0; y < th && top + y < bitmap.Height; ++y) {
      const uint32_t* src = &bitmap.Pixels[static_cast<size_t>(top + y) * bitmap.Width + left];
      uint32_t* dst = &argb[static_cast<size_t>(y) * tw];
      const int n = std::min(tw, bitmap.Width - left);
      for (int x = 0; x < n; ++x) dst[x] = ApplyAlphaLevel(src[x], AlphaLevel);
    }
    const plat::TextureId id = Impl_->Renderer->CreateTexture(tw, th);
    if (id == 0 || !Impl_->Renderer->UpdateTexture(id, argb.data(), tw)) {
      if (id != 0) Impl_->Renderer->DestroyTexture(id);
      FreeTextures();
      return Impl_->Fail("cannot create a " + std::to_string(tw) + " x " + std::to_string(th) + " texture");
    }
    Impl_->Textures.push_back(id);
  }
  Impl_->TextureCount = count;
  Impl_->Ready = true;
  return true;
}

bool TCanopyImage::PatternCoords(const TPatternRec& pattern, int& textureIndex, float u[4], float v[4]) const {
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

// ---------------------------------------------------------------- image list

TCanopyImages::TCanopyImages() = default;

TCanopyImages::~TCanopyImages() {
  RemoveAll();
  SetPublisher(nullptr);
}

bool TCanopyImages::HandleNotice(int code) {
  if (code == dnFinalizing) RemoveAll();
  return true;
}

TCanopyImage* TCanopyImages::Items(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return Items_[static_cast<size_t>(i)].get();
}

TCanopyImage* TCanopyImages::Find(std::string_view name) const { return Items(IndexOf(name)); }

int TCanopyImages::IndexOf(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameText(Items_[static_cast<size_t>(i)]->Name, name)) return i;
  }
  return -1;
}

TCanopyImage* TCanopyImages::Add() {
  auto image = std::make_unique<TCanopyImage>();
  image->SetRenderer(RendererOf(Publisher()));
  image->MipMapping = MipMappping;
  Items_.push_back(std::move(image));
  return Items_.back().get();
}

void TCanopyImages::Remove(int i) {
  if (i < 0 || i >= Count()) return;
  Items_.erase(Items_.begin() + i);
}

void TCanopyImages::RemoveAll() { Items_.clear(); }

bool TCanopyImages::LoadImage(const std::string& key, TCPDb& archive, TCanopyQuality quality,
                              TAlphaLevel alphaLevel) {
  LastError_.clear();
  if (!archive.Open()) {
    LastError_ = "cannot open " + archive.FileName();
    return false;
  }
  const int index = archive.IndexOf(key);
  if (index < 0) {
    LastError_ = key + ": no such record";
    return false;
  }
  if (archive.RecordType(index) != kRecordImage) {
    LastError_ = key + ": not an image record";
    return false;
  }
  // The size the record claims is checked before it is unpacked: a small
  // record may claim to inflate to hundreds of megabytes.
  const uint64_t claimed = archive.Entries()[static_cast<size_t>(index)].OriginalSize;
  const uint64_t allowed = MaxImageRecordBytes(RendererOf(Publisher()));
  if (claimed > allowed) {
    LastError_ = key + ": the record claims " + std::to_string(claimed) + " bytes, more than an image may hold (" +
                 std::to_string(allowed) + ")";
    return false;
  }
  TCanopyImage* image = Add();
  image->Name = key;
  image->Quality = quality;
  image->AlphaLevel = alphaLevel;
  std::vector<uint8_t> bytes;
  size_t offset = 0;
  std::string error;
  bool ok = archive.ReadRecord(key, bytes);
  if (!ok) error = "cannot read the record";
  if (ok) {
    auto record = ParseImageRecord(bytes.data(), bytes.size(), offset, &error);
    ok = record && image->LoadFromRecord(*record);
    if (record && !ok) error = image->LastError();
  }
  if (!ok) {
    LastError_ = key + ": " + error;
    Remove(Count() - 1);
  }
  return ok;
}

bool TCanopyImages::LoadFromCPDb(TCPDb& archive) {
  LastError_.clear();
  if (!archive.Open()) {
    LastError_ = "cannot open " + archive.FileName();
    return false;
  }
  const int records = archive.RecordCount();
  for (int i = 0; i < records; ++i) {
    if (archive.RecordType(i) != kRecordImage) continue;
    const std::string key = archive.RecordKey(i);
    bool accept = true;
    std::string name = key;
    TCanopyQuality quality = aqHigh;
    TAlphaLevel alphaLevel = alFull;
    if (OnCPDbLoad) OnCPDbLoad(*this, key, Count(), accept, name, quality, alphaLevel);
    if (!accept) continue;
    if (!LoadImage(key, archive, quality, alphaLevel)) return false;
    Items_.back()->Name = name;
  }
  return true;
}

bool LoadBitmap(const std::string& key, TBitmap32& bitmap, TCPDb& archive) {
  if (!archive.Open()) return false;
  const int index = archive.IndexOf(key);
  if (index < 0) return false;
  std::vector<uint8_t> bytes;
  if (!archive.ReadRecord(key, bytes)) return false;
  if (archive.RecordType(index) != kRecordImage) {
    return DecodeImageFile(key, bytes.data(), bytes.size(), bitmap);
  }
  size_t offset = 0;
  auto record = ParseImageRecord(bytes.data(), bytes.size(), offset);
  if (!record || record->TextureCount <= 0) return false;
  // The textures stacked top to bottom, every pixel widened to A8R8G8B8.
  const int bpp = PixelFormatBytes(record->Format);
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
  for (size_t i = 0; i < count; ++i) {
    result.Pixels[i] = PixelToArgb(record->Format, record->Pixels.data() + i * static_cast<size_t>(bpp));
  }
  bitmap = std::move(result);
  return true;
}
